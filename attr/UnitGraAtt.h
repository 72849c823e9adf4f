// TgraAttribute: how an entity's pen looks on paper — the pen table (colour,
// width, point radius per pen colour number), the line-type table, the layer
// table with display states, and the colour rules (monochrome, near-white
// pens printed black).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "util/Color.h"

// How a layer prints, as the pen attributes hold it (the stored numbers).
enum LayerPrintState : int32_t {
  kLayerNormal = 1,
  kLayerGrey = 2,     // drawn in GreyColor: display-only layers printed grey
  kLayerLeftOut = 3,  // not printed (drawn in BackgroundColor where asked)
};

struct TLayerEntry {
  int32_t State = kLayerNormal;  // a LayerPrintState
  double Scale = 1.0;
  std::string GroupCaption;  // Shift-JIS
  std::string LayerCaption;
};

struct TPenRow {
  TColor Color = 0;
  double Width = 0;        // mm
  double PointRadius = 0;  // mm
};

struct TLineTypeRow {
  int32_t Count = 0;       // 0..32; 0 is a solid line
  double Amplitude = 0;    // mm; non-zero makes a random (zig-zag) line
  std::array<double, 32> Elements{};  // mm; >= 0 stroke, < 0 gap
  double Period = 0;       // sum of |elements| of the first Count
  // For a pattern of dots: the dots of its own repeat and the length of one
  // dot (mm); lines are fitted to that repeat as the printer draws it, each dot
  // whole device pixels. 0: no dots, the period is the repeat. Not stored in files.
  int32_t RepeatDots = 0;
  double DotMm = 0;
};

class TgraAttribute {
 public:
  static constexpr int kLayerCount = 256;
  static constexpr int kPenRows = 265;
  static constexpr int kLineTypeRows = 50;
  static constexpr int kMaxElements = 32;

  TgraAttribute() { ResetAttributes(); }

  void ResetAttributes();
  void ResetLayers();
  void ResetPenColors();
  void ResetPenWidths();
  void ResetPointRadii();
  void ResetLineTypes();

  void SetPrintMode(bool on) { PrintMode = on; }
  bool GetPrintMode() const { return PrintMode; }
  void SetColorConversion(bool enabled, int32_t monoThreshold, int32_t sxfWhiteThreshold,
                          int32_t normalWhiteThreshold);
  void SetBackgroundMode(int32_t mode);
  int32_t GetBackgroundMode() const { return BackgroundMode; }
  TColor GetBackgroundColor() const { return BackgroundColor; }
  void SetGreyColor(TColor c) { GreyColor = c; }
  TColor GetGreyColor() const { return GreyColor; }
  void SetPrintAuxLines(bool on) { PrintAuxLines = on; }
  bool GetPrintAuxLines() const { return PrintAuxLines; }

  // Layers (index = group * 16 + layer).
  void SetLayer(int index, int32_t state, const std::string& layerName,
                const std::string& groupName, double scale);
  void SetLayerState(int index, int32_t state);
  int32_t GetLayerState(int index) const {
    return (index >= 0 && index < kLayerCount) ? LayerTable[static_cast<size_t>(index)].State : 1;
  }
  const TLayerEntry* Layer(int index) const;

  // Pens: by pen colour number (1..9, 101..356) or by row (0..264).
  static int PenRowOf(int n) {
    if (n >= 1 && n <= 9) return n - 1;
    if (n >= 101 && n <= 356) return n - 92;
    return -1;
  }
  void SetPen(int penNumber, TColor color, double width, double pointRadius);
  void SetPenRow(int row, TColor color, double width, double pointRadius);
  TColor GetPenColor(int penNumber) const { return GetPenRowColor(PenRowOf(penNumber)); }
  TColor GetPenRowColor(int row) const {
    if (row < 0 || row >= kPenRows) return BackgroundColor;
    const TColor c = PenTable[static_cast<size_t>(row)].Color;
    return ConvertColors ? ApplyColorRules(row, c) : c;
  }
  double GetPenWidth(int penNumber) const { return GetPenRowWidth(PenRowOf(penNumber)); }
  double GetPenRowWidth(int row) const { return (row >= 0 && row < kPenRows) ? PenTable[static_cast<size_t>(row)].Width : 0.0; }
  double GetPointRadius(int penNumber) const { return GetPenRowPointRadius(PenRowOf(penNumber)); }
  double GetPenRowPointRadius(int row) const {
    return (row >= 0 && row < kPenRows) ? PenTable[static_cast<size_t>(row)].PointRadius : 0.1;
  }

