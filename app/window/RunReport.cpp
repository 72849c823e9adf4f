#include "app/window/RunReport.h"

#include "util/CodePage.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include "app/window/WindowCommon.h"
#include "util/Messages.h"
#include "app/core/PaperSize.h"

#include <cctype>

QString RunSummaryLine(const PrintRunResult& r, const std::vector<RunProblem>& problems) {
  int count[5] = {};
  for (const RunProblem& p : problems)
    if (p.What < 5) ++count[p.What];
  QString line = r.Stopped ? QStringLiteral("印刷を途中終了しました。") : QStringLiteral("印刷終了しました。");
  line += QStringLiteral("%1ページ（%2ファイル）を印刷").arg(r.Pages).arg(r.FilesPrinted);
  const char* const names[5] = {"読み飛ばし", "破損", "印刷するものなし", "一部省略", "未印刷"};
  for (int k = 0; k < 5; ++k)
    if (count[k] > 0) line += QStringLiteral("、%1 %2").arg(QString::fromUtf8(names[k])).arg(count[k]);
  int pages = 0;
  for (const RunProblem& p : problems) pages += p.What == RunProblem::PageWarning;
  if (pages > 0) line += QStringLiteral("、警告 %1").arg(pages);
  return line + QStringLiteral("。");
}

bool NeedsAttention(const std::vector<RunProblem>& problems) {
  for (const RunProblem& p : problems)
    if (p.What != RunProblem::PageNote) return true;
  return false;
}

// A sheet as the window names it: the sizes beyond A0 (2A … 5A, as the CAD
// program calls them) with their size, which says more than the name.
QString SheetName(const std::string& sheet) {
  const QString name = QString::fromStdString(sheet);
  const NamedPaper* paper = FindNamedPaper(sheet);
  if (!paper || std::isalpha(static_cast<unsigned char>(sheet[0]))) return name;
  return QStringLiteral("%1（%2×%3mm）").arg(name).arg(paper->LongMm).arg(paper->ShortMm);
}

QString PageWarningText(const PageWarning& w) {
  switch (w.What) {
    case PageWarning::Kind::OffPage:
      return QStringLiteral("用紙からはみ出しています：印刷範囲の%1が用紙の外です（中央合わせで%2×%3mm必要%4）")
          .arg(w.OffShare < 0.005 ? QStringLiteral("1%未満") : QStringLiteral("約%1%").arg(qRound(w.OffShare * 100)))
          .arg(NeededWholeMm(w.NeededWidthMm))
          .arg(NeededWholeMm(w.NeededHeightMm))
          .arg(w.HoldingSheet.empty() ? QString() : QStringLiteral("、%1に入ります").arg(SheetName(w.HoldingSheet)));
    case PageWarning::Kind::Blank:
      return QStringLiteral("白紙です：印刷されるものがありません（非表示か印刷しないレイヤ、または用紙の外）");
    case PageWarning::Kind::BackgroundOnly:
      return QStringLiteral("用紙と同じ白色でしか印刷されません（「SXF線色の白色を黒色にする」などで黒に）");
    case PageWarning::Kind::ImageMissing:
      return QString();  // said per drawing
    case PageWarning::Kind::FontReplaced:
      return QStringLiteral("フォント「%1」がないため「%2」で印刷")
          .arg(QString::fromStdString(util::Cp932ToUtf8(w.Name)), QString::fromStdString(w.UsedInstead));
    case PageWarning::Kind::LayersLeftOut: {
      QStringList parts;
      if (w.HiddenLayers > 0)
        parts << QStringLiteral("非表示レイヤ %1（%2要素）").arg(w.HiddenLayers).arg(w.HiddenEntities);
      if (w.DisplayOnlyLayers > 0)
        parts << QStringLiteral("表示のみレイヤ %1（%2要素）").arg(w.DisplayOnlyLayers).arg(w.DisplayOnlyEntities);
      return QStringLiteral("印刷しないレイヤ：") + parts.join(QStringLiteral("、"));
    }
    case PageWarning::Kind::SheetUnknown:
      return QStringLiteral("図面の用紙（コード%1）が分からないため指定の用紙で印刷").arg(w.PaperCode);
    case PageWarning::Kind::ResolutionLowered:
      return QStringLiteral("メモリに収まらないため %1 dpi ではなく %2 dpi で印刷").arg(w.GivenDpi).arg(w.Dpi);
  }
  return QString();
}

QString RunProblemList(const std::vector<RunProblem>& problems) {
  QString text;
  for (const RunProblem& p : problems) text += QFileInfo(p.Path).fileName() + QStringLiteral("：") + p.Reason + "\n";
  return text;
}

WindowRunObserver::WindowRunObserver(ShowFile showFile, QLabel* status, QProgressBar* progress, StopPoll stop)
    : showFile_(std::move(showFile)), status_(status), progress_(progress), stop_(stop) {}

