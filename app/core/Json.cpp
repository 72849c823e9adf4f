#include "app/core/Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  out_ += '}';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  out_ += '[';
  first_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  out_ += ']';
  first_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  BeforeValue();
  WriteString(key);
  out_ += ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view json) {
  BeforeValue();
  out_ += json;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view s) {
  BeforeValue();
  WriteString(s);
  return *this;
}

namespace {

// The length of the well-formed UTF-8 sequence at s[i], 0 when there is
// none (a stray or overlong byte, a surrogate, beyond U+10FFFF).
size_t Utf8SequenceAt(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((b(k) & 0xC0) != 0x80) return 0;
  if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
  if (c == 0xED && b(1) >= 0xA0) return 0;  // surrogates
  if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
  if (c == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
  return n;
}

}  // namespace

bool IsUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t n = Utf8SequenceAt(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// JSON is UTF-8: a byte that starts no well-formed sequence is written as
// U+FFFD, so the text stays readable by any JSON reader.
void JsonWriter::WriteString(std::string_view s) {
  out_ += '"';
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const size_t n = Utf8SequenceAt(s, i);
      if (n == 0) {
        out_ += "\ufffd";
      } else {
        out_.append(s.data() + i, n);
        i += n - 1;
      }
      continue;
    }
    switch (c) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out_ += buf;
        } else {
          out_ += static_cast<char>(c);
        }
    }
  }
  out_ += '"';
}

JsonWriter& JsonWriter::Number(double v) {
  if (!std::isfinite(v)) return Null();
  BeforeValue();
  // The shortest form that reads back as the same double.
  char buf[32];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  out_ += buf;
  return *this;
}

JsonWriter& JsonWriter::Int(int64_t v) {
  BeforeValue();
  out_ += std::to_string(v);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool v) {
  BeforeValue();
  out_ += v ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
  return *this;
}
