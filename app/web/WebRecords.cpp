#include "app/web/WebRecords.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "app/core/DrawingPaper.h"
#include "util/CodePage.h"

namespace web {
namespace {

using Json = nlohmann::json;

// A client's name as JSON text: bytes that are not UTF-8 show as U+FFFD
// (every answer is dumped replacing them).
const std::string& ShownName(const std::string& name) { return name; }

Json Lines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& l : lines) joined += (joined.empty() ? "" : "。") + l;
  return joined;
}

Json WarningJson(const PageWarning& w) {
  Json o = {{"kind", WarningKey(w.What)}, {"text", DescribeWarning(w)}};
  switch (w.What) {
    case PageWarning::Kind::OffPage:
      o["share"] = std::round(w.OffShare * 1000) / 1000;
      o["needed_width_mm"] = NeededWholeMm(w.NeededWidthMm);
      o["needed_height_mm"] = NeededWholeMm(w.NeededHeightMm);
      o["sheet"] = w.HoldingSheet.empty() ? Json() : Json(w.HoldingSheet);
      break;
    case PageWarning::Kind::ImageMissing:
      o["image"] = util::Cp932ToUtf8(w.Name);
      break;
    case PageWarning::Kind::FontReplaced:
      o["face"] = util::Cp932ToUtf8(w.Name);
      o["used"] = w.UsedInstead;
      break;
    case PageWarning::Kind::LayersLeftOut:
      o["hidden_layers"] = w.HiddenLayers;
      o["hidden_entities"] = w.HiddenEntities;
      o["display_only_layers"] = w.DisplayOnlyLayers;
      o["display_only_entities"] = w.DisplayOnlyEntities;
      break;
    case PageWarning::Kind::SheetUnknown:
      o["paper_code"] = w.PaperCode;
      break;
    case PageWarning::Kind::ResolutionLowered:
      o["dpi"] = w.Dpi;
      o["given_dpi"] = w.GivenDpi;
      break;
    case PageWarning::Kind::Blank:
    case PageWarning::Kind::BackgroundOnly:
      break;
  }
  o["shown"] = words::Warning(w);
  o["loses_content"] = LosesContent(w);
  return o;
}

Json ProblemJson(const FileProblem& p) {
  Json o = {{"kind", FileProblemKey(p.What)}, {"text", DescribeFileProblem(p)}, {"shown", words::Problem(p)}};
  return o;
}

// One file's record, named as the client named it.
Json RecordJson(const FileRecord& f, const std::string& name) {
  Json o = {{"path", ShownName(name)}, {"status", FileStatusKey(f.Status)}, {"status_text", words::Status(f.Status)}};
  if (const FileProblem* main = MainProblem(f)) {
    o["reason"] = DescribeFileProblem(*main);
    o["problem"] = ProblemJson(*main);
  }
  Json problems = Json::array();
  for (const FileProblem& p : f.Problems) problems.push_back(ProblemJson(p));
  o["problems"] = problems;
  Json pages = Json::array();
  for (const PageReport& p : f.Pages) {
    Json page = {{"page", p.Number}, {"title", util::Cp932ToUtf8(p.Title)}};
    if (p.LayerGroup >= 0) page["layer_group"] = p.LayerGroup;
    const std::string paper = PaperName(p.PaperWidthMm, p.PaperHeightMm);
    page["paper"] = {{"name", paper.empty() ? Json() : Json(paper)},
                     {"width_mm", p.PaperWidthMm},
                     {"height_mm", p.PaperHeightMm},
                     {"orientation", p.PaperWidthMm >= p.PaperHeightMm ? "landscape" : "portrait"}};
    Json warnings = Json::array();
    for (const PageWarning& w : p.Warnings) warnings.push_back(WarningJson(w));
    page["warnings"] = warnings;
    pages.push_back(page);
  }
  o["pages"] = pages;
  // The file's lines as the window lists them, told apart from the pages'
  // own lines (the page shows those under each page).
  std::vector<std::string> lines;
  for (const words::Told& t : words::TellFile(f))
    if (t.What != words::Told::PageWarning && t.What != words::Told::PageNote) lines.push_back(t.Text);
  o["shown"] = Lines(lines);
  return o;
}

}  // namespace

std::string ErrorJson(words::WebProblem kind, const std::string& english) {
  return Json{{"error", english}, {"kind", words::WebProblemKey(kind)}, {"text", words::WebProblemWords(kind)}}.dump(
      -1, ' ', false, Json::error_handler_t::replace);
}

std::string JobJson(const Job& job, int ahead) {
  Json o = {{"id", job.Id}, {"state", StateName(job.State)}, {"total", job.Paths.size()}, {"done", job.FilesDone}};
  if (ahead >= 0) o["ahead"] = ahead;
  const bool over = job.State == JobState::Done || job.State == JobState::Failed;
  if (over) {
    o["pages"] = job.Pages;
    o["pdf"] = job.HasPdf;
    if (!job.Error.empty()) {
      o["error"] = job.Error;
      o["error_kind"] = words::WebProblemKey(job.ErrorKind);
      o["error_text"] = job.ErrorText;
    }
    o["files"] = Json::parse(job.FilesJson, nullptr, false);
    if (o["files"].is_discarded()) o["files"] = Json::array();
  } else {
    Json files = Json::array();
    for (const std::string& name : job.Names) files.push_back({{"path", ShownName(name)}});
    o["files"] = files;
  }
  return o.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string ClientRecords(const RunReport& report, const Job& job, const std::vector<size_t>& printed,
                          const std::map<size_t, std::string>& died) {
  Json out = Json::array();
  size_t next = 0;
  for (size_t i = 0; i < job.Paths.size(); ++i) {
    const auto dead = died.find(i);
    if (dead != died.end()) {
      FileRecord passed;
      passed.Status = FileStatus::PassedOver;
      Json record = RecordJson(passed, job.Names[i]);
      record["reason"] = "the print program ended on this drawing (" + dead->second + ")";
      record["problem"] = {{"kind", words::WebProblemKey(words::WebProblem::DiedOnDrawing)},
                           {"signal", dead->second},
                           {"text", record["reason"]},
                           {"shown", words::WebProblemWords(words::WebProblem::DiedOnDrawing)}};
      record["problems"] = Json::array({record["problem"]});
      record["shown"] = words::WebProblemWords(words::WebProblem::DiedOnDrawing);
      out.push_back(record);
      continue;
    }
    if (next >= printed.size() || printed[next] != i || next >= report.Files.size()) continue;
    out.push_back(RecordJson(report.Files[next++], job.Names[i]));
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace web
