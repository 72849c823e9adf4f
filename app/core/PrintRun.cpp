#include "app/core/PrintRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <new>

#include "jww/PageWindow.h"
#include "jww/jwwtype.h"
#include "render/UnitGval.h"
#include "util/Files.h"
#include "util/CodePage.h"
#include "util/Messages.h"

PrintSettings SettingsForDrawing(const PrintSettings& settings, const TJwwData& d) {
  PrintSettings s = settings;
  if (!s.FollowDrawing) return s;
  // The drawing-state block's colour-print switch: off prints every pen
  // black, a pen whose printer colour is white too (white on paper would lose
  // its lines, solids and texts), and the display-only layers black instead
  // of pen 9's colour. Solids of their own colour keep it either way.
  const bool colour = d.Kept.DrawState[5] != 0;
  if (!s.MonochromeGiven) {
    s.Monochrome = colour ? 0 : 1;
    s.MonoThreshold = 0;
    if (!colour) {
      s.WhiteToBlackNormal = 1;
      s.NormalWhiteThreshold = 0;
    }
  }
  if (!s.DisplayOnlyGiven) {
    s.DisplayOnlyMode = colour || s.MonochromeGiven ? DisplayOnlyMode::Grey : DisplayOnlyMode::GivenColor;
    s.DisplayOnlyColor = Rgb(0, 0, 0);
  }
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
  for (const std::string& path : files) {
    result_.Files.emplace_back();
    result_.Files.back().Path = path;
  }
  s_ = run_;
  HandTablesToAttributes();
  // The one document begins with its first page: that page has its
  // drawing's paper, and a run that prints nothing writes nothing (no blank
  // PDF over an earlier one, no blank sheet from a printer).
  documentBegun_ = false;
  givenDpi_ = device_.PrinterDpiX();
  file_ = nullptr;
  for (size_t i = 0; i < files.size(); ++i) {
    observer_.ProcessMessages();
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
    const std::string& path = files[i];
    file_ = &result_.Files[i];
    file_->Status = FileStatus::Printed;
    observer_.FileStarted(i, files.size(), path);
    PrintOneFile(path);
    if (result_.OutputFailed || result_.Stopped) break;
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
  }
  if (s_.OneDocument && documentBegun_) {
    const util::Status ended = device_.EndPrintDocument();
    if (!result_.OutputFailed) (void)Succeeded(ended);
  }
  // The one document that could not be ended holds the last file's pages.
  if (result_.OutputFailed && file_ && !file_->Pages.empty()) file_->Status = FileStatus::NotWritten;
  jwwtype::ClearImages();
  d_.ClearDrawing();
  observer_.Status(util::Utf8ToCp932(result_.Stopped ? msg::kStopped : msg::kFinished));
  return result_;
}

void PrintRun::Found(FileProblem::Kind what, std::string why, int64_t count, std::vector<std::string> names) {
  FileProblem problem;
  problem.What = what;
  problem.Why = std::move(why);
  problem.Count = count;
  problem.Names = std::move(names);
  switch (WeightOf(what)) {
    case ProblemWeight::PassesOver:
      ++result_.FilesPassedOver;
      break;
    case ProblemWeight::Damages:
      ++result_.FilesDamaged;
      break;
    case ProblemWeight::CutsShort:
      break;
  }
  file_->Problems.push_back(std::move(problem));
  observer_.FileProblemFound(*file_, file_->Problems.back());
}

