// The draw pass: which entities print, in which order, through which
// transform; and the per-entity operations for lines, arcs, points, solids.
#include <array>
#include <cmath>

#include <cctype>

#include <stdexcept>

#include "jww/ImageReference.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"
#include "jww/jwwunit_draw.h"
#include "util/CodePage.h"
#include "util/Numeric.h"
#include "util/Sjis.h"
#include "util/Strings.h"
#include "render/UnitGra.h"
#include "util/Geometry.h"

using UnitGraAtt::GraAttribute;

// ---------------------------------------------------------------------------
// Per-entity operations

namespace {

// The layer whose print state colours the entity: a block member takes its
// insertion's, since filtering follows the insertion too.
int LayerOf(const EntityDrawContext& c, const TJwwEntityBase& e) {
  return c.layerOverride >= 0 ? c.layerOverride : e.LayerIndex();
}

double LineWidthMm(const EntityDrawContext& c, const TJwwEntityBase& e) {
  return c.entityWidths && e.PenWidth != 0 ? e.PenWidth * 0.01 : GraAttribute().GetPenWidth(e.PenColor);
}

void SetPenFor(const EntityDrawContext& c, const TJwwEntityBase& e) {
  UnitGra::SetLinePen(*c.canvas, LayerOf(c, e), e.PenColor, LineWidthMm(c, e), e.PenStyle);
  if (c.colorOverride >= 0) c.canvas->SetPenColor(static_cast<TColor>(c.colorOverride));
}

}  // namespace

void DrawLineEntity(const EntityDrawContext& c, const TJwwSen& e) {
  SetPenFor(c, e);
  const double x1 = c.T.MapX(e.StartX, e.StartY), y1 = c.T.MapY(e.StartX, e.StartY);
  const double x2 = c.T.MapX(e.EndX, e.EndY), y2 = c.T.MapY(e.EndX, e.EndY);
  if (c.printMode)
    UnitGra::DrawPatternLine(*c.canvas, LayerOf(c, e), e.PenStyle, x1, y1, x2, y2);
  else
    UnitGra::DrawClippedLine(*c.canvas, x1, y1, x2, y2);
}

void DrawArcEntity(const EntityDrawContext& c, const TJwwEnko& e) {
  SetPenFor(c, e);
  const bool full = e.FullCircle != 0;
  UnitGra::EllipseArc arc;
  arc.CenterX = e.CenterX;
  arc.CenterY = e.CenterY;
  arc.Radius = e.Radius;
  arc.Flatness = e.Flatness;
  arc.Tilt = e.TiltAngle;
  arc.Start = full ? 0.0 : e.StartAngle;
  arc.Sweep = full ? 2 * util::kPi : e.ArcAngle;
  if (c.printMode)
    UnitGra::DrawPatternArc(*c.canvas, LayerOf(c, e), e.PenStyle, arc, c.T);
  else if (full)
    UnitGra::DrawEllipseT(*c.canvas, arc, c.T);
  else
    UnitGra::DrawEllipseArcT(*c.canvas, arc, c.T);
}

PointMark PointMarkGeometry(const TJwwTen& p, const BlockTransform& T, bool inBlock, double markTurn) {
  PointMark m;
  m.X = T.MapX(p.X, p.Y);
  m.Y = T.MapY(p.X, p.Y);
  if (p.PenStyle == 100) {
    m.Code = p.Code;
    if (inBlock) {
      m.Angle = p.Angle + markTurn;
    } else {
      const double ax = T.MapX(p.X + 10, p.Y) - m.X, ay = T.MapY(p.X + 10, p.Y) - m.Y;
      double a = util::VectorAngle(ax, ay);
      if (T.A11 < 0) a += util::kPi;
      m.Angle = p.Angle + a;
    }
    m.Scale = p.PointScale;
  }
  return m;
}

void DrawPointEntity(const EntityDrawContext& c, const TJwwTen& e) {
  const PointMark m = PointMarkGeometry(e, c.T, c.inBlock, c.markTurn);
  UnitGra::PointMarkArgs point;
  point.X = m.X;
  point.Y = m.Y;
  point.Temporary = e.IsTemporary();
  point.MarkCode = m.Code;
  point.MarkScale = m.Scale;
  point.MarkAngle = m.Angle;
  point.Width100 = c.entityWidths ? e.PenWidth : 0;
  point.PenNumber = e.PenColor;
  point.LayerIndex = LayerOf(c, e);
  point.ColorOverride = c.colorOverride;
  UnitGra::DrawPointMark(*c.canvas, point);
}

