#include "jww/jwwtype.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "util/Files.h"
#include "util/CodePage.h"
#include "util/Sjis.h"
#include "util/Strings.h"

namespace fs = std::filesystem;

namespace jwwtype {

std::vector<TJwwImage> EmbeddedImages;

namespace {

std::string g_tempFolder;

void RemoveTempFolderAtExit() { RemoveTempFolder(); }

bool EndsWithGz(const std::string& name) { return util::HasExtension(name, ".gz"); }

bool FileExists(const std::string& path) { return util::IsRegularFile(path); }

// The last path component of a Shift-JIS name, split at single-byte "\" or "/".
std::string LastComponent(const std::string& s) {
  size_t from = 0;
  for (size_t i = 0; i < s.size(); i += util::SjisCharLength(s, i))
    if (s[i] == '\\' || s[i] == '/') from = i + 1;  // single-byte separators only
  return s.substr(from);
}

}  // namespace

namespace {

int g_lockFd = -1;  // held locked while this process's folder exists

// A folder of ours under `base` whose run is over (killed, say, so its
// folder was never removed): its lock file is no longer held by anyone. It
// is removed at once, while locked; a run that made its folder checks, once
// it holds its lock, that the folder was not removed so in between.
void RemoveFoldersOfEndedRuns(const std::string& base) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(base, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() != 16 || name.compare(0, 10, "kestrovan-") != 0) continue;
    struct stat st;
    if (::lstat(e.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
    const int fd = ::open((e.path() / ".lock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;  // not one this program made, or made before runs kept a lock
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      std::error_code ignored;
      fs::remove_all(e.path(), ignored);
    }
    ::close(fd);
  }
}

// Makes a folder from `pattern` and locks it as this run's; false when it
// cannot be made. A run clearing ended runs' folders may take the lock
// before this one does, and remove the folder: then it is made again.
bool MakeLockedFolder(const std::string& pattern) {
  for (int tries = 0; tries < 100; ++tries) {
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) return false;
    g_tempFolder = std::string(buf.data()) + "/";
    g_lockFd = ::open((g_tempFolder + ".lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    if (g_lockFd < 0 || ::flock(g_lockFd, LOCK_EX) != 0 || (::fstat(g_lockFd, &st) == 0 && st.st_nlink > 0))
      return true;
    ::close(g_lockFd);
    g_lockFd = -1;
    g_tempFolder.clear();
  }
  errno = EEXIST;
  return false;
}

// The folder made and locked under `base` (g_tempFolder), or false (errno says why).
bool MakeFolderUnder(const std::string& base) {
  RemoveFoldersOfEndedRuns(base);
  return MakeLockedFolder(base + "/kestrovan-XXXXXX");
}

// The file of a stored image name in the folder already made, or empty:
// the clean-ups look here and never make a folder.
std::string MadeImagePath(const std::string& sjisName) {
  const std::string plain = PlainFileName(sjisName);
  return plain.empty() || g_tempFolder.empty() ? std::string() : g_tempFolder + plain;
}

}  // namespace

util::Result<std::string> TempFolder() {
  if (g_tempFolder.empty()) {
    const char* env = std::getenv("TMPDIR");
    const std::string base = env && *env ? env : "/tmp";
    bool made = MakeFolderUnder(base);
    int why = errno;
    // Fall back on /tmp when TMPDIR is unusable.
    if (!made && base != "/tmp") made = MakeFolderUnder("/tmp");
    if (!made) {
      return util::Status::Failure("cannot make a temporary folder in " + base +
                                   (base == "/tmp" ? "" : " nor in /tmp") + ": " + std::strerror(why));
    }
    static bool registered = false;
    if (!registered) {
      std::atexit(RemoveTempFolderAtExit);
      registered = true;
    }
  }
  return g_tempFolder;
}

void RemoveTempFolder() {
  if (g_tempFolder.empty()) return;
  std::error_code ec;
  fs::remove_all(g_tempFolder, ec);
  g_tempFolder.clear();
  if (g_lockFd >= 0) ::close(g_lockFd);
  g_lockFd = -1;
}

std::string PlainFileName(const std::string& sjisName) {
  std::string name = util::SjisRemoveControlChars(LastComponent(sjisName));
  if (name.empty() || name == "." || name == "..") return std::string();
  std::string utf8 = util::Cp932ToUtf8(name);
  if (utf8.size() > 255) return std::string();
  return utf8;
}

util::Result<std::string> TempImagePath(const std::string& sjisName) {
  const util::Result<std::string> folder = TempFolder();
  if (!folder) return folder.GetStatus();
  return MadeImagePath(sjisName);
}

namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<FILE, FileCloser>;

[[noreturn]] void DataError() { throw GzipError("Data error"); }

// Sets a file's date from gzip header seconds; 0 stands for the zero date
// (1899-12-30), as the header writer meant "no date".
void SetFileDate(const std::string& path, uint32_t unixSeconds) {
  struct utimbuf t;
  const time_t when = unixSeconds != 0 ? static_cast<time_t>(unixSeconds)
                                       : static_cast<time_t>(-2209161600LL);
  t.actime = when;
  t.modtime = when;
  ::utime(path.c_str(), &t);
}

}  // namespace

std::string GunzipFile(const std::string& sourcePath, const std::string& targetFolder) {
  File in(std::fopen(sourcePath.c_str(), "rb"));
  if (!in) throw GzipError("cannot open " + sourcePath);

  std::string folder = targetFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const fs::path source(sourcePath);
  const std::string outPath = folder + source.stem().string();

  File out(std::fopen(outPath.c_str(), "wb"));
  if (!out) throw GzipError("cannot create " + outPath);
  bool done = false;
  struct RemoveOnFailure {
    const std::string& path;
    File& file;
    bool& done;
    ~RemoveOnFailure() {
      if (!done) {
        file.reset();
        std::remove(path.c_str());
      }
    }
  } guard{outPath, out, done};

  unsigned char header[10];
  if (std::fread(header, 1, 10, in.get()) != 10) DataError();
  if (header[0] != 31 || header[1] != 139 || header[2] != 8 || header[3] >= 32) DataError();
  const uint8_t flags = header[3];
  const uint32_t mtime = header[4] | (header[5] << 8) | (header[6] << 16) |
                         (static_cast<uint32_t>(header[7]) << 24);

  auto readZeroTerminated = [&](std::string* into) {
    int c;
    while ((c = std::fgetc(in.get())) != EOF && c != 0)
      if (into && into->size() < 4096) into->push_back(static_cast<char>(c));
  };
  if (flags & 4) {
    unsigned char len[2];
    if (std::fread(len, 1, 2, in.get()) != 2) DataError();
    const long extra = len[0] | (len[1] << 8);
    if (std::fseek(in.get(), extra, SEEK_CUR) != 0) DataError();
  }
  std::string storedName;
  const bool hasStoredName = (flags & 8) != 0;
  if (hasStoredName) readZeroTerminated(&storedName);
  if (flags & 16) readZeroTerminated(nullptr);
  if (flags & 2) {
    unsigned char crc[2];
    if (std::fread(crc, 1, 2, in.get()) != 2) DataError();
  }
  {
    const int c = std::fgetc(in.get());
    if (c == EOF) DataError();
    std::ungetc(c, in.get());
  }

  z_stream zs;
  std::memset(&zs, 0, sizeof zs);
  if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) throw GzipError("cannot start inflating");
  struct InflateEnd {
    z_stream& z;
    ~InflateEnd() { inflateEnd(&z); }
  } inflateEnd{zs};

