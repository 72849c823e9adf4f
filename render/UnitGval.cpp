#include "render/UnitGval.h"

#include <climits>

#include "util/Numeric.h"

namespace UnitGval {

TPageWindow PageWindow;
std::vector<PointD> PointList;
std::vector<DevicePoint> DevicePointList;
TPatternContinuation PatternContinuation;

std::string CurrentFileName;
std::string DrawTimeText;
std::string MemoLine1;
std::string MemoLine2;
double HeaderPrintScale = 1.0;
int64_t CurrentFileDate = 0;
double CurrentGroupScale = 1.0;

namespace {
AbortPoll g_abortPoll = nullptr;
}

bool AbortRequested() { return g_abortPoll != nullptr && g_abortPoll(); }
void SetAbortPoll(AbortPoll poll) { g_abortPoll = poll; }

DevicePoint ToDevice(double x, double y) {
  const TPageWindow& w = PageWindow;
  // Far-off points saturate instead of overflowing the device's integers.
  const int64_t dy = static_cast<int64_t>(w.PageHeight) - util::RoundHalfAway((y - w.Ymin) * w.Scale);
  const int64_t clamped = dy > INT32_MAX ? INT32_MAX : (dy < INT32_MIN ? INT32_MIN : dy);
  return {util::RoundHalfAway((x - w.Xmin) * w.Scale), static_cast<int32_t>(clamped)};
}

}  // namespace UnitGval
