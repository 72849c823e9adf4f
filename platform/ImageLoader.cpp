#include "platform/ImageLoader.h"

#include <QFileInfo>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/gd.h>
}

namespace platform {
namespace {

bool IsWmf(const QString& path) { return QFileInfo(path).suffix().compare("wmf", Qt::CaseInsensitive) == 0; }

// Renders a Windows metafile at about 150 pixels per inch of its own size,
// at most 4000 pixels across.
QImage RenderWmf(const QString& path, QSize* sizeOnly) {
  const QByteArray file = QFile::encodeName(path);
  wmfAPI* api = nullptr;
  wmfAPI_Options options{};
  options.function = wmf_gd_function;
  const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL;
  if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
    if (api) wmf_api_destroy(api);
    return QImage();
  }
  QImage result;
  wmfD_Rect bbox;
  unsigned int width = 0, height = 0;
  if (wmf_file_open(api, const_cast<char*>(file.constData())) == wmf_E_None) {
    if (wmf_scan(api, 0, &bbox) == wmf_E_None &&
        wmf_display_size(api, &width, &height, 150, 150) == wmf_E_None && width > 0 && height > 0) {
      const double shrink = std::max(1.0, std::max(width, height) / 4000.0);
      width = static_cast<unsigned int>(width / shrink);
      height = static_cast<unsigned int>(height / shrink);
      if (sizeOnly) {
        *sizeOnly = QSize(static_cast<int>(width), static_cast<int>(height));
      } else {
        // libwmf encodes a PNG into a memory stream and frees its own image
        // (an image handed over in memory could not be freed from here).
        char* buffer = nullptr;
        size_t length = 0;
        FILE* stream = open_memstream(&buffer, &length);
        if (stream) {
          wmf_gd_t* gd = WMF_GD_GetData(api);
          gd->type = wmf_gd_png;
          gd->flags |= WMF_GD_OUTPUT_FILE;
          gd->file = stream;
          gd->width = width;
          gd->height = height;
          gd->bbox = bbox;
          const bool played = wmf_play(api, 0, &bbox) == wmf_E_None;
          std::fclose(stream);
          if (played && length > 0)
            result = QImage::fromData(reinterpret_cast<const uchar*>(buffer), static_cast<int>(length), "PNG");
          std::free(buffer);
        }
      }
    }
    wmf_file_close(api);
  }
  wmf_api_destroy(api);
  return result;
}

}  // namespace

QSize ImageFileSize(const QString& path) {
  if (IsWmf(path)) {
    QSize size;
    RenderWmf(path, &size);
    return size;
  }
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  QSize size = reader.size();
  if (!size.isValid() && reader.canRead()) size = reader.read().size();
  return size.isValid() ? size : QSize();
}

QImage LoadImageFile(const QString& path) {
  // Scanned plans are large; the reader's default limit (128 MB) is not enough.
  if (QImageReader::allocationLimit() < 1024) QImageReader::setAllocationLimit(1024);
  if (IsWmf(path)) return RenderWmf(path, nullptr);
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  return reader.read();
}

}  // namespace platform
