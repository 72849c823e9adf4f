#include "app/core/PrintOptions.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "app/core/PaperSize.h"
#include "app/core/PrintChoices.h"
#include "util/Numeric.h"

namespace {

using util::Status;

Status Real(const std::string& flag, const std::string& value, double& v) {
  if (util::ParseReal(value.c_str(), v)) return Status();
  return Status::Failure(flag + " takes a number, not \"" + value + "\"");
}

Status Threshold(const std::string& flag, const std::string& value, int32_t& out) {
  double v;
  if (Status read = Real(flag, value, v); !read) return read;
  if (v < 0 || v > 255 || v != static_cast<int>(v)) return Status::Failure(flag + " takes a whole number 0..255");
  out = static_cast<int32_t>(v);
  return Status();
}

// A choice's words, "drawing|fit|scale".
template <typename T, size_t N>
std::string Words(const ChoiceRow<T> (&rows)[N]) {
  std::string all;
  for (const ChoiceRow<T>& row : rows) all += std::string(all.empty() ? "" : "|") + row.Word;
  return all;
}

// `out` takes the value of the word given, from the choice's table.
template <typename T, size_t N>
Status Choice(const std::string& flag, const std::string& value, const ChoiceRow<T> (&rows)[N], T& out) {
  for (const ChoiceRow<T>& row : rows)
    if (value == row.Word) {
      out = row.Value;
      return Status();
    }
  return Status::Failure(flag + " takes " + Words(rows));
}

using S = PrintSettings;
using Str = const std::string&;

// Each entry is a flag of kestrovan-print (--NAME) and a job option of the
// CUPS filter (kestrovan-NAME): a new option added here reaches both.
const PrintOption kOptions[] = {
    {"method", true, [](S& s, Str f, Str v) { return Choice(f, v, kPrintMethods, s.PrintMethod); },
     [] { return Words(kPrintMethods); },
     "the drawing's print settings (default), fit to page,\nor a given magnification",
     "drawing|fit"},
    {"scale", true,
     [](S& s, Str f, Str v) {
       double m;
       if (Status read = Real(f, v, m); !read) return read;
       // A magnification of nothing, below nothing or past any paper prints nothing worth having.
       if (!(m >= 1e-6 && m <= 1e6))
         return Status::Failure(f + " takes a magnification from 0.000001 to 1000000, not \"" + v + "\"");
       s.PrintScale = m;
       s.PrintMethod = PrintMethod::GivenScale;
       return Status();
     },
     [] { return std::string("M"); },
     "that magnification (0.000001 to 1000000)"},
    {"offset", true,
     [](S& s, Str f, Str v) {
       const size_t comma = v.find(',');
       if (comma == std::string::npos)
         return Status::Failure(f + " takes X,Y in mm");
       if (Status read = Real(f, v.substr(0, comma), s.OffsetX); !read) return read;
       return Real(f, v.substr(comma + 1), s.OffsetY);
     },
     [] { return std::string("X,Y"); },
     "the offset in mm, with --method scale"},
    {"rotate", true, [](S& s, Str f, Str v) { return Real(f, v, s.RotationAngle); },
     [] { return std::string("DEG"); },
     "a clockwise turn, with --method fit or scale"},
    {"pens", true, [](S& s, Str f, Str v) { return Choice(f, v, kTableSources, s.PenSource); },
     [] { return Words(kTableSources); },
     "pens from each drawing (default) or the table",
     "drawing|table"},
    {"line-types", true,
     [](S& s, Str f, Str v) { return Choice(f, v, kTableSources, s.LineTypeSource); },
     [] { return Words(kTableSources); },
     "line types from each drawing (default) or the table",
     "drawing|table"},
    {"line-type-pitch", true,
     [](S& s, Str f, Str v) {
       double pitch;
       if (Status read = Real(f, v, pitch); !read) return read;
       s.LineTypePitch = std::min(500.0, std::max(0.0001, pitch));
       return Status();
     },
     [] { return std::string("MM"); },
     "mm per dot of a line-type pattern"},
    {"mono", true,
     [](S& s, Str f, Str v) {
       s.Monochrome = true;
       s.MonochromeGiven = true;
       return Threshold(f, v, s.MonoThreshold);
     },
     [] { return std::string("T"); },
     "print in black; threshold 0..255"},
    {"white-to-black", true,
     [](S& s, Str f, Str v) {
       s.WhiteToBlackNormal = true;
       return Threshold(f, v, s.NormalWhiteThreshold);
     },
     [] { return std::string("T"); },
     "white printed black; threshold 0..255"},
    {"sxf-white-to-black", true,
     [](S& s, Str f, Str v) {
       s.WhiteToBlackSxf = true;
       s.SxfWhiteGiven = true;
       return Threshold(f, v, s.SxfWhiteThreshold);
     },
     [] { return std::string("T"); },
     "SXF white printed black; threshold 0..255"},
    {"aux-lines", false, [](S& s, Str, Str) { s.PrintAuxLines = true; return Status(); },
     nullptr, "print auxiliary lines"},
    {"display-only", true,
     [](S& s, Str f, Str v) {
       s.DisplayOnlyGiven = true;
       return Choice(f, v, kDisplayOnlyModes, s.DisplayOnlyMode);
     },
     [] { return Words(kDisplayOnlyModes); },
     "display-only layers: 0 not printed, 1 grey, 2 in\n--display-only-color RGB, 3 as usual",
     "0|1|2|3"},
    {"follow-drawing", false, [](S& s, Str, Str) { s.FollowDrawing = true; return Status(); },
     nullptr,
     "colour or black, display-only layers (grey) and SXF white\nas each drawing's own print settings say; --mono,\n"
     "--display-only and --sxf-white-to-black given still win"},
    {"display-only-color", true,
     [](S& s, Str f, Str v) {
       double c;
       if (Status read = Real(f, v, c); !read) return read;
       if (c < 0 || c > 0xFFFFFF || c != static_cast<double>(static_cast<long>(c)))
         return Status::Failure(f + " takes an RGB number 0..16777215 (red in the low byte)");
       s.DisplayOnlyColor = static_cast<TColor>(c);
       return Status();
     },
     [] { return std::string("RGB"); },
     "the colour of --display-only 2 (red in the low byte)"},
    {"order", true,
     [](S& s, Str f, Str v) { return Choice(f, v, kPrintOrders, s.PrintOrder); },
     [] { return Words(kPrintOrders); },
     "print order: as stored, by layer, by layer reversed",
     "normal|layer|reverse"},
    {"one-document", false, [](S& s, Str, Str) { s.OneDocument = true; return Status(); },
     nullptr, "the whole run as one print document"},
    {"per-layer-group", false, [](S& s, Str, Str) { s.PerLayerGroup = true; return Status(); },
     nullptr, "one page per layer group"},
    // The paper: each drawing on its own sheet, or reduced onto a paper by
    // the ratio of its sheet to it. The two exclude each other.
    {"paper", true,
     [](S& s, Str f, Str v) {
       if (v == "job") {
         s.Paper = PaperMode::Given;
         return Status();
       }
       if (v != "drawing")
         return Status::Failure(f + " takes drawing or job, not \"" + v + "\"");
       if (s.Paper == PaperMode::ReducedToGiven)
         return Status::Failure(f + " drawing and " + f.substr(0, f.size() - 5) + "fit-paper exclude each other");
       s.Paper = PaperMode::Drawing;
       return Status();
     },
     [] { return std::string("job|drawing"); },
     "each drawing on the job's paper (default) or on its own sheet",
     "job|drawing"},
    {"fit-paper", true,
     [](S& s, Str f, Str v) {
       PaperSize paper;
       if (!ParsePaperSize(v, paper))
         return Status::Failure(f + " takes a paper (A4, A3, …, 2A…5A, B4, B5 or WxHmm), not \"" + v + "\"");
       if (s.Paper == PaperMode::Drawing)
         return Status::Failure(f.substr(0, f.size() - 9) + "paper drawing and " + f + " exclude each other");
       s.Paper = PaperMode::ReducedToGiven;
       s.FitPaperWidthMm = paper.WidthMm;
       s.FitPaperHeightMm = paper.HeightMm;
       return Status();
     },
     [] { return std::string("PAPER"); },
     "each drawing reduced (or enlarged) by the ratio of its\nsheet to that paper (A1 on A3: 50 %)",
     "A4|A3|A2|A1|A0|B4"},
    {"common-group", true,
     [](S& s, Str f, Str v) {
       double g;
       if (Status read = Real(f, v, g); !read) return read;
       if (g < 0 || g > kCommonDisplayOnlyGroups || g != static_cast<int>(g))
         return Status::Failure(f + " takes 0.." + std::to_string(kCommonDisplayOnlyGroups));
       s.CommonLayerGroup = static_cast<int32_t>(g);
       return Status();
     },
     [] { return std::string("N"); },
     "a group also on every group's page: 1..16 = group\n0..F, 17 = the display-only groups; 0 none"},
};

}  // namespace

const PrintOption* PrintOptionsBegin() { return std::begin(kOptions); }
const PrintOption* PrintOptionsEnd() { return std::end(kOptions); }

const PrintOption* FindPrintOption(const std::string& name) {
  for (const PrintOption& o : kOptions)
    if (name == o.Name) return &o;
  return nullptr;
}

std::string PrintOptionsUsage(const char* prefix, std::initializer_list<const char*> describedElsewhere) {
  constexpr size_t kHelpColumn = 25;
  const std::string indent(kHelpColumn, ' ');
  std::string out;
  for (const PrintOption& o : kOptions) {
    if (std::any_of(describedElsewhere.begin(), describedElsewhere.end(),
                    [&](const char* name) { return std::strcmp(name, o.Name) == 0; }))
      continue;
    std::string line = std::string("  ") + prefix + o.Name;
    if (o.ValueShown) line += " " + o.ValueShown();
    line += line.size() + 1 < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ') : "\n" + indent;
    for (const char* c = o.Help ? o.Help : ""; *c; ++c) line += *c == '\n' ? "\n" + indent : std::string(1, *c);
    out += line + "\n";
  }
  return out;
}
