#include "util/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

namespace util {

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsOtherThanRegularFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return !S_ISREG(st.st_mode);
  // A link whose target is missing: the rename would replace the link.
  return ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

Result<std::string> ReadSmallFile(const std::string& path, size_t maxBytes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return Status::Failure("there is no file " + path);
  if (!S_ISREG(st.st_mode)) return Status::Failure(path + " is not a regular file");
  if (static_cast<uint64_t>(st.st_size) > maxBytes)
    return Status::Failure(path + " is too large (more than " + std::to_string(maxBytes >> 20) + " MB)");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::Failure("cannot read " + path + ": " + std::strerror(errno));
  std::string out;
  out.reserve(static_cast<size_t>(st.st_size));  // growing does not copy it over and over
  char buf[65536];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
    if (n < 0) continue;
    if (out.size() + static_cast<size_t>(n) > maxBytes) break;  // it grew while read
    out.append(buf, static_cast<size_t>(n));
  }
  const int readErrno = errno;
  ::close(fd);
  if (n < 0) return Status::Failure("cannot read " + path + ": " + std::strerror(readErrno));
  if (n > 0) return Status::Failure(path + " grew too large while it was read");
  return out;
}

namespace {

const char kDraftStem[] = ".kestrovan-draft-";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Drafts in `folder` no run holds any more. A draft's run locks it as soon
// as it is made and checks, once it holds the lock, that the draft is still
// there; so a draft found unlocked is removed at once, while locked.
void RemoveEndedDrafts(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() != sizeof kDraftStem - 1 + 6 || name.compare(0, sizeof kDraftStem - 1, kDraftStem) != 0) continue;
    const std::string path = folder + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

// The permissions a new file gets: 0666 less this process's umask, read
// without changing it (0644 where the system does not say).
mode_t NewFileMode() {
  FILE* f = std::fopen("/proc/self/status", "re");
  unsigned mask = 022;
  if (f) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(f);
  }
  return static_cast<mode_t>(0666 & ~mask);
}

bool ShareFolder(const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
}

}  // namespace

Result<std::string> OutputTarget(const std::string& path) {
  if (path.empty()) return Status::Failure("no file named");
  // Resolved a component at a time: `done` is the folder reached (no
  // trailing "/"; empty for the root), `rest` what is left, first last.
  std::string done;
  if (path[0] != '/') {
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return Status::Failure("cannot tell the current folder: " + std::string(std::strerror(errno)));
    done = cwd;
    if (done == "/") done.clear();
  }
  std::vector<std::string> rest;
  auto push = [&rest](const std::string& p) {
    std::vector<std::string> parts;
    size_t from = 0;
    while (from <= p.size()) {
      const size_t to = std::min(p.find('/', from), p.size());
      if (to > from) parts.push_back(p.substr(from, to - from));
      from = to + 1;
    }
    rest.insert(rest.end(), parts.rbegin(), parts.rend());
  };
  push(path);
  int links = 0;
  bool missing = false;  // a name not there: what follows it is kept as given
  while (!rest.empty()) {
    const std::string name = rest.back();
    rest.pop_back();
    if (name == ".") continue;
    if (name == ".." && !missing) {
      done.erase(done.empty() ? 0 : done.rfind('/'));
      continue;
    }
    const std::string next = done + "/" + name;
    struct stat st;
    if (missing || ::lstat(next.c_str(), &st) != 0) {
      missing = true;
      done = next;
      continue;
    }
    if (!S_ISLNK(st.st_mode)) {
      done = next;
      continue;
    }
    if (++links > 40) return Status::Failure("cannot write " + path + ": too many links on the way");
    struct stat folder;
    if (::stat(done.empty() ? "/" : done.c_str(), &folder) == 0 && ShareFolder(folder) && st.st_uid != ::geteuid() &&
        st.st_uid != folder.st_uid)
      return Status::Failure("will not write " + path + " through the link " + next +
                             ": another user made it in a shared folder, and it may point at a file of yours");
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
    const ssize_t n = ::readlink(next.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size())
      return Status::Failure("cannot read the link " + next + ": " + std::strerror(n < 0 ? errno : ENAMETOOLONG));
    const std::string to(target.data(), static_cast<size_t>(n));
    if (!to.empty() && to[0] == '/') done.clear();
    push(to);
  }
  return done.empty() ? std::string("/") : done;
}

Result<Draft> MakeDraftBeside(const std::string& path) {
  const std::string folder = FolderOf(path);
  RemoveEndedDrafts(folder);
  // A run clearing drafts may take the lock of one just made before its
  // maker does (and remove it): the maker then makes another.
  for (int tries = 0; tries < 100; ++tries) {
    const std::string name = folder + kDraftStem + "XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return Status::Failure("cannot write in the folder of " + path + ": " + std::strerror(errno));
    // (Where the file system keeps no locks, the draft goes unlocked, as it must.)
    struct stat st;
    if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &st) == 0 && st.st_nlink > 0)) {
      Draft draft;
      draft.Path = buffer.data();
      draft.LockFd = fd;
      return draft;
    }
    ::close(fd);
  }
  return Status::Failure("cannot write in the folder of " + path + ": no draft could be kept there");
}

Status OutputFile::Open(const std::string& path) {
  Cancel();
  path_ = path;
  failed_ = false;
  writeErrno_ = 0;
  const Result<std::string> target = OutputTarget(path);
  if (!target) return target.GetStatus();
  if (IsOtherThanRegularFile(target.Value())) return Status::Failure("cannot write " + path + ": it is not a regular file");
  if (::access(target.Value().c_str(), F_OK) == 0 && ::access(target.Value().c_str(), W_OK) != 0)
    return Status::Failure("cannot write " + path + ": " + std::strerror(errno));
  const Result<Draft> draft = MakeDraftBeside(target.Value());
  if (!draft) return draft.GetStatus();
  target_ = target.Value();
  draft_ = draft.Value().Path;
  fd_ = draft.Value().LockFd;
  return Status();
}

bool OutputFile::Write(const char* data, size_t size) {
  if (fd_ < 0) failed_ = true;
  size_t written = 0;
  while (!failed_ && written < size) {
    const ssize_t n = ::write(fd_, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      writeErrno_ = n < 0 ? errno : ENOSPC;
    } else {
      written += static_cast<size_t>(n);
    }
  }
  return !failed_;
}

Status OutputFile::Commit(Flush flush) {
  if (fd_ < 0) return Status::Failure("cannot write " + path_ + ": it was not opened");
  auto fail = [&](const char* what, int why) {
    const Status failed = Status::Failure(std::string(what) + " " + path_ + ": " + std::strerror(why));
    Cancel();
    return failed;
  };
  if (failed_) return fail("cannot write", writeErrno_);
  // Keep the permissions the file had, else the usual ones.
  struct stat st;
  ::fchmod(fd_, ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode());
  if (flush == Flush::ToDisk && ::fsync(fd_) != 0) return fail("cannot write", errno);
  if (::rename(draft_.c_str(), target_.c_str()) != 0) return fail("cannot replace", errno);
  draft_.clear();
  ::close(fd_);  // the lock goes with it
  fd_ = -1;
  return Status();
}

void OutputFile::Cancel() {
  if (!draft_.empty()) ::unlink(draft_.c_str());
  draft_.clear();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Status ReplaceFile(const std::string& path, const std::string& bytes, Flush flush) {
  OutputFile out;
  if (Status opened = out.Open(path); !opened) return opened;
  out.Write(bytes.data(), bytes.size());
  return out.Commit(flush);
}

}  // namespace util
