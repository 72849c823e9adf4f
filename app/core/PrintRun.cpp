#include "app/core/PrintRun.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <new>

#include "jww/jwwtype.h"
#include "render/UnitGval.h"
#include "util/CodePage.h"
#include "util/Files.h"
#include "util/Messages.h"

void PrintRun::HandTablesToAttributes() {
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  a.SetPrintMode(true);
  a.SetPrintAuxLines(run_.PrintAuxLines);
  for (int r = 0; r < TgraAttribute::kPenRows; ++r)
    a.SetPenRow(r, run_.PenTable[r].Color, run_.PenTable[r].Width, run_.PenTable[r].PointRadius);
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    const TLineTypeRow& row = run_.LineTypeTable[r];
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
  // Pages reach one PDF, or the run's one document, only when the run ends.
  outputPending_ = device_.WritesAtFinish() || run_.OneDocument;
  finished_ = false;
  pagesDrawn_ = 0;
  file_ = nullptr;
  try {
    RunFiles(files);
  } catch (const std::bad_alloc&) {
    // Out of memory beyond what one file's load can catch: the run ends
    // here, its output unwritten (an earlier file stays).
    device_.AbandonOutput();
    result_.OutputFailed = true;
    result_.Failure = RunFailure::OutOfMemory;
    result_.Error = "there was not enough memory to go on";
  }
  // An output that failed loses what had not reached it: everything, where
  // the pages reach it only at the end; else the pages of the file in hand.
  if (result_.OutputFailed)
    for (FileRecord& f : result_.Files)
      if ((OnOutput(f) && outputPending_) || (&f == file_ && (OnOutput(f) || f.Status == FileStatus::Stopped)))
        f.Status = FileStatus::NotWritten;
  finished_ = true;
  jwwtype::ClearImages();
  d_.ClearDrawing();
  TellRecords();
  observer_.Status(util::Utf8ToCp932(result_.Stopped ? msg::kStopped : msg::kFinished));
  return result_;
}

void PrintRun::RunFiles(const std::vector<std::string>& files) {
  // The drawings' images are unpacked into the temporary folder: a run
  // without one prints nothing, like one whose output cannot be written.
  const util::Result<std::string> folder = jwwtype::TempFolder();
  if (!folder) {
    result_.OutputFailed = true;
    result_.Failure = RunFailure::NoTemporaryFolder;
    result_.Error = folder.Why();
    return;
  }
  HandTablesToAttributes();
  // The one document begins with its first page: that page has its
  // drawing's paper, and a run that prints nothing writes nothing (no blank
  // PDF over an earlier one, no blank sheet from a printer).
  documentBegun_ = false;
  givenDpi_ = device_.PrinterDpiX();
  lastPageFile_ = nullptr;
  for (size_t i = 0; i < files.size(); ++i) {
    observer_.ProcessMessages();
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
    const std::string& path = files[i];
    file_ = &result_.Files[i];
    // In hand: should the run end here, it stopped inside this file.
    file_->Status = FileStatus::Stopped;
    observer_.FileStarted(i, files.size(), path);
    TellRecords();
    PrintFile(path);
    if (result_.OutputFailed || result_.Stopped) break;
    if (observer_.StopRequested()) {
      result_.Stopped = true;
      break;
    }
  }
  if (run_.OneDocument && documentBegun_) {
    const int held = device_.PagesPrinted();
    const util::Status ended = device_.EndPrintDocument();
    if (!result_.OutputFailed) (void)Succeeded(ended);
    if (device_.PagesPrinted() < held) LastPageDropped();
  }
  // The output completed (one PDF is put in place here), or, after a
  // failure, abandoned, so an earlier file at its path stays.
  if (result_.OutputFailed)
    device_.AbandonOutput();
  else
    (void)Succeeded(device_.Finish());
}

std::vector<FileRecord> PrintRun::RecordsAsWritten() const {
  std::vector<FileRecord> files = result_.Files;
  if (outputPending_ && !finished_)
    for (FileRecord& f : files)
      if (OnOutput(f) && f.Status != FileStatus::Stopped) f.Status = FileStatus::NotWritten;
  return files;
}

void PrintRun::TellRecords() { observer_.RecordsChanged(RecordsAsWritten()); }

void PrintRun::Found(FileProblem::Kind what, std::string why, int64_t count, std::vector<std::string> names) {
  file_->Problems.push_back(MakeFileProblem(what, std::move(why), count, std::move(names)));
  observer_.FileProblemFound(*file_, file_->Problems.back());
}

