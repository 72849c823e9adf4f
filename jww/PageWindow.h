// Where a drawing lands on the printer page: the page window (drawing mm to
// device pixels) and the turn of the whole drawing, for the three print methods.
#pragma once

#include "jww/PrintMethod.h"
#include "jww/jwwunit.h"

struct PageWindowRequest {
  ::PrintMethod PrintMethod = ::PrintMethod::DrawingSettings;  // the drawing's own print settings
  double PrintScale = 1;   // magnification for GivenScale
  double OffsetX = 0, OffsetY = 0;  // drawing mm
  double RotationAngle = 0;         // degrees, clockwise positive
  int PageWidthPx = 0, PageHeightPx = 0;
  double PageWidthMm = 0;
  // A further factor on the drawing's or the given magnification (not on a
  // fit): a sheet reduced or enlarged onto another paper.
  double Magnify = 1;
  // What a fit to page fits: the extents of what prints (null: the drawing's).
  const jwwunit::Extents* FitExtents = nullptr;
};

// Writes UnitGval::PageWindow from the request, the drawing's stored print
// settings and the drawing extents; returns the page rotation (radians,
// counter-clockwise). A fit to page fits the turned extents. A fit of extents
// without width or height, and a stored magnification of 0 or less, print
// centred at magnification 1.
double ComputePageWindow(const TJwwData& drawing, const PageWindowRequest& request);

// The box round the extents turned by `rotation` (radians) about the origin,
// as the draw pass turns the drawing.
jwwunit::Extents TurnedExtents(const jwwunit::Extents& e, double rotation);
