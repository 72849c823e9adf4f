// Shift-JIS (Windows code page 932) byte strings. Texts from drawings and
// settings files stay as these bytes; positions count bytes from 1 unless a
// helper says characters, and no helper splits a double-byte character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace util {

// Code page 932's lead bytes. The string helpers start at 0x81; the draw
// pass's dimension-value measure counts from 0x80 on purpose (see there).
inline bool IsSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// Length in bytes (1 or 2) of the character starting at byte index i (from 0).
// A lead byte with nothing after it is a character of its own.
inline size_t SjisCharLength(std::string_view s, size_t i) {
  return (IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

int SjisCharCount(std::string_view s);
// Characters first .. first + count - 1 (first counted from 1), clipped to the end.
std::string SjisCharCopy(std::string_view s, int first, int count);
// The characters that start within the last |n| bytes and fit into them.
std::string SjisRightBytes(std::string_view s, int n);
// The characters that start at byte p (from 1) or later and end by byte p + c - 1.
std::string SjisMiddleBytes(std::string_view s, int p, int c, int* length = nullptr);
// Removes half-width and full-width blanks and single-byte control characters.
std::string SjisRemoveBlanks(std::string_view s);
// Removes single-byte characters below 32 and a lead byte that ends the text.
std::string SjisRemoveControlChars(std::string_view s);
// Cuts to at most maxBytes bytes without splitting a double-byte character.
std::string SjisTruncate(std::string_view s, size_t maxBytes);

// Full-width form, as the Japanese locale maps text with the full-width and
// katakana flags: half-width ASCII and katakana become full-width (a voiced
// or semi-voiced mark joins the kana before it), hiragana becomes katakana.
std::string SjisToFullWidth(std::string_view s);

// Splits a list of items separated by commas or blanks; an item in double
// quotes may hold separators ("" stands for one quote). Returns the count.
int SplitCommaText(std::string_view s, std::vector<std::string>& items);

// Splits a path at single-byte "\" and "/" into parts[0..n]; returns the index
// of the last part. With more than n separators the last slot is emptied and
// reused, so it ends up holding the final part.
int SplitPath(std::string_view s, std::vector<std::string>& parts, int n);

}  // namespace util
