// kestrovan-web's jobs: the drawings of one upload, printed into one PDF by
// kestrovan-print in a child process of its own (the print run keeps
// module-level state, and a crash or a memory blow-up stays in its job),
// one job at a time per worker, the others waiting in a queue.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/RecordWords.h"

namespace web {

enum class JobState { Receiving, Queued, Running, Done, Failed };
const char* StateName(JobState state);

struct WebLimits {
  uint64_t FileBytes = 100ull << 20;
  size_t Files = 500;
  uint64_t JobBytes = 1ull << 30;
  size_t Waiting = 20;     // jobs queued, not yet running
  int Workers = 1;         // jobs running at once
  int KeepMinutes = 60;    // a result never fetched is removed after this
  int KeepFetchedSeconds = 300;  // a fetched one after this (time to print it too)
  int JobMinutes = 30;     // a job running longer is stopped
};

struct Job {
  std::string Id;      // 32 hex digits, from the system's random source
  std::string Folder;  // private to the job: in/ the drawings, tmp/ the child's, the PDF and report
  JobState State = JobState::Receiving;
  std::vector<std::string> Names;  // as the client named each drawing (UTF-8), for showing only
  std::vector<std::string> Paths;  // where each is kept, named by us
  std::vector<std::string> Options;  // kestrovan-print's flags, checked against the option table
  size_t FilesDone = 0;   // files the print has finished (progress)
  int Pages = 0;
  bool HasPdf = false;
  std::string FilesJson;  // the per-file records when done (a JSON array)
  std::string Error;      // why a failed job failed (English)
  words::WebProblem ErrorKind = words::WebProblem::RunFailed;
  std::string ErrorText;  // the same in Japanese
  std::chrono::steady_clock::time_point Expires = std::chrono::steady_clock::time_point::max();
  pid_t Child = 0;
};

class JobTable {
 public:
  // root: the service's private folder; print: the kestrovan-print program.
  JobTable(std::string root, std::string printProgram, WebLimits limits);
  ~JobTable();

  const WebLimits& Limits() const { return limits_; }
  // A new job folder, or null when the queue is full (the jobs waiting) or
  // the folder cannot be made, with why.
  std::shared_ptr<Job> Create(std::string& error, words::WebProblem& kind);
  // The upload is complete: the job waits for a worker.
  void Enqueue(const std::shared_ptr<Job>& job);
  // An upload that was refused: its folder goes at once.
  void Discard(const std::shared_ptr<Job>& job);
  std::shared_ptr<Job> Find(const std::string& id);
  // The job as its GET answers, under the table's lock.
  std::string Describe(const Job& job);
  // Its state and whether it has a PDF, under the table's lock.
  JobState StateOf(const Job& job, bool& hasPdf);
  // The result was fetched: it is kept a little longer, then removed.
  void Fetched(const std::string& id);
  size_t Count(JobState state);
  // Stops the workers and the children, removes every job's folder.
  void Shutdown();

 private:
  void Work();
  void RunJob(const std::shared_ptr<Job>& job);
  // How a child's run ended.
  struct ChildEnd {
    int Status = 0;          // its wait status
    bool TimedOut = false;   // stopped by the job's time limit
    std::string Why;         // it could not be started
  };
  // One child run over the files `which`, its progress read from its report
  // as it goes.
  ChildEnd RunChild(const std::shared_ptr<Job>& job, const std::vector<size_t>& which);
  void Sweep();

  std::string root_, print_;
  WebLimits limits_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<std::string, std::shared_ptr<Job>> jobs_;
  std::deque<std::shared_ptr<Job>> queue_;
  std::vector<std::thread> workers_;
  std::thread sweeper_;
  bool stopping_ = false;
};

// The job's print options from the upload's fields, named as kestrovan-print's
// long options without dashes (paper=A3, method=fit, follow-drawing=1).
// False with a reason a person can read when a field is not an option the
// service takes, or its value is not one the option takes.
bool OptionsFromFields(const std::vector<std::pair<std::string, std::string>>& fields,
                       std::vector<std::string>& flags, std::string& error);

// The name a drawing is kept under in its own numbered folder: the last part
// of what the client sent, without separators or control characters, never
// "." or "..", at most 200 bytes; the client's folders reach no path.
std::string KeptFileName(const std::string& clientName);

}  // namespace web
