// A canvas that records every call, for exact assertions on device pixels.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "render/Canvas.h"

class RecordingCanvas : public Canvas {
 public:
  struct Call {
    std::string op;                   // "line", "polyline", "polygon", "text", "image"
    std::vector<DevicePoint> points;  // line: from, to
    TColor pen = 0;
    int32_t penWidth = 0;
    TColor brush = 0;
    BrushStyle brushStyle = BrushStyle::Clear;
    std::string text;
    ImagePlacement image;
  };
  std::vector<Call> calls;
  // Image files the canvas "can read", with their sizes.
  struct KnownImage {
    std::string path;
    int32_t w, h;
  };
  std::vector<KnownImage> images;
  int imageSizeQueries = 0;

  void MoveTo(int32_t x, int32_t y) override { cursor_ = {x, y}; }
  void LineTo(int32_t x, int32_t y) override {
    Call c = Make("line");
    c.points = {cursor_, {x, y}};
    calls.push_back(c);
    cursor_ = {x, y};
  }
  void Polyline(const DevicePoint* p, size_t n) override {
    Call c = Make("polyline");
    c.points.assign(p, p + n);
    calls.push_back(c);
  }
  void Polygon(const DevicePoint* p, size_t n) override {
    Call c = Make("polygon");
    c.points.assign(p, p + n);
    calls.push_back(c);
  }
  void TextOut(int32_t x, int32_t y, const std::string& sjis) override {
    Call c = Make("text");
    c.points = {{x, y}};
    c.text = sjis;
    calls.push_back(c);
  }
  bool ImageSize(const std::string& path, int32_t& w, int32_t& h) override {
    ++imageSizeQueries;
    for (const KnownImage& i : images)
      if (i.path == path) {
        w = i.w;
        h = i.h;
        return true;
      }
    return false;
  }
  void DrawImage(const ImagePlacement& p) override {
    Call c = Make("image");
    c.image = p;
    calls.push_back(c);
  }

  std::vector<Call> Of(const std::string& op) const {
    std::vector<Call> out;
    for (const Call& c : calls)
      if (c.op == op) out.push_back(c);
    return out;
  }

 private:
  Call Make(const char* op) const {
    Call c;
    c.op = op;
    c.pen = PenColor();
    c.penWidth = PenWidth();
    c.brush = BrushColor();
    c.brushStyle = GetBrushStyle();
    return c;
  }
  DevicePoint cursor_;
};