void DrawSolidEntity(const EntityDrawContext& c, const TJwwSolid& e) {
  Canvas& canvas = *c.canvas;
  const TgraAttribute& a = GraAttribute();
  if (e.PenColor == 10) {
    const int state = a.GetLayerState(LayerOf(c, e));
    const TColor color =
        state == kLayerGrey ? a.GetGreyColor() : state == kLayerLeftOut ? a.GetBackgroundColor() : e.SolidColor;
    canvas.SetPenColor(color);
    canvas.SetPenWidth(0);
    canvas.SetBrushColor(color);
    canvas.SetBrushStyle(BrushStyle::Solid);
  } else {
    // A solid in a pen's colour is outlined with that pen at the pen's
    // width, so it prints larger by that width than its corners; a width
    // stored on the solid itself is not used, not even in a drawing whose
    // lines keep their own widths.
    UnitGra::SetLinePen(canvas, LayerOf(c, e), e.PenColor, a.GetPenWidth(e.PenColor), 1);
    UnitGra::SetFillBrush(canvas, LayerOf(c, e), e.PenColor, 1);
  }
  if (c.colorOverride >= 0) {
    canvas.SetPenColor(static_cast<TColor>(c.colorOverride));
    canvas.SetBrushColor(static_cast<TColor>(c.colorOverride));
  }
  if (e.PenStyle > 100) {
    // An arc-shaped solid keeps its ellipse in the corner fields.
    UnitGra::EllipseArc arc;
    arc.CenterX = e.X1;
    arc.CenterY = e.Y1;
    arc.Radius = e.X2;
    arc.Flatness = e.Y2;
    arc.Tilt = e.X3;
    arc.Start = e.Y3;
    arc.Sweep = e.X4;
    UnitGra::DrawArcSolid(canvas, e.PenStyle, arc, e.Y4, c.T);
    return;
  }
  UnitGval::PointListScope scope;
  for (const auto& [x, y] : {std::pair{e.X1, e.Y1}, {e.X2, e.Y2}, {e.X3, e.Y3}, {e.X4, e.Y4}})
    UnitGval::PointList.push_back({c.T.MapX(x, y), c.T.MapY(x, y)});
  UnitGra::DrawPointListClosed(canvas);
}

int TextStyleFlags(int32_t kind) {
  if (kind >= 30000) return 3;
  if (kind >= 20000) return 1;
  if (kind >= 10000) return 2;
  return 0;
}

UnitGra::TextPlacement TextGeometry(const BlockTransform& T, const UnitGra::TextPlacement& local) {
  const double x1 = local.X1, y1 = local.Y1, x2 = local.X2, y2 = local.Y2;
  const double width = local.Width, height = local.Height, spacing = local.Spacing;
  UnitGra::TextPlacement p;
  p.X1 = T.MapX(x1, y1);
  p.Y1 = T.MapY(x1, y1);
  p.X2 = T.MapX(x2, y2);
  p.Y2 = T.MapY(x2, y2);
  const bool identity = T.HasIdentityMatrix();
  if (identity) {
    p.Width = width / T.W;
    p.Height = height / T.W;
    p.Spacing = spacing / T.W;
    return p;
  }
  const double dx = x2 - x1, dy = y2 - y1;
  const double L = (std::fabs(dx) <= 1e-14 && std::fabs(dy) <= 1e-14) ? 0.0 : util::VectorAngle(dx, dy);
  auto mappedLength = [&](double len, double a) {
    const double px = x1 + len * std::cos(a), py = y1 + len * std::sin(a);
    return util::Distance(p.X1, p.Y1, T.MapX(px, py), T.MapY(px, py));
  };
  p.Width = mappedLength(width, L);
  p.Spacing = mappedLength(spacing, L);
  // The height: the distance of the mapped "up" point from the mapped base line.
  const double hx = x1 + height * std::cos(L + util::kPi / 2), hy = y1 + height * std::sin(L + util::kPi / 2);
  const double mx = T.MapX(hx, hy), my = T.MapY(hx, hy);
  const double bx = p.X2 - p.X1, by = p.Y2 - p.Y1;
  const double blen = std::sqrt(bx * bx + by * by);
  p.Height = blen > 0 ? std::fabs(bx * (my - p.Y1) - by * (mx - p.X1)) / blen : util::Distance(p.X1, p.Y1, mx, my);
  if (T.A11 * T.A22 < 0) {  // mirrored: still read from left to right
    std::swap(p.X1, p.X2);
    std::swap(p.Y1, p.Y2);
  }
  return p;
}

