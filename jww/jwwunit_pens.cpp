// A drawing's own layers, pens and line types handed to the pen attributes.
#include <cmath>

#include "jww/jwwunit.h"

void TJwwData::PublishLayers(TgraAttribute& attr) const {
  for (int i = 0; i < 256; ++i) {
    const TJwwLayerGroup& g = LayerGroups[i / 16];
    const TJwwLayer& l = Layers[i];
    int32_t state = kLayerNormal;
    if (g.State == kLayerHidden || l.State == kLayerHidden) {
      state = kLayerLeftOut;
    } else if (g.State == kLayerDisplayOnly || l.State == kLayerDisplayOnly) {
      state = kLayerGrey;
    }
    const double scale = g.Scale == 0 ? 0.0 : 1.0 / g.Scale;
    attr.SetLayer(i, state, l.Name, g.Name, scale);
  }
}

double TJwwData::PenWidthUnit(const UnitGraAtt::PrinterResolution* printer) const {
  if (MaxDrawWidth >= -100 && MaxDrawWidth <= -1) return -1.0 / MaxDrawWidth;
  if (MaxDrawWidth < -100) return 0.01;
  // A resolution code in the header decides also in old drawings (a
  // version-4.20 drawing of code 1 prints pen width 1 at 0.085 mm); only
  // a drawing without one takes the printer's dot.
  if (PrinterResolutionCode <= 0) {
    const int dpi = printer ? printer->HorizontalDpi() : 0;
    if (dpi <= 0) return 0.01;
    // The printer's dot in whole micrometres.
    return std::floor(25400.0 / dpi + 0.5) / 1000.0;
  }
  return PrinterResolutionCode == 1 ? 0.085 : 0.042;
}

double TJwwData::LineTypeUnit(double lineTypePitch) const {
  if (MaxDrawWidth >= 0 && Version > 420 && PrinterResolutionCode > 0)
    return PrinterResolutionCode == 1 ? 0.085 : 0.042;
  return lineTypePitch;
}

TJwwData::BackgroundSwitch TJwwData::PensFromDrawing(
    TgraAttribute& attr, const UnitGraAtt::PrinterResolution* printer) const {
  if (!HasPenTable) return BackgroundSwitch::Unchanged;
  const double unit = PenWidthUnit(printer);
  // Unless the drawing asks for points at the printer radius (its drawing
  // state), a point prints as a small dot: 2 device dots round, plus half the
  // pen's width.
  const bool printerRadius = Kept.DrawState[1] != 0;
  const int dpi = printer ? printer->HorizontalDpi() : 0;
  const double dotRadius = 2 * (dpi > 0 ? 25.4 / dpi : 0.0425);
  for (int n = 1; n <= 8; ++n) {
    const TJwwPen& p = Pens[n];
    attr.SetPen(n, p.PrinterColor, unit * p.PrinterWidth, printerRadius ? p.PrinterPointRadius : dotRadius);
  }
  for (int n = 1; n <= 256; ++n) {
    const TJwwSxfPen& p = SxfPens[n];
    attr.SetPen(100 + n, p.PrinterColor, p.PrinterWidth * 0.01, printerRadius ? p.PrinterPointRadius : dotRadius);
  }
  const TColor bg = Pens[0].PrinterColor;
  const unsigned r = RedOf(bg), g = GreenOf(bg), b = BlueOf(bg);
  if (r <= 20 && g <= 20 && b <= 20) {
    attr.SetBackgroundMode(1);
    return BackgroundSwitch::Dark;
  }
  if (r >= 235 && g >= 235 && b >= 235) {
    attr.SetBackgroundMode(0);
    return BackgroundSwitch::Light;
  }
  return BackgroundSwitch::Unchanged;
}

TJwwData::BackgroundSwitch TJwwData::ApplyToAttributes(TgraAttribute& attr,
                                                      const UnitGraAtt::PrinterResolution* printer,
                                                      double lineTypePitch, DrawingTables own) const {
  const BackgroundSwitch background = own.Pens ? PensFromDrawing(attr, printer) : BackgroundSwitch::Unchanged;
  if (own.LineTypes) LineTypesFromDrawing(attr, lineTypePitch);
  PublishLayers(attr);
  return background;
}

void TJwwData::LineTypesFromDrawing(TgraAttribute& attr, double lineTypePitch) const {
  if (!HasLineTypeTable) return;
  const double unit = LineTypeUnit(lineTypePitch);
  attr.SetLineTypeAmplitude(0, 0);
  attr.SetLineTypeCount(0, 0);
  attr.UpdateLineTypePeriod(0);
  // Lines are fitted to whole units of the pattern's dots (1..32), also a
  // unit that does not divide the 32: the pattern runs on through its 32 dots
  // and the line holds whole units (a 12-dot unit on a 385 mm line: 37).
  auto fitPeriod = [&](int row, const TJwwLineType& t) {
    const bool usable = t.UnitDots >= 1 && t.UnitDots <= 32;
    attr.SetLineTypeRepeat(row, usable ? t.UnitDots : 32, unit * t.PrinterPitch);
  };
  for (int i = 0; i < 8; ++i) {
    attr.SetLineTypeAmplitude(1 + i, 0);
    UnitGraAtt::PatternToElements(attr, 1 + i, LineTypes[i].Pattern, unit * LineTypes[i].PrinterPitch);
    fitPeriod(1 + i, LineTypes[i]);
  }
  for (int i = 0; i < 5; ++i) {
    const TJwwRandomLine& r = RandomLines[i];
    attr.SetLineTypeAmplitude(9 + i, unit * r.PrinterAmplitude);
    UnitGraAtt::ZigZagToElements(attr, 9 + i, r.Pattern, unit * r.PrinterPitch);
  }
  for (int i = 0; i < 4; ++i) {
    attr.SetLineTypeAmplitude(14 + i, 0);
    UnitGraAtt::PatternToElements(attr, 14 + i, DoubleLineTypes[i].Pattern,
                                  unit * DoubleLineTypes[i].PrinterPitch);
    fitPeriod(14 + i, DoubleLineTypes[i]);
  }
  for (int i = 0; i < 32; ++i) {
    const TJwwSxfLineType& s = SxfLineTypes[1 + i];
    const int row = 18 + i;
    const int32_t count = s.SegmentCount < 0 ? 0 : (s.SegmentCount > 10 ? 10 : s.SegmentCount);
    attr.SetLineTypeAmplitude(row, 0);
    attr.SetLineTypeCount(row, count);
    for (int j = 0; j < count; ++j) attr.SetLineTypeElement(row, j, j % 2 == 1 ? -s.Segments[j] : s.Segments[j]);
    attr.UpdateLineTypePeriod(row);
  }
}
