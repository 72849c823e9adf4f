#include "render/TextVariables.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "render/UnitGval.h"
#include "util/CodePage.h"
#include "util/JapaneseCalendar.h"
#include "util/Sjis.h"

namespace UnitGval {
namespace {
int64_t SystemClock() { return static_cast<int64_t>(std::time(nullptr)); }
Clock g_clock = SystemClock;
}  // namespace
void SetClock(Clock clock) { g_clock = clock ? clock : SystemClock; }
int64_t Now() { return g_clock(); }
}  // namespace UnitGval

TextVariableSources CurrentTextVariableSources() {
  TextVariableSources s;
  s.FilePath = UnitGval::CurrentFileName;
  s.FileTime = UnitGval::CurrentFileDate;
  s.Now = UnitGval::Now();
  s.DrawTime = UnitGval::DrawTimeText;
  s.MemoLine1 = UnitGval::MemoLine1;
  s.MemoLine2 = UnitGval::MemoLine2;
  s.GroupScale = UnitGval::CurrentGroupScale;
  s.PrintFactor = UnitGval::HeaderPrintScale;
  return s;
}

namespace {

struct LocalTime {
  std::tm tm{};
  int64_t seconds = 0;
};

LocalTime Local(int64_t t) {
  LocalTime l;
  l.seconds = t;
  const time_t tt = static_cast<time_t>(t);
  localtime_r(&tt, &l.tm);
  return l;
}

std::string Num(int v) { return std::to_string(v); }
std::string Space2(int v) { return v < 10 ? " " + Num(v) : Num(v); }
std::string Zero2(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v % 100 < 0 ? -v : v);
  return v >= 100 ? Num(v) : b;
}

// A real in the general form of 15 significant digits: 100 -> "100", 2.5 -> "2.5".
std::string General(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.15g", v);
  return b;
}

std::string ScaleText(double s, bool withRatio) {
  if (s >= 1) return withRatio ? "1/" + General(s) : General(s);
  const double v = s > 0 ? std::trunc(10 / s + 0.5) / 10 : 0;
  return withRatio ? General(v) + "/1" : General(v);
}

const char* const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kWeekdaysEn[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

std::string Era(const LocalTime& t, bool name, int digits, bool spacePad) {
  std::string era;
  int year = 0;
  if (!util::JapaneseEra(t.seconds, era, year)) return std::string();
  std::string y = digits == 2 ? Zero2(year) : (spacePad ? Space2(year) : Num(year));
  return name ? era + y : y;
}

std::string Hour12(const LocalTime& t) {
  int h = t.tm.tm_hour % 12;  // "h AM/PM" cut at the blank; 12 becomes 0
  return Num(h);
}

}  // namespace

