// Values shared between the loader, the print run and the drawing code:
// the page window, the point lists of the figure builders, the dash phase
// carried between joined segments, and the text-variable sources.
//
// Who writes each value and who reads it (ResetSharedValues puts every one
// back to its start):
//
//   value                  written by                               read by
//   PageWindow             ComputePageWindow (jww/PageWindow)       every primitive: ToDevice, clipping
//   PointList              figure builders, inside a PointListScope DrawPointListOpen / Closed
//   DevicePointList        DrawPointListOpen / Closed (scratch)     the same
//   PatternContinuation    DrawPatternLine; emptied by DrawDrawing  DrawPatternLine
//                          in print mode (ResetPatternContinuation)
//   PatternChain           PatternChainScope                        DrawPatternLine
//   CurrentFileName,       the drawing load (jwwunit_read)          text variables; FindImageFile
//   DrawTimeText, MemoLine1, MemoLine2, HeaderPrintScale
//   CurrentFileDate        the print run, per drawing               text variables
//   ImagesNotDrawn         DrawImage                                the print run (reads and empties)
//   ImageFolders           the programs, once before a run          FindImageFile
//                          (the CUPS filter: its own unpacked images)
//   CurrentGroupScale      the draw pass and ComputeExtents         text variables
//   TextTurn               DrawTextChar (its angle cache)           DrawTextChar
//   the abort check        AbortCheckScope (the programs)           AbortRequested: the draw pass
//   the clock              SetClock (TextVariables.h; tests)        text variables
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "render/Canvas.h"
#include "util/Numeric.h"

// A 2-D affine map of local coordinates (inside a block, or turned on the
// page) to drawing millimetres.
struct BlockTransform {
  double Tx = 0, Ty = 0;
  double A11 = 1, A12 = 0, A21 = 0, A22 = 1;
  double W = 1;

  double MapX(double x, double y) const { return (Tx + A11 * x + A12 * y) / W; }
  double MapY(double x, double y) const { return (Ty + A21 * x + A22 * y) / W; }
  static BlockTransform Identity() { return BlockTransform(); }
  // The 2 x 2 matrix is the identity (within 1e-14): the map only moves and
  // divides by W, so nothing is turned, mirrored or stretched.
  bool HasIdentityMatrix() const {
    return std::fabs(A11 - 1) <= 1e-14 && std::fabs(A12) <= 1e-14 && std::fabs(A21) <= 1e-14 &&
           std::fabs(A22 - 1) <= 1e-14;
  }
};

struct PointD {
  double x = 0, y = 0;
};