  std::vector<unsigned char> inBuf(64 * 1024), outBuf(256 * 1024);
  uLong crc = crc32(0L, Z_NULL, 0);
  uint64_t total = 0;
  int ret = Z_OK;
  while (ret != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      const size_t n = std::fread(inBuf.data(), 1, inBuf.size(), in.get());
      if (n == 0) DataError();  // the stream ends before its end marker
      zs.next_in = inBuf.data();
      zs.avail_in = static_cast<uInt>(n);
    }
    zs.next_out = outBuf.data();
    zs.avail_out = static_cast<uInt>(outBuf.size());
    ret = inflate(&zs, Z_NO_FLUSH);
    if (ret != Z_OK && ret != Z_STREAM_END)
      throw GzipError(zs.msg ? zs.msg : "inflate failed");
    const size_t produced = outBuf.size() - zs.avail_out;
    total += produced;
    if (total > kMaxUnpackedBytes) DataError();
    crc = crc32(crc, outBuf.data(), static_cast<uInt>(produced));
    if (produced && std::fwrite(outBuf.data(), 1, produced, out.get()) != produced)
      throw GzipError("cannot write " + outPath);
  }

  // The trailer: what is left in the buffer first, then the file.
  unsigned char trailer[8];
  size_t have = 0;
  while (have < 8 && zs.avail_in > 0) {
    trailer[have++] = *zs.next_in++;
    --zs.avail_in;
  }
  if (have < 8 && std::fread(trailer + have, 1, 8 - have, in.get()) != 8 - have) DataError();
  const uint32_t wantCrc = trailer[0] | (trailer[1] << 8) | (trailer[2] << 16) |
                           (static_cast<uint32_t>(trailer[3]) << 24);
  const uint32_t wantLen = trailer[4] | (trailer[5] << 8) | (trailer[6] << 16) |
                           (static_cast<uint32_t>(trailer[7]) << 24);
  if (wantCrc != static_cast<uint32_t>(crc) || wantLen != static_cast<uint32_t>(total)) DataError();

