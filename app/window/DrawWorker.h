// The window's drawing thread. Print runs, previews and everything else that
// touches the drawing core's shared values (the page window, the pen table,
// the abort check) run here, one job at a time in the order posted, so the
// window stays live while a big page is drawn and no two threads ever draw
// at once.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>

class DrawWorker : public QObject {
  Q_OBJECT
 public:
  explicit DrawWorker(QObject* parent = nullptr);
  // Waits for the job in hand and those posted, then ends the thread.
  ~DrawWorker() override;

  // `job` runs on the drawing thread after every job posted before it;
  // `done` then runs on this object's (the window's) thread.
  void Post(std::function<void()> job, std::function<void()> done = nullptr);
  // Posts `job` and handles the window's events until it has run.
  void RunAndWait(std::function<void()> job);
  // Jobs posted and not yet done.
  int Pending() const { return pending_.load(); }
  bool OnDrawingThread() const { return QThread::currentThread() == &thread_; }

 private:
  QThread thread_;
  QObject* inThread_;  // lives on thread_: queued calls to it run there
  std::atomic<int> pending_{0};
};

#include "app/core/PrintRun.h"

// A print run's observer on the drawing thread that hands every event on to
// `target` on the window's thread, in order. The stop is read here, from
// `stop`, without waiting for the window.
class ForwardingRunObserver : public PrintRunObserver {
 public:
  ForwardingRunObserver(QObject* context, PrintRunObserver* target, const std::atomic<bool>* stop)
      : context_(context), target_(target), stop_(stop) {}
  void Status(const std::string& sjis) override;
  void FileStarted(size_t index, size_t count, const std::string& path) override;
  void FileProblemFound(const FileRecord& file, const FileProblem& problem) override;
  void PageFinished(const std::string& path, const PageReport& page) override;
  void FileFinished(const FileRecord& file) override;
  bool StopRequested() override;

 private:
  void Forward(std::function<void(PrintRunObserver&)> call);

  QObject* context_;
  PrintRunObserver* target_;
  const std::atomic<bool>* stop_;
};
