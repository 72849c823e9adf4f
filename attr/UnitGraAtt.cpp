#include "attr/UnitGraAtt.h"

#include <cmath>

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

bool ValidLayer(int i) { return i >= 0 && i < TgraAttribute::kLayerCount; }
bool ValidPenRow(int r) { return r >= 0 && r < TgraAttribute::kPenRows; }
bool ValidLineTypeRow(int r) { return r >= 0 && r < TgraAttribute::kLineTypeRows; }

std::string GroupCaption(int index, const std::string& name) {
  return std::string("[") + kHexDigits[index / 16] + "] " + name;
}
std::string LayerCaption(int index, const std::string& name) {
  return std::string("(") + kHexDigits[index % 16] + ") " + name;
}

}  // namespace

void TgraAttribute::ResetAttributes() {
  PrintMode = false;
  ConvertColors = false;
  MonoThreshold = NormalWhiteThreshold = SxfWhiteThreshold = -1;
  BackgroundMode = 0;
  BackgroundColor = Rgb(255, 255, 255);
  DefaultPenColor = Rgb(0, 0, 0);
  GreyColor = Rgb(128, 128, 128);
  PrintAuxLines = false;
  ResetLayers();
  ResetPenColors();
  ResetPenWidths();
  ResetPointRadii();
  ResetLineTypes();
}

void TgraAttribute::SetColorConversion(bool enabled, int32_t monoThreshold,
                                       int32_t sxfWhiteThreshold, int32_t normalWhiteThreshold) {
  ConvertColors = enabled;
  MonoThreshold = monoThreshold;
  SxfWhiteThreshold = sxfWhiteThreshold;
  NormalWhiteThreshold = normalWhiteThreshold;
}

void TgraAttribute::SetBackgroundMode(int32_t mode) {
  if (mode == 0) {
    BackgroundColor = Rgb(255, 255, 255);
    DefaultPenColor = Rgb(0, 0, 0);
  } else if (mode == 1) {
    BackgroundColor = Rgb(0, 0, 0);
    DefaultPenColor = Rgb(255, 255, 255);
  } else {
    return;
  }
  BackgroundMode = mode;
}

// ---------------------------------------------------------------------------
// Layers

void TgraAttribute::ResetLayers() {
  for (int i = 0; i < kLayerCount; ++i) {
    TLayerEntry& e = LayerTable[i];
    e.State = 1;
    e.Scale = 1.0;
    e.GroupCaption = GroupCaption(i, "");
    e.LayerCaption = LayerCaption(i, "");
  }
}

void TgraAttribute::SetLayer(int index, int32_t state, const std::string& layerName,
                             const std::string& groupName, double scale) {
  if (!ValidLayer(index)) return;
  TLayerEntry& e = LayerTable[index];
  e.State = (state >= 1 && state <= 3) ? state : 1;
  e.Scale = scale > 0 ? scale : 1.0;  // also NaN becomes 1.0
  e.GroupCaption = GroupCaption(index, groupName);
  e.LayerCaption = LayerCaption(index, layerName);
}

void TgraAttribute::SetLayerState(int index, int32_t state) {
  if (!ValidLayer(index)) return;
  LayerTable[index].State = (state >= 1 && state <= 3) ? state : 1;
}


const TLayerEntry* TgraAttribute::Layer(int index) const {
  return ValidLayer(index) ? &LayerTable[index] : nullptr;
}

// ---------------------------------------------------------------------------
// Pens

void TgraAttribute::ResetPenColors() {
  struct Pair {
    TColor light, dark;
  };
  static const Pair kDefaults[25] = {
      {Rgb(0, 192, 192), Rgb(0, 255, 255)},     {Rgb(0, 0, 0), Rgb(255, 255, 255)},
      {Rgb(0, 192, 0), Rgb(0, 255, 0)},         {Rgb(192, 192, 0), Rgb(255, 255, 0)},
      {Rgb(192, 0, 192), Rgb(192, 0, 192)},     {Rgb(0, 0, 255), Rgb(32, 32, 255)},
      {Rgb(0, 128, 128), Rgb(0, 128, 128)},     {Rgb(255, 0, 128), Rgb(160, 0, 0)},
      {Rgb(255, 128, 255), Rgb(192, 128, 128)},  // auxiliary
      {Rgb(0, 0, 0), Rgb(255, 255, 255)},       // SXF 1 black
      {Rgb(255, 0, 0), Rgb(255, 0, 0)},         {Rgb(0, 255, 0), Rgb(0, 255, 0)},
      {Rgb(0, 0, 255), Rgb(0, 0, 255)},         {Rgb(255, 255, 0), Rgb(255, 255, 0)},
      {Rgb(255, 0, 255), Rgb(255, 0, 255)},     {Rgb(0, 255, 255), Rgb(0, 255, 255)},
      {Rgb(0, 0, 0), Rgb(255, 255, 255)},       // SXF 8 white
      {Rgb(192, 0, 128), Rgb(192, 0, 128)},     {Rgb(192, 128, 64), Rgb(192, 128, 64)},
      {Rgb(255, 128, 0), Rgb(255, 128, 0)},     {Rgb(128, 192, 128), Rgb(128, 192, 128)},
      {Rgb(0, 128, 255), Rgb(0, 128, 255)},     {Rgb(128, 64, 255), Rgb(128, 64, 255)},
      {Rgb(192, 192, 192), Rgb(192, 192, 192)}, {Rgb(128, 128, 128), Rgb(128, 128, 128)},
  };
  for (TPenRow& r : PenTable) r.Color = DefaultPenColor;
  for (int i = 0; i < 25; ++i) PenTable[i].Color = BackgroundMode == 1 ? kDefaults[i].dark : kDefaults[i].light;
}

