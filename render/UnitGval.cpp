#include "render/UnitGval.h"

namespace UnitGval {

TPageWindow PageWindow;
std::vector<PointD> PointList;
std::vector<DevicePoint> DevicePointList;
TPatternContinuation PatternContinuation;
TPatternChain PatternChain;
std::vector<std::string> ImagesNotDrawn;

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

}  // namespace UnitGval
