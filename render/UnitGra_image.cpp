// Images placed in drawings: kind, size and visibility tests, the file
// lookup, cropping, and rotation about the lower-left corner.
#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <vector>

#include "render/UnitGra.h"
#include "util/Files.h"
#include "util/Clip.h"
#include "util/CodePage.h"
#include "util/Geometry.h"
#include "util/Sjis.h"

namespace fs = std::filesystem;

namespace UnitGra {
namespace {

// A regular file, and inside one of the folders images may come from (its
// real path, so neither ".." nor a link leads out of them).
// True when `path` lies below `root`, both as whole path elements.
bool Below(const fs::path& path, const fs::path& root) {
  auto r = root.begin();
  auto p = path.begin();
  for (; r != root.end() && p != path.end() && *r == *p; ++r, ++p) {
  }
  // A folder named with a trailing separator ends in an empty element.
  if (r != root.end() && r->empty() && std::next(r) == root.end()) r = root.end();
  return r == root.end() && p != path.end();
}

// A regular file, and inside one of the folders images may come from. A
// path outside them by its words is not looked at, not even whether it
// exists; one inside them is then held to their real paths, so neither ".."
// nor a link leads out of them.
bool IsFile(const std::string& path) {
  const std::vector<std::string>& folders = UnitGval::ImageFolders;
  if (folders.empty()) return util::IsRegularFile(path);
  std::error_code ec;
  const fs::path named = fs::absolute(path, ec).lexically_normal();
  if (ec) return false;
  const auto namedBelow = [&](const std::string& folder) {
    return Below(named, fs::absolute(folder, ec).lexically_normal());
  };
  if (std::none_of(folders.begin(), folders.end(), namedBelow)) return false;
  if (!util::IsRegularFile(path)) return false;
  const fs::path real = fs::canonical(path, ec);
  if (ec) return false;
  for (const std::string& folder : folders) {
    const fs::path root = fs::canonical(folder, ec);
    if (!ec && Below(real, root)) return true;
  }
  return false;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A stored (Windows-style) Shift-JIS path as a path of this file system.
std::string FileSystemPath(const std::string& sjis) {
  std::string p = util::Cp932ToUtf8(sjis);
  // Conversion keeps 0x5C of double-byte characters inside them, so every
  // remaining backslash is a separator.
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

// Crop values come from the drawing: truncate toward zero, saturating.
int32_t Truncate(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(std::trunc(v));
}

}  // namespace

bool IsAcceptedImageKind(const std::string& path) {
  static const char* const kKinds[] = {".BMP", ".WMF", ".EMF", ".ICO", ".PNG", ".TIF",
                                       ".TIFF", ".JPG", ".JPE", ".JPEG", ".GIF"};
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = Upper(path.substr(dot));
  for (const char* k : kKinds)
    if (ext == k) return true;
  return false;
}

std::string FindImageFile(const std::string& sjisPath) {
  const std::string path = FileSystemPath(sjisPath);
  if (IsFile(path)) return path;
  const fs::path folder = fs::path(UnitGval::CurrentFileName).parent_path();
  const fs::path stored(path);
  if (stored.is_relative()) {
    const std::string inFolder = (folder / stored).string();
    if (IsFile(inFolder)) return inFolder;
  }
  // A drawing moved with its images: its folder holds them by name. Names
  // written on Windows may differ from the file's in letter case.
  const std::string name = stored.filename().string();
  if (name.empty()) return std::string();
  const std::string byName = (folder / name).string();
  if (IsFile(byName)) return byName;
  std::error_code ec;
  const std::string upper = Upper(name);
  for (const auto& entry : fs::directory_iterator(folder.empty() ? fs::path(".") : folder, ec)) {
    if (Upper(entry.path().filename().string()) == upper && IsFile(entry.path().string()))
      return entry.path().string();
  }
  return std::string();
}

void DrawImage(Canvas& canvas, const PlacedImage& image) {
  const std::string& path = image.Path;
  const double x1 = image.X1, y1 = image.Y1, x2 = image.X2, y2 = image.Y2;
  const double angleDegrees = image.AngleDegrees;
  const ImageCrop& crop = image.Crop;
  const UnitGval::TPageWindow& w = UnitGval::PageWindow;
  if (!IsAcceptedImageKind(path)) return;
  const double cropWidth = crop.Width > 1e-14 ? crop.Width : 1;
  const double cropLeft = crop.Left > 1e-14 ? crop.Left : 0;
  const double cropBottom = crop.Bottom;
  // Size and visibility first: no file is opened for tiny or off-page images.
  if (!(std::fabs(x2 - x1) * w.Scale >= 2) || !(std::fabs(y2 - y1) * w.Scale >= 2)) return;
  double cx1 = x1, cy1 = y1, cx2 = x2, cy2 = y2;
  if (util::ClipSegment(cx1, cy1, cx2, cy2, w.Xmin, w.Ymin, w.Xmax, w.Ymax) == 2) return;

  // An image that should show but cannot is noted for the run to report.
  auto notDrawn = [&path] {
    std::vector<std::string>& list = UnitGval::ImagesNotDrawn;
    if (list.size() < 100 && std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
  };
  const std::string file = FindImageFile(path);
  if (file.empty()) return notDrawn();
  int32_t width = 0, height = 0;
  if (!canvas.ImageSize(file, width, height) || width <= 0 || height <= 0) return notDrawn();

  const DevicePoint d1 = UnitGval::ToDevice(x1, y1), d2 = UnitGval::ToDevice(x2, y2);
  const int64_t dw = std::llabs(static_cast<int64_t>(d2.x) - d1.x);
  const int64_t dh = std::llabs(static_cast<int64_t>(d2.y) - d1.y);
  if (dw > INT32_MAX || dh > INT32_MAX) return;
  if (dw < 5 || dh < 5) {
    // Too small to show a picture: a white box with a thin outline in its place.
    SetLinePen(canvas, -1, 0, 0.5, 1);
    SetBrushKind(canvas, Rgb(255, 255, 255), 1);
    FillRotatedRect(canvas, x1, y1, x2, y2, angleDegrees * util::kPi / 180);
    return;
  }

  const double W = width, H = height;
  const double r = std::fabs(y2 - y1) / std::fabs(x2 - x1);
  ImagePlacement p;
  p.Path = file;
  p.SrcLeft = Truncate(W * cropLeft);
  p.SrcTop = Truncate(H - W * r * cropWidth - H * cropBottom);
  p.SrcWidth = Truncate(std::fabs(W * cropWidth));
  p.SrcHeight = Truncate(std::fabs(W * r * cropWidth));
  p.DstLeft = d1.x;
  p.DstTop = d2.y;
  p.DstWidth = static_cast<int32_t>(dw);
  p.DstHeight = static_cast<int32_t>(dh);
  const bool upright = std::fabs(angleDegrees) <= 1e-12 || std::fabs(angleDegrees - 360) <= 1e-12;
  p.AngleDegrees = upright ? 0 : angleDegrees;
  p.PivotX = d1.x;
  p.PivotY = d1.y;
  canvas.DrawImage(p);
}

}  // namespace UnitGra
