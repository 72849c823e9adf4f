// Small byte-string helpers shared by the readers and the command line.
// ASCII only: they leave Shift-JIS bytes (all from 0x80) as they are.
#pragma once

#include <string>
#include <string_view>

namespace util {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Blanks and control bytes (up to the space) off both ends.
inline std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// True when `s` begins with `prefix`, ASCII letters compared without case.
inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (AsciiLower(s[i]) != AsciiLower(prefix[i])) return false;
  return true;
}

// True when the file name ends in `ext` (with its dot: ".jww"), in any case.
inline bool HasExtension(std::string_view path, std::string_view ext) {
  return path.size() >= ext.size() && StartsWithNoCase(path.substr(path.size() - ext.size()), ext);
}

}  // namespace util
