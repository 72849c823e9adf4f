#include "app/window/RunReport.h"

#include "util/CodePage.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>

#include "app/window/WindowCommon.h"

QString RunSummaryLine(const PrintRunResult& r) { return QString::fromStdString(words::Summary(r.Files, r.Stopped)); }

bool NeedsAttention(const std::vector<RunProblem>& problems) {
  for (const RunProblem& p : problems)
    if (p.What != RunProblem::PageNote) return true;
  return false;
}

QString PageWarningText(const PageWarning& w) { return QString::fromStdString(words::Warning(w)); }

std::vector<RunProblem> RunProblems(const std::vector<FileRecord>& files, bool stopped) {
  return words::TellFiles(files, stopped);
}

QString RunProblemList(const std::vector<RunProblem>& problems) {
  QString text;
  for (const RunProblem& p : problems)
    text += QFileInfo(QString::fromStdString(p.Path)).fileName() + QStringLiteral("：") + QString::fromStdString(p.Text) + "\n";
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
