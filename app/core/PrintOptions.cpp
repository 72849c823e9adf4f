#include "app/core/PrintOptions.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "app/core/PaperSize.h"
#include "app/core/PrintChoices.h"
#include "util/Numeric.h"

namespace {

bool Real(const std::string& flag, const std::string& value, double& v, std::string& error) {
  if (util::ParseReal(value.c_str(), v)) return true;
  error = flag + " takes a number, not \"" + value + "\"";
  return false;
}

bool Threshold(const std::string& flag, const std::string& value, int32_t& out, std::string& error) {
  double v;
  if (!Real(flag, value, v, error)) return false;
  if (v < 0 || v > 255 || v != static_cast<int>(v)) {
    error = flag + " takes a whole number 0..255";
    return false;
  }
  out = static_cast<int32_t>(v);
  return true;
}

// `out` takes the value of the word given, from the choice's table.
template <typename T, size_t N>
bool Choice(const std::string& flag, const std::string& value, const ChoiceRow<T> (&rows)[N], T& out,
            std::string& error) {
  for (const ChoiceRow<T>& row : rows)
    if (value == row.Word) {
      out = row.Value;
      return true;
    }
  std::string all;
  for (const ChoiceRow<T>& row : rows) all += std::string(all.empty() ? "" : "|") + row.Word;
  error = flag + " takes " + all;
  return false;
}

using S = PrintSettings;
using Str = const std::string&;

// Each entry is a flag of kestrovan-print (--NAME) and a job option of the
// CUPS filter (kestrovan-NAME): a new option added here reaches both.
const PrintOption kOptions[] = {
    {"method", true, [](S& s, Str f, Str v, std::string& e) { return Choice(f, v, kPrintMethods, s.PrintMethod, e); },
     "drawing|fit"},
    {"scale", true,
     [](S& s, Str f, Str v, std::string& e) {
       double m;
       if (!Real(f, v, m, e)) return false;
       // A magnification of nothing, below nothing or past any paper prints nothing worth having.
       if (!(m >= 1e-6 && m <= 1e6)) {
         e = f + " takes a magnification from 0.000001 to 1000000, not \"" + v + "\"";
         return false;
       }
       s.PrintScale = m;
       s.PrintMethod = PrintMethod::GivenScale;
       return true;
     }},
    {"offset", true,
     [](S& s, Str f, Str v, std::string& e) {
       const size_t comma = v.find(',');
       if (comma == std::string::npos) {
         e = f + " takes X,Y in mm";
         return false;
       }
       return Real(f, v.substr(0, comma), s.OffsetX, e) && Real(f, v.substr(comma + 1), s.OffsetY, e);
     }},
    {"rotate", true, [](S& s, Str f, Str v, std::string& e) { return Real(f, v, s.RotationAngle, e); }},
    {"pens", true, [](S& s, Str f, Str v, std::string& e) { return Choice(f, v, kTableSources, s.PenSource, e); },
     "drawing|table"},
    {"line-types", true,
     [](S& s, Str f, Str v, std::string& e) { return Choice(f, v, kTableSources, s.LineTypeSource, e); },
     "drawing|table"},
    {"line-type-pitch", true,
     [](S& s, Str f, Str v, std::string& e) {
       double pitch;
       if (!Real(f, v, pitch, e)) return false;
       s.LineTypePitch = std::min(500.0, std::max(0.0001, pitch));
       return true;
     }},
    {"mono", true,
     [](S& s, Str f, Str v, std::string& e) {
       s.Monochrome = true;
       s.MonochromeGiven = true;
       return Threshold(f, v, s.MonoThreshold, e);
     }},
    {"white-to-black", true,
     [](S& s, Str f, Str v, std::string& e) {
       s.WhiteToBlackNormal = true;
       return Threshold(f, v, s.NormalWhiteThreshold, e);
     }},
    {"sxf-white-to-black", true,
     [](S& s, Str f, Str v, std::string& e) {
       s.WhiteToBlackSxf = true;
       s.SxfWhiteGiven = true;
       return Threshold(f, v, s.SxfWhiteThreshold, e);
     }},
    {"aux-lines", false, [](S& s, Str, Str, std::string&) { s.PrintAuxLines = true; return true; }},
    {"display-only", true,
     [](S& s, Str f, Str v, std::string& e) {
       s.DisplayOnlyGiven = true;
       return Choice(f, v, kDisplayOnlyModes, s.DisplayOnlyMode, e);
     },
     "0|1|2|3"},
    {"follow-drawing", false, [](S& s, Str, Str, std::string&) { s.FollowDrawing = true; return true; }},
    {"display-only-color", true,
     [](S& s, Str f, Str v, std::string& e) {
       double c;
       if (!Real(f, v, c, e)) return false;
       if (c < 0 || c > 0xFFFFFF || c != static_cast<double>(static_cast<long>(c))) {
         e = f + " takes an RGB number 0..16777215 (red in the low byte)";
         return false;
       }
       s.DisplayOnlyColor = static_cast<TColor>(c);
       return true;
     }},
    {"order", true,
     [](S& s, Str f, Str v, std::string& e) { return Choice(f, v, kPrintOrders, s.PrintOrder, e); },
     "normal|layer|reverse"},
    {"one-document", false, [](S& s, Str, Str, std::string&) { s.OneDocument = true; return true; }},
    {"per-layer-group", false, [](S& s, Str, Str, std::string&) { s.PerLayerGroup = true; return true; }},
    // The paper: each drawing on its own sheet, or reduced onto a paper by
    // the ratio of its sheet to it. The two exclude each other.
    {"paper", true,
     [](S& s, Str f, Str v, std::string& e) {
       if (v == "job") {
         s.Paper = PaperMode::Given;
         return true;
       }
       if (v != "drawing") {
         e = f + " takes drawing or job, not \"" + v + "\"";
         return false;
       }
       if (s.Paper == PaperMode::ReducedToGiven) {
         e = f + " drawing and " + f.substr(0, f.size() - 5) + "fit-paper exclude each other";
         return false;
       }
       s.Paper = PaperMode::Drawing;
       return true;
     },
     "job|drawing"},
    {"fit-paper", true,
     [](S& s, Str f, Str v, std::string& e) {
       PaperSize paper;
       if (!ParsePaperSize(v, paper)) {
         e = f + " takes a paper (A4, A3, …, 2A…5A, B4, B5 or WxHmm), not \"" + v + "\"";
         return false;
       }
       if (s.Paper == PaperMode::Drawing) {
         e = f.substr(0, f.size() - 9) + "paper drawing and " + f + " exclude each other";
         return false;
       }
       s.Paper = PaperMode::ReducedToGiven;
       s.FitPaperWidthMm = paper.WidthMm;
       s.FitPaperHeightMm = paper.HeightMm;
       return true;
     },
     "A4|A3|A2|A1|A0|B4"},
    {"common-group", true,
     [](S& s, Str f, Str v, std::string& e) {
       double g;
       if (!Real(f, v, g, e)) return false;
       if (g < 0 || g > kCommonDisplayOnlyGroups || g != static_cast<int>(g)) {
         e = f + " takes 0.." + std::to_string(kCommonDisplayOnlyGroups);
         return false;
       }
       s.CommonLayerGroup = static_cast<int32_t>(g);
       return true;
     }},
};

}  // namespace

const PrintOption* PrintOptionsBegin() { return std::begin(kOptions); }
const PrintOption* PrintOptionsEnd() { return std::end(kOptions); }

const PrintOption* FindPrintOption(const std::string& name) {
  for (const PrintOption& o : kOptions)
    if (name == o.Name) return &o;
  return nullptr;
}