  // Line types: by line-type number (1..9, 11..19, 31..62) or by row (0..49).
  static int LineTypeRowOf(int t) {
    if (t >= 1 && t <= 9) return t - 1;
    if (t >= 11 && t <= 19) return t - 2;
    if (t >= 31 && t <= 62) return t - 13;
    return -1;
  }
  void SetLineTypeCount(int row, int32_t count);
  void SetLineTypeAmplitude(int row, double amplitude);
  void SetLineTypeElement(int row, int index, double value);
  void UpdateLineTypePeriod(int row);
  void SetLineTypeRepeat(int row, int32_t dots, double dotMm);
  // The device pixels of the repeat a patterned line holds a whole number
  // of, at `scale` pixels per mm: the pattern's own repeat of dots, each dot
  // rounded to whole pixels; else its period.
  double GetLineTypeRepeatPx(int lineType, double scale) const;
  // The same repeat in mm, as the elements measure it.
  double GetLineTypeRepeatMm(int lineType) const;
  // A pattern of dots: the dots of its repeat and one dot's length (mm); 0 for other patterns.
  int32_t GetLineTypeRepeatDots(int lineType) const;
  double GetLineTypeDotMm(int lineType) const;
  int32_t GetLineTypeCount(int lineType) const { return GetLineTypeRowCount(LineTypeRowOf(lineType)); }
  double GetLineTypeAmplitude(int lineType) const { return GetLineTypeRowAmplitude(LineTypeRowOf(lineType)); }
  int32_t GetLineTypePattern(int lineType, double* out32) const;
  double GetLineTypePeriod(int lineType) const { return GetLineTypeRowPeriod(LineTypeRowOf(lineType)); }
  int32_t GetLineTypeRowCount(int row) const {
    return (row >= 0 && row < kLineTypeRows) ? LineTypeTable[static_cast<size_t>(row)].Count : 0;
  }
  double GetLineTypeRowAmplitude(int row) const {
    return (row >= 0 && row < kLineTypeRows) ? LineTypeTable[static_cast<size_t>(row)].Amplitude : 0.0;
  }
  double GetLineTypeRowPeriod(int row) const {
    return (row >= 0 && row < kLineTypeRows) ? LineTypeTable[static_cast<size_t>(row)].Period : 0.0;
  }
  double GetLineTypeRowElement(int row, int index) const;

 private:
  TColor ApplyColorRules(int row, TColor c) const;

  bool PrintMode = false;
  bool ConvertColors = false;
  int32_t MonoThreshold = -1;
  int32_t NormalWhiteThreshold = -1;
  int32_t SxfWhiteThreshold = -1;
  int32_t BackgroundMode = 0;
  TColor BackgroundColor = Rgb(255, 255, 255);
  TColor DefaultPenColor = Rgb(0, 0, 0);
  TColor GreyColor = Rgb(128, 128, 128);
  bool PrintAuxLines = false;
  std::array<TLayerEntry, kLayerCount> LayerTable;
  std::array<TPenRow, kPenRows> PenTable;
  std::array<TLineTypeRow, kLineTypeRows> LineTypeTable;
};

namespace UnitGraAtt {

// The pen attributes the drawing code reads: one object for the program.
TgraAttribute& GraAttribute();

// Cuts a 32-dot pattern (bit 31 first) into runs: a run of set bits is a
// stroke of (length x unit) mm, a run of clear bits a gap. Writes the row's
// count, elements and period.
void PatternToElements(TgraAttribute& attr, int row, uint32_t pattern, double unit);
// A random (zig-zag) line's pattern: every dot is an element of its own, so
// that a run of dots is a stretch held at the amplitude, not one long slope;
// and a dot of a zig-zag is longer than a dot of a dashed line by this factor
// (measured on the CAD program's pages at pitches of 1 to 20 dots: 1.39-1.40).
// On paper the dot takes whole pixels by the line's slope
// (UnitGra.cpp, ZigZagDotPx).
constexpr double kZigZagDot = 1.4;
void ZigZagToElements(TgraAttribute& attr, int row, uint32_t pattern, double unit);

// The resolution of the printer the run prints on, for the pen-width unit of
// drawings that do not state theirs. The platform layer answers it; 0 or less
// means the printer cannot be asked.
class PrinterResolution {
 public:
  virtual ~PrinterResolution() = default;
  virtual int HorizontalDpi() const = 0;
};

// A fixed resolution (tests, and the dump tool's 600 dpi).
class FixedResolution : public PrinterResolution {
 public:
  explicit FixedResolution(int dpi) : dpi_(dpi) {}
  int HorizontalDpi() const override { return dpi_; }

 private:
  int dpi_;
};

}  // namespace UnitGraAtt
