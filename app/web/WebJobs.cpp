#include "app/web/WebJobs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "app/core/PaperSize.h"
#include "app/core/PrintOptions.h"
#include "app/core/ReportFile.h"
#include "app/web/WebRecords.h"

extern char** environ;

namespace web {
namespace fs = std::filesystem;

const char* StateName(JobState state) {
  switch (state) {
    case JobState::Receiving:
    case JobState::Queued:
      return "queued";
    case JobState::Running:
      return "running";
    case JobState::Done:
      return "done";
    case JobState::Failed:
      return "failed";
  }
  return "failed";
}

namespace {

std::string RandomId() {
  unsigned char bytes[16] = {};
  std::ifstream random("/dev/urandom", std::ios::binary);
  random.read(reinterpret_cast<char*>(bytes), sizeof bytes);
  if (!random) throw std::runtime_error("the system's random source cannot be read");
  static const char kDigits[] = "0123456789abcdef";
  std::string id;
  for (unsigned char b : bytes) {
    id += kDigits[b >> 4];
    id += kDigits[b & 15];
  }
  return id;
}

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  if (!folder.empty()) fs::remove_all(folder, ignored);
}

bool On(const std::string& v) { return v == "1" || v == "on" || v == "true" || v == "yes"; }
bool Off(const std::string& v) { return v.empty() || v == "0" || v == "off" || v == "false" || v == "no"; }

}  // namespace

std::string KeptFileName(const std::string& clientName) {
  const size_t cut = clientName.find_last_of("/\\");
  std::string name;
  for (const char c : cut == std::string::npos ? clientName : clientName.substr(cut + 1))
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) name += c;
  if (name.size() > 200) {
    size_t end = 200;
    // Not inside a UTF-8 sequence.
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  if (name.empty() || name == "." || name == "..") name = "drawing.jww";
  if (name[0] == '-' || name[0] == '.') name = "_" + name;  // never taken for an option, never hidden
  return name;
}

bool OptionsFromFields(const std::vector<std::pair<std::string, std::string>>& fields,
                       std::vector<std::string>& flags, std::string& error) {
  PrintSettings checked;
  bool drawingPaper = false, fitPaper = false;
  for (const auto& [name, value] : fields) {
    if (name == "paper" || name == "fit-paper") {
      PaperSize size;
      if (name == "paper" && value == "drawing") {
        drawingPaper = true;
      } else if (!ParsePaperSize(value, size)) {
        error = name + " takes A4, A3, A2, A1, A0, B4, B5, 2A..5A or WxHmm" +
                (name == "paper" ? std::string(" or drawing") : std::string()) + ", not \"" + value + "\"";
        return false;
      }
      fitPaper = fitPaper || name == "fit-paper";
      flags.push_back("--" + name);
      flags.push_back(value);
    } else if (name == "landscape" || name == "portrait") {
      if (!On(value) && !Off(value)) {
        error = name + " takes 1 or 0, not \"" + value + "\"";
        return false;
      }
      if (On(value)) flags.push_back("--" + name);
    } else if (name == "orientation") {
      if (value != "landscape" && value != "portrait") {
        error = "orientation takes landscape or portrait, not \"" + value + "\"";
        return false;
      }
      flags.push_back("--" + value);
    } else if (name == "dpi") {
      char* end = nullptr;
      const long dpi = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || dpi < 72 || dpi > 2400) {
        error = "dpi takes a whole number 72..2400, not \"" + value + "\"";
        return false;
      }
      flags.push_back("--dpi");
      flags.push_back(value);
    } else if (const PrintOption* option = FindPrintOption(name)) {
      if (option->TakesValue) {
        if (const util::Status applied = option->Apply(checked, name, value); !applied) {
          error = applied.Why();
          return false;
        }
        flags.push_back("--" + name);
        flags.push_back(value);
      } else if (On(value)) {
        flags.push_back("--" + name);
      } else if (!Off(value)) {
        error = name + " takes 1 or 0, not \"" + value + "\"";
        return false;
      }
    } else {
      error = "\"" + name + "\" is not a print option here (options are kestrovan-print's long options " +
              "without dashes: paper, fit-paper, orientation, dpi, method, scale, mono, follow-drawing, " +
              "per-layer-group, …)";
      return false;
    }
  }
  if (drawingPaper && fitPaper) {
    error = "paper=drawing and fit-paper exclude each other";
    return false;
  }
  return true;
}

JobTable::JobTable(std::string root, std::string printProgram, WebLimits limits)
    : root_(std::move(root)), print_(std::move(printProgram)), limits_(limits) {
  for (int i = 0; i < std::max(1, limits_.Workers); ++i) workers_.emplace_back([this] { Work(); });
  sweeper_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
      wake_.wait_for(lock, std::chrono::seconds(1));
      lock.unlock();
      Sweep();
      lock.lock();
    }
  });
}

JobTable::~JobTable() { Shutdown(); }