namespace UnitGval {

// The page in drawing millimetres and the mapping to device pixels; also the
// clipping rectangle of every primitive.
struct TPageWindow {
  double Xmin = 0, Ymin = 0, Xmax = 0, Ymax = 0;
  double Scale = 1;  // device pixels per drawing mm
  int32_t PageWidth = 0, PageHeight = 0;
  // How far past the window lines still print (drawing mm): the device's
  // page is a whole number of points, a little larger than the sheet.
  double ClipGrowX = 0, ClipGrowY = 0;
  // The grid the printer counts a pattern's repeats and dots on: the
  // whole-point page at its width in pixels over its width in whole mm
  // (A3 at 600 dpi: 9925 px over 420 mm, 23.631 px/mm where the device has
  // 23.622), with whole pixels counted from the window's centre. GridScale
  // 0: the device's own pixels.
  double GridScale = 0;  // grid pixels per window mm
  double PxPerPaperMm = 0;  // the device's pixels per mm of paper (0: unknown)
};
extern TPageWindow PageWindow;

// The span from (x1, y1) to (x2, y2) in whole pixels of the pattern grid on
// each axis. The printer takes each end's distance from the window's centre
// in whole pixels, cut toward the centre (not rounded): a span that crosses
// the centre so loses up to a pixel. Without a grid (GridScale 0): device
// pixels from the window's corner, each end rounded.
inline PointD PatternGridSpan(double x1, double y1, double x2, double y2) {
  const TPageWindow& w = PageWindow;
  if (!(w.GridScale > 0))
    return {std::floor((x2 - w.Xmin) * w.Scale + 0.5) - std::floor((x1 - w.Xmin) * w.Scale + 0.5),
            std::floor((y2 - w.Ymin) * w.Scale + 0.5) - std::floor((y1 - w.Ymin) * w.Scale + 0.5)};
  const double cx = (w.Xmin + w.Xmax) / 2, cy = (w.Ymin + w.Ymax) / 2;
  return {std::trunc((x2 - cx) * w.GridScale) - std::trunc((x1 - cx) * w.GridScale),
          std::trunc((y2 - cy) * w.GridScale) - std::trunc((y1 - cy) * w.GridScale)};
}

// Drawing point -> device pixel (halves away from zero).
inline DevicePoint ToDevice(double x, double y) {
  const TPageWindow& w = PageWindow;
  // Far-off points saturate instead of overflowing the device's integers.
  const int64_t dy = static_cast<int64_t>(w.PageHeight) - util::RoundHalfAway((y - w.Ymin) * w.Scale);
  const int64_t clamped = dy > INT32_MAX ? INT32_MAX : (dy < INT32_MIN ? INT32_MIN : dy);
  return {util::RoundHalfAway((x - w.Xmin) * w.Scale), static_cast<int32_t>(clamped)};
}

// The figure builders' point list (drawing mm) and the device list the
// point-list drawers fill.
extern std::vector<PointD> PointList;
extern std::vector<DevicePoint> DevicePointList;

// Empties PointList when a figure starts and again when it ends, however it
// ends (a return or an exception), so no figure sees another's points.
class PointListScope {
 public:
  PointListScope() { PointList.clear(); }
  ~PointListScope() { PointList.clear(); }
  PointListScope(const PointListScope&) = delete;
  PointListScope& operator=(const PointListScope&) = delete;
};

// The last patterned segment: where it ended and in which pattern element.
struct TPatternContinuation {
  int32_t LayerIndex = -1;
  int32_t LineType = -1;
  double EndX = 0, EndY = 0;
  int32_t ElementIndex = 0;
  double Offset = 0;
};
extern TPatternContinuation PatternContinuation;

// A figure drawn as joined patterned segments (a curve's chords): inside it
// the pattern runs on from one segment to the next, its elements stretched
// by one factor for the whole figure. Outside a chain every segment starts
// its pattern anew, fitted to its own length. Set by PatternChainScope.
struct TPatternChain {
  bool Active = false;
  double Stretch = 1;
};
extern TPatternChain PatternChain;

// Text-variable sources, filled by the drawing load.
extern std::string CurrentFileName;  // path of the drawing being printed
extern std::string DrawTimeText;     // editing time as "h : mm"
extern std::string MemoLine1;        // memo up to its first CR LF
extern std::string MemoLine2;        // the rest of the memo
extern double HeaderPrintScale;      // the drawing's stored print scale
extern int64_t CurrentFileDate;      // the drawing file's time (Unix seconds), set by the print run

// Images a page should show but could not (not found, or unreadable), as
// the drawing names them (Shift-JIS): written by the image drawing, read and
// emptied by the print run for each drawing.
extern std::vector<std::string> ImagesNotDrawn;

// When not empty, the only folders images placed in drawings are read from
// (a file there, or below; links followed before the test): a server
// printing drawings from others reads none of its own files. Empty: images
// are read wherever the drawing names them.
extern std::vector<std::string> ImageFolders;

// Scale of the layer group of the text being drawn.
extern double CurrentGroupScale;

// The sines and cosines of the last text angle: the characters of a text
// share their angle, so DrawTextChar keeps them from one to the next.
struct TTextTurn {
  double Angle = std::numeric_limits<double>::quiet_NaN();  // none yet
  double Cos = 1, Sin = 0;
  double UpX = 0, UpY = -1;  // the cell's height direction: cos and sin of Angle - 90 degrees
};
extern TTextTurn TextTurn;

// True while the user asks to stop (Esc in the window, SIGINT/SIGTERM
// headless). A cheap poll; the program installs the check with an
// AbortCheckScope. False when none is installed.
bool AbortRequested();
using AbortCheck = std::function<bool()>;
// Installs `check` for its lifetime; the check before it comes back after.
class AbortCheckScope {
 public:
  explicit AbortCheckScope(AbortCheck check);
  ~AbortCheckScope();
  AbortCheckScope(const AbortCheckScope&) = delete;
  AbortCheckScope& operator=(const AbortCheckScope&) = delete;

 private:
  AbortCheck saved_;
};

// Every value above back to its start, the abort check and the clock
// removed: a test begins where a fresh program does.
void ResetSharedValues();

}  // namespace UnitGval
