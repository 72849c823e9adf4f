// Files as the program writes and checks them: plain files only, and every
// file written beside its target and renamed into place when complete.
#pragma once

#include <string>

#include "util/Status.h"

namespace util {

// True for an existing regular file (symbolic links followed).
bool IsRegularFile(const std::string& path);
// True when something other than a regular file is at the path (a folder,
// a device, a FIFO, a socket, or a link to one): an output never replaces it.
bool IsOtherThanRegularFile(const std::string& path);

// Reads a whole regular file of at most maxBytes. Fails for anything else
// (missing, a device or FIFO that might never end, too big, unreadable).
Result<std::string> ReadSmallFile(const std::string& path, size_t maxBytes = size_t{64} << 20);

// The file an output at `path` is written to: every symbolic link on the
// way followed as the system follows it, except a link in a folder that
// anyone may write in and only owners may delete from (a sticky folder such
// as /tmp or a shared project folder) that is neither this user's nor the
// folder owner's. Another user may have planted such a link to have the
// output overwrite what it points to; the system refuses to follow it
// (fs.protected_symlinks), and so does this, whoever resolves the path.
// Names not there yet stay as given. Fails, naming the link, for such a link.
Result<std::string> OutputTarget(const std::string& path);

// An output written as it is made and put in place only when complete: a
// draft (below) beside its target (OutputTarget), renamed over the target by
// Commit. A failed or cancelled output never leaves a file cut short, and an
// earlier file at the target stays whole until then.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile() { Cancel(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Fails, saying why, for a link another user planted, something other
  // than a regular file at the target (a folder, a device, a FIFO), a file
  // this user may not write, or a folder that takes no draft.
  Status Open(const std::string& path);
  // False once a write has failed (a full disk): every later one fails too.
  bool Write(const char* data, size_t size);
  bool Failed() const { return failed_; }
  // Flushed to the disk and put in place, with the permissions the earlier
  // file had (else the usual ones); fails when any write failed. Unflushed,
  // it is put in place without waiting for the disk: whole for any process
  // that reads it or is killed, for a file rewritten many times a second (a
  // run's report as it goes).
  enum class Flush { ToDisk, No };
  Status Commit(Flush flush = Flush::ToDisk);
  // The draft removed; the target untouched.
  void Cancel();

 private:
  std::string path_, target_, draft_;
  int fd_ = -1;
  bool failed_ = false;
  int writeErrno_ = 0;
};

// Writes `bytes` to `path` as an OutputFile: the previous file stays whole
// until the new one is.
using Flush = OutputFile::Flush;
Status ReplaceFile(const std::string& path, const std::string& bytes, Flush flush = Flush::ToDisk);

// A draft: an empty file of a unique name (mode 0600) in the folder of
// `path`, for a large output written there before it is put in place. It
// stays locked through `LockFd` (close it when the draft is gone); drafts in
// that folder whose runs ended without removing theirs (killed, say) are
// removed first: a draft no one holds locked is one of those.
struct Draft {
  std::string Path;
  int LockFd = -1;
};
Result<Draft> MakeDraftBeside(const std::string& path);

}  // namespace util
