// Values shared between the loader, the print run and the drawing code.
#pragma once

#include <string>

namespace UnitGval {

// Text-variable sources, filled by the drawing load.
extern std::string CurrentFileName;  // path of the drawing being printed
extern std::string DrawTimeText;     // editing time as "h : mm"
extern std::string MemoLine1;        // memo up to its first CR LF
extern std::string MemoLine2;        // the rest of the memo
extern double HeaderPrintScale;      // the drawing's stored print scale

// Scale of the layer group of the text being drawn.
extern double CurrentGroupScale;

}  // namespace UnitGval
