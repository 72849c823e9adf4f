#include "app/core/RecordWords.h"

#include <cctype>
#include <cmath>

#include "app/core/PaperSize.h"
#include "util/CodePage.h"

namespace words {
namespace {

std::string N(int64_t n) { return std::to_string(n); }

// A sheet as the window names it: the sizes beyond A0 (2A … 5A, as the CAD
// program calls them) with their size, which says more than the name.
std::string SheetName(const std::string& sheet) {
  const NamedPaper* paper = FindNamedPaper(sheet);
  if (!paper || sheet.empty() || std::isalpha(static_cast<unsigned char>(sheet[0]))) return sheet;
  return sheet + "（" + N(static_cast<int64_t>(paper->LongMm)) + "×" + N(static_cast<int64_t>(paper->ShortMm)) +
         "mm）";
}

std::string Joined(const std::vector<std::string>& parts, const char* between) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : between) + p;
  return out;
}

}  // namespace

std::string Status(FileStatus status) {
  switch (status) {
    case FileStatus::Printed:
      return "印刷";
    case FileStatus::Damaged:
      return "破損";
    case FileStatus::Blank:
      return "白紙";
    case FileStatus::PassedOver:
      return "読み飛ばし";
    case FileStatus::Stopped:
      return "途中まで";
    case FileStatus::NotReached:
    case FileStatus::NotWritten:
      return "未印刷";
  }
  return std::string();
}

std::string Problem(const FileProblem& p) {
  using K = FileProblem::Kind;
  switch (p.What) {
    case K::NoSuchFile:
      return "ファイルがありません";
    case K::NotAFile:
      return "ファイルではありません";
    case K::Empty:
      return "空のファイルです";
    case K::NotDrawing:
      return "図面ファイルではありません";
    case K::OutOfMemory:
      return "メモリが足りないため読めません";
    case K::TooLarge:
      return "図面としては大きすぎるため読みません（" + N(p.Limit >> 30) + " GiB まで）";
    case K::Unreadable:
      return "ファイルを読めません";
    case K::Damaged:
      return "ファイルが壊れています（読めた所まで印刷）";
    case K::ImagesNotUnpacked:
      return "図面に埋め込まれた画像を展開できませんでした（画像なしで印刷）";
    case K::BlocksCut:
    case K::PageCut:
      return "ブロックの入れ子や図形の数が多すぎるため一部を省いて印刷";
    case K::ImagesMissing: {
      std::vector<std::string> names;
      for (const std::string& n : p.Names) names.push_back(util::Cp932ToUtf8(n));
      return "画像が見つからないか読めないため省いて印刷：" + Joined(names, "、");
    }
  }
  return std::string();
}

std::string Warning(const PageWarning& w) {
  switch (w.What) {
    case PageWarning::Kind::OffPage: {
      const std::string share = w.OffShare < 0.005 ? "1%未満" : "約" + N(std::lround(w.OffShare * 100)) + "%";
      return "用紙からはみ出しています：印刷範囲の" + share + "が用紙の外です（中央合わせで" +
             N(NeededWholeMm(w.NeededWidthMm)) + "×" + N(NeededWholeMm(w.NeededHeightMm)) + "mm必要" +
             (w.HoldingSheet.empty() ? std::string() : "、" + SheetName(w.HoldingSheet) + "に入ります") + "）";
    }
    case PageWarning::Kind::Blank:
      return "白紙です：印刷されるものがありません（非表示か印刷しないレイヤ、または用紙の外）";
    case PageWarning::Kind::BackgroundOnly:
      return "用紙と同じ白色でしか印刷されません（「SXF線色の白色を黒色にする」などで黒に）";
    case PageWarning::Kind::ImageMissing:
      return std::string();  // said per drawing
    case PageWarning::Kind::FontReplaced:
      return "フォント「" + util::Cp932ToUtf8(w.Name) + "」がないため「" + w.UsedInstead + "」で印刷";
    case PageWarning::Kind::LayersLeftOut: {
      std::vector<std::string> parts;
      if (w.HiddenLayers > 0) parts.push_back("非表示レイヤ " + N(w.HiddenLayers) + "（" + N(w.HiddenEntities) + "要素）");
      if (w.DisplayOnlyLayers > 0)
        parts.push_back("表示のみレイヤ " + N(w.DisplayOnlyLayers) + "（" + N(w.DisplayOnlyEntities) + "要素）");
      return "印刷しないレイヤ：" + Joined(parts, "、");
    }
    case PageWarning::Kind::SheetUnknown:
      return "図面の用紙（コード" + N(w.PaperCode) + "）が分からないため指定の用紙で印刷";
    case PageWarning::Kind::ResolutionLowered:
      return "メモリに収まらないため " + N(w.GivenDpi) + " dpi ではなく " + N(w.Dpi) + " dpi で印刷";
  }
  return std::string();
}