namespace {

// What texts and dimension texts share: the pen (with the colour override),
// the mapped geometry with vertical writing's swapped sizes, and the face.
struct TextSetUp {
  UnitGra::TextPlacement p;
  std::string font;
};

TextSetUp SetUpText(const EntityDrawContext& c, const TJwwMoji& e, bool asBlockText = false) {
  UnitGra::SetLinePen(*c.canvas, LayerOf(c, e), e.PenColor, 0, 1);
  if (c.colorOverride >= 0) c.canvas->SetPenColor(static_cast<TColor>(c.colorOverride));
  const bool vertical = (e.Flags & 0x0020) != 0;
  UnitGra::TextPlacement local;
  local.X1 = e.StartX;
  local.Y1 = e.StartY;
  local.X2 = e.EndX;
  local.Y2 = e.EndY;
  // Vertical writing sets its characters turned: a cell's width runs up the page.
  local.Width = vertical ? e.SizeY : e.SizeX;
  local.Height = vertical ? e.SizeX : e.SizeY;
  local.Spacing = e.CharSpacing;
  const UnitGra::TextPlacement p =
      asBlockText ? BlockTextGeometry(c.T, c.textTurn, c.textFlip, local) : TextGeometry(c.T, local);
  return {p, vertical ? "@" + e.FontName : e.FontName};
}

}  // namespace

void DrawTextEntity(const EntityDrawContext& c, const TJwwMoji& e) {
  if (IsImageReference(e.Text) || IsEmptyBaseLineText(e)) return;
  Canvas& canvas = *c.canvas;
  const auto [p, font] = SetUpText(c, e, c.inBlock);
  UnitGra::DrawJwwText(canvas, TextStyleFlags(e.TextKind), font, p, e.Text);
}

void DrawImageEntity(const EntityDrawContext& c, const TJwwMoji& e) {
  ImageReference ref;
  if (!ParseImageReference(e.Text, ref)) return;
  // "%temp%" stands for the folder the drawing's own images were unpacked into.
  std::string path = ref.Path;
  if (util::StartsWithNoCase(path, "%temp%")) {
    std::string rest = path.substr(6);
    while (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) rest.erase(0, 1);
    // Without a temporary folder the image is not there, and is reported
    // missing like any other.
    const util::Result<std::string> folder = jwwtype::TempFolder();
    path = folder ? util::Utf8ToCp932(folder.Value()) + rest : rest;
  }
  const BlockTransform& T = c.T;
  const double x0 = T.MapX(e.StartX, e.StartY), y0 = T.MapY(e.StartX, e.StartY);
  const double dx = e.EndX - e.StartX, dy = e.EndY - e.StartY;
  const double B = (std::fabs(dx) <= 1e-14 && std::fabs(dy) <= 1e-14) ? 0.0 : util::VectorAngle(dx, dy);
  auto mapped = [&](double len, double a, double& mx, double& my) {
    const double px = e.StartX + len * std::cos(a), py = e.StartY + len * std::sin(a);
    mx = T.MapX(px, py);
    my = T.MapY(px, py);
  };
  double wx, wy, hx, hy, ax, ay;
  mapped(ref.Width, B, wx, wy);
  mapped(ref.Height, B + util::kPi / 2, hx, hy);
  mapped(ref.Width, ref.AngleDegrees * util::kPi / 180, ax, ay);
  const double w = util::Distance(x0, y0, wx, wy), h = util::Distance(x0, y0, hx, hy);
  double angle = util::VectorAngle(ax - x0, ay - y0) * 180 / util::kPi;
  while (angle >= 360) angle -= 360;
  while (angle < 0) angle += 360;
  Canvas& canvas = *c.canvas;
  if (c.printMode) {
    UnitGra::PlacedImage image;
    image.Path = path;
    image.X1 = x0;
    image.Y1 = y0;
    image.X2 = x0 + w;
    image.Y2 = y0 + h;
    image.AngleDegrees = angle;
    image.Crop = ref.Crop;
    UnitGra::DrawImage(canvas, image);
    return;
  }
  UnitGra::SetLinePen(canvas, LayerOf(c, e), e.PenColor, 0, 1);
  UnitGra::SetFillBrush(canvas, LayerOf(c, e), e.PenColor, 5);
  if (c.colorOverride >= 0) {
    canvas.SetPenColor(static_cast<TColor>(c.colorOverride));
    canvas.SetBrushColor(static_cast<TColor>(c.colorOverride));
  }
  UnitGra::FillRotatedRect(canvas, x0, y0, x0 + w, y0 + h, angle * util::kPi / 180);
}

