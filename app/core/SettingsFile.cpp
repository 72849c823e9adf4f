#include "app/core/SettingsFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "util/CodePage.h"
#include "util/Files.h"
#include "util/Messages.h"
#include "util/Numeric.h"
#include "util/Strings.h"

namespace {


template <typename T>
T Clamp(T v, T lo, T hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}
// Settings files store each choice as its enum's number.
template <typename E>
int32_t Stored(E choice) {
  return static_cast<int32_t>(choice);
}
template <typename E>
E FromStored(int32_t number) {
  return static_cast<E>(number);
}
// And each on/off option as 1 or 0; any other number reads as off.
int32_t Stored(bool on) { return on ? 1 : 0; }
bool FlagFromStored(int32_t number) { return number == 1; }
template <typename E>
E ClampChoice(E choice, E last) {
  return FromStored<E>(Clamp<int32_t>(Stored(choice), 0, Stored(last)));
}
double ClampReal(double v, double lo, double hi) {
  if (!(v >= lo)) return lo;  // also NaN
  return v > hi ? hi : v;
}

class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in) {}
  bool Next(std::string& line) {
    if (!std::getline(in_, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  std::string Text() {
    std::string l;
    if (!Next(l)) throw std::runtime_error("the file ends early");
    return l;
  }
  int32_t Int() { return SettingsTextToInt(Text()); }
  double Real() { return util::TextToReal(Text()); }

 private:
  std::istream& in_;
};

// The marker before the window form's kept output choice.
const char kOutputMarker[] = "[kestrovan-output]";
// The marker before the window form's kept list: a line per drawing,
// "state TAB pages TAB path".
const char kListMarker[] = "[kestrovan-list]";

void ReadKeptListLine(const std::string& line, std::vector<SettingsFileExtras::Listed>& list) {
  const size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
  if (b == std::string::npos || b + 1 >= line.size()) return;
  SettingsFileExtras::Listed l;
  l.State = line.substr(0, a);
  l.Pages = Clamp(SettingsTextToInt(line.substr(a + 1, b - a - 1)), 0, 1000000);
  l.Path = line.substr(b + 1);
  list.push_back(l);
}

// Looked for after the layout's last line; a missing or short section leaves
// the choice not present and the file still opened.
// The lines after the output marker.
// False when the section is cut short (the choice then stays not present).
bool ReadKeptOutput(LineReader& r, SettingsFileExtras::Output& out) {
  SettingsFileExtras::Output o;
  std::string kind, landscape, dpi;
  if (!r.Next(kind) || !r.Next(o.Printer) || !r.Next(o.PdfPath) || !r.Next(o.Paper) || !r.Next(landscape) ||
      !r.Next(dpi))
    return false;
  o.Pdf = kind != "printer";
  o.Landscape = landscape != "portrait";
  o.Dpi = Clamp(SettingsTextToInt(dpi), 72, 2400);
  // Written after the six lines above since the paper choice came; older files end before it.
  if (!r.Next(o.PaperMode)) o.PaperMode.clear();
  std::string more;
  while (r.Next(more)) {
    const size_t eq = more.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = more.substr(0, eq);
    const int32_t v = SettingsTextToInt(more.substr(eq + 1));
    if (name == "Copies") o.Copies = Clamp(v, 1, 999);
    if (name == "Duplex") o.Duplex = Clamp(v, -1, 3);
    if (name == "PaperSource") o.PaperSource = Clamp(v, -1, 16);
    if (name == "ColorMode") o.ColorMode = Clamp(v, -1, 1);
  }
  o.Present = true;
  out = o;
  return true;
}

}  // namespace

std::string SettingsStatusText(SettingsReadResult r) {
  switch (r) {
    case SettingsReadResult::Opened:
      return util::Utf8ToCp932(msg::kSettingsOpened);
    case SettingsReadResult::NotSettings:
      return util::Utf8ToCp932(msg::kNotSettings);
    case SettingsReadResult::Damaged:
      return util::Utf8ToCp932(msg::kSettingsDamaged);
    case SettingsReadResult::NoFile:
      break;
  }
  return std::string();
}

std::string SettingsSavedText(bool ok) {
  return util::Utf8ToCp932(ok ? msg::kSettingsSaved : msg::kSettingsNotSaved);
}

int32_t SettingsTextToInt(const std::string& text) {
  const std::string_view t = util::TrimBlanks(text);
  bool negative = false;
  size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  if (i < t.size() && t[i] == '$') {
    if (i + 1 >= t.size() || t.size() - i - 1 > 8) return 0;
    uint32_t v = 0;
    for (size_t j = i + 1; j < t.size(); ++j) {
      const char c = util::AsciiLower(t[j]);
      const int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
      if (d < 0) return 0;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    // Negated as unsigned: "-$80000000" is the lowest int32, not an overflow.
    return static_cast<int32_t>(negative ? 0u - v : v);
  }
  return util::TextToInt(t);
}

std::string SettingsReal(double v) {
  if (!std::isfinite(v)) return "0";
  char b[64];
  int p = 1;
  for (; p <= 17; ++p) {
    std::snprintf(b, sizeof b, "%.*g", p, v);
    if (std::strtod(b, nullptr) == v) break;
  }
  // Plain decimals for ordinary magnitudes: 100 rather than 1e+02.
  const double a = std::fabs(v);
  if (a >= 1e-4 && a < 1e15) {
    const int intDigits = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 1;
    std::snprintf(b, sizeof b, "%.*g", std::max(p, intDigits), v);
  }
  return b;
}

void ClampSettings(PrintSettings& s) {
  if (!(s.PrintScale >= 1e-6)) s.PrintScale = 1e-6;
  for (int32_t* t : {&s.MonoThreshold, &s.NormalWhiteThreshold, &s.SxfWhiteThreshold}) *t = Clamp(*t, 0, 255);
  s.PrintMethod = ClampChoice(s.PrintMethod, PrintMethod::GivenScale);
  s.CommonLayerGroup = Clamp(s.CommonLayerGroup, 0, kCommonDisplayOnlyGroups);
  s.DisplayOnlyMode = ClampChoice(s.DisplayOnlyMode, DisplayOnlyMode::AsUsual);
  s.PrintOrder = ClampChoice(s.PrintOrder, PrintOrder::ByLayerReverse);
  s.PenSource = ClampChoice(s.PenSource, TableSource::UserTable);
  s.LineTypeSource = ClampChoice(s.LineTypeSource, TableSource::UserTable);
  s.DisplayOnlyColor = Clamp<TColor>(s.DisplayOnlyColor, 0, 0xFFFFFF);
  s.BulkColor = Clamp<TColor>(s.BulkColor, 0, 0xFFFFFF);
  s.BulkWidth = ClampReal(s.BulkWidth, 0, 500);
  s.BulkPointRadius = ClampReal(s.BulkPointRadius, 0.01, 500);
  s.LineTypePitch = ClampReal(s.LineTypePitch, 0.0001, 500);
  if (!std::isfinite(s.OffsetX)) s.OffsetX = 0;
  if (!std::isfinite(s.OffsetY)) s.OffsetY = 0;
  if (!std::isfinite(s.RotationAngle)) s.RotationAngle = 0;
  for (TPenRow& r : s.PenTable) {
    r.Color = Clamp<TColor>(r.Color, 0, 0xFFFFFF);
    r.Width = ClampReal(r.Width, 0, 500);
    r.PointRadius = ClampReal(r.PointRadius, 0.01, 500);
  }
  for (TLineTypeRow& r : s.LineTypeTable) {
    r.Amplitude = ClampReal(r.Amplitude, 0, 500);
    r.Count = Clamp(r.Count, 0, 32);
    r.Period = 0;
    for (int j = 0; j < 32; ++j) {
      if (j < r.Count) {
        r.Elements[j] = ClampReal(r.Elements[j], -500, 500);
        r.Period += std::fabs(r.Elements[j]);
      } else {
        r.Elements[j] = 0;
      }
    }
  }
}

SettingsReadResult ReadSettingsFile(const std::string& path, SettingsForm form, PrintSettings& s,
                                    SettingsFileExtras& extras) {
  // A device or FIFO would never end, and no settings file comes near 64 MiB:
  // such a thing is no settings file, and nothing changes.
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (!exists) {
    const PrintSettings defaults;
    auto tables = std::make_pair(s.PenTable, s.LineTypeTable);
    s = defaults;
    s.PenTable = tables.first;
    s.LineTypeTable = tables.second;
    return SettingsReadResult::NoFile;
  }
  const util::Result<std::string> text = util::ReadSmallFile(path);
  if (!text) return SettingsReadResult::NotSettings;
  return ReadSettingsText(text.Value(), form, s, extras);
}

SettingsReadResult ReadSettingsText(const std::string& text, SettingsForm form, PrintSettings& s,
                                    SettingsFileExtras& extras) {
  std::istringstream in(text);
  LineReader r(in);
  // The header is checked before anything is reset: a file that is not ours
  // changes nothing.
  if (form == SettingsForm::User) {
    std::string first;
    if (!r.Next(first)) return SettingsReadResult::NotSettings;
    if (first != util::Utf8ToCp932(msg::kSettingsHeader) && first != util::Utf8ToCp932(msg::kOldSettingsHeader))
      return SettingsReadResult::NotSettings;
  }
  {
    const PrintSettings defaults;
    auto tables = std::make_pair(s.PenTable, s.LineTypeTable);
    s = defaults;
    s.PenTable = tables.first;
    s.LineTypeTable = tables.second;
  }
  try {
    if (form == SettingsForm::Window) {
      extras.WindowLeft = r.Int();
      extras.WindowTop = r.Int();
      extras.WindowWidth = r.Int();
      extras.WindowHeight = r.Int();
      extras.SettingsFolder = r.Text();
    }
    extras.DrawingFolder = r.Text();
    extras.JwwImportFolder = r.Text();
    extras.JwfImportFolder = r.Text();
    s.PrintMethod = FromStored<PrintMethod>(r.Int());
    s.PrintScale = r.Real();
    s.OffsetX = r.Real();
    s.OffsetY = r.Real();
    s.Monochrome = FlagFromStored(r.Int());
    s.MonoThreshold = r.Int();
    s.WhiteToBlackNormal = FlagFromStored(r.Int());
    s.NormalWhiteThreshold = r.Int();
    s.WhiteToBlackSxf = FlagFromStored(r.Int());
    s.SxfWhiteThreshold = r.Int();
    s.PerLayerGroup = FlagFromStored(r.Int());
    s.OneDocument = FlagFromStored(r.Int());
    s.CommonLayerGroup = r.Int();
    s.PrintAuxLines = FlagFromStored(r.Int());
    s.DisplayOnlyMode = FromStored<DisplayOnlyMode>(r.Int());
    s.DisplayOnlyColor = static_cast<TColor>(r.Int());
    s.PrintOrder = FromStored<PrintOrder>(r.Int());
    s.PenSource = FromStored<TableSource>(r.Int());
    s.BulkColor = static_cast<TColor>(r.Int());
    s.BulkWidth = r.Real();
    s.BulkPointRadius = r.Real();
    s.LineTypeSource = FromStored<TableSource>(r.Int());
    s.LineTypePitch = r.Real();
    for (TPenRow& row : s.PenTable) {
      row.Color = static_cast<TColor>(r.Int());
      row.Width = r.Real();
      row.PointRadius = r.Real();
    }
    for (TLineTypeRow& row : s.LineTypeTable) {
      const int32_t n = r.Int();
      row.Amplitude = r.Real();
      // A count beyond the 32 slots is read through but kept to 32.
      row.Count = Clamp(n, 0, 32);
      row.Elements.fill(0);
      for (int32_t j = 0; j < n && j < 100000; ++j) {
        const double e = r.Real();
        if (j < 32) row.Elements[static_cast<size_t>(j)] = e;
      }
      row.Period = r.Real();
    }
    if (form == SettingsForm::User) {
      const int32_t m = r.Int();
      extras.Files.clear();
      for (int32_t i = 0; i < m; ++i) {
        const std::string f = r.Text();
        if (!f.empty()) extras.Files.push_back(f);
      }
    }
    std::string last;
    if (r.Next(last)) s.RotationAngle = util::TextToReal(last);
    // Options of our own follow the fixed layout as "Name=value" lines,
    // which a reader of that layout never reaches; the window's kept output
    // comes last, behind its marker.
    bool inList = false, cut = false;
    if (form == SettingsForm::Window) extras.KeptList.clear();
    while (r.Next(last)) {
      if (last == kOutputMarker) {
        if (form == SettingsForm::Window) cut = !ReadKeptOutput(r, extras.KeptOutput);
        inList = false;
        break;
      }
      if (last == kListMarker) {
        inList = form == SettingsForm::Window;
        continue;
      }
      if (inList) {
        ReadKeptListLine(last, extras.KeptList);
        continue;
      }
      const size_t eq = last.find('=');
      if (eq == std::string::npos) continue;
      const std::string name = last.substr(0, eq), value = last.substr(eq + 1);
      if (name == "FollowDrawing") s.FollowDrawing = FlagFromStored(SettingsTextToInt(value));
    }
    // The window's own file always ends with a whole line, and its list is
    // always followed by the output choice: a file cut inside either is damaged.
    if (form == SettingsForm::Window && (cut || inList || (!text.empty() && text.back() != '\n')))
      return SettingsReadResult::Damaged;
  } catch (const std::exception&) {
    return SettingsReadResult::Damaged;
  }
  return SettingsReadResult::Opened;
}

util::Status WriteSettingsFile(const std::string& path, SettingsForm form, const PrintSettings& s,
                       const SettingsFileExtras& extras) {
  std::ostringstream o;
  auto line = [&](const std::string& t) { o << t << "\r\n"; };
  auto num = [&](int64_t v) { line(std::to_string(v)); };
  auto real = [&](double v) { line(SettingsReal(v)); };
  if (form == SettingsForm::User) {
    line(util::Utf8ToCp932(msg::kSettingsHeader));
  } else {
    num(extras.WindowLeft);
    num(extras.WindowTop);
    num(extras.WindowWidth);
    num(extras.WindowHeight);
    line(extras.SettingsFolder);
  }
  line(extras.DrawingFolder);
  line(extras.JwwImportFolder);
  line(extras.JwfImportFolder);
  num(Stored(s.PrintMethod));
  real(s.PrintScale);
  real(s.OffsetX);
  real(s.OffsetY);
  for (int32_t v : {Stored(s.Monochrome), s.MonoThreshold, Stored(s.WhiteToBlackNormal), s.NormalWhiteThreshold,
                    Stored(s.WhiteToBlackSxf), s.SxfWhiteThreshold, Stored(s.PerLayerGroup), Stored(s.OneDocument),
                    s.CommonLayerGroup, Stored(s.PrintAuxLines), Stored(s.DisplayOnlyMode)})
    num(v);
  num(s.DisplayOnlyColor);
  num(Stored(s.PrintOrder));
  num(Stored(s.PenSource));
  num(s.BulkColor);
  real(s.BulkWidth);
  real(s.BulkPointRadius);
  num(Stored(s.LineTypeSource));
  real(s.LineTypePitch);
  for (const TPenRow& row : s.PenTable) {
    num(row.Color);
    real(row.Width);
    real(row.PointRadius);
  }
  for (const TLineTypeRow& row : s.LineTypeTable) {
    const int32_t n = Clamp(row.Count, 0, 32);
    num(n);
    real(row.Amplitude);
    for (int32_t j = 0; j < n; ++j) real(row.Elements[static_cast<size_t>(j)]);
    real(row.Period);
  }
  if (form == SettingsForm::User) {
    num(static_cast<int64_t>(extras.Files.size()));
    for (const std::string& f : extras.Files) line(f);
  }
  real(s.RotationAngle);
  line("FollowDrawing=" + std::to_string(Stored(s.FollowDrawing)));
  if (form == SettingsForm::Window && !extras.KeptList.empty()) {
    line(kListMarker);
    for (const SettingsFileExtras::Listed& l : extras.KeptList)
      if (!l.Path.empty() && l.Path.find_first_of("\r\n") == std::string::npos)
        line(l.State + "\t" + std::to_string(l.Pages) + "\t" + l.Path);
  }
  if (form == SettingsForm::Window && extras.KeptOutput.Present) {
    const SettingsFileExtras::Output& k = extras.KeptOutput;
    line(kOutputMarker);
    line(k.Pdf ? "pdf" : "printer");
    line(k.Printer);
    line(k.PdfPath);
    line(k.Paper);
    line(k.Landscape ? "landscape" : "portrait");
    num(k.Dpi);
    line(k.PaperMode.empty() ? std::string("given") : k.PaperMode);
    line("Copies=" + std::to_string(k.Copies));
    line("Duplex=" + std::to_string(k.Duplex));
    line("PaperSource=" + std::to_string(k.PaperSource));
    line("ColorMode=" + std::to_string(k.ColorMode));
  }

  // Beside the target first, under a unique name; the previous file is
  // replaced only by a complete one.
  return util::ReplaceFile(path, o.str());
}
