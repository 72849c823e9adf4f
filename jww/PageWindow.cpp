#include "jww/PageWindow.h"

#include <cmath>

#include "render/UnitGval.h"
#include "util/Geometry.h"

jwwunit::Extents TurnedExtents(const jwwunit::Extents& e, double rotation) {
  if (rotation == 0) return e;
  const double c = std::cos(rotation), s = std::sin(rotation);
  jwwunit::Extents t;
  bool first = true;
  for (const double x : {e.MinX, e.MaxX}) {
    for (const double y : {e.MinY, e.MaxY}) {
      const double tx = c * x - s * y, ty = s * x + c * y;
      if (first || tx < t.MinX) t.MinX = tx;
      if (first || tx > t.MaxX) t.MaxX = tx;
      if (first || ty < t.MinY) t.MinY = ty;
      if (first || ty > t.MaxY) t.MaxY = ty;
      first = false;
    }
  }
  return t;
}

namespace {

// The printer's page is a whole number of points (1/72 inch), so it holds the
// sheet and a strip of up to a point beyond it, which the lines drawn up to
// that page's edge reach: the pixels each side by which the page of pagePx
// whole pixels grows, at the resolution the page's width gives.
double PageGrowPx(int pagePx, int widthPx, double widthMm) {
  if (!(pagePx > 0) || !(widthPx > 0) || !(widthMm > 0) || !std::isfinite(widthMm)) return 0;
  const double dpi = std::floor(widthPx / widthMm * 25.4 + 0.5);  // the width in mm is rounded
  const double pxPerPt = dpi / 72;
  const double wholePoints = std::floor(pagePx / pxPerPt + 0.5);
  const double grow = (std::floor(wholePoints * pxPerPt + 0.5) - pagePx) / 2;
  return grow > 0 && std::isfinite(grow) ? grow : 0;
}

// The device's page of pagePx pixels at dpi as the printer's page of whole
// points holds it: its width in pixels, not rounded (0 without a resolution).
double WholePointPx(int pagePx, double dpi) {
  if (!(pagePx > 0) || !(dpi > 0) || !std::isfinite(dpi)) return 0;
  const double pxPerPt = dpi / 72;
  return std::floor(pagePx / pxPerPt + 0.5) * pxPerPt;
}

}  // namespace

double ComputePageWindow(const TJwwData& d, const PageWindowRequest& r) {
  jwwunit::Extents e = r.FitExtents ? *r.FitExtents : jwwunit::DrawingExtents;
  double m, ox, oy, rotation;
  if (r.PrintMethod == PrintMethod::DrawingSettings) {
    m = d.PrinterScale;
    ox = d.PrinterOriginX;
    oy = d.PrinterOriginY;
    const int units = d.PrinterSetting % 10;  // with the sign of the setting
    rotation = units == 1 ? -util::kPi / 2 : units == 2 ? util::kPi / 2 : 0.0;
  } else {
    m = r.PrintScale;
    ox = r.OffsetX;
    oy = r.OffsetY;
    rotation = -r.RotationAngle * util::kPi / 180;
  }
  if (!(m > 0) || !std::isfinite(m)) m = 1.0;
  if (r.Magnify > 0 && std::isfinite(r.Magnify)) m *= r.Magnify;
  if (!std::isfinite(ox)) ox = 0;
  if (!std::isfinite(oy)) oy = 0;
  if (!std::isfinite(rotation)) rotation = 0;
  // A fit places the drawing as it lands on the page: turned.
  if (r.PrintMethod == PrintMethod::FitToPage) e = TurnedExtents(e, rotation);

  UnitGval::TPageWindow& w = UnitGval::PageWindow;
  w.PageWidth = r.PageWidthPx;
  w.PageHeight = r.PageHeightPx;
  const double pageMm = r.PageWidthMm > 0 ? r.PageWidthMm : 1;
  const double width = std::fabs(e.MaxX - e.MinX) * 1.01, height = std::fabs(e.MaxY - e.MinY) * 1.01;
  double cx, cy;
  if (r.PrintMethod == PrintMethod::FitToPage && width > 0 && height > 0) {
    const double sx = r.PageWidthPx / width, sy = r.PageHeightPx / height;
    w.Scale = sx < sy ? sx : sy;
    cx = (e.MinX + e.MaxX) / 2 + ox;
    cy = (e.MinY + e.MaxY) / 2 + oy;
  } else if (r.PrintMethod == PrintMethod::FitToPage) {
    // Nothing to fit (a point, or all on one line): centred at magnification 1.
    w.Scale = r.PageWidthPx * 1.0 / pageMm;
    cx = (e.MinX + e.MaxX) / 2 + ox;
    cy = (e.MinY + e.MaxY) / 2 + oy;
  } else {
    w.Scale = r.PageWidthPx * m / pageMm;
    cx = ox;
    cy = oy;
  }
  if (!(w.Scale > 0) || !std::isfinite(w.Scale)) w.Scale = 1;
  w.Xmin = cx - w.PageWidth * 0.5 / w.Scale;
  w.Xmax = cx + w.PageWidth * 0.5 / w.Scale;
  w.Ymin = cy - w.PageHeight * 0.5 / w.Scale;
  w.Ymax = cy + w.PageHeight * 0.5 / w.Scale;
  w.ClipGrowX = PageGrowPx(w.PageWidth, r.PageWidthPx, r.PageWidthMm) / w.Scale;
  w.ClipGrowY = PageGrowPx(w.PageHeight, r.PageWidthPx, r.PageWidthMm) / w.Scale;
  // The pattern grid: the whole-point page's whole pixels (cut down) over
  // its width in whole millimetres, in place of the device's pixels per
  // millimetre. At 600 dpi A3 is 9925 px over 420 mm; at 300 dpi 4962 px
  // over 420 mm (probe dash-angles at both).
  const double dpi = r.PageWidthMm > 0 ? std::floor(r.PageWidthPx / r.PageWidthMm * 25.4 + 0.5) : 0;
  const double pageW = WholePointPx(w.PageWidth, dpi);
  const double gridW = std::floor(pageW + 1e-9);
  const double gridMm = dpi > 0 ? std::floor(gridW * 25.4 / dpi + 0.5) : 0;
  // (The window's magnification over the device's own pixels per mm.)
  const double devicePxPerMm = r.PageWidthPx / pageMm;
  w.GridScale = gridMm > 0 && devicePxPerMm > 0 ? w.Scale / devicePxPerMm * (gridW / gridMm) : 0;
  if (!(w.GridScale > 0) || !std::isfinite(w.GridScale)) w.GridScale = 0;
  w.PxPerPaperMm = devicePxPerMm > 0 && std::isfinite(devicePxPerMm) ? devicePxPerMm : 0;
  return rotation;
}