void PrintRun::Settle() {
  FileRecord& f = *file_;
  const FileProblem* main = MainProblem(f);
  if (main && WeightOf(main->What) == ProblemWeight::PassesOver)
    f.Status = FileStatus::PassedOver;
  else if (result_.OutputFailed)
    f.Status = FileStatus::NotWritten;
  else if (f.Pages.empty() && result_.Stopped)
    f.Status = FileStatus::Stopped;  // its page was cut short by the stop and dropped
  else if (f.Pages.empty())
    f.Status = main ? FileStatus::Damaged : FileStatus::Blank;
  else
    f.Status = result_.Stopped ? FileStatus::Stopped : main ? FileStatus::Damaged : FileStatus::Printed;
  observer_.FileFinished(f);
  if (!outputPending_) TellRecords();
}

void PrintRun::PrintFile(const std::string& path) {
  if (!Load(path)) return Settle();
  fileImages_.clear();
  pageCut_ = false;
  UnitGval::ImagesNotDrawn.clear();
  drawing_ = PrepareDrawing(d_, UnitGraAtt::GraAttribute(), device_, run_, paperMode_);
  PrintPages(path);
  if (pageCut_) Found(FileProblem::Kind::PageCut, std::string(), DrawDrawingArgs::kDefaultMaxDrawn);
  if (!fileImages_.empty()) Found(FileProblem::Kind::ImagesMissing, std::string(), 0, fileImages_);
  Settle();
}

bool PrintRun::Load(const std::string& path) {
  using Kind = FileProblem::Kind;
  if (path.empty() || !util::IsRegularFile(path)) {
    Found(util::IsOtherThanRegularFile(path) ? Kind::NotAFile : Kind::NoSuchFile);
    return false;
  }
  if (!TJwwData::IsJwwFile(path)) {
    struct stat st;
    Found(::stat(path.c_str(), &st) == 0 && st.st_size == 0 ? Kind::Empty : Kind::NotDrawing);
    return false;
  }
  struct stat st;
  const bool known = ::stat(path.c_str(), &st) == 0;
  // Told from its size, before a byte of it is read.
  if (known && static_cast<uint64_t>(st.st_size) > TJwwData::kMaxFileBytes) {
    Found(Kind::TooLarge, std::string(), static_cast<int64_t>(st.st_size));
    return false;
  }
  observer_.Status(util::Utf8ToCp932(msg::kPrinting + path + msg::kEscHint));
  UnitGval::CurrentFileDate = known ? st.st_mtime : 0;
  jwwtype::ClearImages();
  d_.ClearDrawing();
  LoadOutcome loaded;
  int unpackFailures = 0;
  try {
    loaded = d_.LoadForPrint(path);
    unpackFailures = jwwtype::GunzipImages();
  } catch (const std::bad_alloc&) {
    // Too big for the memory there is: this file fails, the run goes on.
    jwwtype::ClearImages();
    d_.ClearDrawing();
    Found(Kind::OutOfMemory);
    return false;
  } catch (const std::exception& e) {
    jwwtype::ClearImages();
    d_.ClearDrawing();
    Found(Kind::Unreadable, e.what());
    return false;
  }
  if (!loaded)
    Found(Kind::Damaged, loaded.Why, static_cast<int64_t>(loaded.StoppedAt));
  else if (unpackFailures > 0)
    Found(Kind::ImagesNotUnpacked, std::string(), unpackFailures);
  if (d_.BlockInstancesCut) Found(Kind::BlocksCut, std::string(), TJwwData::kMaxBlockInstances);
  return true;
}

namespace {

// The groups a per-group page prints: its own and the common ones.
uint32_t PageGroups(const TJwwData& d, const PrintSettings& s, int g) {
  const CommonGroups common = CommonGroupsOf(s.CommonLayerGroup);
  uint32_t groups = 1u << g;
  if (common.Group >= 0) groups |= 1u << common.Group;
  if (common.DisplayOnlyGroups && s.DisplayOnlyMode != DisplayOnlyMode::NotPrinted)
    for (int i = 0; i < 16; ++i)
      if (d.LayerGroups[i].State == kLayerDisplayOnly) groups |= 1u << i;
  return groups;
}

}  // namespace

