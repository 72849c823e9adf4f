#include "app/core/PaperSize.h"

#include <algorithm>
#include <cmath>

#include "render/PrintDevice.h"
#include "util/Numeric.h"
#include "util/Strings.h"

namespace {

const NamedPaper kNamedPapers[] = {{"A0", 1189, 841}, {"A1", 841, 594},   {"A2", 594, 420},
                                   {"A3", 420, 297},  {"A4", 297, 210},   {"A5", 210, 148},
                                   {"B4", 364, 257},  {"B5", 257, 182},   {"2A", 1682, 1189},
                                   {"3A", 2378, 1682}, {"4A", 3364, 2378}, {"5A", 4756, 3364}};

}  // namespace

const NamedPaper* FindNamedPaper(const std::string& name) {
  for (const NamedPaper& n : kNamedPapers)
    if (name.size() == 2 && util::StartsWithNoCase(name, n.Name)) return &n;
  return nullptr;
}

const NamedPaper* NamedPaperOfSize(double widthMm, double heightMm) {
  const double lo = std::min(widthMm, heightMm), hi = std::max(widthMm, heightMm);
  for (const NamedPaper& n : kNamedPapers)
    if (std::fabs(n.LongMm - hi) <= 0.5 && std::fabs(n.ShortMm - lo) <= 0.5) return &n;
  return nullptr;
}

bool ParsePaperSize(const std::string& text, PaperSize& out) {
  if (const NamedPaper* n = FindNamedPaper(text)) {
    out = {n->ShortMm, n->LongMm};
    return true;
  }
  std::string upper;
  for (char c : text) upper += util::AsciiUpper(c);
  // "420x297mm" or "420x297"
  std::string body = upper;
  if (body.size() > 2 && body.compare(body.size() - 2, 2, "MM") == 0) body.resize(body.size() - 2);
  const size_t x = body.find('X');
  if (x == std::string::npos) return false;
  double w, h;
  if (!util::ParseReal(body.substr(0, x), w) || !util::ParseReal(body.substr(x + 1), h)) return false;
  if (!PaperSizeAllowed(w, h)) return false;
  out = {w, h};
  return true;
}