std::string WarningMark(const PageWarning& w) { return LosesContent(w) ? "【警告】" : "【注記】"; }

std::string Failure(RunFailure failure) {
  switch (failure) {
    case RunFailure::None:
      return std::string();
    case RunFailure::NoTemporaryFolder:
      return "一時フォルダを作れないため印刷できませんでした";
    case RunFailure::OutputNotWritten:
      return "印刷データを書き出せませんでした";
    case RunFailure::OutOfMemory:
      return "メモリが足りないため印刷を続けられませんでした";
    case RunFailure::Refused:
      return "印刷の指定に誤りがあるため印刷を始めませんでした";
  }
  return std::string();
}

namespace {

Told::Kind GroupOf(FileProblem::Kind kind) {
  switch (WeightOf(kind)) {
    case ProblemWeight::PassesOver:
      return Told::PassedOver;
    case ProblemWeight::Damages:
      return Told::Damaged;
    case ProblemWeight::CutsShort:
      return Told::CutShort;
  }
  return Told::CutShort;
}

// Told after the pages: what the pages lost as a whole.
bool ToldAfterPages(FileProblem::Kind kind) {
  return kind == FileProblem::Kind::PageCut || kind == FileProblem::Kind::ImagesMissing;
}

// perFile: the file's own lines (its list entry), which also say why it was
// not written; a run's list says that once, above the list.
void TellFile(const FileRecord& file, bool stopped, bool perFile, std::vector<Told>& out) {
  for (const FileProblem& p : file.Problems)
    if (!ToldAfterPages(p.What)) out.push_back({GroupOf(p.What), file.Path, Problem(p)});
  for (const PageReport& page : file.Pages)
    for (const PageWarning& w : page.Warnings) {
      const std::string text = Warning(w);
      if (text.empty()) continue;
      out.push_back({LosesContent(w) ? Told::PageWarning : Told::PageNote, file.Path,
                     N(page.Number) + "ページ目" + WarningMark(w) + text});
    }
  for (const FileProblem& p : file.Problems)
    if (ToldAfterPages(p.What)) out.push_back({GroupOf(p.What), file.Path, Problem(p)});
  switch (file.Status) {
    case FileStatus::Blank:
    case FileStatus::Damaged:
      if (file.Pages.empty()) out.push_back({Told::Blank, file.Path, "印刷するものがありません（ページなし）"});
      break;
    case FileStatus::Stopped:
      out.push_back({Told::CutShort, file.Path, "中止したため途中まで印刷"});
      break;
    case FileStatus::NotReached:
      // A run whose output failed says so once, above the list.
      if (stopped) out.push_back({Told::NotReached, file.Path, "中止したため印刷していません"});
      break;
    case FileStatus::NotWritten:
      if (perFile) out.push_back({Told::NotReached, file.Path, "印刷データを書き出せなかったため印刷されていません"});
      break;
    case FileStatus::Printed:
    case FileStatus::PassedOver:
      break;
  }
}

}  // namespace

std::vector<Told> TellFiles(const std::vector<FileRecord>& files, bool stopped) {
  std::vector<Told> out;
  for (const FileRecord& file : files) TellFile(file, stopped, false, out);
  return out;
}

std::vector<Told> TellFile(const FileRecord& file) {
  std::vector<Told> told;
  TellFile(file, true, true, told);
  return told;
}

std::vector<std::string> FileLines(const FileRecord& file) {
  std::vector<std::string> lines;
  for (const Told& t : TellFile(file)) lines.push_back(t.Text);
  return lines;
}