std::optional<std::string> TextVariableValue(const std::string& v, const TextVariableSources& s) {
  if (v.size() < 2 || v.size() > 3) return std::nullopt;
  const LocalTime now = Local(s.Now), file = Local(s.FileTime);
  const char p = v[0];
  const bool cur = p == '$' || p == '&' || p == '%';
  const bool fil = p == '_' || p == '=';
  if (!cur && !fil) return std::nullopt;
  const LocalTime& t = cur ? now : file;
  const std::string rest = v.substr(1);

  // Paths and names.
  const std::string path = util::Utf8ToCp932(s.FilePath);
  std::vector<std::string> parts;
  const int k = util::SplitPath(path, parts, 64);
  const std::string& fileName = parts[static_cast<size_t>(k)];
  const size_t dot = fileName.rfind('.');
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  if (cur && rest == "F") return path;
  if (cur && rest.size() == 2 && rest[0] == 'F' && rest[1] >= '1' && rest[1] <= '9') {
    const int n = rest[1] - '0';
    return parts[static_cast<size_t>(k - n < 0 ? 0 : k - n)];
  }
  if (v == "%f") return fileName;
  if (v == "$f" || v == "&f") return stem;
  if (v.size() == 3 && p == '%' && v[1] == 'f') {
    const char d = v[2];
    int n = (d >= '1' && d <= '9') ? d - '0' : (d >= 'a' && d <= 'f') ? d - 'a' + 10 : 0;
    if (n > 0) {
      if (n == 1 && !stem.empty() && util::IsSjisLeadByte(static_cast<unsigned char>(stem[0])) && stem.size() > 1)
        return std::string("\xa5");  // ･
      return util::SjisTruncate(stem, static_cast<size_t>(n));
    }
  }

  // Dates and times.
  const int year = t.tm.tm_year + 1900, month = t.tm.tm_mon + 1, day = t.tm.tm_mday;
  const std::string ymdSpaced = Num(year) + "/" + Space2(month) + "/" + Space2(day);
  const std::string hms = Zero2(t.tm.tm_hour) + ":" + Zero2(t.tm.tm_min) + ":" + Zero2(t.tm.tm_sec);
  if (v == "_F") return ymdSpaced + " " + hms;
  if (v == "=F") return Num(year) + "/" + Zero2(month) + "/" + Zero2(day) + " " + hms;
  if (v == "_f") return ymdSpaced;
  if (v == "=f") return Num(year) + "/" + Zero2(month) + "/" + Zero2(day);
  if (cur && rest == "j") return ymdSpaced;
  if (cur && rest == "J") {
    // 年 月 日
    return Era(t, true, 1, false) + "\x94\x4e" + Space2(month) + "\x8c\x8e" + Space2(day) + "\x93\xfa";  // 年 月 日
  }
  if (v == "$y") return Num(year % 100);
  if (v == "&y" || v == "_y") return Space2(year % 100);
  if (v == "%y" || v == "=y") return Zero2(year % 100);
  if (v == "$Y") return Era(t, false, 1, false);
  if (v == "&Y" || v == "_Y") return Era(t, false, 1, true);
  if (v == "%Y" || v == "=Y") return Era(t, false, 2, false);
  auto five = [&](char letter, int value) -> std::optional<std::string> {
    if (rest.size() != 1 || rest[0] != letter) return std::nullopt;
    if (p == '$') return Num(value);
    if (p == '&' || p == '_') return Space2(value);
    return Zero2(value);  // "%" and "="
  };
  if (auto r = five('m', month)) return r;
  if (auto r = five('d', day)) return r;
  if (auto r = five('H', t.tm.tm_hour)) return r;
  if (auto r = five('M', t.tm.tm_min)) return r;
  if (auto r = five('S', t.tm.tm_sec)) return r;
  if (rest == "w" || rest == "W") return util::JapaneseWeekday(t.tm.tm_wday);
  if (rest == "ma") return std::string(kMonths[t.tm.tm_mon]);
  if (rest == "wa") return std::string(kWeekdaysEn[t.tm.tm_wday]);
  const bool am = t.tm.tm_hour < 12;
  if (rest == "n") return std::string(am ? "AM" : "PM");
  if (rest == "N") return std::string(am ? "\x91\x4f" : "\x8c\xe3");  // 前 後
  if (rest == "h") {
    const int h = std::stoi(Hour12(t));
    if (p == '$') return Num(h);
    if (p == '&' || p == '_') return Space2(h);
    return Zero2(h);
  }
  if (rest == "T") return s.DrawTime;

  // Memo and scale.
  if (v == "%mm") return std::string(s.MemoLine1) + "\xa5\xa5" + std::string(s.MemoLine2);
  if (v == "%m1") return std::string(s.MemoLine1);
  if (v == "%m2") return std::string(s.MemoLine2);
  const double factor = s.PrintFactor != 0 ? s.PrintFactor : 1;
  if (v == "%SS") return ScaleText(s.GroupScale, true);
  if (v == "%SP") return ScaleText(s.GroupScale / factor, true);
  if (v == "%ss") return ScaleText(s.GroupScale, false);
  if (v == "%sp") return ScaleText(s.GroupScale / factor, false);
  return std::nullopt;
}
