#include "app/window/DrawWorker.h"

#include <QEventLoop>
#include <memory>
#include <mutex>

DrawWorker::DrawWorker(QObject* parent) : QObject(parent), inThread_(new QObject) {
  thread_.setObjectName(QStringLiteral("kestrovan-draw"));
  inThread_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, inThread_, &QObject::deleteLater);
  thread_.start();
}

DrawWorker::~DrawWorker() {
  thread_.quit();  // after the jobs already posted
  thread_.wait();
}

void DrawWorker::Post(std::function<void()> job, std::function<void()> done) {
  ++pending_;
  QMetaObject::invokeMethod(
      inThread_,
      [this, job = std::move(job), done = std::move(done)] {
        {
          // One drawing at a time in the whole program, whichever window asks.
          static std::mutex drawing;
          std::lock_guard<std::mutex> only(drawing);
          job();
        }
        // The window's thread runs what follows, in order after every event
        // the job posted to it.
        QMetaObject::invokeMethod(
            this,
            [this, done] {
              --pending_;
              if (done) done();
            },
            Qt::QueuedConnection);
      },
      Qt::QueuedConnection);
}

void DrawWorker::RunAndWait(std::function<void()> job) {
  if (OnDrawingThread()) return job();
  // Shared with the ending, which may come after this returns when the
  // program quits meanwhile (quitting ends every event loop).
  struct Wait {
    QEventLoop Loop;
    bool Finished = false;
  };
  auto wait = std::make_shared<Wait>();
  Post(std::move(job), [wait] {
    wait->Finished = true;
    wait->Loop.quit();
  });
  if (!wait->Finished) wait->Loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void ForwardingRunObserver::Forward(std::function<void(PrintRunObserver&)> call) {
  PrintRunObserver* target = target_;
  QMetaObject::invokeMethod(context_, [target, call = std::move(call)] { call(*target); }, Qt::QueuedConnection);
}

void ForwardingRunObserver::Status(const std::string& sjis) {
  Forward([sjis](PrintRunObserver& o) { o.Status(sjis); });
}
void ForwardingRunObserver::FileStarted(size_t index, size_t count, const std::string& path) {
  Forward([=](PrintRunObserver& o) { o.FileStarted(index, count, path); });
}
void ForwardingRunObserver::FileProblemFound(const FileRecord& file, const FileProblem& problem) {
  Forward([=](PrintRunObserver& o) { o.FileProblemFound(file, problem); });
}
void ForwardingRunObserver::FileFinished(const FileRecord& file) {
  Forward([=](PrintRunObserver& o) { o.FileFinished(file); });
}
void ForwardingRunObserver::PageFinished(const std::string& path, const PageReport& page) {
  Forward([=](PrintRunObserver& o) { o.PageFinished(path, page); });
}
bool ForwardingRunObserver::StopRequested() {
  if (!stop_->load()) return false;
  Forward([](PrintRunObserver& o) { o.StopRequested(); });  // the window marks where the run stopped
  return true;
}
