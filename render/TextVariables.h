// Text variables: whole texts such as "%F" or "=m" that print as the file
// name, dates and times, the memo or the scale. Values are Shift-JIS.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TextVariableSources {
  std::string FilePath;  // the drawing file (a file-system path)
  int64_t FileTime = 0;  // its modification time, Unix seconds
  int64_t Now = 0;       // the moment of printing, Unix seconds
  std::string DrawTime;  // "h : mm"
  // The memo lines, not copied: a drawing's memo can be megabytes long.
  std::string_view MemoLine1, MemoLine2;
  double GroupScale = 1;  // S
  double PrintFactor = 1; // P
};

// The sources as the program has them now (the loader's globals and the clock).
TextVariableSources CurrentTextVariableSources();

// The value of `name` as a text variable, or nothing when it is none.
std::optional<std::string> TextVariableValue(const std::string& name, const TextVariableSources& s);

namespace UnitGval {
// The clock the variables read; tests set a fixed one. Returns Unix seconds.
using Clock = int64_t (*)();
void SetClock(Clock clock);
}  // namespace UnitGval