void PrintRun::Settle() {
  FileRecord& f = *file_;
  const FileProblem* main = MainProblem(f);
  if (main && WeightOf(main->What) == ProblemWeight::PassesOver) {
    f.Status = FileStatus::PassedOver;
  } else if (result_.OutputFailed) {
    f.Status = FileStatus::NotWritten;
  } else {
    f.Status = main ? FileStatus::Damaged : FileStatus::Printed;
    for (const FileProblem& p : f.Problems)
      if (WeightOf(p.What) == ProblemWeight::CutsShort) {
        ++result_.FilesIncomplete;
        break;
      }
    if (f.Pages.empty()) {
      ++result_.FilesWithNothingToPrint;
      if (!main) f.Status = FileStatus::Blank;
    } else {
      ++result_.FilesPrinted;
      if (result_.Stopped) f.Status = FileStatus::Stopped;
    }
  }
  observer_.FileFinished(f);
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

bool PrintRun::Succeeded(const util::Status& done) {
  if (done) return true;
  result_.OutputFailed = true;
  if (result_.Error.empty()) result_.Error = done.Why();
  return false;
}

bool PrintRun::StartPage(const std::string& sjisTitle) {
  bool ok;
  if (s_.OneDocument && !documentBegun_)
    ok = documentBegun_ = Succeeded(device_.BeginPrintDocument(util::Utf8ToCp932(msg::kRunTitle)));
  else if (s_.OneDocument)  // begun with the first page: every later one is a new page
    ok = Succeeded(device_.NewPrintPage());
  else
    ok = Succeeded(device_.BeginPrintDocument(sjisTitle));
  if (!ok) return false;
  ink_.Attach(device_.PageCanvas());
  page_ = PageReport();
  page_.Title = sjisTitle;
  UnitGval::ImagesNotDrawn.clear();
  return true;
}

void PrintRun::EndPage() {
  ReportPage();
  if (!s_.OneDocument) (void)Succeeded(device_.EndPrintDocument());
  ++result_.Pages;
}

void PrintRun::PrintOneFile(const std::string& path) {
  using Kind = FileProblem::Kind;
  if (path.empty() || !util::IsRegularFile(path)) {
    Found(util::IsOtherThanRegularFile(path) ? Kind::NotAFile : Kind::NoSuchFile);
    return Settle();
  }
  if (!TJwwData::IsJwwFile(path)) {
    struct stat st;
    Found(::stat(path.c_str(), &st) == 0 && st.st_size == 0 ? Kind::Empty : Kind::NotDrawing);
    return Settle();
  }
  struct stat st;
  const bool known = ::stat(path.c_str(), &st) == 0;
  // Told from its size, before a byte of it is read.
  if (known && static_cast<uint64_t>(st.st_size) > TJwwData::kMaxFileBytes) {
    Found(Kind::TooLarge, std::string(), static_cast<int64_t>(st.st_size));
    return Settle();
  }
  observer_.Status(util::Utf8ToCp932(msg::kPrinting + path + msg::kEscHint));
  path_ = path;
  fileImages_.clear();
  UnitGval::CurrentFileDate = known ? st.st_mtime : 0;
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
    Found(Kind::OutOfMemory);
    return Settle();
  } catch (const std::exception& e) {
    // No temporary folder for its images, say: this file fails, the run goes on.
    jwwtype::ClearImages();
    d_.ClearDrawing();
    Found(Kind::Unreadable, e.what());
    return Settle();
  }
  if (!loaded)
    Found(Kind::Damaged, d_.LoadError, static_cast<int64_t>(d_.LoadStoppedAt));
  else if (unpackFailures > 0)
    Found(Kind::ImagesNotUnpacked, std::string(), unpackFailures);

  s_ = SettingsForDrawing(run_, d_);
  if (d_.BlockInstancesCut) Found(Kind::BlocksCut, std::string(), TJwwData::kMaxBlockInstances);
  UnitGval::ImagesNotDrawn.clear();
  pageCut_ = false;
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  d_.ApplyToAttributes(a, &device_, s_.LineTypePitch,
                       {s_.PenSource == TableSource::EachDrawing, s_.LineTypeSource == TableSource::EachDrawing});
  d_.ComputeExtents();
  ApplyDisplayOnlyMode();
  layerCounts_ = CountEntitiesByLayer(d_);

  PageWindowRequest request;
  request.PrintMethod = s_.PrintMethod;
  request.PrintScale = s_.PrintScale;
  request.OffsetX = s_.OffsetX;
  request.OffsetY = s_.OffsetY;
  request.RotationAngle = s_.RotationAngle;
  request.Magnify = ChoosePaper();
  request.PageWidthPx = device_.PageWidthPx();
  request.PageHeightPx = device_.PageHeightPx();
  request.PageWidthMm = device_.PageWidthMm();
  // A fit fits what prints: hidden layers, and display-only ones left out,
  // take no room on the page.
  hasPrinted_ = d_.PrintedExtents(a, printed_);
  if (hasPrinted_) request.FitExtents = &printed_;
  const double rotation = ComputePageWindow(d_, request);
  rotation_ = rotation;

  a.SetColorConversion(true, s_.Monochrome ? s_.MonoThreshold : -1, s_.WhiteToBlackSxf ? s_.SxfWhiteThreshold : -1,
                       s_.WhiteToBlackNormal ? s_.NormalWhiteThreshold : -1);

  const std::string fileName = std::filesystem::path(path).filename().string();
  const std::string title = "Kestrovan_" + util::Utf8ToCp932(fileName);
  if (!s_.PerLayerGroup) {
    if (d_.CountEntities().Printable() > 0) {
      pageGroups_ = 0xFFFF;
      if (!StartPage(title)) return Settle();
      device_.PageShows(path, -1, std::string());
      DrawDrawingArgs page;
      page.Order = s_.PrintOrder;
      page.Rotation = rotation;
      const bool complete = d_.DrawDrawing(PageCanvas(), page);
      pageCut_ = pageCut_ || d_.DrawCut;
      EndPage();
      if (!complete) result_.Stopped = true;
    }
  } else {
    PrintLayerGroupPages(path, title, rotation);
  }
  if (pageCut_) Found(Kind::PageCut, std::string(), DrawDrawingArgs::kDefaultMaxDrawn);
  if (!fileImages_.empty()) Found(Kind::ImagesMissing, std::string(), 0, fileImages_);
  Settle();
}