void WindowRunObserver::Status(const std::string& sjis) {
  status_->setText(window::Q(sjis));
  status_->repaint();
}

void WindowRunObserver::FileStarted(size_t index, size_t count, const std::string&) {
  current_ = index;
  showFile_(index);
  progress_->setRange(0, static_cast<int>(count));
  progress_->setValue(static_cast<int>(index + 1));
  progress_->repaint();
}

void WindowRunObserver::FileFinished(const FileRecord& file) {
  if (FileDone) FileDone(current_, file);
}

void WindowRunObserver::ProcessMessages() { QApplication::processEvents(); }

bool WindowRunObserver::StopRequested() {
  if (!stop_()) return false;
  QApplication::beep();
  return true;
}

namespace {

QString Words(const char* utf8) { return QString::fromUtf8(utf8); }

// One problem of a file in the user's words, and the list it goes in.
RunProblem Told(const FileRecord& file, const FileProblem& p) {
  const QString path = QString::fromStdString(file.Path);
  switch (p.What) {
    case FileProblem::Kind::NoSuchFile:
      return {RunProblem::PassedOver, path, Words(msg::kNoSuchFile)};
    case FileProblem::Kind::NotAFile:
      return {RunProblem::PassedOver, path, Words(msg::kNotAFile)};
    case FileProblem::Kind::Empty:
      return {RunProblem::PassedOver, path, Words(msg::kEmptyFile)};
    case FileProblem::Kind::NotDrawing:
      return {RunProblem::PassedOver, path, Words(msg::kNotDrawing)};
    case FileProblem::Kind::OutOfMemory:
      return {RunProblem::PassedOver, path, Words(msg::kOutOfMemory)};
    case FileProblem::Kind::TooLarge:
      return {RunProblem::PassedOver, path, Words(msg::kTooLarge)};
    case FileProblem::Kind::Unreadable:
      return {RunProblem::PassedOver, path, Words(msg::kUnreadable)};
    case FileProblem::Kind::Damaged:
      return {RunProblem::Damaged, path, Words(msg::kDamaged)};
    case FileProblem::Kind::ImagesNotUnpacked:
      return {RunProblem::Damaged, path, Words(msg::kImagesNotUnpacked)};
    case FileProblem::Kind::BlocksCut:
    case FileProblem::Kind::PageCut:
      return {RunProblem::CutShort, path, Words(msg::kCutShort)};
    case FileProblem::Kind::ImagesMissing: {
      QStringList names;
      for (const std::string& n : p.Names) names << QString::fromStdString(util::Cp932ToUtf8(n));
      return {RunProblem::CutShort, path, Words(msg::kImagesMissing) + names.join(QStringLiteral("、"))};
    }
  }
  return {RunProblem::CutShort, path, QString()};
}

}  // namespace

std::vector<RunProblem> RunProblems(const std::vector<FileRecord>& files, bool stopped) {
  std::vector<RunProblem> out;
  for (const FileRecord& file : files) {
    const QString path = QString::fromStdString(file.Path);
    // What the reading found, then each page, then what the pages lost.
    for (const FileProblem& p : file.Problems)
      if (p.What != FileProblem::Kind::PageCut && p.What != FileProblem::Kind::ImagesMissing)
        out.push_back(Told(file, p));
    for (const PageReport& page : file.Pages)
      for (const PageWarning& w : page.Warnings) {
        const QString text = PageWarningText(w);
        if (text.isEmpty()) continue;
        // Marked, so the list tells the warnings the summary counts from the notes.
        const bool loses = LosesContent(w);
        out.push_back({loses ? RunProblem::PageWarning : RunProblem::PageNote, path,
                       QStringLiteral("%1ページ目").arg(page.Number) +
                           (loses ? QStringLiteral("【警告】") : QStringLiteral("【注記】")) + text});
      }
    for (const FileProblem& p : file.Problems)
      if (p.What == FileProblem::Kind::PageCut || p.What == FileProblem::Kind::ImagesMissing)
        out.push_back(Told(file, p));
    switch (file.Status) {
      case FileStatus::Blank:
      case FileStatus::Damaged:
        if (file.Pages.empty()) out.push_back({RunProblem::Blank, path, Words(msg::kNothingToPrint)});
        break;
      case FileStatus::Stopped:
        out.push_back({RunProblem::CutShort, path, Words(msg::kStoppedInside)});
        break;
      case FileStatus::NotReached:
        // A run whose output failed says so once, above the list.
        if (stopped) out.push_back({RunProblem::NotReached, path, Words(msg::kNotReached)});
        break;
      case FileStatus::Printed:
      case FileStatus::PassedOver:
      case FileStatus::NotWritten:
        break;
    }
  }
  return out;
}
