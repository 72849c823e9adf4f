#include "app/core/PrintRun.h"

#include <sys/stat.h>

#include <filesystem>
#include <new>

#include "jww/PageWindow.h"
#include "jww/jwwtype.h"
#include "render/UnitGval.h"
#include "util/Files.h"
#include "util/CodePage.h"

namespace {

// Status texts (Shift-JIS).
const char kPrinting[] = "\x88\xf3\x8d\xfc\x92\x86\x81\x46";                 // 印刷中：
const char kEscHint[] = "\x81\x40[ESC:\x92\x86\x92\x66]";                    // 　[ESC:中断]
const char kFinished[] = "\x88\xf3\x8d\xfc\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";  // 印刷終了しました。
const char kStopped[] =
    "[Esc]\x83\x4c\x81\x5b\x82\xf0\x89\x9f\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x82\xcc\x82\xc5\x88\xf3\x8d\xfc"
    "\x82\xf0\x93\x72\x92\x86\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x81\x42";  // [Esc]キーを押しましたので印刷を途中終了します。
const char kRunTitle[] = "Kestrovan \x88\xf3\x8d\xfc";                      // Kestrovan 印刷

bool Exists(const std::string& path) { return util::IsRegularFile(path); }

}  // namespace

PrintSettings SettingsForDrawing(const PrintSettings& settings, const TJwwData& d) {
  PrintSettings s = settings;
  if (!s.FollowDrawing) return s;
  // The drawing-state block's colour-print switch: off prints every pen black.
  const bool colour = d.Kept.DrawState[5] != 0;
  if (!s.MonochromeGiven) {
    s.Monochrome = colour ? 0 : 1;
    s.MonoThreshold = 0;
  }
  if (!s.DisplayOnlyGiven) s.DisplayOnlyMode = DisplayOnlyMode::Grey;
  // SXF white is white on a black screen; on paper it is black.
  if (!s.SxfWhiteGiven) {
    s.WhiteToBlackSxf = 1;
    s.SxfWhiteThreshold = 0;
  }
  return s;
}

void PrintRun::HandTablesToAttributes() {
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  a.SetPrintMode(true);
  a.SetPrintAuxLines(s_.PrintAuxLines != 0);
  for (int r = 0; r < TgraAttribute::kPenRows; ++r)
    a.SetPenRow(r, s_.PenTable[r].Color, s_.PenTable[r].Width, s_.PenTable[r].PointRadius);
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    const TLineTypeRow& row = s_.LineTypeTable[r];
    a.SetLineTypeAmplitude(r, row.Amplitude);
    a.SetLineTypeCount(r, row.Count);
    for (int i = 0; i < row.Count && i < TgraAttribute::kMaxElements; ++i) a.SetLineTypeElement(r, i, row.Elements[i]);
    a.UpdateLineTypePeriod(r);
  }
}

PrintRunResult PrintRun::Run(const std::vector<std::string>& files) {
  result_ = PrintRunResult();
  s_ = run_;
  pagePrinted_ = false;
  HandTablesToAttributes();
  if (s_.OneDocument && !device_.BeginPrintDocument(kRunTitle)) {
    result_.OutputFailed = true;
    result_.Error = device_.LastError();
    return result_;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    observer_.ProcessMessages();
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
    const std::string& path = files[i];
    observer_.FileStarted(i, files.size(), path);
    if (path.empty() || !Exists(path)) {
      ++result_.FilesPassedOver;
      observer_.FilePassedOver(path, "no such file");
      continue;
    }
    if (!TJwwData::IsJwwFile(path)) {
      ++result_.FilesPassedOver;
      observer_.FilePassedOver(path, "not a drawing file (it does not begin with \"JwwData.\")");
      continue;
    }
    observer_.Status(kPrinting + util::Utf8ToCp932(path) + kEscHint);
    PrintOneFile(path);
    if (result_.OutputFailed || result_.Stopped) break;
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
  }
  if (s_.OneDocument && !device_.EndPrintDocument() && !result_.OutputFailed) {
    result_.OutputFailed = true;
    result_.Error = device_.LastError();
  }
  jwwtype::ClearImages();
  d_.ClearDrawing();
  observer_.Status(result_.Stopped ? kStopped : kFinished);
  return result_;
}

