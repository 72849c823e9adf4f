// What the window tells about a print run: the drawing being printed, the
// progress "n / N", and afterwards what was printed and what went wrong.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "app/core/PrintRun.h"
#include "app/core/RecordWords.h"

class QLabel;
class QProgressBar;

// One thing the window tells of a drawing of the run (the core's words).
using RunProblem = words::Told;

// What went wrong in each file of a run, in the user's words, file by file
// (stopped: the files never reached are listed too).
std::vector<RunProblem> RunProblems(const std::vector<FileRecord>& files, bool stopped);

// The one-line summary of a run for the status bar ("印刷終了しました。…").
QString RunSummaryLine(const PrintRunResult& r);
// Every problem, a line each, for the dialog after the run.
QString RunProblemList(const std::vector<RunProblem>& problems);
// A page's warning in the user's words; empty for those told per file.
QString PageWarningText(const PageWarning& w);
// Problems worth a dialog: anything but notes.
bool NeedsAttention(const std::vector<RunProblem>& problems);

class WindowRunObserver : public PrintRunObserver {
 public:
  using StopPoll = std::function<bool()>;
  // `showFile`: the list shows the run's file i as the one being printed.
  using ShowFile = std::function<void(size_t)>;
  WindowRunObserver(ShowFile showFile, QLabel* status, QProgressBar* progress, StopPoll stop);
  void Status(const std::string& sjis) override;
  void FileStarted(size_t index, size_t count, const std::string& path) override;
  void ProcessMessages() override;
  bool StopRequested() override;
  void FileFinished(const FileRecord& file) override;
  // Told each file of the run as it is done with: its place in the run, its record.
  std::function<void(size_t, const FileRecord&)> FileDone;

 private:
  ShowFile showFile_;
  size_t current_ = 0;  // the run's file being printed
  QLabel* status_;
  QProgressBar* progress_;
  StopPoll stop_;
};
