#include "render/UnitGval.h"

namespace UnitGval {

std::string CurrentFileName;
std::string DrawTimeText;
std::string MemoLine1;
std::string MemoLine2;
double HeaderPrintScale = 1.0;
double CurrentGroupScale = 1.0;

}  // namespace UnitGval