void PrintRun::ApplyDisplayOnlyMode() {
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  switch (s_.DisplayOnlyMode) {
    case DisplayOnlyMode::NotPrinted:
      for (int g = 0; g < 16; ++g) {
        const int32_t state = d_.LayerGroups[g].State;
        for (int l = 0; l < 16; ++l) {
          if (state == 1 || (state != 0 && d_.Layers[g * 16 + l].State == 1)) a.SetLayerState(g * 16 + l, 3);
        }
      }
      break;
    case DisplayOnlyMode::Grey:
      a.SetGreyColor(d_.Pens[9].PrinterColor);
      break;
    case DisplayOnlyMode::GivenColor:
      a.SetGreyColor(s_.DisplayOnlyColor);
      break;
    case DisplayOnlyMode::AsUsual:
      for (int g = 0; g < 16; ++g) {
        if (d_.LayerGroups[g].State == 0) continue;
        for (int l = 0; l < 16; ++l)
          if (d_.Layers[g * 16 + l].State != 0) a.SetLayerState(g * 16 + l, 1);
      }
      break;
    default:
      break;
  }
}

bool PrintRun::StartPage(const std::string& sjisTitle) {
  bool ok;
  if (s_.OneDocument)
    ok = !pagePrinted_ || device_.NewPrintPage();
  else
    ok = device_.BeginPrintDocument(sjisTitle);
  if (!ok) {
    result_.OutputFailed = true;
    result_.Error = device_.LastError();
  }
  return ok;
}

void PrintRun::EndPage() {
  if (!s_.OneDocument && !device_.EndPrintDocument()) {
    result_.OutputFailed = true;
    result_.Error = device_.LastError();
  }
  pagePrinted_ = true;
  ++result_.Pages;
}

void PrintRun::PrintOneFile(const std::string& path) {
  struct stat st;
  UnitGval::CurrentFileDate = ::stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
  jwwtype::ClearImages();
  d_.ClearDrawing();
  bool loaded = false;
  int unpackFailures = 0;
  try {
    loaded = d_.LoadForPrint(path);
    unpackFailures = jwwtype::GunzipImages();
  } catch (const std::bad_alloc&) {
    // Too big for the memory there is: this file fails, the run goes on.
    jwwtype::ClearImages();
    d_.ClearDrawing();
    ++result_.FilesPassedOver;
    observer_.FilePassedOver(path, "there is not enough memory to read it");
    return;
  } catch (const std::exception& e) {
    // No temporary folder for its images, say: this file fails, the run goes on.
    jwwtype::ClearImages();
    d_.ClearDrawing();
    ++result_.FilesPassedOver;
    observer_.FilePassedOver(path, std::string("it could not be read: ") + e.what());
    return;
  }
  if (!loaded) {
    ++result_.FilesDamaged;
    observer_.FileDamaged(path, d_.LoadError + " at byte " + std::to_string(d_.LoadStoppedAt));
  } else if (unpackFailures > 0) {
    ++result_.FilesDamaged;
    observer_.FileDamaged(path, std::to_string(unpackFailures) + " embedded image(s) could not be unpacked");
  }

  s_ = SettingsForDrawing(run_, d_);
  bool incomplete = false;
  if (d_.BlockInstancesCut) {
    incomplete = true;
    observer_.FileWarning(path, "its blocks insert themselves or multiply past " +
                                    std::to_string(TJwwData::kMaxBlockInstances) +
                                    " placed blocks; only those within the limits are printed");
  }
  UnitGval::ImagesNotDrawn.clear();
  pageCut_ = false;
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  if (s_.PenSource == TableSource::EachDrawing) d_.PensFromDrawing(a, &device_);
  if (s_.LineTypeSource == TableSource::EachDrawing) d_.LineTypesFromDrawing(a, s_.LineTypePitch);
  d_.PublishLayers(a);
  d_.ComputeExtents();
  ApplyDisplayOnlyMode();

  PageWindowRequest request;
  request.PrintMethod = s_.PrintMethod;
  request.PrintScale = s_.PrintScale;
  request.OffsetX = s_.OffsetX;
  request.OffsetY = s_.OffsetY;
  request.RotationAngle = s_.RotationAngle;
  request.PageWidthPx = device_.PageWidthPx();
  request.PageHeightPx = device_.PageHeightPx();
  request.PageWidthMm = device_.PageWidthMm();
  // A fit fits what prints: hidden layers, and display-only ones left out,
  // take no room on the page.
  jwwunit::Extents printed;
  if (d_.PrintedExtents(a, printed)) request.FitExtents = &printed;
  const double rotation = ComputePageWindow(d_, request);

  a.SetColorConversion(true, s_.Monochrome ? s_.MonoThreshold : -1, s_.WhiteToBlackSxf ? s_.SxfWhiteThreshold : -1,
                       s_.WhiteToBlackNormal ? s_.NormalWhiteThreshold : -1);

  const std::string fileName = std::filesystem::path(path).filename().string();
  const std::string title = "Kestrovan_" + util::Utf8ToCp932(fileName);
  const int pagesBefore = result_.Pages;
  if (!s_.PerLayerGroup) {
    if (d_.CountEntities().Printable() > 0) {
      if (!StartPage(title)) return;
      const bool complete = d_.DrawDrawing(device_.PageCanvas(), {s_.PrintOrder, rotation});
      pageCut_ = pageCut_ || d_.DrawCut;
      EndPage();
      if (!complete) result_.Stopped = true;
    }
  } else {
    PrintLayerGroupPages(title, rotation);
  }
  if (pageCut_) {
    incomplete = true;
    observer_.FileWarning(path, "a page asks for more than " + std::to_string(TJwwData::kMaxDrawnPerPage) +
                                    " strokes, texts and figures (its blocks multiply); only those were printed");
  }
  if (!UnitGval::ImagesNotDrawn.empty()) {
    incomplete = true;
    observer_.ImagesMissing(path, UnitGval::ImagesNotDrawn);
    UnitGval::ImagesNotDrawn.clear();
  }
  if (incomplete) ++result_.FilesIncomplete;
  if (result_.Pages == pagesBefore) {
    ++result_.FilesWithNothingToPrint;
    observer_.FileHasNothingToPrint(path);
  } else {
    ++result_.FilesPrinted;
  }
}

