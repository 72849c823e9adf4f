#include "app/window/RunReport.h"

#include "util/CodePage.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include "app/window/WindowCommon.h"

QString PassedOverReason(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("ファイルがありません");
  if (!info.isFile()) return QStringLiteral("ファイルではありません");
  if (info.size() == 0) return QStringLiteral("空のファイルです");
  return QStringLiteral("図面ファイルではありません");
}

QString RunSummaryLine(const PrintRunResult& r, const std::vector<RunProblem>& problems) {
  int count[5] = {};
  for (const RunProblem& p : problems)
    if (p.What < 5) ++count[p.What];
  QString line = r.Stopped ? QStringLiteral("印刷を途中終了しました。") : QStringLiteral("印刷終了しました。");
  line += QStringLiteral("%1ページ（%2ファイル）を印刷").arg(r.Pages).arg(r.FilesPrinted);
  const char* const names[5] = {"読み飛ばし", "破損", "白紙", "一部省略", "未印刷"};
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

QString PageWarningText(const PageWarning& w) {
  switch (w.What) {
    case PageWarning::Kind::OffPage:
      return QStringLiteral("用紙からはみ出しています：印刷範囲の%1が用紙の外です（中央合わせで%2×%3mm必要%4）")
          .arg(w.OffShare < 0.005 ? QStringLiteral("1%未満") : QStringLiteral("約%1%").arg(qRound(w.OffShare * 100)))
          .arg(NeededWholeMm(w.NeededWidthMm))
          .arg(NeededWholeMm(w.NeededHeightMm))
          .arg(w.HoldingSheet.empty() ? QString()
                                      : QStringLiteral("、%1に入ります").arg(QString::fromStdString(w.HoldingSheet)));
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
  started_ = index + 1;
  showFile_(index);
  progress_->setRange(0, static_cast<int>(count));
  progress_->setValue(static_cast<int>(index + 1));
  progress_->repaint();
}

void WindowRunObserver::Add(RunProblem::Kind what, const std::string& path, const QString& reason) {
  Problems.push_back({what, QString::fromStdString(path), reason});
}

void WindowRunObserver::FilePassedOver(const std::string& path, const std::string&) {
  Add(RunProblem::PassedOver, path, PassedOverReason(QString::fromStdString(path)));
}

void WindowRunObserver::FileDamaged(const std::string& path, const std::string& why) {
  Add(RunProblem::Damaged, path,
      why.find("embedded image") != std::string::npos
          ? QStringLiteral("図面に埋め込まれた画像を展開できませんでした（画像なしで印刷）")
          : QStringLiteral("ファイルが壊れています（読めた所まで印刷）"));
}

void WindowRunObserver::FileHasNothingToPrint(const std::string& path) {
  Add(RunProblem::Blank, path, QStringLiteral("印刷するものがありません（ページなし）"));
}

void WindowRunObserver::FileWarning(const std::string& path, const std::string&) {
  // Both guards the run reports this way: blocks nested or multiplied past
  // their limits, and a page asking for more entities than one page draws.
  Add(RunProblem::CutShort, path, QStringLiteral("ブロックの入れ子や図形の数が多すぎるため一部を省いて印刷"));
}

void WindowRunObserver::ImagesMissing(const std::string& path, const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& n : names) list << QString::fromStdString(util::Cp932ToUtf8(n));
  Add(RunProblem::CutShort, path, QStringLiteral("画像が見つからないか読めないため省いて印刷：") + list.join(QStringLiteral("、")));
}

void WindowRunObserver::PageFinished(const std::string& path, const PageReport& page) {
  ++Pages[path];
  for (const PageWarning& w : page.Warnings) {
    const QString text = PageWarningText(w);
    if (text.isEmpty()) continue;
    // Marked, so the list tells the warnings the summary counts from the notes.
    const bool loses = LosesContent(w);
    Add(loses ? RunProblem::PageWarning : RunProblem::PageNote, path,
        QStringLiteral("%1ページ目").arg(page.Number) + (loses ? QStringLiteral("【警告】") : QStringLiteral("【注記】")) +
            text);
  }
}

void WindowRunObserver::ProcessMessages() { QApplication::processEvents(); }

bool WindowRunObserver::StopRequested() {
  if (!stop_()) return false;
  QApplication::beep();
  stoppedBetweenFiles_ = true;
  return true;
}

void WindowRunObserver::Finish(const std::vector<std::string>& files, bool stopped) {
  if (!stopped) return;
  if (!stoppedBetweenFiles_ && started_ > 0 && started_ <= files.size())
    Add(RunProblem::CutShort, files[started_ - 1], QStringLiteral("中止したため途中まで印刷"));
  for (size_t i = started_; i < files.size(); ++i)
    Add(RunProblem::NotReached, files[i], QStringLiteral("中止したため印刷していません"));
}
