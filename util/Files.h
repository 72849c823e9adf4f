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

// Writes `bytes` to `path` through a temporary file of a unique name,
// created exclusively in the same folder, flushed to the disk and renamed
// into place: the previous file stays whole until the new one is. On failure
// the temporary file is removed. Unflushed, it is renamed into place without
// waiting for the disk: whole for any process that reads it or is killed,
// for a file rewritten many times a second (a run's report as it goes).
enum class Flush { ToDisk, No };
Status ReplaceFile(const std::string& path, const std::string& bytes, Flush flush = Flush::ToDisk);

// A draft: an empty file of a unique name (mode 0600) in the folder of
// `path`, for a large output written there before it is put in place. It
// stays locked through `LockFd` (close it when the draft is gone); drafts in
// that folder left by runs that ended without removing theirs (killed, say)
// are removed first.
struct Draft {
  std::string Path;
  int LockFd = -1;
};
Result<Draft> MakeDraftBeside(const std::string& path);

}  // namespace util
