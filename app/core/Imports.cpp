#include "app/core/Imports.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <functional>
#include <vector>

#include "app/core/SettingsFile.h"
#include "util/Files.h"
#include "util/Messages.h"
#include "jww/jwwtype.h"
#include "util/CodePage.h"
#include "util/Numeric.h"
#include "util/Sjis.h"
#include "util/Strings.h"

namespace {

std::string StatusText(const std::string& path, bool pens) {
  return util::Utf8ToCp932(msg::kImportHead + path + (pens ? msg::kImportedPens : msg::kImportedLineTypes));
}

void CopyLineTypeRows(const TgraAttribute& a, PrintSettings& s, int first, int last) {
  for (int r = first; r <= last; ++r) s.LineTypeTable[r] = StoredLineTypeRow(a, r);
}

// Why a file gave no table: it is missing, or it holds none.
util::Status NothingTaken(const std::string& path, bool pens) {
  if (!util::IsRegularFile(path)) return util::Status::Failure("there is no file " + path);
  return util::Status::Failure(path + " holds no " + (pens ? "pen" : "line-type") +
                               " settings (it takes a complete .jww drawing or a .jwf settings file)");
}

bool LoadForImport(const std::string& path, TJwwData& d) {
  if (!util::HasExtension(path, ".jww")) return false;
  jwwtype::ClearImages();
  if (!TJwwData::IsJwwFile(path)) return false;
  d.ClearDrawing();
  d.LoadHeaderAndPens(path, 100);
  d.BuildBlockInstances();
  return true;
}

// Reads a JWF file's text by its line rules, handing each key and its items
// over. Stops at an "END" line.
void ForEachJwfLine(const std::string& text,
                    const std::function<void(const std::string&, const std::vector<std::string>&)>& take) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    line = std::string(util::TrimBlanks(line));
    if (line.empty()) continue;
    if (util::StartsWithNoCase(line, "END")) return;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key(util::TrimBlanks(std::string_view(line).substr(0, eq)));
    const std::string value(util::TrimBlanks(std::string_view(line).substr(eq + 1)));
    for (char& c : key) c = util::AsciiUpper(c);
    if (key.empty() || value.empty()) continue;
    std::vector<std::string> items;
    util::SplitCommaText(value, items);
    if (items.size() > 100) items.resize(100);
    take(key, items);
  }
}

int32_t Int(const std::vector<std::string>& items, size_t i) { return i < items.size() ? util::TextToInt(items[i]) : 0; }
uint32_t Pattern(const std::vector<std::string>& items, size_t i) {
  return i < items.size() ? static_cast<uint32_t>(SettingsTextToInt("$" + items[i])) : 0;
}
TColor RgbOf(const std::vector<std::string>& items) {
  auto channel = [&](size_t i) {
    const int32_t v = Int(items, i);
    return (v < 0 || v > 255) ? 0u : static_cast<unsigned>(v);
  };
  return Rgb(channel(0), channel(1), channel(2));
}

double Clamp(double v, double lo, double hi) {
  if (!(v >= lo)) return lo;
  return v > hi ? hi : v;
}

}  // namespace

double ReadJwfUnit(const std::string& path, bool pens, double lineTypePitch) {
  const util::Result<std::string> text = util::ReadSmallFile(path);
  return JwfUnit(text ? text.Value() : std::string(), pens, lineTypePitch);
}

double JwfUnit(const std::string& text, bool pens, double lineTypePitch) {
  int32_t w = 0, dpi = 0;
  ForEachJwfLine(text, [&](const std::string& key, const std::vector<std::string>& items) {
    if (key == "S_COMM_2" && items.size() >= 2) {
      w = Int(items, 1);
      if (w == -101) w = -100;
      if (w == 0 || w < -101 || w > 100) w = 100;
    } else if (key == "P_DPI" && !items.empty()) {
      const int32_t v = Int(items, 0);
      if (v == 300 || v == 600) dpi = v;
    }
  });
  if (w < 0) return pens ? -1.0 / w : lineTypePitch;
  return dpi == 600 ? 0.042 : 0.085;
}

ImportResult ImportPensFromJww(const std::string& path, PrintSettings& s, TgraAttribute& attr,
                               const UnitGraAtt::PrinterResolution* printer) {
  Imported r;
  TJwwData d;
  // A drawing cut short before its pen table has no pens to give.
  if (!LoadForImport(path, d) || !d.HasPenTable) return NothingTaken(path, true);
  r.DarkBackground = d.ApplyToAttributes(attr, printer, s.LineTypePitch) == TJwwData::BackgroundSwitch::Dark;
  d.ComputeExtents();
  for (int row = 0; row < TgraAttribute::kPenRows; ++row)
    s.PenTable[row] = {attr.GetPenRowColor(row), attr.GetPenRowWidth(row), attr.GetPenRowPointRadius(row)};
  ClampSettings(s);
  d.ClearDrawing();
  jwwtype::ClearImages();
  r.Status = StatusText(path, true);
  return r;
}

