#include "util/Sjis.h"

#include <cstdint>

#include "util/CodePage.h"

namespace util {

int SjisCharCount(std::string_view s) {
  int count = 0;
  for (size_t i = 0; i < s.size(); i += SjisCharLength(s, i)) ++count;
  return count;
}

std::string SjisCharCopy(std::string_view s, int first, int count) {
  std::string out;
  if (s.empty() || count <= 0 || first < 1) return out;
  int index = 1;
  for (size_t i = 0; i < s.size();) {
    const size_t n = SjisCharLength(s, i);
    if (index >= first + count) break;
    if (index >= first) out.append(s.substr(i, n));
    i += n;
    ++index;
  }
  return out;
}

std::string SjisRightBytes(std::string_view s, int n) {
  std::string out;
  if (n == 0 || s.empty()) return out;
  const int64_t want = n < 0 ? -static_cast<int64_t>(n) : n;
  const int64_t from = static_cast<int64_t>(s.size()) - want;
  for (size_t i = 0; i < s.size();) {
    const size_t len = SjisCharLength(s, i);
    if (static_cast<int64_t>(i) >= from) out.append(s.substr(i, len));
    i += len;
  }
  return out;
}

std::string SjisMiddleBytes(std::string_view s, int p, int c, int* length) {
  std::string out;
  if (!s.empty() && p > 0 && c > 0 && static_cast<size_t>(p) <= s.size()) {
    const int64_t first = p - 1;                        // 0-based first byte
    const int64_t last = static_cast<int64_t>(p) + c - 2;  // 0-based last byte
    for (size_t i = 0; i < s.size();) {
      const size_t len = SjisCharLength(s, i);
      const int64_t end = static_cast<int64_t>(i + len) - 1;
      if (static_cast<int64_t>(i) >= first && end <= last) out.append(s.substr(i, len));
      i += len;
    }
  }
  if (length) *length = static_cast<int>(out.size());
  return out;
}

std::string SjisRemoveBlanks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = SjisCharLength(s, i);
    const auto b = static_cast<unsigned char>(s[i]);
    const bool blank = n == 1 ? b <= ' '
                              : (b == 0x81 && static_cast<unsigned char>(s[i + 1]) == 0x40);
    if (!blank) out.append(s.substr(i, n));
    i += n;
  }
  return out;
}

std::string SjisRemoveControlChars(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (IsSjisLeadByte(b)) {
      if (i + 1 < s.size()) out.append(s.substr(i, 2));
      i += 2;
    } else {
      if (b >= 32) out += static_cast<char>(b);
      ++i;
    }
  }
  return out;
}

std::string SjisTruncate(std::string_view s, size_t maxBytes) {
  if (s.size() <= maxBytes) return std::string(s);
  size_t i = 0;
  while (i < s.size()) {
    const size_t n = SjisCharLength(s, i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return std::string(s.substr(0, i));
}

namespace {

// Half-width katakana 0xA1..0xDF -> full-width code points.
const char16_t kFullKana[63] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

std::string EncodeCodePoint(char32_t cp) {
  std::u32string one(1, cp);
  return Utf32ToCp932(one);
}

}  // namespace

std::string SjisToFullWidth(std::string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (size_t i = 0; i < s.size();) {
    const size_t n = SjisCharLength(s, i);
    const auto b = static_cast<unsigned char>(s[i]);
    if (n == 2) {
      const auto t = static_cast<unsigned char>(s[i + 1]);
      const unsigned code = (b << 8) | t;
      if (code >= 0x829F && code <= 0x82F1) {
        // Hiragana ぁ..ん -> katakana ァ..ン (the katakana row skips trail byte 0x7F).
        unsigned k = 0x8340 + (code - 0x829F);
        if ((k & 0xFF) >= 0x7F) ++k;
        out += static_cast<char>(k >> 8);
        out += static_cast<char>(k & 0xFF);
      } else if (code == 0x8254 || code == 0x8255) {  // ゝ ゞ -> ヽ ヾ
        out += static_cast<char>(0x81);
        out += static_cast<char>(code == 0x8254 ? 0x52 : 0x53);
      } else {
        out.append(s.substr(i, 2));
      }
      i += 2;
      continue;
    }
    if (b == 0x20) {
      out += "\x81\x40";
    } else if (b > 0x20 && b < 0x7F) {
      out += EncodeCodePoint(0xFF01 + (b - 0x21));
    } else if (b >= 0xA1 && b <= 0xDF) {
      char32_t cp = kFullKana[b - 0xA1];
      const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
      const bool voicable =
          ((cp >= 0x30AB && cp <= 0x30C8) || (cp >= 0x30CF && cp <= 0x30DB)) && cp != 0x30C3;
      const bool hpRow = cp >= 0x30CF && cp <= 0x30DB;
      if (next == 0xDE && (voicable || cp == 0x30A6)) {
        cp = cp == 0x30A6 ? 0x30F4 : cp + 1;  // ｶﾞ -> ガ, ｳﾞ -> ヴ
        ++i;
      } else if (next == 0xDF && hpRow) {
        cp += 2;  // ﾊﾟ -> パ
        ++i;
      }
      out += EncodeCodePoint(cp);
    } else {
      out += static_cast<char>(b);
    }
    ++i;
  }
  return out;
}

int SplitCommaText(std::string_view s, std::vector<std::string>& items) {
  items.clear();
  // The text ends at an embedded NUL, as a C string would.
  const size_t nul = s.find('\0');
  if (nul != std::string_view::npos) s = s.substr(0, nul);
  auto isBlank = [&](size_t i) { return static_cast<unsigned char>(s[i]) <= ' '; };
  size_t i = 0;
  while (i < s.size() && isBlank(i)) ++i;
  while (i < s.size()) {
    std::string item;
    if (s[i] == '"') {
      ++i;
      while (i < s.size()) {
        const size_t n = SjisCharLength(s, i);
        if (n == 1 && s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item.append(s.substr(i, n));
        i += n;
      }
    } else {
      while (i < s.size() && !isBlank(i) && s[i] != ',') {
        const size_t n = SjisCharLength(s, i);
        item.append(s.substr(i, n));
        i += n;
      }
    }
    items.push_back(std::move(item));
    while (i < s.size() && isBlank(i)) ++i;
    if (i < s.size() && s[i] == ',') {
      if (i + 1 == s.size()) items.emplace_back();
      do ++i;
      while (i < s.size() && isBlank(i));
    }
  }
  return static_cast<int>(items.size());
}

int SplitPath(std::string_view s, std::vector<std::string>& parts, int n) {
  if (n < 0) n = 0;
  parts.assign(static_cast<size_t>(n) + 1, std::string());
  int index = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t len = SjisCharLength(s, i);
    if (len == 1 && (s[i] == '\\' || s[i] == '/')) {
      if (index < n) {
        ++index;
      } else {
        parts[static_cast<size_t>(n)].clear();
      }
    } else {
      parts[static_cast<size_t>(index)].append(s.substr(i, len));
    }
    i += len;
  }
  return index;
}

}  // namespace util