std::string Summary(const std::vector<FileRecord>& files, bool stopped) {
  const RunCounts c = CountRun(files);
  std::string line = stopped ? "印刷を途中終了しました。" : "印刷終了しました。";
  line += N(c.Pages) + "ページ（" + N(c.FilesPrinted) + "ファイル）を印刷";
  const std::pair<const char*, int> groups[] = {
      {"読み飛ばし", c.FilesPassedOver},
      {"破損", c.FilesDamaged},
      {"印刷するものなし", c.FilesBlank},
      {"一部省略", c.FilesCutShort + c.FilesStopped},
      {"未印刷", (stopped ? c.FilesNotReached : 0) + c.FilesNotWritten},
  };
  for (const auto& [name, count] : groups)
    if (count > 0) line += std::string("、") + name + " " + N(count);
  int warnings = 0;
  for (const Told& t : TellFiles(files, stopped)) warnings += t.What == Told::PageWarning;
  if (warnings > 0) line += "、警告 " + N(warnings);
  return line + "。";
}

namespace {

struct WebRow {
  WebProblem Problem;
  const char* Key;
  const char* Words;
};
constexpr WebRow kWebProblems[] = {
    {WebProblem::NotMultipart, "not_multipart", "図面は multipart/form-data で送ってください"},
    {WebProblem::NoDrawings, "no_drawings", "図面が送られていません"},
    {WebProblem::FileAsField, "file_as_field", "図面は「files」という名前で送ってください"},
    {WebProblem::TooManyFields, "too_many_fields", "送信項目が多すぎます"},
    {WebProblem::FieldTooLong, "field_too_long", "送信項目が長すぎます"},
    {WebProblem::BadOption, "bad_option", "印刷の指定に誤りがあります"},
    {WebProblem::UploadIncomplete, "upload_incomplete", "送信が途中で切れました"},
    {WebProblem::TooManyFiles, "too_many_files", "1回に送れる図面の数を超えています。何回かに分けて送ってください"},
    {WebProblem::FileTooLarge, "file_too_large", "このサーバで受け付ける図面の大きさを超えています"},
    {WebProblem::JobTooLarge, "job_too_large", "1回に送れる量を超えています。何回かに分けて送ってください"},
    {WebProblem::QueueFull, "queue_full", "サーバが混み合っています。しばらくしてからもう一度お試しください"},
    {WebProblem::NoRoom, "no_room", "サーバの空き容量が足りません"},
    {WebProblem::ServerFolder, "server_folder", "サーバで図面を保存できませんでした"},
    {WebProblem::PasswordNeeded, "password_needed", "パスワードが必要です（ページを読み込み直してください）"},
    {WebProblem::OtherSite, "other_site", "ほかのサイトのページからは送信できません"},
    {WebProblem::NoSuchJob, "no_such_job", "この印刷はもうありません（結果はしばらくの間だけ残ります）"},
    {WebProblem::NotFinished, "not_finished", "印刷がまだ終わっていません"},
    {WebProblem::NoPdf, "no_pdf", "印刷されたページがないためPDFはありません"},
    {WebProblem::NoQueueNamed, "no_queue_named", "プリンタを選んでください"},
    {WebProblem::NoSuchQueue, "no_such_queue", "このサーバにそのプリンタはありません"},
    {WebProblem::QueueRefused, "queue_refused", "プリンタが印刷を受け付けませんでした"},
    {WebProblem::NoSuchPage, "no_such_page", "そのページはありません"},
    {WebProblem::MethodNotAllowed, "method_not_allowed", "その操作はできません"},
    {WebProblem::BadRequest, "bad_request", "送信内容を読めませんでした"},
    {WebProblem::ServerError, "server_error", "サーバでエラーが起きました"},
    {WebProblem::DiedOnDrawing, "died_on_drawing", "この図面で印刷が異常終了したため、この図面を除いて印刷しました"},
    {WebProblem::TimedOut, "timed_out", "時間がかかりすぎたため印刷を止めました"},
    {WebProblem::NoReport, "no_report", "印刷の結果を読めませんでした"},
    {WebProblem::RunFailed, "run_failed", "印刷できませんでした"},
};

const WebRow& RowOf(WebProblem problem) {
  for (const WebRow& row : kWebProblems)
    if (row.Problem == problem) return row;
  return kWebProblems[0];
}

}  // namespace

const char* WebProblemKey(WebProblem problem) { return RowOf(problem).Key; }
std::string WebProblemWords(WebProblem problem) { return RowOf(problem).Words; }

}  // namespace words
