#include "app/core/ReportFile.h"

#include <cmath>
#include <filesystem>

#include <nlohmann/json.hpp>

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

// A file problem: its kind, its data and an English text for people.
void WriteProblem(JsonWriter& j, const FileProblem& p) {
  using K = FileProblem::Kind;
  j.BeginObject().Key("kind").String(FileProblemKey(p.What)).Key("text").String(DescribeFileProblem(p));
  switch (p.What) {
    case K::TooLarge:
      j.Key("size_bytes").Int(p.Count).Key("limit_bytes").Int(p.Limit);
      break;
    case K::Unreadable:
      j.Key("why").String(p.Why);
      break;
    case K::Damaged:
      j.Key("why").String(p.Why).Key("offset").Int(p.Count);
      break;
    case K::ImagesNotUnpacked:
      j.Key("images").Int(p.Count);
      break;
    case K::BlocksCut:
      j.Key("placed_blocks_limit").Int(p.Count).Key("entities_limit").Int(p.Limit);
      break;
    case K::PageCut:
      j.Key("limit").Int(p.Count);
      break;
    case K::ImagesMissing:
      j.Key("images").BeginArray();
      for (const std::string& name : p.Names) j.String(util::Cp932ToUtf8(name));
      j.EndArray();
      break;
    case K::NoSuchFile:
    case K::NotAFile:
    case K::Empty:
    case K::NotDrawing:
    case K::OutOfMemory:
      break;
  }
  j.EndObject();
}

}  // namespace

std::string FileRecordJson(const FileRecord& f) {
  JsonWriter j;
  // The path from the root, so a resume works from any folder; a name
  // that is not UTF-8 (copied from Windows, say) also as its bytes in hex.
  const std::string path = AbsolutePath(f.Path);
  j.BeginObject().Key("path").String(path);
  if (!IsUtf8(path)) j.Key("path_hex").String(Hex(path));
  j.Key("status").String(FileStatusKey(f.Status));
  // The problem that passed it over or damaged it, in words and as data;
  // then every problem found, in order.
  if (const FileProblem* main = MainProblem(f)) {
    j.Key("reason").String(DescribeFileProblem(*main));
    j.Key("problem");
    WriteProblem(j, *main);
  }
  j.Key("problems").BeginArray();
  for (const FileProblem& p : f.Problems) WriteProblem(j, p);
  j.EndArray();
  // Those that cut it short (blocks, a page) in words, as earlier reports had them.
  j.Key("warnings").BeginArray();
  for (const FileProblem& p : f.Problems)
    if (p.What == FileProblem::Kind::BlocksCut || p.What == FileProblem::Kind::PageCut)
      j.String(DescribeFileProblem(p));
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
  return j.Text();
}

namespace {

std::string ReportJson(const std::vector<FileRecord>& files, const std::vector<std::string>& parts,
                       const RunSummaryFields& run) {
  JsonWriter j;
  j.BeginObject();
  j.Key("program").String("kestrovan-print");
  j.Key("output").String(run.Output);
  j.Key("list_only").Bool(run.Listing);
  j.Key("stopped").Bool(run.Stopped);
  j.Key("pages").Int(CountRun(files).Pages);
  j.Key("finished").Bool(run.Finished);
  if (run.ExitStatus >= 0) j.Key("exit_status").Int(run.ExitStatus);
  if (run.Failure != RunFailure::None)
    j.Key("failure").BeginObject().Key("kind").String(RunFailureKey(run.Failure)).Key("text").String(run.FailureWhy).EndObject();
  if (!run.Error.empty()) j.Key("error").String(run.Error);
  j.Key("files").BeginArray();
  for (const std::string& part : parts) j.Raw(part);
  j.EndArray();
  j.EndObject();
  return j.Text() + "\n";
}

}  // namespace

std::string RunReportJson(const std::vector<FileRecord>& files, const RunSummaryFields& run) {
  std::vector<std::string> parts;
  for (const FileRecord& f : files) parts.push_back(FileRecordJson(f));
  return ReportJson(files, parts, run);
}

