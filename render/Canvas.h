// The device surface every primitive draws on: device pixels, y pointing
// down. It keeps the current pen, brush and font as plain state, as a printer
// device context does; implementations draw with them.
#pragma once

#include <cstdint>
#include <string>

#include "util/Color.h"

struct DevicePoint {
  int32_t x = 0, y = 0;
};

enum class BrushStyle : uint8_t {
  Clear,
  Solid,
  Horizontal,
  Vertical,
  ForwardDiagonal,   // lines from upper left to lower right
  BackwardDiagonal,  // lines from lower left to upper right
  Cross,
  DiagonalCross,
};

// A font as a LOGFONT record describes it; the face name is Shift-JIS.
struct FontSpec {
  int32_t Height = 0;       // device pixels
  int32_t Width = 0;        // average character width, 0 = natural
  int32_t Escapement = 0;   // tenths of a degree, counter-clockwise
  int32_t Weight = 400;     // 700 bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  std::string FaceName;
};

// What DrawImage hands to the device: the part of an image file to show and
// where, optionally turned about a device point.
struct ImagePlacement {
  std::string Path;  // a file-system path (UTF-8)
  int32_t SrcLeft = 0, SrcTop = 0, SrcWidth = 0, SrcHeight = 0;  // image pixels
  int32_t DstLeft = 0, DstTop = 0, DstWidth = 0, DstHeight = 0;  // device pixels
  double AngleDegrees = 0;  // counter-clockwise on paper; 0 = no transform
  int32_t PivotX = 0, PivotY = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Pen: colour and integer width (0 = the thinnest line the device draws).
  void SetPenColor(TColor c) { penColor_ = c; }
  void SetPenWidth(int32_t w) { penWidth_ = w; }
  TColor PenColor() const { return penColor_; }
  int32_t PenWidth() const { return penWidth_; }
  void SetBrushColor(TColor c) { brushColor_ = c; }
  void SetBrushStyle(BrushStyle s) { brushStyle_ = s; }
  TColor BrushColor() const { return brushColor_; }
  BrushStyle GetBrushStyle() const { return brushStyle_; }
  void SetFont(const FontSpec& f) { font_ = f; }
  const FontSpec& Font() const { return font_; }

  virtual void MoveTo(int32_t x, int32_t y) = 0;
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void Polyline(const DevicePoint* points, size_t count) = 0;
  // Filled with the brush and outlined with the pen.
  virtual void Polygon(const DevicePoint* points, size_t count) = 0;
  // Shift-JIS text at a device point (the top-left of its cell) in the current font.
  virtual void TextOut(int32_t x, int32_t y, const std::string& sjis) = 0;

  // The size in pixels of an image file; false when it cannot be read.
  virtual bool ImageSize(const std::string& path, int32_t& width, int32_t& height) = 0;
  virtual void DrawImage(const ImagePlacement& placement) = 0;

 private:
  TColor penColor_ = 0;
  int32_t penWidth_ = 0;
  TColor brushColor_ = Rgb(255, 255, 255);
  BrushStyle brushStyle_ = BrushStyle::Clear;
  FontSpec font_;
};