  if (std::fflush(out.get()) != 0) throw GzipError("cannot write " + outPath);
  out.reset();
  in.reset();
  done = true;

  std::string finalPath = outPath;
  if (hasStoredName) {
    const std::string plain = PlainFileName(storedName);
    if (!plain.empty()) {
      const std::string renamed = folder + plain;
      if (renamed != outPath && std::rename(outPath.c_str(), renamed.c_str()) == 0)
        finalPath = renamed;
    }
    SetFileDate(finalPath, mtime);
  }
  return finalPath;
}

namespace {
// Where GunzipImages put each image: the name the gzip header stores may
// differ from the embedded one, and it is removed with the drawing all the same.
std::vector<std::string> g_unpacked;
}  // namespace

int GunzipImages() {
  int failures = 0;
  for (const TJwwImage& image : EmbeddedImages) {
    if (!EndsWithGz(image.Name)) continue;
    const std::string path = MadeImagePath(image.Name);
    if (path.empty() || !FileExists(path)) continue;
    try {
      g_unpacked.push_back(GunzipFile(path, g_tempFolder));
    } catch (const std::exception&) {
      ++failures;
    }
  }
  return failures;
}

void DeleteGzImages() {
  for (const TJwwImage& image : EmbeddedImages) {
    if (!EndsWithGz(image.Name)) continue;
    const std::string path = MadeImagePath(image.Name);
    if (!path.empty() && FileExists(path)) std::remove(path.c_str());
  }
}

void DeleteUnpackedImages() {
  for (const std::string& path : g_unpacked)
    if (FileExists(path)) std::remove(path.c_str());
  g_unpacked.clear();
  for (const TJwwImage& image : EmbeddedImages) {
    std::string name = image.Name;
    if (EndsWithGz(name)) name.resize(name.size() - 3);
    const std::string path = MadeImagePath(name);
    if (!path.empty() && FileExists(path)) std::remove(path.c_str());
  }
}

void ClearImages() {
  DeleteGzImages();
  DeleteUnpackedImages();
  EmbeddedImages.clear();
}

}  // namespace jwwtype