UnitGra::TextPlacement BlockTextGeometry(const BlockTransform& T, double turn, int flip,
                                         const UnitGra::TextPlacement& local) {
  UnitGra::TextPlacement p = TextGeometry(T, local);  // the sizes
  const double dx = local.X2 - local.X1, dy = local.Y2 - local.Y1;
  const double a = (std::fabs(dx) <= 1e-14 && std::fabs(dy) <= 1e-14) ? 0.0 : util::VectorAngle(dx, dy);
  // The cells' box mapped: its base line b1-b2 and the top of its start t1.
  const double nx = -std::sin(a) * local.Height, ny = std::cos(a) * local.Height;
  const double b1x = T.MapX(local.X1, local.Y1), b1y = T.MapY(local.X1, local.Y1);
  const double b2x = T.MapX(local.X2, local.Y2), b2y = T.MapY(local.X2, local.Y2);
  const double t1x = T.MapX(local.X1 + nx, local.Y1 + ny), t1y = T.MapY(local.X1 + nx, local.Y1 + ny);
  const double angle = flip * a + turn;
  const double ex = std::cos(angle), ey = std::sin(angle);
  const double bx = b2x - b1x, by = b2y - b1y;
  // Turned off the mapped base line (an insertion scaled unevenly): as mapped.
  const double len = std::sqrt(bx * bx + by * by);
  if (len > 0 && std::fabs(bx * ey - by * ex) > 1e-9 * len) return p;
  // The text runs along the mapped base line one way or the other, on the
  // side of the box its up direction leaves the box on.
  const bool forward = bx * ex + by * ey >= 0;
  const bool onBase = (t1x - b1x) * -ey + (t1y - b1y) * ex >= 0;
  double sx = onBase ? b1x : t1x, sy = onBase ? b1y : t1y;
  if (!forward) sx += bx, sy += by;
  p.X1 = sx;
  p.Y1 = sy;
  p.X2 = sx + ex * len;
  p.Y2 = sy + ey * len;
  return p;
}

std::string FormatDimensionValue(double length, uint16_t flags, uint16_t textFlags) {
  if (flags & 0x0010) length /= 1000;
  const bool truncate = (flags & 0x0100) && !(flags & 0x0200);
  const bool roundUp = (flags & 0x0200) && !(flags & 0x0100);
  const int decimals = (flags / 4096) % 10;
  const double v = util::RoundToDecimals(decimals, truncate ? 0 : roundUp ? 1 : 2, length);
  std::string text;
  if (flags & 0x0040) {
    text = util::FormatWithSeparators(decimals, v);
    // Trailing zeros go, and the point with them when nothing follows it.
    if (!(flags & 0x0080) && text.find('.') != std::string::npos) {
      while (!text.empty() && text.back() == '0') text.pop_back();
      if (!text.empty() && text.back() == '.') text.pop_back();
    }
  } else if (flags & 0x0080) {
    text = util::FormatFixed(decimals, v);
  } else {
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", v);
    text = b;
  }
  const char* mark = (textFlags & 0x0100) ? "R" : (textFlags & 0x0200) ? "\x83\xd3" : nullptr;  // R, φ
  if (mark) {
    if (flags & 0x0400)
      text = mark + text;
    else if (flags & 0x0800)
      text += mark;
  }
  if (flags & 0x0008) text = util::SjisToFullWidth(text);
  if (flags & 0x0020) text += (flags & 0x0010) ? "\x82\x8d" : "mm";  // ｍ
  return text;
}

namespace {

double MappedDimensionLength(const TJwwSen& line, double groupScale, const BlockTransform& T) {
  const double x1 = line.StartX, y1 = line.StartY, x2 = line.EndX, y2 = line.EndY;
  const double scale = groupScale > 0 ? groupScale : 1.0;
  return util::Distance(T.MapX(x1, y1), T.MapY(x1, y1), T.MapX(x2, y2), T.MapY(x2, y2)) * scale;
}

}  // namespace

std::string DimensionValueText(const TJwwSunpou& dimension, double groupScale, const BlockTransform& T) {
  return FormatDimensionValue(MappedDimensionLength(dimension.DimLine, groupScale, T), dimension.DimText.PenWidth,
                              dimension.DimText.Flags);
}

uint16_t DrawingDimensionFlags(const std::array<int32_t, 5>& settings) {
  // The fourth number's digit of ten millions turns the separators on; a
  // header that holds no settings at all (every number 0) has them on, as
  // the CAD program's own defaults.
  const bool unset = settings[0] == 0 && settings[1] == 0 && settings[2] == 0 && settings[3] == 0 && settings[4] == 0;
  const bool separators = unset || (settings[3] / 10000000) % 10 != 0;
  return static_cast<uint16_t>(0x2002 | (separators ? 0x0040 : 0));
}