std::shared_ptr<Job> JobTable::Create(std::string& error, words::WebProblem& kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t waiting = 0;
  for (const auto& [id, job] : jobs_)
    waiting += job->State == JobState::Queued || job->State == JobState::Receiving;
  if (waiting >= limits_.Waiting) {
    kind = words::WebProblem::QueueFull;
    error = std::to_string(waiting) + " jobs are already waiting, as many as this server takes (" +
            std::to_string(limits_.Waiting) + "); try again when some have finished";
    return nullptr;
  }
  auto job = std::make_shared<Job>();
  job->Id = RandomId();
  job->Folder = root_ + "/" + job->Id;
  std::error_code ec;
  if (!fs::create_directory(job->Folder, ec) || !fs::create_directory(job->Folder + "/in", ec) ||
      !fs::create_directory(job->Folder + "/tmp", ec)) {
    RemoveFolder(job->Folder);
    kind = words::WebProblem::ServerFolder;
    error = "the server cannot make a folder for the job";
    return nullptr;
  }
  jobs_[job->Id] = job;
  return job;
}

void JobTable::Enqueue(const std::shared_ptr<Job>& job) {
  std::lock_guard<std::mutex> lock(mutex_);
  job->State = JobState::Queued;
  queue_.push_back(job);
  wake_.notify_all();
}

void JobTable::Discard(const std::shared_ptr<Job>& job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.erase(job->Id);
  }
  RemoveFolder(job->Folder);
}

std::shared_ptr<Job> JobTable::Find(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = jobs_.find(id);
  if (it == jobs_.end() || it->second->State == JobState::Receiving) return nullptr;
  return it->second;
}

std::string JobTable::Describe(const Job& job) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t ahead = 0;
  for (const auto& queued : queue_) {
    if (queued.get() == &job) break;
    ++ahead;
  }
  return JobJson(job, job.State == JobState::Queued ? static_cast<int>(ahead) : -1);
}

JobState JobTable::StateOf(const Job& job, bool& hasPdf) {
  std::lock_guard<std::mutex> lock(mutex_);
  hasPdf = job.HasPdf;
  return job.State;
}

void JobTable::Fetched(const std::string& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = jobs_.find(id);
  if (it == jobs_.end()) return;
  it->second->Expires = std::min(it->second->Expires, std::chrono::steady_clock::now() +
                                                           std::chrono::seconds(limits_.KeepFetchedSeconds));
  if (limits_.KeepFetchedSeconds <= 0) wake_.notify_all();
}

size_t JobTable::Count(JobState state) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_t n = 0;
  for (const auto& [id, job] : jobs_) n += job->State == state;
  return n;
}

void JobTable::Sweep() {
  std::vector<std::string> folders;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    for (auto it = jobs_.begin(); it != jobs_.end();) {
      const bool over = it->second->State == JobState::Done || it->second->State == JobState::Failed;
      if (over && it->second->Expires <= now) {
        folders.push_back(it->second->Folder);
        it = jobs_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (const std::string& f : folders) RemoveFolder(f);
}

void JobTable::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ && workers_.empty()) return;
    stopping_ = true;
    for (const auto& [id, job] : jobs_)
      if (job->Child > 0) kill(job->Child, SIGTERM);
    wake_.notify_all();
  }
  for (std::thread& t : workers_) t.join();
  workers_.clear();
  if (sweeper_.joinable()) sweeper_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, job] : jobs_) RemoveFolder(job->Folder);
  jobs_.clear();
  queue_.clear();
}

void JobTable::Work() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = queue_.front();
      queue_.pop_front();
      job->State = JobState::Running;
    }
    RunJob(job);
  }
}

namespace {

// The file a child was printing when it ended: the report's file in hand
// ("stopped"), else the first it had not reached; an index into `which`.
size_t InHand(const util::Result<RunReport>& report, size_t files) {
  if (report) {
    for (size_t k = 0; k < report->Files.size() && k < files; ++k)
      if (report->Files[k].Status == FileStatus::Stopped) return k;
    for (size_t k = 0; k < report->Files.size() && k < files; ++k)
      if (report->Files[k].Status == FileStatus::NotReached) return k;
  }
  return 0;
}

// "SIGSEGV (Segmentation fault)".
std::string SignalName(int signal) {
  const char* abbrev = sigabbrev_np(signal);
  const char* words = strsignal(signal);
  return std::string(abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(signal)) +
         (words ? std::string(" (") + words + ")" : std::string());
}

}  // namespace

