#include "app/core/ReportFile.h"

#include <cmath>
#include <filesystem>

#include "app/core/DrawingPaper.h"
#include "app/core/Json.h"
#include "util/CodePage.h"
#include "util/Files.h"

namespace {

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace

namespace {

void WriteWarning(JsonWriter& j, const PageWarning& w) {
  j.BeginObject().Key("kind").String(WarningKey(w.What)).Key("text").String(DescribeWarning(w));
  switch (w.What) {
    case PageWarning::Kind::OffPage:
      j.Key("share").Number(std::round(w.OffShare * 1000) / 1000);
      j.Key("needed_width_mm").Int(NeededWholeMm(w.NeededWidthMm));
      j.Key("needed_height_mm").Int(NeededWholeMm(w.NeededHeightMm));
      if (w.HoldingSheet.empty())
        j.Key("sheet").Null();
      else
        j.Key("sheet").String(w.HoldingSheet);
      break;
    case PageWarning::Kind::ImageMissing:
      j.Key("image").String(util::Cp932ToUtf8(w.Name));
      break;
    case PageWarning::Kind::FontReplaced:
      j.Key("face").String(util::Cp932ToUtf8(w.Name)).Key("used").String(w.UsedInstead);
      break;
    case PageWarning::Kind::LayersLeftOut:
      j.Key("hidden_layers").Int(w.HiddenLayers).Key("hidden_entities").Int(w.HiddenEntities);
      j.Key("display_only_layers").Int(w.DisplayOnlyLayers).Key("display_only_entities").Int(w.DisplayOnlyEntities);
      break;
    case PageWarning::Kind::SheetUnknown:
      j.Key("paper_code").Int(w.PaperCode);
      break;
    case PageWarning::Kind::ResolutionLowered:
      j.Key("dpi").Int(w.Dpi).Key("given_dpi").Int(w.GivenDpi);
      break;
    case PageWarning::Kind::Blank:
    case PageWarning::Kind::BackgroundOnly:
      break;
  }
  j.EndObject();
}

// The problems that cut a file short, told beside its status; the images
// it could not place are told by each page.
void WriteFileWarning(JsonWriter& j, const FileProblem& p) {
  switch (p.What) {
    case FileProblem::Kind::BlocksCut:
    case FileProblem::Kind::PageCut:
      j.String(DescribeFileProblem(p));
      break;
    case FileProblem::Kind::ImagesMissing:
    case FileProblem::Kind::NoSuchFile:
    case FileProblem::Kind::NotAFile:
    case FileProblem::Kind::Empty:
    case FileProblem::Kind::NotDrawing:
    case FileProblem::Kind::OutOfMemory:
    case FileProblem::Kind::TooLarge:
    case FileProblem::Kind::Unreadable:
    case FileProblem::Kind::Damaged:
    case FileProblem::Kind::ImagesNotUnpacked:
      break;  // told by the pages, or as the reason
  }
}

}  // namespace

std::string RunReportJson(const std::vector<FileRecord>& files, const RunSummaryFields& run) {
  JsonWriter j;
  j.BeginObject();
  j.Key("program").String("kestrovan-print");
  j.Key("output").String(run.Output);
  j.Key("list_only").Bool(run.Listing);
  j.Key("stopped").Bool(run.Stopped);
  j.Key("pages").Int(run.Pages);
  j.Key("finished").Bool(run.Finished);
  if (run.ExitStatus >= 0) j.Key("exit_status").Int(run.ExitStatus);
  if (!run.Error.empty()) j.Key("error").String(run.Error);
  j.Key("files").BeginArray();
  for (const FileRecord& f : files) {
    // The path from the root, so a resume works from any folder; a name
    // that is not UTF-8 (copied from Windows, say) also as its bytes in hex.
    const std::string path = AbsolutePath(f.Path);
    j.BeginObject().Key("path").String(path);
    if (!IsUtf8(path)) j.Key("path_hex").String(Hex(path));
    j.Key("status").String(FileStatusKey(f.Status));
    if (const FileProblem* main = MainProblem(f)) j.Key("reason").String(DescribeFileProblem(*main));
    j.Key("warnings").BeginArray();
    for (const FileProblem& p : f.Problems) WriteFileWarning(j, p);
    j.EndArray();
    j.Key("pages").BeginArray();
    for (const PageReport& p : f.Pages) {
      j.BeginObject().Key("page").Int(p.Number).Key("title").String(util::Cp932ToUtf8(p.Title));
      if (p.LayerGroup >= 0) j.Key("layer_group").Int(p.LayerGroup);
      const std::string name = PaperName(p.PaperWidthMm, p.PaperHeightMm);
      j.Key("paper").BeginObject();
      if (name.empty())
        j.Key("name").Null();
      else
        j.Key("name").String(name);
      j.Key("width_mm").Number(p.PaperWidthMm).Key("height_mm").Number(p.PaperHeightMm);
      j.Key("orientation").String(p.PaperWidthMm >= p.PaperHeightMm ? "landscape" : "portrait");
      j.EndObject();
      j.Key("warnings").BeginArray();
      for (const PageWarning& w : p.Warnings) WriteWarning(j, w);
      j.EndArray();
      j.EndObject();
    }
    j.EndArray();
    j.EndObject();
  }
  j.EndArray();
  j.EndObject();
  return j.Text() + "\n";
}

util::Status WriteRunReport(const std::string& path, const std::vector<FileRecord>& files,
                            const RunSummaryFields& run) {
  return util::ReplaceFile(path, RunReportJson(files, run));
}
