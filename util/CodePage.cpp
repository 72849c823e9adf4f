#include "util/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace util {
namespace {

// One converter per direction and thread, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  enum class Input { Bytes, Utf8, Utf16Le };

  // Converts in; an invalid or unmappable character is stepped over whole and
  // replaced by `replacement`.
  std::string Run(const char* in, size_t inLeft, Input kind, std::string_view replacement) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(inLeft * 2 + 16);
    char* src = const_cast<char*>(in);
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (inLeft > 0) {
      const size_t r = iconv(handle_, &src, &inLeft, &dst, &dstLeft);
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        const size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dstLeft = out.size() - used;
        continue;
      }
      // EILSEQ or EINVAL: replace one character.
      size_t skip = 1;
      if (kind == Input::Utf16Le) {
        skip = 2;
        if (inLeft >= 4) {
          const auto hi = static_cast<unsigned char>(src[1]);
          const auto lo2 = static_cast<unsigned char>(src[3]);
          if (hi >= 0xD8 && hi <= 0xDB && lo2 >= 0xDC && lo2 <= 0xDF) skip = 4;
        }
      } else if (kind == Input::Utf8) {
        const auto lead = static_cast<unsigned char>(src[0]);
        const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        // Step over the continuation bytes that really follow.
        while (skip < n && skip < inLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
      }
      if (skip > inLeft) skip = inLeft;
      src += skip;
      inLeft -= skip;
      if (dstLeft < replacement.size()) {
        const size_t used = static_cast<size_t>(dst - out.data());
        out.resize(out.size() * 2 + replacement.size());
        dst = out.data() + used;
        dstLeft = out.size() - used;
      }
      std::memcpy(dst, replacement.data(), replacement.size());
      dst += replacement.size();
      dstLeft -= replacement.size();
      iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
  }

 private:
  iconv_t handle_;
};

bool IsAscii(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(p[i]) >= 0x80) return false;
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view sjis) {
  if (IsAscii(sjis.data(), sjis.size())) return std::string(sjis);
  thread_local Converter c("UTF-8", "CP932");
  return c.Run(sjis.data(), sjis.size(), Converter::Input::Bytes, "\xEF\xBF\xBD");
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8.data(), utf8.size())) return std::string(utf8);
  thread_local Converter c("CP932", "UTF-8");
  return c.Run(utf8.data(), utf8.size(), Converter::Input::Utf8, "?");
}

std::string Utf16LeToCp932(const uint8_t* data, size_t units) {
  bool ascii = true;
  for (size_t i = 0; i < units && ascii; ++i) ascii = data[2 * i] < 0x80 && data[2 * i + 1] == 0;
  if (ascii) {
    std::string out(units, '\0');
    for (size_t i = 0; i < units; ++i) out[i] = static_cast<char>(data[2 * i]);
    return out;
  }
  thread_local Converter c("CP932", "UTF-16LE");
  return c.Run(reinterpret_cast<const char*>(data), units * 2, Converter::Input::Utf16Le, "?");
}

std::string Utf32ToCp932(std::u32string_view text) {
  std::vector<uint8_t> le;
  le.reserve(text.size() * 2);
  for (char32_t cp : text) {
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      const char16_t hi = static_cast<char16_t>(0xD800 + (v >> 10));
      const char16_t lo = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
      le.push_back(hi & 0xFF); le.push_back(hi >> 8);
      le.push_back(lo & 0xFF); le.push_back(lo >> 8);
    } else {
      le.push_back(cp & 0xFF);
      le.push_back((cp >> 8) & 0xFF);
    }
  }
  return Utf16LeToCp932(le.data(), le.size() / 2);
}

}  // namespace util
