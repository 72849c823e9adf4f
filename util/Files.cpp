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
#include <cstring>
#include <ctime>
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

// Drafts in `folder` no run holds any more (and not made a moment ago, before
// their run could lock them).
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
        st.st_mtime + 10 < std::time(nullptr) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(path.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace

Result<Draft> MakeDraftBeside(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  RemoveEndedDrafts(folder);
  const std::string name = folder + kDraftStem + "XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return Status::Failure("cannot write in the folder of " + path + ": " + std::strerror(errno));
  ::flock(fd, LOCK_EX);
  Draft draft;
  draft.Path = buffer.data();
  draft.LockFd = fd;
  return draft;
}

Status ReplaceFile(const std::string& path, const std::string& bytes, Flush flush) {
  if (IsOtherThanRegularFile(path)) return Status::Failure(path + " is not a regular file");
  // Written as a draft, so one left by a run killed while it wrote is
  // cleared by the next that writes in this folder.
  const Result<Draft> draft = MakeDraftBeside(path);
  if (!draft) return draft.GetStatus();
  const int fd = draft->LockFd;
  const std::string name = draft->Path;
  auto fail = [&](const char* what) {
    const Status failed = Status::Failure(std::string(what) + " " + path + ": " + std::strerror(errno));
    ::unlink(name.c_str());
    ::close(fd);
    return failed;
  };
  // Keep the permissions the file had, else the usual ones.
  struct stat st;
  const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  ::fchmod(fd, mode);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("cannot write");
    written += static_cast<size_t>(n);
  }
  if (flush == Flush::ToDisk && ::fsync(fd) != 0) return fail("cannot write");
  if (::rename(name.c_str(), path.c_str()) != 0) return fail("cannot replace");
  // Closed (and its lock let go) only once it is in place.
  if (::close(fd) != 0) return Status::Failure("cannot write " + path + ": " + std::strerror(errno));
  return Status();
}

}  // namespace util