namespace {

// How far a dimension's value moves in an insertion so that it keeps its
// stored distance from the dimension line, unscaled: a value stored 1 mm
// above its line prints 1 mm above it in an insertion scaled 2 or 0.5 (probe
// dim-scaled), on the side the insertion maps it to. False for a line of no
// length.
bool DimensionValueShift(const BlockTransform& T, const TJwwSen& line, const TJwwMoji& e, double& sx, double& sy) {
  const double lx = line.EndX - line.StartX, ly = line.EndY - line.StartY;
  const double L = std::sqrt(lx * lx + ly * ly);
  if (!(L > 1e-9) || !std::isfinite(L)) return false;
  const double cx = (e.StartX + e.EndX) / 2, cy = (e.StartY + e.EndY) / 2;
  const double stored = std::fabs(lx * (cy - line.StartY) - ly * (cx - line.StartX)) / L;
  const double ax = T.MapX(line.StartX, line.StartY), ay = T.MapY(line.StartX, line.StartY);
  const double vx = T.MapX(line.EndX, line.EndY) - ax, vy = T.MapY(line.EndX, line.EndY) - ay;
  const double M = std::sqrt(vx * vx + vy * vy);
  if (!(M > 1e-12) || !std::isfinite(M)) return false;
  // The signed distance of the mapped centre from the mapped line (left of it positive).
  const double mapped = (vx * (T.MapY(cx, cy) - ay) - vy * (T.MapX(cx, cy) - ax)) / M;
  const double by = (mapped < 0 ? -stored : stored) - mapped;
  sx = -by * vy / M;
  sy = by * vx / M;
  return std::isfinite(sx) && std::isfinite(sy);
}

}  // namespace

void DrawDimensionText(const EntityDrawContext& c, const TJwwMoji& e, const std::string& value, const TJwwSen* line) {
  if (IsImageReference(e.Text)) return;
  Canvas& canvas = *c.canvas;
  TextSetUp setUp = SetUpText(c, e, c.inBlock);
  UnitGra::TextPlacement& p = setUp.p;
  const std::string& font = setUp.font;
  p.Width = util::RoundToDecimals(4, 2, p.Width);
  p.Height = util::RoundToDecimals(4, 2, p.Height);
  p.Spacing = util::RoundToDecimals(4, 2, p.Spacing);
  if (p.Width < 0.0001) p.Width = 0.0001;
  if (p.Height < 0.0001) p.Height = 0.0001;
  // Re-centred on the mapped base line at the value's laid-out length.
  double length = 0;
  for (size_t i = 0; i < value.size();) {
    const auto b = static_cast<unsigned char>(value[i]);
    // Deliberately from 0x80, not 0x81 as util::IsSjisLeadByte: a dimension
    // value's length is counted as the draw pass always counted it, and a
    // lone 0x80 byte takes a full character's width here.
    const bool dbl = ((b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD)) && i + 1 < value.size();
    const size_t n = dbl ? 2 : 1;
    length += dbl ? p.Width : p.Width / 2;
    if (i + n < value.size()) length += dbl ? p.Spacing : p.Spacing / 2;
    i += n;
  }
  double mx = (p.X1 + p.X2) / 2, my = (p.Y1 + p.Y2) / 2;
  double sx = 0, sy = 0;
  if (line && DimensionValueShift(c.T, *line, e, sx, sy)) {
    mx += sx;
    my += sy;
  }
  double dx = p.X2 - p.X1, dy = p.Y2 - p.Y1;
  const double dlen = std::sqrt(dx * dx + dy * dy);
  if (dlen > 0) {
    dx /= dlen;
    dy /= dlen;
  } else {
    dx = 1;
    dy = 0;
  }
  // The sizes stay as rounded above; the base line is the value's own.
  p.X1 = mx - length / 2 * dx;
  p.Y1 = my - length / 2 * dy;
  p.X2 = mx + length / 2 * dx;
  p.Y2 = my + length / 2 * dy;
  UnitGra::DrawJwwText(canvas, TextStyleFlags(e.TextKind), font, p, value);
}

void DrawDimensionEntity(const EntityDrawContext& c, const TJwwSunpou& d) {
  const bool skip = c.skipAuxiliary;
  auto auxLine = [&](const TJwwSen& l) { return skip && l.IsAuxiliaryLine(); };
  if (d.SxfMode != 0) {
    if (!auxLine(d.AuxLine1)) DrawLineEntity(c, d.AuxLine1);
    if (!auxLine(d.AuxLine2)) DrawLineEntity(c, d.AuxLine2);
    if (!(skip && d.AuxPoint1.OnAuxiliaryPen())) DrawPointEntity(c, d.AuxPoint1);
    if (!(skip && d.AuxPoint2.OnAuxiliaryPen())) DrawPointEntity(c, d.AuxPoint2);
  }
  if (!auxLine(d.DimLine)) DrawLineEntity(c, d.DimLine);
  if (skip && d.DimText.OnAuxiliaryPen()) return;
  const BlockTransform& T = c.T;
  if (c.inBlock) {
    // Inside a block the value is measured anew, turned, scaled or not: by
    // the dimension's own flag word when it asks for automatic values, else
    // by the drawing's dimension settings, at the scale of the group the
    // insertion lies on (a block drawn at 1/1 and inserted on a 1/30 group
    // measures 30 times its millimetres). A chain of mirrored insertions
    // only, and a dimension line of no length, keep the stored text.
    const double length = MappedDimensionLength(d.DimLine, c.insertionGroupScale, T);
    if (!c.allMirrored && length > 1e-9) {
      const uint16_t own = d.DimText.PenWidth;
      DrawDimensionText(c, d.DimText,
                        FormatDimensionValue(length, (own & 0x0002) ? own : c.drawingDimensionFlags, d.DimText.Flags),
                        &d.DimLine);
    } else {
      DrawTextEntity(c, d.DimText);  // the stored text, set as a block's text
    }
    return;
  }
  const double groupScale = c.layerGroups ? (*c.layerGroups)[d.DimLine.LayerGroup & 15].Scale : 1.0;
  const bool identity = T.HasIdentityMatrix();
  const uint16_t flags = d.DimText.PenWidth;
  if (identity || !(flags & 0x0002)) {
    DrawTextEntity(c, d.DimText);
    return;
  }
  DrawDimensionText(c, d.DimText, DimensionValueText(d, groupScale, T));
}