void TgraAttribute::ResetPenWidths() {
  static const double kWidths[9] = {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.01};
  for (int i = 0; i < kPenRows; ++i) PenTable[i].Width = i < 9 ? kWidths[i] : 0.18;
}

void TgraAttribute::ResetPointRadii() {
  static const double kRadii[9] = {0.2, 0.3, 0.4, 0.5, 0.5, 0.5, 0.5, 0.5, 0.2};
  for (int i = 0; i < kPenRows; ++i) PenTable[i].PointRadius = i < 9 ? kRadii[i] : 0.2;
}


void TgraAttribute::SetPen(int penNumber, TColor color, double width, double pointRadius) {
  SetPenRow(PenRowOf(penNumber), color, width, pointRadius);
}

void TgraAttribute::SetPenRow(int row, TColor color, double width, double pointRadius) {
  if (!ValidPenRow(row)) return;
  PenTable[row] = {color, width, pointRadius};
}

TColor TgraAttribute::ApplyColorRules(int row, TColor c) const {
  if (!ConvertColors) return c;
  const int32_t white = row <= 8 ? NormalWhiteThreshold : SxfWhiteThreshold;
  if (MonoThreshold < 0 && white < 0) return c;
  if (MonoThreshold >= 0) {
    const int t = MonoThreshold;
    auto light = [t](unsigned ch) { return static_cast<int>(ch) + t >= 256 || ch == 255; };
    c = (light(RedOf(c)) && light(GreenOf(c)) && light(BlueOf(c))) ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
  }
  if (white >= 0) {
    const int64_t w = white;
    if (RedOf(c) + w > 254 && GreenOf(c) + w > 254 && BlueOf(c) + w > 254) return Rgb(0, 0, 0);
  }
  return c;
}




// ---------------------------------------------------------------------------
// Line types

