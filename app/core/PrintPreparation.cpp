#include "app/core/PrintPreparation.h"

#include <algorithm>
#include <cctype>

#include "util/Strings.h"

void PreparePenAttributes(TgraAttribute& attr, bool darkBackground) {
  attr.ResetAttributes();
  attr.SetPrintMode(true);
  attr.SetBackgroundMode(darkBackground ? 1 : 0);
  attr.ResetPenColors();
  attr.SetPrintAuxLines(false);
}

void ApplyColorRules(TgraAttribute& attr, const PrintSettings& s) {
  attr.SetColorConversion(true, s.Monochrome ? s.MonoThreshold : -1, s.WhiteToBlackSxf ? s.SxfWhiteThreshold : -1,
                          s.WhiteToBlackNormal ? s.NormalWhiteThreshold : -1);
}

TColor ClampColorCode(int64_t code) { return static_cast<TColor>(std::clamp<int64_t>(code, 0, 0xFFFFFF)); }

ImportKind ImportKindOf(const std::string& path) {
  if (util::HasExtension(path, ".jww")) return ImportKind::Drawing;
  if (util::HasExtension(path, ".jwf")) return ImportKind::Environment;
  return ImportKind::None;
}

namespace {

util::Status NotATableFile(const std::string& path) {
  return util::Status::Failure(path + " is neither a .jww drawing nor a .jwf settings file");
}

}  // namespace

ImportResult ImportPensFrom(const std::string& path, PrintSettings& s, TgraAttribute& attr,
                            const UnitGraAtt::PrinterResolution* printer) {
  switch (ImportKindOf(path)) {
    case ImportKind::Drawing: return ImportPensFromJww(path, s, attr, printer);
    case ImportKind::Environment: return ImportPensFromJwf(path, s);
    case ImportKind::None: break;
  }
  return NotATableFile(path);
}

ImportResult ImportLineTypesFrom(const std::string& path, PrintSettings& s, TgraAttribute& attr) {
  switch (ImportKindOf(path)) {
    case ImportKind::Drawing: return ImportLineTypesFromJww(path, s, attr);
    case ImportKind::Environment: return ImportLineTypesFromJwf(path, s, attr);
    case ImportKind::None: break;
  }
  return NotATableFile(path);
}

PageSetup OrientedPage(const PaperSize& paper, bool landscape, int dpi) {
  const double shortSide = std::min(paper.WidthMm, paper.HeightMm);
  const double longSide = std::max(paper.WidthMm, paper.HeightMm);
  PageSetup page;
  page.PaperWidthMm = landscape ? longSide : shortSide;
  page.PaperHeightMm = landscape ? shortSide : longSide;
  page.Dpi = dpi;
  return page;
}