void JobTable::RunJob(const std::shared_ptr<Job>& job) {
  // A drawing the print program dies on (a signal: a crash, the
  // out-of-memory killer) is left out, and the rest printed again without
  // it: a drawing that fails, fails alone.
  std::vector<size_t> left;
  for (size_t i = 0; i < job->Paths.size(); ++i) left.push_back(i);
  std::map<size_t, std::string> died;
  ChildEnd end;
  const std::string reportPath = job->Folder + "/report.json";
  for (;;) {
    end = RunChild(job, left);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    if (end.TimedOut || !WIFSIGNALED(end.Status)) break;
    const size_t k = InHand(ReadRunReportFile(reportPath), left.size());
    died[left[k]] = SignalName(WTERMSIG(end.Status));
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(k));
    if (left.empty()) break;
  }

  const util::Result<RunReport> report = left.empty() ? util::Result<RunReport>(RunReport())
                                                      : ReadRunReportFile(reportPath);
  // The drawings and the child's own files are of no more use.
  RemoveFolder(job->Folder + "/in");
  RemoveFolder(job->Folder + "/tmp");
  const bool read = report && (left.empty() || (report->Run.Finished && report->Files.size() == left.size()));
  const int pages = read ? CountRun(report->Files).Pages : 0;
  std::error_code ec;
  const bool hasPdf = pages > 0 && fs::is_regular_file(job->Folder + "/kestrovan.pdf", ec);

  std::lock_guard<std::mutex> lock(mutex_);
  job->Child = 0;
  job->FilesDone = job->Paths.size();
  job->Pages = pages;
  job->HasPdf = hasPdf;
  job->State = JobState::Failed;
  if (end.TimedOut) {
    job->Error = "the job took longer than " + std::to_string(limits_.JobMinutes) + " minutes and was stopped";
    job->ErrorKind = words::WebProblem::TimedOut;
    job->ErrorText = words::WebProblemWords(job->ErrorKind) + "（" + std::to_string(limits_.JobMinutes) + "分）";
  } else if (!end.Why.empty()) {
    job->Error = end.Why;
    job->ErrorKind = words::WebProblem::ServerError;
    job->ErrorText = words::WebProblemWords(job->ErrorKind);
  } else if (report && !report->Run.Error.empty()) {
    job->Error = "the print program refused the job: " + report->Run.Error;
    job->ErrorKind = words::WebProblem::RunFailed;
    job->ErrorText = words::Failure(RunFailure::Refused);
  } else if (!read) {
    job->Error = "the print program left no report of the job" + (report ? std::string() : ": " + report.Why());
    job->ErrorKind = words::WebProblem::NoReport;
    job->ErrorText = words::WebProblemWords(job->ErrorKind);
  } else if (report->Run.Failure != RunFailure::None) {
    job->Error = "the print could not be written: " + report->Run.FailureWhy;
    job->ErrorKind = words::WebProblem::RunFailed;
    job->ErrorText = words::Failure(report->Run.Failure);
  } else {
    job->State = JobState::Done;
  }
  job->FilesJson = read ? ClientRecords(report.Value(), *job, left, died) : "[]";
  job->Expires = std::chrono::steady_clock::now() + std::chrono::minutes(limits_.KeepMinutes);
}

JobTable::ChildEnd JobTable::RunChild(const std::shared_ptr<Job>& job, const std::vector<size_t>& which) {
  ChildEnd end;
  const std::string reportPath = job->Folder + "/report.json";
  std::error_code ignored;
  fs::remove(reportPath, ignored);  // an earlier child's report is not this one's
  std::vector<std::string> args = {print_, "--report", reportPath, "--pdf", job->Folder + "/kestrovan.pdf",
                                   "--image-folder", job->Folder + "/in"};
  args.insert(args.end(), job->Options.begin(), job->Options.end());
  for (size_t i : which) args.push_back(job->Paths[i]);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The child's environment: its temporary files inside the job's folder,
  // Qt without a display.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    if (v.rfind("TMPDIR=", 0) != 0 && v.rfind("QT_QPA_PLATFORM=", 0) != 0 && v.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
        v.rfind("DISPLAY=", 0) != 0 && v.rfind("WAYLAND_DISPLAY=", 0) != 0)
      env.push_back(v);
  }
  env.push_back("TMPDIR=" + job->Folder + "/tmp");
  env.push_back("XDG_RUNTIME_DIR=" + job->Folder + "/tmp");
  env.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  // Its words are for people: what it did is read from its report.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // None of the server's sockets or files reach the child.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // The server's threads block the stop signals and ignore SIGPIPE; the
  // child starts with neither, so a stop reaches it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, print_.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    end.Why = "the print program " + print_ + " cannot be started: " + std::strerror(spawned);
    end.Status = 2 << 8;
    return end;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job->Child = pid;
    if (stopping_) kill(pid, SIGTERM);
  }

  // Progress from the child's report, as it rewrites it (a file begun, a
  // page ended, a file done): the files it is done with.
  const size_t doneBefore = job->Paths.size() - which.size();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(limits_.JobMinutes);
  fs::file_time_type seen{};
  int status = 0;
  for (;;) {
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) break;
    if (!end.TimedOut && std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      end.TimedOut = true;
    }
    std::error_code ec;
    const fs::file_time_type changed = fs::last_write_time(reportPath, ec);
    if (!ec && changed != seen) {
      seen = changed;
      if (const util::Result<RunReport> report = ReadRunReportFile(reportPath)) {
        size_t done = 0;
        for (const FileRecord& f : report->Files)
          done += f.Status != FileStatus::NotReached && f.Status != FileStatus::Stopped;
        std::lock_guard<std::mutex> lock(mutex_);
        job->FilesDone = doneBefore + std::min(done, which.size());
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  end.Status = status;
  std::lock_guard<std::mutex> lock(mutex_);
  job->Child = 0;
  return end;
}

}  // namespace web
