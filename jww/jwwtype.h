// Images carried inside drawings: the list of the last load, their files in
// the program's private temporary folder, and gzip unpacking.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/Status.h"

struct TJwwImage {
  std::string Name;  // as stored in the drawing (Shift-JIS)
  int32_t Size = 0;
};

// Raised by GunzipFile: "Data error" for a damaged container, or the
// inflater's own message.
class GzipError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace jwwtype {

extern std::vector<TJwwImage> EmbeddedImages;

// Largest unpacked image accepted; a larger stream is treated as damaged.
constexpr uint64_t kMaxUnpackedBytes = 512ull << 20;

// The private temporary folder of this process (with a trailing "/"), made
// under $TMPDIR (or /tmp when that will not take it) on first use and
// removed at exit. Fails, saying why, when neither will take it.
util::Result<std::string> TempFolder();
// Removes the temporary folder and everything in it. Never fails: a folder
// that cannot be removed is left.
void RemoveTempFolder();

// A stored image name reduced to a plain file name (no folders, no ".."),
// as UTF-8 for the file system; empty when nothing usable remains.
std::string PlainFileName(const std::string& sjisName);
// TempFolder() + PlainFileName(name); empty when the name leaves nothing
// usable. Fails when there is no temporary folder.
util::Result<std::string> TempImagePath(const std::string& sjisName);

// Unpacks one gzip file into targetFolder as the source's name without its
// last extension (or as the name stored in the gzip header). Throws GzipError.
// Returns the path written.
std::string GunzipFile(const std::string& sourcePath, const std::string& targetFolder);

// Unpacks every ".gz" entry of EmbeddedImages present in the temporary
// folder; returns how many could not be unpacked.
int GunzipImages();
// The clean-ups never fail and never make a folder: what cannot be removed
// is left, and without a temporary folder there is nothing to remove.
void DeleteGzImages();
void DeleteUnpackedImages();
// The clean-up before the next drawing and at exit: both deletions, then an
// empty list.
void ClearImages();

}  // namespace jwwtype