void PrintRun::PrintPages(const std::string& path) {
  const PrintSettings& s = drawing_.Settings;
  const std::string title = "Kestrovan_" + util::Utf8ToCp932(std::filesystem::path(path).filename().string());
  if (!s.PerLayerGroup) {
    if (d_.CountEntities().Printable() > 0) PrintPage(title, -1, 0xFFFF, {LayerFilter()});
    return;
  }
  const TgraAttribute& a = UnitGraAtt::GraAttribute();
  const bool reverse = s.PrintOrder == PrintOrder::ByLayerReverse;
  auto state = [&](int g) { return d_.LayerGroups[g].State; };
  // The draw pass turns position p back into group 15 - p in reverse order.
  auto ofGroup = [&](int g) { return LayerFilter::OfGroup(reverse ? 15 - g : g); };
  const CommonGroups common = CommonGroupsOf(s.CommonLayerGroup);
  for (int p = 0; p < 16; ++p) {
    const int g = reverse ? 15 - p : p;
    if (common.Group == g) continue;
    if (common.DisplayOnlyGroups && state(g) == kLayerDisplayOnly) continue;
    if (state(g) == kLayerHidden || (state(g) == kLayerDisplayOnly && s.DisplayOnlyMode == DisplayOnlyMode::NotPrinted)) continue;
    int64_t sum = 0;
    for (int l = 0; l < 16; ++l)
      if (a.GetLayerState(g * 16 + l) != kLayerLeftOut) sum += d_.CountEntities(LayerFilter::OfLayer(g * 16 + l)).Printable();
    if (sum == 0) continue;
    // The common group on every group's page, after the group itself.
    std::vector<LayerFilter> passes{ofGroup(g)};
    if (common.Group >= 0) {
      const int c = common.Group;
      if (state(c) != kLayerHidden && (state(c) != kLayerDisplayOnly || s.DisplayOnlyMode != DisplayOnlyMode::NotPrinted))
        passes.push_back(ofGroup(c));
    } else if (common.DisplayOnlyGroups && s.DisplayOnlyMode > DisplayOnlyMode::NotPrinted) {
      for (int i = 0; i < 16; ++i)
        if (state(i) == kLayerDisplayOnly) passes.push_back(ofGroup(i));
    }
    if (!PrintPage("[" + std::to_string(g) + "]" + title, g, PageGroups(d_, s, g), passes)) return;
  }
}

bool PrintRun::PrintPage(const std::string& sjisTitle, int group, uint32_t groups,
                         const std::vector<LayerFilter>& passes) {
  if (!StartPage(sjisTitle)) return false;
  device_.PageShows(file_->Path, group, group < 0 ? std::string() : d_.LayerGroups[group].Name);
  page_.LayerGroup = group;
  bool complete = true;
  for (const LayerFilter& layers : passes) {
    DrawDrawingArgs args;
    args.Order = drawing_.Settings.PrintOrder;
    args.Rotation = drawing_.Rotation;
    args.Layers = layers;
    const DrawEnd end = d_.DrawDrawing(ink_, args);
    pageCut_ = pageCut_ || end == DrawEnd::Cut;
    complete = end != DrawEnd::Stopped;
    if (!complete) break;
  }
  if (!complete) result_.Stopped = true;
  EndPage(groups);
  return complete && !result_.OutputFailed;
}

void PrintRun::LastPageDropped() {
  result_.Stopped = true;
  if (!lastPageFile_ || lastPageFile_->Pages.empty()) return;
  lastPageFile_->Pages.pop_back();
  if (lastPageFile_->Status == FileStatus::Printed) lastPageFile_->Status = FileStatus::Stopped;
}

bool PrintRun::Succeeded(const util::Status& done) {
  if (done) return true;
  result_.OutputFailed = true;
  if (result_.Failure == RunFailure::None) result_.Failure = RunFailure::OutputNotWritten;
  if (result_.Error.empty()) result_.Error = done.Why();
  return false;
}

bool PrintRun::StartPage(const std::string& sjisTitle) {
  bool ok;
  if (run_.OneDocument && !documentBegun_)
    ok = documentBegun_ = Succeeded(device_.BeginPrintDocument(util::Utf8ToCp932(msg::kRunTitle)));
  else if (run_.OneDocument) {  // begun with the first page: every later one is a new page
    // The page before is written now: a stop then drops it (PNG).
    const int held = device_.PagesPrinted();
    ok = Succeeded(device_.NewPrintPage());
    if (ok && held > 0 && device_.PagesPrinted() <= held) LastPageDropped();
  } else
    ok = Succeeded(device_.BeginPrintDocument(sjisTitle));
  if (!ok) return false;
  ink_.Attach(device_.PageCanvas());
  page_ = PageReport();
  page_.Title = sjisTitle;
  UnitGval::ImagesNotDrawn.clear();
  return true;
}

void PrintRun::EndPage(uint32_t groups) {
  page_.Number = ++pagesDrawn_;
  page_.PaperWidthMm = device_.PaperWidthMm();
  page_.PaperHeightMm = device_.PaperHeightMm();
  page_.Warnings =
      InspectPage(d_, UnitGraAtt::GraAttribute(), drawing_, groups, ink_, UnitGval::ImagesNotDrawn, device_, givenDpi_);
  for (const std::string& image : UnitGval::ImagesNotDrawn)
    if (std::find(fileImages_.begin(), fileImages_.end(), image) == fileImages_.end()) fileImages_.push_back(image);
  UnitGval::ImagesNotDrawn.clear();
  if (!run_.OneDocument) {
    const int held = device_.PagesPrinted();
    (void)Succeeded(device_.EndPrintDocument());
    if (device_.PagesPrinted() < held) {  // the stop came before it was written: it was not
      result_.Stopped = true;
      return;
    }
  }
  file_->Pages.push_back(page_);
  lastPageFile_ = file_;
  observer_.PageFinished(file_->Path, page_);
  if (!outputPending_) TellRecords();
}
