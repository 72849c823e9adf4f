// A canvas that draws nothing: for walking the draw pass without a page
// (listing what would print, timing, fuzzing). It reads no image files.
#pragma once

#include "render/Canvas.h"

class NoDrawCanvas : public Canvas {
 public:
  void MoveTo(int32_t, int32_t) override {}
  void LineTo(int32_t, int32_t) override {}
  void Polyline(const DevicePoint*, size_t) override {}
  void Polygon(const DevicePoint*, size_t) override {}
  void TextOut(int32_t, int32_t, const std::string&) override {}
  bool ImageSize(const std::string&, int32_t&, int32_t&) override { return false; }
  void DrawImage(const ImagePlacement&) override {}
};