// ---------------------------------------------------------------------------
// The draw pass

namespace {

class DrawPass {
 public:
  DrawPass(const TJwwData& d, Canvas& canvas, const DrawDrawingArgs& args)
      : d_(d), includeTemporary_(args.IncludeTemporaryPoints), maxDrawn_(args.MaxDrawn) {
    const TgraAttribute& attr = GraAttribute();
    ctx_.canvas = &canvas;
    ctx_.layerGroups = &d.LayerGroups;
    ctx_.printMode = attr.GetPrintMode();
    ctx_.skipAuxiliary = args.FilterAuxiliary && !attr.GetPrintAuxLines();
    ctx_.entityWidths = d.MaxDrawWidth < 0;
    ctx_.drawingDimensionFlags = DrawingDimensionFlags(d.DimensionSettings);
    turn_ = args.Rotation;
    c_ = std::cos(args.Rotation);
    s_ = std::sin(args.Rotation);
    top_.A11 = c_;
    top_.A12 = -s_;
    top_.A21 = s_;
    top_.A22 = c_;
  }

  // The top-level entities sorted by layer, for the by-layer passes.
  class LayerBuckets {
   public:
    explicit LayerBuckets(const TJwwEntityLists& l) {
      Build(l.Lines, 0);
      Build(l.Arcs, 1);
      Build(l.Points, 2);
      Build(l.Texts, 3);
      Build(l.Dimensions, 4);
      Build(l.Solids, 5);
      lists_ = {&l.Lines, &l.Arcs, &l.Points, &l.Texts, &l.Dimensions, &l.Solids};
    }
    const std::vector<uint32_t>& Of(const void* list) const { return positions_[Slot(list)]; }
    uint32_t From(const void* list, int layer) const { return starts_[Slot(list)][static_cast<size_t>(layer)]; }

   private:
    size_t Slot(const void* list) const {
      for (size_t k = 0; k < lists_.size(); ++k)
        if (lists_[k] == list) return k;
      return 0;
    }
    // A damaged record can carry a group or layer past 15: such entities
    // share one last bucket, which no layer's pass draws.
    static size_t Bucket(int layerIndex) {
      return layerIndex >= 0 && layerIndex < 256 ? static_cast<size_t>(layerIndex) : 256;
    }
    template <typename T>
    void Build(const std::vector<T>& list, size_t k) {
      std::array<uint32_t, 258>& start = starts_[k];
      start.fill(0);
      for (const T& e : list) ++start[Bucket(e.LayerIndex()) + 1];
      for (size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
      std::array<uint32_t, 258> next = start;
      positions_[k].resize(list.size());
      for (size_t i = 0; i < list.size(); ++i)
        positions_[k][next[Bucket(list[i].LayerIndex())]++] = static_cast<uint32_t>(i);
    }
    std::array<std::vector<uint32_t>, 6> positions_;
    std::array<std::array<uint32_t, 258>, 6> starts_;
    std::array<const void*, 6> lists_{};
  };

