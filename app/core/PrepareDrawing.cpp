#include "app/core/PrepareDrawing.h"

#include "app/core/PrintPreparation.h"
#include "jww/PageWindow.h"

PrintSettings SettingsForDrawing(const PrintSettings& settings, const TJwwData& d) {
  PrintSettings s = settings;
  if (!s.FollowDrawing) return s;
  // The drawing-state block's colour-print switch: off prints every pen
  // black, a pen whose printer colour is white too (white on paper would lose
  // its lines, solids and texts), and the display-only layers black instead
  // of pen 9's colour. Solids of their own colour keep it either way.
  const bool colour = d.Kept.DrawState[5] != 0;
  if (!s.MonochromeGiven) {
    s.Monochrome = !colour;
    s.MonoThreshold = 0;
    if (!colour) {
      s.WhiteToBlackNormal = true;
      s.NormalWhiteThreshold = 0;
    }
  }
  if (!s.DisplayOnlyGiven) {
    s.DisplayOnlyMode = colour || s.MonochromeGiven ? DisplayOnlyMode::Grey : DisplayOnlyMode::GivenColor;
    s.DisplayOnlyColor = Rgb(0, 0, 0);
  }
  // SXF white is white on a black screen; on paper it is black.
  if (!s.SxfWhiteGiven) {
    s.WhiteToBlackSxf = true;
    s.SxfWhiteThreshold = 0;
  }
  return s;
}

namespace {

void ApplyDisplayOnlyMode(const TJwwData& d, TgraAttribute& a, const PrintSettings& s) {
  switch (s.DisplayOnlyMode) {
    case DisplayOnlyMode::NotPrinted:
      for (int g = 0; g < 16; ++g) {
        const int32_t state = d.LayerGroups[g].State;
        for (int l = 0; l < 16; ++l) {
          if (state == kLayerDisplayOnly || (state != kLayerHidden && d.Layers[g * 16 + l].State == kLayerDisplayOnly))
            a.SetLayerState(g * 16 + l, kLayerLeftOut);
        }
      }
      break;
    case DisplayOnlyMode::Grey:
      a.SetGreyColor(d.Pens[9].PrinterColor);
      break;
    case DisplayOnlyMode::GivenColor:
      a.SetGreyColor(s.DisplayOnlyColor);
      break;
    case DisplayOnlyMode::AsUsual:
      for (int g = 0; g < 16; ++g) {
        if (d.LayerGroups[g].State == kLayerHidden) continue;
        for (int l = 0; l < 16; ++l)
          if (d.Layers[g * 16 + l].State != kLayerHidden) a.SetLayerState(g * 16 + l, kLayerNormal);
      }
      break;
    default:
      break;
  }
}

// The paper of the drawing's pages, chosen before its page window; the
// result is the factor on its magnification.
double ChoosePaper(const TJwwData& d, PrintDevice& device, const PrintSettings& s, PaperMode mode,
                   bool& sheetUnknown) {
  sheetUnknown = false;
  if (mode == PaperMode::Given) return 1;
  Sheet sheet;
  if (!DrawingSheet(d.PaperSize, sheet)) {
    sheetUnknown = true;
    if (mode == PaperMode::Drawing) device.SelectPaper(0, 0);
    return 1;
  }
  // Turned a quarter, the landscape sheet stands upright.
  const bool turned = SheetTurned(s.PrintMethod, d.PrinterSetting, s.RotationAngle);
  const double w = turned ? sheet.HeightMm : sheet.WidthMm, h = turned ? sheet.WidthMm : sheet.HeightMm;
  if (mode == PaperMode::Drawing) {
    device.SelectPaper(w, h);
    return 1;
  }
  if (s.PrintMethod == PrintMethod::FitToPage) return 1;  // a fit fills whatever paper it has
  return SheetRatio(w, h, device.PageWidthMm(), device.PageHeightMm());
}

}  // namespace

PreparedDrawing PrepareDrawing(TJwwData& d, TgraAttribute& a, PrintDevice& device, const PrintSettings& run,
                               PaperMode paper) {
  PreparedDrawing p;
  p.Settings = SettingsForDrawing(run, d);
  const PrintSettings& s = p.Settings;
  d.ApplyToAttributes(a, &device, s.LineTypePitch,
                      {s.PenSource == TableSource::EachDrawing, s.LineTypeSource == TableSource::EachDrawing});
  d.ComputeExtents();
  ApplyDisplayOnlyMode(d, a, s);
  p.LayerCounts = CountEntitiesByLayer(d);

  PageWindowRequest request;
  request.PrintMethod = s.PrintMethod;
  request.PrintScale = s.PrintScale;
  request.OffsetX = s.OffsetX;
  request.OffsetY = s.OffsetY;
  request.RotationAngle = s.RotationAngle;
  request.Magnify = ChoosePaper(d, device, s, paper, p.SheetUnknown);
  request.PageWidthPx = device.PageWidthPx();
  request.PageHeightPx = device.PageHeightPx();
  request.PageWidthMm = device.PageWidthMm();
  // A fit fits what prints: hidden layers, and display-only ones left out,
  // take no room on the page.
  p.HasPrinted = d.PrintedExtents(a, p.Printed);
  if (p.HasPrinted) request.FitExtents = &p.Printed;
  p.Rotation = ComputePageWindow(d, request);
  ApplyColorRules(a, s);
  return p;
}
