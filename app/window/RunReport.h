// What the window tells about a print run: the drawing being printed, the
// progress "n / N", and afterwards what was printed and what went wrong.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "app/core/PrintRun.h"

class QLabel;
class QProgressBar;

// One drawing that did not print as it should.
struct RunProblem {
  // PageWarning: a page lost content (off the paper, blank, only white, a
  // font replaced); PageNote: layers left out, the drawing's paper unknown.
  enum Kind { PassedOver, Damaged, Blank, CutShort, NotReached, PageWarning, PageNote };
  Kind What = PassedOver;
  QString Path;
  QString Reason;  // Japanese, for the list
};

// Why a file was passed over, in the user's words: missing, empty, or not a drawing.
QString PassedOverReason(const QString& path);

// The one-line summary of a run for the status bar ("印刷終了しました。…").
QString RunSummaryLine(const PrintRunResult& r, const std::vector<RunProblem>& problems);
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
  void FilePassedOver(const std::string& path, const std::string& why) override;
  void FileDamaged(const std::string& path, const std::string& why) override;
  void FileHasNothingToPrint(const std::string& path) override;
  void FileWarning(const std::string& path, const std::string& what) override;
  void ImagesMissing(const std::string& path, const std::vector<std::string>& names) override;
  void PageFinished(const std::string& path, const PageReport& page) override;
  void ProcessMessages() override;
  bool StopRequested() override;
  // After a stopped run: the files it never reached become problems too.
  void Finish(const std::vector<std::string>& files, bool stopped);

  // The run's file the stop came inside, if it did; else -1.
  int StoppedInside(bool stopped) const {
    return stopped && !stoppedBetweenFiles_ && started_ > 0 ? static_cast<int>(started_ - 1) : -1;
  }

  std::vector<RunProblem> Problems;
  std::map<std::string, int> Pages;  // pages printed, per file

 private:
  void Add(RunProblem::Kind what, const std::string& path, const QString& reason);

  ShowFile showFile_;
  QLabel* status_;
  QProgressBar* progress_;
  StopPoll stop_;
  size_t started_ = 0;  // files started so far
  bool stoppedBetweenFiles_ = false;  // else a stop came inside a page
};