void PrintRun::PrintLayerGroupPages(const std::string& path, const std::string& baseTitle, double rotation) {
  const TgraAttribute& a = UnitGraAtt::GraAttribute();
  const bool reverse = s_.PrintOrder == PrintOrder::ByLayerReverse;
  auto state = [&](int g) { return d_.LayerGroups[g].State; };
  auto drawGroup = [&](int g) {
    // The draw pass turns position p back into group 15 - p in reverse order.
    DrawDrawingArgs page;
    page.Order = s_.PrintOrder;
    page.Rotation = rotation;
    page.Layers = LayerFilter::OfGroup(reverse ? 15 - g : g);
    const bool done = d_.DrawDrawing(PageCanvas(), page);
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
      if (a.GetLayerState(g * 16 + l) != 3) sum += d_.CountEntities(LayerFilter::OfLayer(g * 16 + l)).Printable();
    if (sum == 0) continue;
    pageGroups_ = PageGroups(g);
    if (!StartPage("[" + std::to_string(g) + "]" + baseTitle)) return;
    device_.PageShows(path, g, d_.LayerGroups[g].Name);
    page_.LayerGroup = g;
    bool complete = drawGroup(g);
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

// The groups a per-group page prints: its own and the common ones.
uint32_t PrintRun::PageGroups(int g) const {
  uint32_t groups = 1u << g;
  if (s_.CommonLayerGroup >= 1 && s_.CommonLayerGroup <= 16) groups |= 1u << (s_.CommonLayerGroup - 1);
  if (s_.CommonLayerGroup == 17 && s_.DisplayOnlyMode != DisplayOnlyMode::NotPrinted)
    for (int i = 0; i < 16; ++i)
      if (d_.LayerGroups[i].State == 1) groups |= 1u << i;
  return groups;
}

// The paper of this drawing's pages, chosen before its page window; the
// result is the factor on its magnification.
double PrintRun::ChoosePaper() {
  sheetUnknown_ = false;
  if (paperMode_ == PaperMode::Given) return 1;
  Sheet sheet;
  if (!DrawingSheet(d_.PaperSize, sheet)) {
    sheetUnknown_ = true;
    if (paperMode_ == PaperMode::Drawing) device_.SelectPaper(0, 0);
    return 1;
  }
  // Turned a quarter, the landscape sheet stands upright.
  const bool turned = SheetTurned(s_.PrintMethod, d_.PrinterSetting, s_.RotationAngle);
  const double w = turned ? sheet.HeightMm : sheet.WidthMm, h = turned ? sheet.WidthMm : sheet.HeightMm;
  if (paperMode_ == PaperMode::Drawing) {
    device_.SelectPaper(w, h);
    return 1;
  }
  if (s_.PrintMethod == PrintMethod::FitToPage) return 1;  // a fit fills whatever paper it has
  return SheetRatio(w, h, device_.PageWidthMm(), device_.PageHeightMm());
}

void PrintRun::ReportPage() {
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  page_.Number = result_.Pages + 1;
  page_.PaperWidthMm = device_.PaperWidthMm();
  page_.PaperHeightMm = device_.PaperHeightMm();
  PageWarning w;
  // What this page prints: the file's printed extents, or those of the
  // page's groups alone.
  jwwunit::Extents extents = printed_;
  bool has = hasPrinted_;
  if (pageGroups_ != 0xFFFF && has) {
    std::array<int32_t, TgraAttribute::kLayerCount> kept;
    for (int i = 0; i < TgraAttribute::kLayerCount; ++i) {
      kept[static_cast<size_t>(i)] = a.GetLayerState(i);
      if (!(pageGroups_ & (1u << (i / 16)))) a.SetLayerState(i, 3);
    }
    has = d_.PrintedExtents(a, extents);
    for (int i = 0; i < TgraAttribute::kLayerCount; ++i) a.SetLayerState(i, kept[static_cast<size_t>(i)]);
  }
  if (has && OffPageWarning(extents, rotation_, UnitGval::PageWindow, device_.PrinterDpiX() / 25.4, w))
    page_.Warnings.push_back(w);
  if (!ink_.Drawn() || !ink_.Inked()) {
    w = PageWarning();
    w.What = ink_.Drawn() ? PageWarning::Kind::BackgroundOnly : PageWarning::Kind::Blank;
    page_.Warnings.push_back(w);
  }
  for (const std::string& image : UnitGval::ImagesNotDrawn) {
    w = PageWarning();
    w.What = PageWarning::Kind::ImageMissing;
    w.Name = image;
    page_.Warnings.push_back(w);
    if (std::find(fileImages_.begin(), fileImages_.end(), image) == fileImages_.end()) fileImages_.push_back(image);
  }
  UnitGval::ImagesNotDrawn.clear();
  for (const std::string& face : ink_.Faces()) {
    const std::string used = device_.FaceUsedInstead(face);
    if (used.empty()) continue;
    w = PageWarning();
    w.What = PageWarning::Kind::FontReplaced;
    w.Name = face;
    w.UsedInstead = used;
    page_.Warnings.push_back(w);
  }
  if (LayersLeftOutWarning(d_, a, layerCounts_, pageGroups_, w)) page_.Warnings.push_back(w);
  if (sheetUnknown_) {
    w = PageWarning();
    w.What = PageWarning::Kind::SheetUnknown;
    w.PaperCode = d_.PaperSize;
    page_.Warnings.push_back(w);
  }
  // A sheet too big for memory at the resolution given is drawn at a lower one.
  if (device_.PrinterDpiX() < givenDpi_) {
    w = PageWarning();
    w.What = PageWarning::Kind::ResolutionLowered;
    w.Dpi = device_.PrinterDpiX();
    w.GivenDpi = givenDpi_;
    page_.Warnings.push_back(w);
  }
  for (const PageWarning& x : page_.Warnings)
    if (LosesContent(x)) {
      ++result_.PagesLosingContent;
      break;
    }
  file_->Pages.push_back(page_);
  observer_.PageFinished(path_, page_);
}