  // One pass over everything that passes `filter(layerIndex)`. With `buckets`
  // the pass is for the one layer `target`. False on abort.
  template <typename Filter>
  bool Pass(const Filter& filter, const LayerBuckets* buckets = nullptr, int target = -1) {
    ctx_.T = top_;
    ctx_.ownLayers = false;
    ctx_.layerOverride = -1;
    ctx_.inBlock = false;
    only_ = buckets;
    target_ = target;
    const bool topDone = DrawLists(d_.Entities, filter, true);
    only_ = nullptr;
    if (!topDone) return false;
    for (const TJwwBlockInstance& inst : d_.BlockInstances) {
      UnitGval::CurrentGroupScale = d_.LayerGroups[inst.LayerGroup & 15].Scale;
      const bool own = inst.OwnLayers();
      if (!own && !filter(inst.LayerIndex())) continue;
      if (inst.DefIndex < 0) continue;
      ctx_.T = InstanceTransform(inst);
      ctx_.inBlock = true;
      ctx_.textTurn = inst.TextTurn + turn_;
      ctx_.textFlip = inst.TextFlip;
      ctx_.markTurn = inst.MarkTurn + turn_;
      ctx_.allMirrored = inst.AllMirrored;
      ctx_.insertionGroupScale = d_.LayerGroups[inst.LayerGroup & 15].Scale;
      ctx_.ownLayers = own;
      // Members of a block that does not keep their layers print as their
      // insertion does, whatever the state of the layer they were drawn on.
      ctx_.layerOverride = own ? -1 : inst.LayerIndex();
      const TJwwEntityLists& lists = d_.BlockDefs[static_cast<size_t>(inst.DefIndex)].Entities;
      bool ok;
      if (own)
        ok = DrawLists(lists, filter, false);
      else
        ok = DrawLists(lists, [](int) { return true; }, false);
      if (!ok || UnitGval::AbortRequested()) return false;
    }
    return true;
  }

 private:
  BlockTransform InstanceTransform(const TJwwBlockInstance& i) const {
    BlockTransform t;
    t.A11 = c_ * i.M11 - s_ * i.M21;
    t.A12 = c_ * i.M12 - s_ * i.M22;
    t.A21 = s_ * i.M11 + c_ * i.M21;
    t.A22 = s_ * i.M12 + c_ * i.M22;
    t.Tx = c_ * i.TranslateX - s_ * i.TranslateY;
    t.Ty = s_ * i.TranslateX + c_ * i.TranslateY;
    return t;
  }

  // Draws every entity of `list` that `pass` accepts, polling for an abort
  // after each one drawn (one entity on a big page can take a while; the
  // poll is a flag read) and after the list. With `only`, just the entities
  // at those positions are looked at.
  template <typename T, typename Accept, typename Draw>
  bool Each(const std::vector<T>& list, const Accept& accept, const Draw& draw) {
    if (only_) {
      const std::vector<uint32_t>& positions = only_->Of(&list);
      const uint32_t* it = positions.data() + only_->From(&list, target_);
      const uint32_t* end = positions.data() + only_->From(&list, target_ + 1);
      for (; it != end; ++it) {
        const size_t i = *it;
        if (!accept(list[i])) continue;
        if (++drawn_ > maxDrawn_) return cut_ = true, false;
        draw(list[i]);
        if (UnitGval::AbortRequested()) return false;
      }
      return !UnitGval::AbortRequested();
    }
    for (size_t i = 0; i < list.size(); ++i) {
      if (!accept(list[i])) continue;
      if (++drawn_ > maxDrawn_) return cut_ = true, false;
      draw(list[i]);
      if (UnitGval::AbortRequested()) return false;
    }
    return !UnitGval::AbortRequested();
  }

  template <typename Filter>
  bool DrawLists(const TJwwEntityLists& l, const Filter& filter, bool topLevel) {
    const bool skipAux = ctx_.skipAuxiliary;
    auto layerOk = [&](const TJwwEntityBase& e) { return filter(e.LayerIndex()); };
    auto groupScale = [&](const TJwwEntityBase& e) {
      // At top level and for own-layer contents the entity's group decides;
      // other block contents keep their instance's scale.
      if (topLevel || ctx_.ownLayers) UnitGval::CurrentGroupScale = d_.LayerGroups[e.LayerGroup & 15].Scale;
    };
    if (!Each(l.Texts, [&](const TJwwMoji& e) { return layerOk(e) && !(skipAux && e.OnAuxiliaryPen()); },
              [&](const TJwwMoji& e) { DrawImageEntity(ctx_, e); }))
      return false;
    if (!Each(l.Solids, [&](const TJwwSolid& e) { return layerOk(e) && !(skipAux && e.OnAuxiliaryPen()); },
              [&](const TJwwSolid& e) { DrawSolidEntity(ctx_, e); }))
      return false;
    ctx_.canvas->SetBrushStyle(BrushStyle::Clear);
    auto lineAccept = [&](const TJwwEntityBase& e) {
      return layerOk(e) && !(skipAux && e.IsAuxiliaryLine());
    };
    if (!Each(l.Lines, lineAccept, [&](const TJwwSen& e) { DrawLineEntity(ctx_, e); })) return false;
    if (!Each(l.Arcs, lineAccept, [&](const TJwwEnko& e) { DrawArcEntity(ctx_, e); })) return false;
    auto pointAccept = [&](const TJwwTen& e) {
      return layerOk(e) && (includeTemporary_ || !e.IsTemporary()) && !(skipAux && e.OnAuxiliaryPen());
    };
    auto drawDimension = [&](const TJwwSunpou& e) {
      groupScale(e);
      DrawDimensionEntity(ctx_, e);
    };
    // Point marks cover what lies under them (some are filled with the
    // paper's colour): at top level they come after every dimension; in a
    // block, points and dimensions come as the definition stores them.
    if (topLevel) {
      if (!Each(l.Dimensions, layerOk, drawDimension)) return false;
      if (!Each(l.Points, pointAccept, [&](const TJwwTen& e) { DrawPointEntity(ctx_, e); })) return false;
    } else if (!PointsAndDimensionsInOrder(l, pointAccept, layerOk, drawDimension)) {
      return false;
    }
    return Each(l.Texts, [&](const TJwwMoji& e) { return layerOk(e) && !(skipAux && e.OnAuxiliaryPen()); },
                [&](const TJwwMoji& e) {
                  groupScale(e);
                  DrawTextEntity(ctx_, e);
                });
  }