void TgraAttribute::ResetLineTypes() {
  for (TLineTypeRow& r : LineTypeTable) r = TLineTypeRow();
  auto set = [this](int row, std::initializer_list<double> elements, double unit = 1.0) {
    TLineTypeRow& r = LineTypeTable[row];
    r.Count = static_cast<int32_t>(elements.size());
    int i = 0;
    for (double e : elements) r.Elements[i++] = e * unit;
  };
  // Jw_cad types 2..9 in dots of 0.36 mm.
  const double dot = 0.36;
  set(1, {1, -2, 1}, dot);
  set(2, {2, -4, 2}, dot);
  set(3, {3, -2, 3}, dot);
  set(4, {5, -2, 2, -2, 5}, dot);
  set(5, {13, -2, 2, -2, 13}, dot);
  set(6, {4, -2, 1, -2, 1, -2, 4}, dot);
  set(7, {12, -2, 1, -2, 1, -2, 12}, dot);
  set(8, {0.5, -3, 0.5}, dot);
  // Random lines from their pattern text: "2" a stroke of one unit, "0" a gap.
  static const char kRandom[] = "22002200202200202022002200202020";
  const double units[5] = {0.6, 1.2, 1.8, 2.4, 3.0};
  const double amplitudes[5] = {0.3, 0.3, 0.6, 0.6, 0.6};
  for (int k = 0; k < 5; ++k) {
    TLineTypeRow& r = LineTypeTable[9 + k];
    r.Count = 32;
    r.Amplitude = amplitudes[k];
    for (int i = 0; i < 32; ++i) r.Elements[i] = (kRandom[i] - '0' - 1) * units[k];
  }
  // Double-length types.
  set(14, {8.4, -1.2, 1.6, -1.2, 8.4});
  set(15, {10.6, -1.6, 1.2, -1.6, 1.2, -1.6, 10.6});
  set(16, {13.6, -1.6, 13.6});
  set(17, {22.0, -3.0, 22.0});
  // SXF types 1..16 (1 and 16 solid).
  set(19, {6, -1.5});
  set(20, {6, -6});
  set(21, {12, -1.5, 0.25, -1.5});
  set(22, {12, -1.5, 0.25, -1.5, 0.25, -1.5});
  set(23, {12, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
  set(24, {0.25, -1.5});
  set(25, {12, -1.5, 3.5, -1.5});
  set(26, {12, -1.5, 3.5, -1.5, 3.5, -1.5});
  set(27, {6, -1.5, 0.25, -1.5});
  set(28, {6, -1.5, 6, -1.5, 0.25, -1.5});
  set(29, {6, -1.5, 0.25, -1.5, 0.25, -1.5});
  set(30, {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5});
  set(31, {6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
  set(32, {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
  for (int row = 0; row < kLineTypeRows; ++row) UpdateLineTypePeriod(row);
}


void TgraAttribute::SetLineTypeCount(int row, int32_t count) {
  if (!ValidLineTypeRow(row)) return;
  // Counts outside 0..32 never reach a row: the pattern holds 32 elements.
  LineTypeTable[row].Count = count < 0 ? 0 : (count > kMaxElements ? kMaxElements : count);
  // A row set anew repeats over its whole period until told otherwise.
  LineTypeTable[row].RepeatDots = 0;
  LineTypeTable[row].DotMm = 0;
}

void TgraAttribute::SetLineTypeRepeat(int row, int32_t dots, double dotMm) {
  if (!ValidLineTypeRow(row)) return;
  const bool usable = dots >= 1 && dots <= 32 && std::isfinite(dotMm) && dotMm > 0;
  LineTypeTable[row].RepeatDots = usable ? dots : 0;
  LineTypeTable[row].DotMm = usable ? dotMm : 0;
}

double TgraAttribute::GetLineTypeRepeatMm(int lineType) const {
  const int row = LineTypeRowOf(lineType);
  if (!ValidLineTypeRow(row)) return 0.0;
  const TLineTypeRow& r = LineTypeTable[row];
  return r.RepeatDots == 0 ? r.Period : r.RepeatDots * r.DotMm;
}

double TgraAttribute::GetLineTypeRepeatPx(int lineType, double scale) const {
  const int row = LineTypeRowOf(lineType);
  if (!ValidLineTypeRow(row)) return 0.0;
  const TLineTypeRow& r = LineTypeTable[row];
  if (r.RepeatDots == 0) return r.Period * scale;
  const double dotPx = std::floor(r.DotMm * scale + 0.5);
  return r.RepeatDots * (dotPx >= 1 ? dotPx : 1.0);
}

void TgraAttribute::SetLineTypeAmplitude(int row, double amplitude) {
  if (ValidLineTypeRow(row)) LineTypeTable[row].Amplitude = amplitude;
}

void TgraAttribute::SetLineTypeElement(int row, int index, double value) {
  if (!ValidLineTypeRow(row)) return;
  TLineTypeRow& r = LineTypeTable[row];
  if (index < 0 || index >= r.Count) return;
  r.Elements[index] = value;
}

void TgraAttribute::UpdateLineTypePeriod(int row) {
  if (!ValidLineTypeRow(row)) return;
  TLineTypeRow& r = LineTypeTable[row];
  double sum = 0;
  for (int i = 0; i < r.Count; ++i) sum += std::fabs(r.Elements[i]);
  r.Period = sum;
}


int32_t TgraAttribute::GetLineTypePattern(int t, double* out32) const {
  const int row = LineTypeRowOf(t);
  if (!ValidLineTypeRow(row)) return 0;
  const TLineTypeRow& r = LineTypeTable[row];
  for (int i = 0; i < r.Count; ++i) out32[i] = r.Elements[i];
  return r.Count;
}

double TgraAttribute::GetLineTypeRowElement(int row, int index) const {
  if (!ValidLineTypeRow(row)) return 0.0;
  const TLineTypeRow& r = LineTypeTable[row];
  return (index >= 0 && index < r.Count) ? r.Elements[index] : 0.0;
}

namespace UnitGraAtt {

TgraAttribute& GraAttribute() {
  static TgraAttribute attributes;
  return attributes;
}

void ZigZagToElements(TgraAttribute& attr, int row, uint32_t pattern, double unit) {
  const double dot = unit * kZigZagDot;
  attr.SetLineTypeCount(row, 32);
  for (int bit = 31; bit >= 0; --bit) attr.SetLineTypeElement(row, 31 - bit, ((pattern >> bit) & 1u) ? dot : -dot);
  attr.UpdateLineTypePeriod(row);
}

void PatternToElements(TgraAttribute& attr, int row, uint32_t pattern, double unit) {
  double elements[32];
  int count = 0;
  int bit = 31;
  while (bit >= 0) {
    const bool on = (pattern >> bit) & 1u;
    int run = 0;
    while (bit >= 0 && (((pattern >> bit) & 1u) != 0) == on) {
      ++run;
      --bit;
    }
    elements[count++] = (on ? 1.0 : -1.0) * run * unit;
  }
  attr.SetLineTypeCount(row, count);
  for (int i = 0; i < count; ++i) attr.SetLineTypeElement(row, i, elements[i]);
  attr.UpdateLineTypePeriod(row);
}

}  // namespace UnitGraAtt
