// Conversions between the program's Shift-JIS bytes (Windows code page 932)
// and Unicode. Used only at the edges: screen, fonts, file names, and the
// UTF-16 strings of newer drawing files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace util {

// CP932 -> UTF-8; a byte that is not valid CP932 becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view sjis);
// UTF-8 -> CP932; a character CP932 lacks becomes "?" (as Windows writes it).
std::string Utf8ToCp932(std::string_view utf8);
// UTF-16LE (units code units at data) -> CP932, unmappable characters as "?".
std::string Utf16LeToCp932(const uint8_t* data, size_t units);
std::string Utf32ToCp932(std::u32string_view text);

}  // namespace util
