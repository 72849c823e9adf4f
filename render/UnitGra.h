// The rendering primitives: pens and brushes from the pen attributes,
// clipped and patterned lines, point lists, curves, point marks and images.
// Coordinates are drawing millimetres; the page window maps them to the
// canvas's device pixels and clips them.
#pragma once

#include <cstdint>
#include <string>

#include "render/Canvas.h"
#include "render/ImageCrop.h"
#include "render/UnitGval.h"

namespace UnitGra {

// Fill kinds: 1 solid, 2 horizontal, 3 vertical, 4 forward diagonal,
// 5 backward diagonal, 6 cross, 7 diagonal cross hatch; anything else clear.
BrushStyle BrushStyleOf(int fillKind);

// Pen colour from the layer state (2 grey, 3 background) or the pen number;
// width in mm on paper -> device pixels (0..400, halves to even); solid
// style. Leaves the brush clear.
void SetLinePen(Canvas& canvas, int layerIndex, int penNumber, double width, int lineType);
void SetFillBrush(Canvas& canvas, int layerIndex, int penNumber, int fillKind);
void SetBrushKind(Canvas& canvas, TColor color, int fillKind);
// The colour a layer state and pen number give.
TColor ResolveColor(int layerIndex, int penNumber);
// width x scale in device pixels, clamped to 0..400 and rounded halves to even.
int32_t DevicePenWidth(double widthMm);

void DeviceLine(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void DrawClippedLine(Canvas& canvas, double x1, double y1, double x2, double y2);
void DrawPatternLine(int layerIndex, int lineType, Canvas& canvas, double x1, double y1, double x2,
                     double y2);
void ResetPatternContinuation();
// The factor a line type's elements are stretched by on a line of lengthMm:
// the line holds as many whole repeats of the pattern as fit, stretched to
// fill it, so it starts and ends at the pattern's start, as the CAD program
// prints it. 1 for solid types and for lines shorter than one repeat.
double PatternStretch(int lineType, double lengthMm);
// While it lives, DrawPatternLine continues the pattern across joined
// segments of one figure whose drawn length is lengthMm (0: not stretched).
class PatternChainScope {
 public:
  PatternChainScope(int lineType, double lengthMm);
  ~PatternChainScope();
  PatternChainScope(const PatternChainScope&) = delete;
  PatternChainScope& operator=(const PatternChainScope&) = delete;

 private:
  UnitGval::TPatternChain saved_;
};
// True when DrawPatternLine draws this line type as one plain line at the
// current scale (solid, or a pattern too fine for the device).
bool DrawnSolid(int lineType);
void DrawPointListOpen(Canvas& canvas);
void DrawPointListClosed(Canvas& canvas);

// Curves, flattened to 72 steps of their sweep.
void FillEllipse(Canvas& canvas, double xc, double yc, double r, double k, double tilt);
void DrawEllipseArc(Canvas& canvas, double xc, double yc, double r, double k, double tilt,
                    double start, double sweep);
void DrawEllipseT(Canvas& canvas, double xc, double yc, double r, double k, double tilt,
                  const BlockTransform& t);
void DrawEllipseArcT(Canvas& canvas, double xc, double yc, double r, double k, double tilt,
                     double start, double sweep, const BlockTransform& t);
// Arc-shaped solids: 101 ellipse/sector/segment/tangent cap by h, 105 and 106
// ring bands (inner radius h), 111 outline; other codes draw nothing.
void DrawArcSolid(Canvas& canvas, int code, double xc, double yc, double r, double k, double tilt,
                  double start, double sweep, double h, const BlockTransform& t);
void DrawPatternArc(int layerIndex, int lineType, Canvas& canvas, double xc, double yc, double r,
                    double k, double tilt, double start, double sweep, const BlockTransform& t);

// The rectangle (x1, y1)-(x2, y2) turned by angle (radians) about (x1, y1),
// filled and outlined with the current brush and pen.
void FillRotatedRect(Canvas& canvas, double x1, double y1, double x2, double y2, double angle);

// A point: temporary (an unfilled 3-pixel circle), ordinary (MarkCode 0, a
// filled dot) or a mark, scaled by MarkScale and turned by MarkAngle
// (radians) about the point.
struct PointMarkArgs {
  double X = 0, Y = 0;  // drawing mm
  bool Temporary = false;
  int MarkCode = 0;
  double MarkScale = 1, MarkAngle = 0;
  int Width100 = 0;  // the entity width in 0.01 mm (0: the pen's)
  int PenNumber = 1;
  int LayerIndex = 0;
  int64_t ColorOverride = -1;  // < 0 for none
};
void DrawPointMark(Canvas& canvas, const PointMarkArgs& point);

// An image file placed with its lower-left corner at (x1, y1) and upper-right
// at (x2, y2), cropped and turned by angleDegrees about the lower-left corner.
// `path` is the Shift-JIS path as the drawing stores it. A crop width of 0 or
// less shows the whole width, a left edge of 0 or less starts at the left.
void DrawImage(Canvas& canvas, const std::string& path, double angleDegrees, const ImageCrop& crop, double x1,
               double y1, double x2, double y2);

// Texts. flags: 1 bold, 2 italic, 4 underline, 8 strike-out. A font name
// starting with "@" writes vertically, "@@" turns each character in its cell.
// Lengths in drawing mm; width is that of a full-width character (negative:
// the text runs backward); spacing the gap after one.
void DrawJwwText(Canvas& canvas, int flags, const std::string& fontName, double x1, double y1, double x2,
                 double y2, double height, double width, double spacing, const std::string& text);
void DrawTextString(Canvas& canvas, int flags, const std::string& fontName, double x, double y, double angle,
                    double height, double width, double spacing, const std::string& text);
// One character cell; alignment 0..8 (0: P is the cell's lower left).
void DrawTextChar(Canvas& canvas, int align, double x, double y, double h, double w, double angle,
                  const std::string& ch);

// Where an image file is found: the stored path, else the drawing's folder
// (the name as stored, then its last part, then that part in any letter
// case). Empty when it is in neither, or outside UnitGval::ImageFolders when
// those are set. Shift-JIS in, a file-system path out.
std::string FindImageFile(const std::string& sjisPath);
// True for the image kinds the program draws, by extension in any case.
bool IsAcceptedImageKind(const std::string& path);

}  // namespace UnitGra