util::Status WriteRunReport(const std::string& path, const std::vector<FileRecord>& files,
                            const RunSummaryFields& run) {
  return util::ReplaceFile(path, RunReportJson(files, run), run.Finished ? util::Flush::ToDisk : util::Flush::No);
}

util::Status LiveReport::Write(const std::vector<FileRecord>& files, const RunSummaryFields& run) {
  if (parts_.size() != files.size()) {
    parts_.assign(files.size(), std::string());
    shape_.assign(files.size(), Shape{});
  }
  for (size_t i = 0; i < files.size(); ++i) {
    // Within a run a file's record only grows (problems, pages) or changes
    // its status: its part is made again only then.
    const Shape now{files[i].Status, files[i].Problems.size(), files[i].Pages.size(), true};
    if (shape_[i] == now) continue;
    shape_[i] = now;
    parts_[i] = FileRecordJson(files[i]);
  }
  return util::ReplaceFile(path_, ReportJson(files, parts_, run),
                           run.Finished ? util::Flush::ToDisk : util::Flush::No);
}

namespace {

using Json = nlohmann::json;

// Values read with their type checked: anything else reads as the default.
std::string Text(const Json& o, const char* key) {
  const auto it = o.find(key);
  return it != o.end() && it->is_string() ? it->get<std::string>() : std::string();
}
int64_t Whole(const Json& o, const char* key) {
  const auto it = o.find(key);
  if (it == o.end() || !it->is_number()) return 0;
  const double v = it->get<double>();
  return std::isfinite(v) && std::fabs(v) < 9e18 ? static_cast<int64_t>(v) : 0;
}
double Real(const Json& o, const char* key) {
  const auto it = o.find(key);
  return it != o.end() && it->is_number() ? it->get<double>() : 0;
}
bool Flag(const Json& o, const char* key) {
  const auto it = o.find(key);
  return it != o.end() && it->is_boolean() && it->get<bool>();
}
const Json& Array(const Json& o, const char* key) {
  static const Json kEmpty = Json::array();
  const auto it = o.find(key);
  return it != o.end() && it->is_array() ? *it : kEmpty;
}

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10; };
    out += static_cast<char>(digit(hex[i]) << 4 | digit(hex[i + 1]));
  }
  return out;
}

bool ReadProblem(const Json& o, FileProblem& p) {
  using K = FileProblem::Kind;
  if (!o.is_object() || !FileProblemFromKey(Text(o, "kind"), p.What)) return false;
  switch (p.What) {
    case K::TooLarge:
      p.Count = Whole(o, "size_bytes");
      p.Limit = Whole(o, "limit_bytes");
      break;
    case K::Unreadable:
      p.Why = Text(o, "why");
      break;
    case K::Damaged:
      p.Why = Text(o, "why");
      p.Count = Whole(o, "offset");
      break;
    case K::ImagesNotUnpacked:
      p.Count = Whole(o, "images");
      break;
    case K::BlocksCut:
      p.Count = Whole(o, "placed_blocks_limit");
      p.Limit = Whole(o, "entities_limit");
      break;
    case K::PageCut:
      p.Count = Whole(o, "limit");
      break;
    case K::ImagesMissing:
      for (const Json& name : Array(o, "images"))
        if (name.is_string()) p.Names.push_back(util::Utf8ToCp932(name.get<std::string>()));
      break;
    case K::NoSuchFile:
    case K::NotAFile:
    case K::Empty:
    case K::NotDrawing:
    case K::OutOfMemory:
      break;
  }
  return true;
}

