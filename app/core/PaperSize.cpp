#include "app/core/PaperSize.h"

#include <cctype>

#include "util/Numeric.h"

bool ParsePaperSize(const std::string& text, PaperSize& out) {
  struct Named {
    const char* name;
    double w, h;
  };
  static const Named kNamed[] = {{"A0", 841, 1189}, {"A1", 594, 841}, {"A2", 420, 594},
                                 {"A3", 297, 420},  {"A4", 210, 297}, {"A5", 148, 210},
                                 {"B4", 257, 364},  {"B5", 182, 257}};  // B sizes as JIS
  std::string upper;
  for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Named& n : kNamed)
    if (upper == n.name) {
      out = {n.w, n.h};
      return true;
    }
  // "420x297mm" or "420x297"
  std::string body = upper;
  if (body.size() > 2 && body.compare(body.size() - 2, 2, "MM") == 0) body.resize(body.size() - 2);
  const size_t x = body.find('X');
  if (x == std::string::npos) return false;
  double w, h;
  if (!util::ParseReal(body.substr(0, x), w) || !util::ParseReal(body.substr(x + 1), h)) return false;
  if (!(w > 0 && h > 0 && w <= 5000 && h <= 5000)) return false;
  out = {w, h};
  return true;
}