  // A block's points and dimensions in the order of its definition.
  template <typename AcceptPoint, typename AcceptDimension, typename DrawDimension>
  bool PointsAndDimensionsInOrder(const TJwwEntityLists& l, const AcceptPoint& acceptPoint,
                                  const AcceptDimension& acceptDimension, const DrawDimension& drawDimension) {
    if (l.Order.size() != l.EntityTotal()) {  // lists built without their order: points first
      return Each(l.Points, acceptPoint, [&](const TJwwTen& e) { DrawPointEntity(ctx_, e); }) &&
             Each(l.Dimensions, acceptDimension, drawDimension);
    }
    for (const TJwwOrderItem& item : l.Order) {
      const bool point = item.Kind == EntityKind::Point && item.Index < l.Points.size();
      const bool dimension = item.Kind == EntityKind::Dimension && item.Index < l.Dimensions.size();
      if (point ? !acceptPoint(l.Points[item.Index])
                : !dimension || !acceptDimension(l.Dimensions[item.Index]))
        continue;
      if (++drawn_ > maxDrawn_) return cut_ = true, false;
      if (point)
        DrawPointEntity(ctx_, l.Points[item.Index]);
      else
        drawDimension(l.Dimensions[item.Index]);
      if (UnitGval::AbortRequested()) return false;
    }
    return !UnitGval::AbortRequested();
  }

 public:
  bool Cut() const { return cut_; }

 private:
  const TJwwData& d_;
  bool includeTemporary_;
  int64_t maxDrawn_;
  int64_t drawn_ = 0;  // entities handed to the primitives on this page
  bool cut_ = false;
  const LayerBuckets* only_ = nullptr;
  int target_ = -1;
  EntityDrawContext ctx_;
  double c_ = 1, s_ = 0, turn_ = 0;
  BlockTransform top_;
};

}  // namespace

DrawEnd TJwwData::DrawDrawing(Canvas& canvas, const DrawDrawingArgs& args) {
  const PrintOrder printOrder = args.Order;
  const int layer = args.Layers.Layer, layerGroup = args.Layers.Group;
  const bool skipHiddenLayers = args.SkipHiddenLayers;
  const TgraAttribute& attr = GraAttribute();
  if (attr.GetPrintMode()) UnitGra::ResetPatternContinuation();
  DrawPass pass(*this, canvas, args);
  auto finished = [&](bool done) { return done ? DrawEnd::Finished : pass.Cut() ? DrawEnd::Cut : DrawEnd::Stopped; };

  if (printOrder != PrintOrder::ByLayer && printOrder != PrintOrder::ByLayerReverse) {
    return finished(pass.Pass([&](int index) {
      return (layerGroup < 0 || index / 16 == layerGroup) && (layer < 0 || index % 16 == layer) &&
             (!skipHiddenLayers || attr.GetLayerState(index) != kLayerLeftOut);
    }));
  }
  const DrawPass::LayerBuckets buckets(Entities);
  const int g0 = layerGroup < 0 ? 0 : layerGroup, g1 = layerGroup < 0 ? 15 : layerGroup;
  const int l0 = layer < 0 ? 0 : layer, l1 = layer < 0 ? 15 : layer;
  for (int g = g0; g <= g1; ++g) {
    for (int l = l0; l <= l1; ++l) {
      int target = g * 16 + l;
      if (printOrder == PrintOrder::ByLayerReverse) target = 255 - target;
      if (skipHiddenLayers && attr.GetLayerState(target) == kLayerLeftOut) continue;
      if (!pass.Pass([target](int index) { return index == target; }, &buckets, target)) return finished(false);
    }
  }
  return DrawEnd::Finished;
}