bool ReadWarning(const Json& o, PageWarning& w) {
  using W = PageWarning::Kind;
  if (!o.is_object() || !WarningFromKey(Text(o, "kind"), w.What)) return false;
  switch (w.What) {
    case W::OffPage:
      w.OffShare = Real(o, "share");
      w.NeededWidthMm = Real(o, "needed_width_mm");
      w.NeededHeightMm = Real(o, "needed_height_mm");
      w.HoldingSheet = Text(o, "sheet");
      break;
    case W::ImageMissing:
      w.Name = util::Utf8ToCp932(Text(o, "image"));
      break;
    case W::FontReplaced:
      w.Name = util::Utf8ToCp932(Text(o, "face"));
      w.UsedInstead = Text(o, "used");
      break;
    case W::LayersLeftOut:
      w.HiddenLayers = static_cast<int>(Whole(o, "hidden_layers"));
      w.HiddenEntities = Whole(o, "hidden_entities");
      w.DisplayOnlyLayers = static_cast<int>(Whole(o, "display_only_layers"));
      w.DisplayOnlyEntities = Whole(o, "display_only_entities");
      break;
    case W::SheetUnknown:
      w.PaperCode = static_cast<int32_t>(Whole(o, "paper_code"));
      break;
    case W::ResolutionLowered:
      w.Dpi = static_cast<int32_t>(Whole(o, "dpi"));
      w.GivenDpi = static_cast<int32_t>(Whole(o, "given_dpi"));
      break;
    case W::Blank:
    case W::BackgroundOnly:
      break;
  }
  return true;
}

}  // namespace

util::Result<RunReport> ReadRunReport(const std::string& json) {
  const Json doc = Json::parse(json, nullptr, false);
  const auto files = doc.is_object() ? doc.find("files") : doc.end();
  if (!doc.is_object() || files == doc.end() || !files->is_array())
    return util::Status::Failure("it is not a kestrovan-print report");
  RunReport r;
  r.Run.Output = Text(doc, "output");
  r.Run.Listing = Flag(doc, "list_only");
  r.Run.Stopped = Flag(doc, "stopped");
  r.Run.Finished = Flag(doc, "finished");
  r.Run.ExitStatus = doc.contains("exit_status") ? static_cast<int>(Whole(doc, "exit_status")) : -1;
  r.Run.Error = Text(doc, "error");
  r.Pages = static_cast<int>(Whole(doc, "pages"));
  if (const auto failure = doc.find("failure"); failure != doc.end() && failure->is_object()) {
    if (!RunFailureFromKey(Text(*failure, "kind"), r.Run.Failure)) r.Run.Failure = RunFailure::OutputNotWritten;
    r.Run.FailureWhy = Text(*failure, "text");
  }
  for (const Json& f : *files) {
    if (!f.is_object()) return util::Status::Failure("a file of the report is not a record");
    FileRecord file;
    const std::string hex = Text(f, "path_hex");
    file.Path = hex.empty() ? Text(f, "path") : FromHex(hex);
    if (!FileStatusFromKey(Text(f, "status"), file.Status))
      return util::Status::Failure("the report names a status no run writes: \"" + Text(f, "status") + "\"");
    for (const Json& p : Array(f, "problems")) {
      FileProblem problem;
      if (ReadProblem(p, problem)) file.Problems.push_back(std::move(problem));
    }
    for (const Json& p : Array(f, "pages")) {
      if (!p.is_object()) continue;
      PageReport page;
      page.Number = static_cast<int>(Whole(p, "page"));
      page.Title = util::Utf8ToCp932(Text(p, "title"));
      page.LayerGroup = p.contains("layer_group") ? static_cast<int>(Whole(p, "layer_group")) : -1;
      if (const auto paper = p.find("paper"); paper != p.end() && paper->is_object()) {
        page.PaperWidthMm = Real(*paper, "width_mm");
        page.PaperHeightMm = Real(*paper, "height_mm");
      }
      for (const Json& w : Array(p, "warnings")) {
        PageWarning warning;
        if (ReadWarning(w, warning)) page.Warnings.push_back(std::move(warning));
      }
      file.Pages.push_back(std::move(page));
    }
    r.Files.push_back(std::move(file));
  }
  return r;
}

util::Result<RunReport> ReadRunReportFile(const std::string& path) {
  // A regular file of bounded size, so a FIFO or a device named by mistake
  // is refused rather than waited on.
  const util::Result<std::string> text = util::ReadSmallFile(path);
  if (!text) return text.GetStatus();
  return ReadRunReport(text.Value());
}
