#include "render/UnitGval.h"

#include <utility>

#include "render/TextVariables.h"

namespace UnitGval {

TPageWindow PageWindow;
std::vector<PointD> PointList;
std::vector<DevicePoint> DevicePointList;
TPatternContinuation PatternContinuation;
TPatternChain PatternChain;
std::vector<std::string> ImagesNotDrawn;
std::vector<std::string> ImageFolders;

std::string CurrentFileName;
std::string DrawTimeText;
std::string MemoLine1;
std::string MemoLine2;
double HeaderPrintScale = 1.0;
int64_t CurrentFileDate = 0;
double CurrentGroupScale = 1.0;

TTextTurn TextTurn;

namespace {
AbortCheck g_abortCheck;
}

bool AbortRequested() { return g_abortCheck && g_abortCheck(); }

AbortCheckScope::AbortCheckScope(AbortCheck check) : saved_(std::move(g_abortCheck)) {
  g_abortCheck = std::move(check);
}
AbortCheckScope::~AbortCheckScope() { g_abortCheck = std::move(saved_); }

void ResetSharedValues() {
  PageWindow = TPageWindow();
  PointList.clear();
  DevicePointList.clear();
  PatternContinuation = TPatternContinuation();
  PatternChain = TPatternChain();
  ImagesNotDrawn.clear();
  ImageFolders.clear();
  CurrentFileName.clear();
  DrawTimeText.clear();
  MemoLine1.clear();
  MemoLine2.clear();
  HeaderPrintScale = 1.0;
  CurrentFileDate = 0;
  CurrentGroupScale = 1.0;
  TextTurn = TTextTurn();
  g_abortCheck = nullptr;
  SetClock(nullptr);
}

}  // namespace UnitGval