ImportResult ImportLineTypesFromJww(const std::string& path, PrintSettings& s, TgraAttribute& attr) {
  Imported r;
  TJwwData d;
  if (!LoadForImport(path, d) || !d.HasLineTypeTable) return NothingTaken(path, false);
  d.ApplyToAttributes(attr, nullptr, s.LineTypePitch);
  d.ComputeExtents();
  CopyLineTypeRows(attr, s, 0, TgraAttribute::kLineTypeRows - 1);
  ClampSettings(s);
  d.ClearDrawing();
  jwwtype::ClearImages();
  r.Status = StatusText(path, false);
  return r;
}

ImportResult ImportPensFromJwf(const std::string& path, PrintSettings& s) {
  if (!util::HasExtension(path, ".jwf")) return NothingTaken(path, true);
  const util::Result<std::string> text = util::ReadSmallFile(path);
  if (!text) return text.GetStatus();
  return ImportPensFromJwfText(text.Value(), path, s);
}

ImportResult ImportPensFromJwfText(const std::string& text, const std::string& path, PrintSettings& s) {
  Imported r;
  const double unit = JwfUnit(text, true, s.LineTypePitch);
  // A file without a single pen line (missing, empty, not a JWF) changes nothing.
  bool any = false;
  ForEachJwfLine(text, [&](const std::string& key, const std::vector<std::string>&) {
    any = any || key.compare(0, 9, "LCOLLOR_H") == 0 || key.compare(0, 8, "PCOLLOR_") == 0;
  });
  if (!any) return NothingTaken(path, true);
  ForEachJwfLine(text, [&](const std::string& key, const std::vector<std::string>& items) {
    if (key.compare(0, 9, "LCOLLOR_H") == 0 && items.size() >= 3) {
      s.PenTable[8].Color = RgbOf(items);
    } else if (key.size() >= 9 && key.compare(0, 8, "PCOLLOR_") == 0 && items.size() >= 3) {
      const char c = key[8];
      if (c == 'G') {
        s.DisplayOnlyColor = RgbOf(items);
      } else if (c >= '1' && c <= '8') {
        TPenRow& row = s.PenTable[c - '1'];
        row.Color = RgbOf(items);
        if (items.size() >= 4) row.Width = Clamp(util::TextToReal(items[3]) * unit, 0, 500);
        if (items.size() >= 5) row.PointRadius = Clamp(util::TextToReal(items[4]), 0.01, 500);
      }
    }
  });
  r.Status = StatusText(path, true);
  return r;
}

ImportResult ImportLineTypesFromJwf(const std::string& path, PrintSettings& s, TgraAttribute& attr) {
  if (!util::HasExtension(path, ".jwf")) return NothingTaken(path, false);
  const util::Result<std::string> text = util::ReadSmallFile(path);
  if (!text) return text.GetStatus();
  return ImportLineTypesFromJwfText(text.Value(), path, s, attr);
}

ImportResult ImportLineTypesFromJwfText(const std::string& text, const std::string& path, PrintSettings& s,
                                        TgraAttribute& attr) {
  Imported r;
  const double unit = JwfUnit(text, false, s.LineTypePitch);
  struct Entry {
    uint32_t pattern = 0;
    int32_t amplitude = 0, pitch = 0;
  };
  Entry types[8], randoms[5], doubles[4];
  bool any = false;
  ForEachJwfLine(text, [&](const std::string& key, const std::vector<std::string>& items) {
    if (key.size() < 8) return;
    const char c = key[7];
    any = any || key.compare(0, 6, "LTYPE_") == 0;
    if (key.compare(0, 7, "LTYPE_0") == 0 && c >= '2' && c <= '9') {
      Entry& e = types[c - '2'];
      e.pattern = Pattern(items, 0);
      e.pitch = Int(items, 3);
      if (c == '9' && items.size() >= 4) e.pitch = 10;
    } else if (key.compare(0, 7, "LTYPE_R") == 0 && c >= '1' && c <= '5') {
      Entry& e = randoms[c - '1'];
      e.pattern = Pattern(items, 0);
      e.amplitude = Int(items, 3);
      e.pitch = Int(items, 4);
    } else if (key.compare(0, 7, "LTYPE_L") == 0 && c >= '1' && c <= '4') {
      Entry& e = doubles[c - '1'];
      e.pattern = Pattern(items, 0);
      e.pitch = Int(items, 3);
    }
  });
  // A file without a single line-type line changes nothing.
  if (!any) return NothingTaken(path, false);
  attr.SetLineTypeAmplitude(0, 0);
  attr.SetLineTypeCount(0, 0);
  attr.UpdateLineTypePeriod(0);
  for (int i = 0; i < 8; ++i) {
    attr.SetLineTypeAmplitude(1 + i, 0);
    UnitGraAtt::PatternToElements(attr, 1 + i, types[i].pattern, types[i].pitch * unit);
  }
  for (int i = 0; i < 5; ++i) {
    attr.SetLineTypeAmplitude(9 + i, randoms[i].amplitude * unit);
    UnitGraAtt::ZigZagToElements(attr, 9 + i, randoms[i].pattern, randoms[i].pitch * unit);
  }
  for (int i = 0; i < 4; ++i) {
    attr.SetLineTypeAmplitude(14 + i, 0);
    UnitGraAtt::PatternToElements(attr, 14 + i, doubles[i].pattern, doubles[i].pitch * unit);
  }
  CopyLineTypeRows(attr, s, 0, 17);
  ClampSettings(s);
  r.Status = StatusText(path, false);
  return r;
}
