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
#include "util/Geometry.h"

namespace UnitGra {

// The primitives' arguments that are more than a point or two come as
// records with named fields, filled field by field, so that no two values of
// one type can change places unnoticed at a call.

// An ellipse, or an arc of one, in drawing mm: its centre, the radius along
// its own x axis, the flatness (the other radius is Radius x Flatness), the
// tilt of its x axis, and the arc from Start through Sweep (radians,
// counter-clockwise from the ellipse's x axis; a negative sweep runs
// clockwise). The whole-ellipse primitives (FillEllipse, DrawEllipseT) do
// not read Start and Sweep.
struct EllipseArc {
  double CenterX = 0, CenterY = 0;
  double Radius = 0;
  double Flatness = 1;
  double Tilt = 0;
  double Start = 0;
  double Sweep = 2 * util::kPi;
};

// A text on its base line, in drawing mm: from (X1, Y1) to (X2, Y2), the
// width and height of a full-width character (a negative width: the text
// runs backward) and the gap after one.
struct TextPlacement {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double Width = 0, Height = 0, Spacing = 0;
};

// A run of characters set one after another from (X, Y), the lower left of
// its first cell, along Angle (radians): the width and height of a
// full-width character's cell and the gap after one, in drawing mm. One
// character's cell (DrawTextChar) has no gap to read.
struct TextRun {
  double X = 0, Y = 0;
  double Angle = 0;
  double Width = 0, Height = 0, Spacing = 0;
};

// An image file placed in the drawing: `Path` as the drawing stores it
// (Shift-JIS), its lower-left corner at (X1, Y1) and upper-right at
// (X2, Y2) in drawing mm, the part of the file shown, and the turn about
// the lower-left corner (degrees, counter-clockwise).
struct PlacedImage {
  std::string Path;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double AngleDegrees = 0;
  ImageCrop Crop;
};

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
// A line in a line type: its pattern fitted to the line, or run on from
// the last segment of the same layer and type inside a PatternChainScope.
void DrawPatternLine(Canvas& canvas, int layerIndex, int lineType, double x1, double y1, double x2, double y2);
void ResetPatternContinuation();
// The factor a line type's elements are stretched by on a line of lengthMm:
// the line holds as many whole repeats of the pattern as fit, stretched to
// fill it, so it starts and ends at the pattern's start, as the CAD program
// prints it. 1 for solid types and for lines shorter than one repeat.
double PatternStretch(int lineType, double lengthMm);
// The same for the line from (x1, y1) to (x2, y2), its length counted
// between its ends in whole pixels of the pattern grid
// (UnitGval::PatternGridSpan).
double PatternStretch(int lineType, double x1, double y1, double x2, double y2);
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
void FillEllipse(Canvas& canvas, const EllipseArc& ellipse);
void DrawEllipseArc(Canvas& canvas, const EllipseArc& arc);
void DrawEllipseT(Canvas& canvas, const EllipseArc& ellipse, const BlockTransform& t);
void DrawEllipseArcT(Canvas& canvas, const EllipseArc& arc, const BlockTransform& t);
// Arc-shaped solids: 101 ellipse/sector/segment/tangent cap by h, 105 and 106
// ring bands (inner radius h), 111 outline; other codes draw nothing.
void DrawArcSolid(Canvas& canvas, int code, const EllipseArc& arc, double h, const BlockTransform& t);
void DrawPatternArc(Canvas& canvas, int layerIndex, int lineType, const EllipseArc& arc, const BlockTransform& t);

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

// An image file where the drawing places it. A crop width of 0 or less
// shows the whole width, a left edge of 0 or less starts at the left.
void DrawImage(Canvas& canvas, const PlacedImage& image);

// Texts. flags: 1 bold, 2 italic, 4 underline, 8 strike-out. A font name
// starting with "@" writes vertically, "@@" turns each character in its cell.
void DrawJwwText(Canvas& canvas, int flags, const std::string& fontName, const TextPlacement& at,
                 const std::string& text);
void DrawTextString(Canvas& canvas, int flags, const std::string& fontName, const TextRun& run,
                    const std::string& text);
// One character in the cell at (cell.X, cell.Y); alignment 0..8 (0: that
// point is the cell's lower left).
void DrawTextChar(Canvas& canvas, int align, const TextRun& cell, const std::string& ch);

// Where an image file is found: the stored path, else the drawing's folder
// (the name as stored, then its last part, then that part in any letter
// case). Empty when it is in neither, or outside UnitGval::ImageFolders when
// those are set. Shift-JIS in, a file-system path out.
std::string FindImageFile(const std::string& sjisPath);
// True for the image kinds the program draws, by extension in any case.
bool IsAcceptedImageKind(const std::string& path);

}  // namespace UnitGra
