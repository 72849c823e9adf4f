#include "app/core/PrintOptions.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

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

// `out` takes the value of the word given, from the choice's table.
template <typename T, size_t N>
Status Choice(const std::string& flag, const std::string& value, const ChoiceRow<T> (&rows)[N], T& out) {
  for (const ChoiceRow<T>& row : rows)
    if (value == row.Word) {
      out = row.Value;
      return Status();
    }
  std::string all;
  for (const ChoiceRow<T>& row : rows) all += std::string(all.empty() ? "" : "|") + row.Word;
  return Status::Failure(flag + " takes " + all);
}

using S = PrintSettings;
using Str = const std::string&;

// Each entry is a flag of kestrovan-print (--NAME) and a job option of the
// CUPS filter (kestrovan-NAME): a new option added here reaches both.
const PrintOption kOptions[] = {
    {"method", true, [](S& s, Str f, Str v) { return Choice(f, v, kPrintMethods, s.PrintMethod); }},
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
     }},
    {"offset", true,
     [](S& s, Str f, Str v) {
       const size_t comma = v.find(',');
       if (comma == std::string::npos) return Status::Failure(f + " takes X,Y in mm");
       if (Status read = Real(f, v.substr(0, comma), s.OffsetX); !read) return read;
       return Real(f, v.substr(comma + 1), s.OffsetY);
     }},
    {"rotate", true, [](S& s, Str f, Str v) { return Real(f, v, s.RotationAngle); }},
    {"pens", true, [](S& s, Str f, Str v) { return Choice(f, v, kTableSources, s.PenSource); }},
    {"line-types", true, [](S& s, Str f, Str v) { return Choice(f, v, kTableSources, s.LineTypeSource); }},
    {"line-type-pitch", true,
     [](S& s, Str f, Str v) {
       double pitch;
       if (Status read = Real(f, v, pitch); !read) return read;
       s.LineTypePitch = std::min(500.0, std::max(0.0001, pitch));
       return Status();
     }},
    {"mono", true,
     [](S& s, Str f, Str v) {
       s.Monochrome = 1;
       s.MonochromeGiven = true;
       return Threshold(f, v, s.MonoThreshold);
     }},
    {"white-to-black", true,
     [](S& s, Str f, Str v) {
       s.WhiteToBlackNormal = 1;
       return Threshold(f, v, s.NormalWhiteThreshold);
     }},
    {"sxf-white-to-black", true,
     [](S& s, Str f, Str v) {
       s.WhiteToBlackSxf = 1;
       s.SxfWhiteGiven = true;
       return Threshold(f, v, s.SxfWhiteThreshold);
     }},
    {"aux-lines", false, [](S& s, Str, Str) { s.PrintAuxLines = 1; return Status(); }},
    {"display-only", true,
     [](S& s, Str f, Str v) {
       s.DisplayOnlyGiven = true;
       return Choice(f, v, kDisplayOnlyModes, s.DisplayOnlyMode);
     }},
    {"follow-drawing", false, [](S& s, Str, Str) { s.FollowDrawing = 1; return Status(); }},
    {"display-only-color", true,
     [](S& s, Str f, Str v) {
       double c;
       if (Status read = Real(f, v, c); !read) return read;
       if (c < 0 || c > 0xFFFFFF || c != static_cast<double>(static_cast<long>(c)))
         return Status::Failure(f + " takes an RGB number 0..16777215 (red in the low byte)");
       s.DisplayOnlyColor = static_cast<TColor>(c);
       return Status();
     }},
    {"order", true, [](S& s, Str f, Str v) { return Choice(f, v, kPrintOrders, s.PrintOrder); }},
    {"one-document", false, [](S& s, Str, Str) { s.OneDocument = 1; return Status(); }},
    {"per-layer-group", false, [](S& s, Str, Str) { s.PerLayerGroup = 1; return Status(); }},
    {"common-group", true,
     [](S& s, Str f, Str v) {
       double g;
       if (Status read = Real(f, v, g); !read) return read;
       if (g < 0 || g > kCommonDisplayOnlyGroups || g != static_cast<int>(g))
         return Status::Failure(f + " takes 0.." + std::to_string(kCommonDisplayOnlyGroups));
       s.CommonLayerGroup = static_cast<int32_t>(g);
       return Status();
     }},
};

}  // namespace

const PrintOption* FindPrintOption(const std::string& name) {
  for (const PrintOption& o : kOptions)
    if (name == o.Name) return &o;
  return nullptr;
}
