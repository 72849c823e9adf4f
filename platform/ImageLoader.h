// Reading the image files drawings place: Qt's readers (BMP, ICO, PNG, TIFF,
// JPEG, GIF) and libwmf for Windows metafiles. EMF has no reader here.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

// The image's size without decoding it where the reader allows; an empty
// size when the file cannot be read.
QSize ImageFileSize(const QString& path);
// The decoded image; a null image when the file cannot be read.
QImage LoadImageFile(const QString& path);

}  // namespace platform
