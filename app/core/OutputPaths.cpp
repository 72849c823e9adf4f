#include "app/core/OutputPaths.h"

#include <sys/stat.h>

#include <filesystem>

#include "jww/jwwunit.h"
#include "util/Files.h"

namespace {

std::string FromRoot(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return FromRoot(a) == FromRoot(b);
}

util::Status CheckOutputs(const std::vector<NamedPath>& outputs, const std::vector<NamedPath>& inputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    const NamedPath& out = outputs[i];
    if (out.Path.empty()) continue;
    for (const NamedPath& in : inputs) {
      if (!SameFile(out.Path, in.Path)) continue;
      if (!out.MayReplace.empty() && SameFile(out.MayReplace, in.Path)) continue;
      return util::Status::Failure(out.Option + " " + out.Path + " is also " +
                                   (in.Option == "drawing" ? std::string("a drawing to print") : "the " + in.Option + " file") +
                                   "; it would be overwritten");
    }
    // Read only as a regular file: a FIFO is refused later, never opened here.
    if (util::IsRegularFile(out.Path) && TJwwData::IsJwwFile(out.Path))
      return util::Status::Failure(out.Option + " " + out.Path + " is a drawing; it would be overwritten");
    for (size_t k = 0; k < i; ++k)
      if (SameFile(out.Path, outputs[k].Path))
        return util::Status::Failure(outputs[k].Option + " and " + out.Option + " both name " + out.Path +
                                     "; one would be overwritten by the other");
  }
  return util::Status();
}
