// Dates in the Japanese calendar (era and era year) and Japanese weekday
// names, from ICU's calendar data, in local time.
#pragma once

#include <cstdint>
#include <string>

namespace util {

// Era name (Shift-JIS, e.g. 令和) and the year within it, for a moment
// (Unix seconds). False when ICU cannot tell.
bool JapaneseEra(int64_t unixSeconds, std::string& eraName, int& eraYear);
// The short Japanese weekday name (Shift-JIS: 日, 月, …) for 0 = Sunday … 6.
std::string JapaneseWeekday(int weekday);

}  // namespace util
