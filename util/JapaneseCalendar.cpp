#include "util/JapaneseCalendar.h"

#include <unicode/udat.h>
#include <unicode/ustring.h>

#include "util/CodePage.h"

namespace util {
namespace {

std::string FormatJa(int64_t unixSeconds, const UChar* pattern, const char* locale) {
  UErrorCode status = U_ZERO_ERROR;
  UDateFormat* fmt = udat_open(UDAT_PATTERN, UDAT_PATTERN, locale, nullptr, -1, pattern, -1, &status);
  if (U_FAILURE(status)) return std::string();
  UChar buf[64];
  const int32_t n = udat_format(fmt, static_cast<UDate>(unixSeconds) * 1000.0, buf, 64, nullptr, &status);
  udat_close(fmt);
  if (U_FAILURE(status) || n <= 0) return std::string();
  char utf8[256];
  int32_t len = 0;
  u_strToUTF8(utf8, sizeof utf8, &len, buf, n, &status);
  if (U_FAILURE(status)) return std::string();
  return Utf8ToCp932(std::string(utf8, static_cast<size_t>(len)));
}

}  // namespace

bool JapaneseEra(int64_t unixSeconds, std::string& eraName, int& eraYear) {
  static const UChar kEra[] = {'G', 'G', 'G', 'G', 0};
  static const UChar kYear[] = {'y', 0};
  eraName = FormatJa(unixSeconds, kEra, "ja_JP@calendar=japanese");
  const std::string year = FormatJa(unixSeconds, kYear, "ja_JP@calendar=japanese");
  if (eraName.empty() || year.empty()) return false;
  eraYear = 0;
  for (char c : year) {
    if (c < '0' || c > '9') return false;
    eraYear = eraYear * 10 + (c - '0');
  }
  return true;
}

std::string JapaneseWeekday(int weekday) {
  // 日月火水木金土
  static const char* const kNames[7] = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85",
                                        "\x96\xd8", "\x8b\xe0", "\x93\x79"};
  return (weekday >= 0 && weekday < 7) ? kNames[weekday] : std::string();
}

}  // namespace util