void PrintRun::PrintLayerGroupPages(const std::string& baseTitle, double rotation) {
  const TgraAttribute& a = UnitGraAtt::GraAttribute();
  const bool reverse = s_.PrintOrder == PrintOrder::ByLayerReverse;
  auto state = [&](int g) { return d_.LayerGroups[g].State; };
  auto drawGroup = [&](int g) {
    // The draw pass turns position p back into group 15 - p in reverse order.
    const bool done =
        d_.DrawDrawing(device_.PageCanvas(), {s_.PrintOrder, rotation, LayerFilter::OfGroup(reverse ? 15 - g : g)});
    pageCut_ = pageCut_ || d_.DrawCut;
    return done;
  };
  for (int p = 0; p < 16; ++p) {
    const int g = reverse ? 15 - p : p;
    if (s_.CommonLayerGroup == g + 1) continue;
    if (s_.CommonLayerGroup == 17 && state(g) == 1) continue;
    if (state(g) == 0 || (state(g) == 1 && s_.DisplayOnlyMode == DisplayOnlyMode::NotPrinted)) continue;
    int64_t sum = 0;
    for (int l = 0; l < 16; ++l)
      if (a.GetLayerState(g * 16 + l) != 3) sum += d_.CountEntities({g, l}).Printable();
    if (sum == 0) continue;
    if (!StartPage("[" + std::to_string(g) + "]" + baseTitle)) return;
    bool complete = d_.DrawDrawing(device_.PageCanvas(), {s_.PrintOrder, rotation, LayerFilter::OfGroup(p)});
    pageCut_ = pageCut_ || d_.DrawCut;
    // The common group on every group's page, after the group itself.
    if (complete && s_.CommonLayerGroup >= 1 && s_.CommonLayerGroup <= 16) {
      const int c = s_.CommonLayerGroup - 1;
      if (state(c) != 0 && (state(c) != 1 || s_.DisplayOnlyMode != DisplayOnlyMode::NotPrinted))
        complete = drawGroup(c);
    } else if (complete && s_.CommonLayerGroup == 17 && s_.DisplayOnlyMode > DisplayOnlyMode::NotPrinted) {
      for (int i = 0; i < 16 && complete; ++i)
        if (state(i) == 1) complete = drawGroup(i);
    }
    EndPage();
    if (!complete) {
      result_.Stopped = true;
      return;
    }
    if (result_.OutputFailed) return;
  }
}
