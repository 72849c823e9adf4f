// A small streaming JSON writer for the command-line tools' reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// True when `s` is well-formed UTF-8.
bool IsUtf8(std::string_view s);

class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(std::string_view key);
  JsonWriter& String(std::string_view utf8);
  JsonWriter& Number(double v);  // non-finite values are written as null
  JsonWriter& Int(int64_t v);
  JsonWriter& Bool(bool v);
  JsonWriter& Null();
  // A value already written as JSON (by another JsonWriter), as it is.
  JsonWriter& Raw(std::string_view json);

  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();
  void WriteString(std::string_view s);
  std::string out_;
  std::vector<bool> first_;  // per open container: nothing written yet
  bool afterKey_ = false;
};
