// Texts: size limits, backward texts, trailing markers, text variables, the
// "^" escapes, and characters placed one by one in their cells.
#include <cmath>
#include <vector>

#include "render/TextVariables.h"
#include "render/UnitGra.h"
#include "attr/UnitGraAtt.h"
#include "util/Clip.h"
#include "util/Geometry.h"
#include "util/Numeric.h"
#include "util/Sjis.h"

namespace UnitGra {
namespace {

using UnitGval::PageWindow;


bool IsDoubleByte(const std::string& s, size_t i) { return util::SjisCharLength(s, i) == 2; }

// The advance of one character along the base line.
double Advance(bool doubleByte, double width, double spacing) {
  return doubleByte ? width + spacing : (width + spacing) / 2;
}

// The sines and cosines a character cell needs at one angle, kept in
// UnitGval::TextTurn for the next character.
const UnitGval::TTextTurn& TurnAt(double angle) {
  UnitGval::TTextTurn& t = UnitGval::TextTurn;
  if (!(t.Angle == angle))
    t = {angle, std::cos(angle), std::sin(angle), std::cos(angle - util::kPi / 2), std::sin(angle - util::kPi / 2)};
  return t;
}

}  // namespace

void DrawTextChar(Canvas& canvas, int align, const TextRun& cell, const std::string& ch) {
  if (ch.empty()) return;
  const double x = cell.X, y = cell.Y, w = cell.Width, angle = cell.Angle;
  double h = cell.Height;
  if (h < 0) {
    h = -h;
    if (align <= 2)
      align += 6;
    else if (align > 5)
      align -= 6;
  }
  const double cw = ch.size() == 2 && util::IsSjisLeadByte(static_cast<unsigned char>(ch[0])) ? std::fabs(w)
                                                                                             : std::fabs(w) / 2;
  static const double kDx[9] = {0, -0.5, -1, 0, -0.5, -1, 0, -0.5, -1};
  static const double kDy[9] = {1, 1, 1, 0.5, 0.5, 0.5, 0, 0, 0};
  if (align < 0 || align > 8) align = 0;
  const double dx = kDx[align] * cw, dy = kDy[align] * h;
  const UnitGval::TTextTurn& turn = TurnAt(angle);
  // (dx, dy) turned about the origin, as RotateX and RotateY turn it.
  const double cx = x + (0 + turn.Cos * (dx - 0) - turn.Sin * (dy - 0));
  const double cy = y + (0 + turn.Sin * (dx - 0) + turn.Cos * (dy - 0));
  const double ux = turn.Cos, uy = turn.Sin, vx = turn.UpX, vy = turn.UpY;
  const double corners[4][2] = {{cx, cy},
                                {cx + cw * ux, cy + cw * uy},
                                {cx + h * vx, cy + h * vy},
                                {cx + cw * ux + h * vx, cy + cw * uy + h * vy}};
  bool inside = false;
  for (const auto& c : corners)
    inside |= util::IsOutside(c[0], c[1], PageWindow.Xmin, PageWindow.Ymin, PageWindow.Xmax, PageWindow.Ymax) == 0;
  if (!inside) return;
  canvas.TextOut(util::RoundHalfEven((cx - PageWindow.Xmin) * PageWindow.Scale),
                 PageWindow.PageHeight - util::RoundHalfEven((cy - PageWindow.Ymin) * PageWindow.Scale), ch);
}

void DrawTextString(Canvas& canvas, int flags, const std::string& fontName, const TextRun& run,
                    const std::string& text) {
  double x = run.X, y = run.Y;
  const double angle = run.Angle, height = run.Height, width = run.Width, spacing = run.Spacing;
  FontSpec f;
  f.Height = util::RoundHalfEven(std::fabs(height) * PageWindow.Scale);
  f.Width = util::RoundHalfEven(std::fabs(width) * PageWindow.Scale / 2);
  f.Escapement = util::RoundHalfEven(angle / util::kPi * 1800);
  f.Weight = (flags & 1) ? 700 : 400;
  f.Italic = (flags & 2) != 0;
  f.Underline = (flags & 4) != 0;
  f.StrikeOut = (flags & 8) != 0;
  f.FaceName = fontName;
  if (fontName.compare(0, 2, "@@") == 0) {
    // Turned characters: each drawn upside down inside its own cell.
    f.FaceName = fontName.substr(2);
    f.Escapement += 1800;
    if (f.Escapement >= 3600) f.Escapement -= 3600;
    x += std::fabs(width) * std::cos(angle) + std::fabs(height) * std::cos(angle - util::kPi / 2);
    y += std::fabs(width) * std::sin(angle) + std::fabs(height) * std::sin(angle - util::kPi / 2);
  }
  canvas.SetFont(f);
  canvas.SetBrushStyle(BrushStyle::Clear);
  const double ux = std::cos(angle), uy = std::sin(angle);
  for (size_t i = 0; i < text.size();) {
    const size_t n = util::SjisCharLength(text, i);
    TextRun cell = run;
    cell.X = x;
    cell.Y = y;
    DrawTextChar(canvas, 0, cell, text.substr(i, n));
    const double a = Advance(n == 2, width, spacing);
    x += a * ux;
    y += a * uy;
    i += n;
  }
}

namespace {

// Draws a text with "^" escapes run by run from the start of `at`.
void DrawEscapedText(Canvas& canvas, int ownFlags, const std::string& font, const TextRun& at,
                     const std::string& text) {
  double x = at.X, y = at.Y;
  const double angle = at.Angle, h = at.Height, w = at.Width, s = at.Spacing;
  // The text's run moved to start at (px, py).
  auto runFrom = [&](double px, double py) {
    TextRun r = at;
    r.X = px;
    r.Y = py;
    return r;
  };
  const double ux = std::cos(angle), uy = std::sin(angle);
  const double nx = std::cos(angle + util::kPi / 2), ny = std::sin(angle + util::kPi / 2);
  int flags = ownFlags;
  std::string run;
  int k = 0;  // 2 after a double-byte character, 1 after a single-byte one, 0 at the start
  auto flush = [&]() {
    if (run.empty()) return;
    DrawTextString(canvas, flags, font, runFrom(x, y), run);
    for (size_t i = 0; i < run.size();) {
      const size_t n = util::SjisCharLength(run, i);
      const double a = Advance(n == 2, w, s);
      x += a * ux;
      y += a * uy;
      i += n;
    }
    run.clear();
  };
  auto appendChar = [&](size_t i) {
    const size_t n = util::SjisCharLength(text, i);
    run.append(text, i, n);
    k = n == 2 ? 2 : 1;
    return i + n;
  };
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '^' || i + 1 >= text.size()) {
      i = appendChar(i);
      continue;
    }
    const char e = text[i + 1];
    const size_t next = i + 2;  // the character after the escape
    auto drawn = [&]() { i = appendChar(i); };  // "^" drawn as written
    switch (e) {
      case '!': case '/': case '_': case '-': case '#':
        flush();
        if (e == '!') flags |= 1;
        if (e == '/') flags |= 2;
        if (e == '_') flags |= 4;
        if (e == '-') flags |= 8;
        if (e == '#') flags = ownFlags;
        i = next;
        break;
      case '*':
        run.append(text, next, std::string::npos);
        i = text.size();
        break;
      case '$':
        if (next < text.size() && text[next] >= '1' && text[next] <= '9') {
          flush();
          canvas.SetPenColor(UnitGraAtt::GraAttribute().GetPenColor(text[next] - '0'));
          i = next + 1;
        } else {
          drawn();
        }
        break;
      case 'u': case 'd': case 'c': case 'o': case 'n': case 'b': case 'B': case 'w': {
        if (next >= text.size()) {
          drawn();
          break;
        }
        const size_t len = util::SjisCharLength(text, next);
        const bool dbl = len == 2;
        if (e == 'w' && dbl) {
          drawn();
          break;
        }
        flush();
        const std::string ch = text.substr(next, len);
        const double c = dbl ? w : w / 2;  // the cell of the following character
        const double back = k * (s / 2 + w / 4);
        double px = x, py = y, ch_h = h, ch_w = w, advance = 0;
        auto move = [&](double backBy, double raise) {
          px = x - backBy * ux + raise * nx;
          py = y - backBy * uy + raise * ny;
        };
        switch (e) {
          case 'u': ch_h = h / 2; ch_w = dbl ? w / 2 : w; move(0, h / 2); advance = (w + s) / 2; break;
          case 'd': ch_h = h / 2; ch_w = dbl ? w / 2 : w; move(0, 0); advance = (w + s) / 2; break;
          case 'c': ch_h = h / 2; ch_w = dbl ? w / 2 : w; move(0, h / 4); advance = (w + s) / 2; break;
          case 'o': ch_h = h / 2; ch_w = w / 2; move(back + c / 4, h / 4); break;
          case 'n': move(back + c / 2, 0); break;
          case 'b': move(back + c / 4, 0); break;
          case 'B': move(back + 0.3 * c, 0); break;
          case 'w':
            // A single-byte character widened to a full-width cell.
            ch_w = 2 * w;
            advance = w + s;
            break;
        }
        TextRun cell = runFrom(px, py);
        cell.Width = ch_w;
        cell.Height = ch_h;
        DrawTextString(canvas, flags, font, cell, ch);
        x += advance * ux;
        y += advance * uy;
        k = dbl ? 2 : 1;
        i = next + len;
        break;
      }
      default:
        drawn();
        break;
    }
  }
  flush();
}

}  // namespace

void DrawJwwText(Canvas& canvas, int flags, const std::string& fontName, const TextPlacement& at,
                 const std::string& textIn) {
  if (textIn.empty()) return;
  double x1 = at.X1, y1 = at.Y1, x2 = at.X2, y2 = at.Y2;
  const double height = at.Height;
  double width = at.Width, spacing = at.Spacing;
  const double scale = PageWindow.Scale;
  const double length = util::Distance(x1, y1, x2, y2);
  // Too small to read: the base line instead. There is no upper limit: a
  // title of 45 mm is text at any resolution.
  if (!(std::fabs(height) >= 1e-14) || std::fabs(height) * scale < 6 || !(std::fabs(length) >= 1e-14) ||
      std::fabs(length) * scale < 6) {
    canvas.SetPenWidth(3);
    DrawClippedLine(canvas, x1, y1, x2, y2);
    return;
  }
  double angle = util::VectorAngle(x2 - x1, y2 - y1);
  if (width < 0) {
    width = -width;
    spacing = -spacing;
    angle += util::kPi;
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  std::string text = textIn;
  // The gaps between the characters.
  double gaps = 0;
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += util::SjisCharLength(text, i)) starts.push_back(i);
  for (size_t c = 0; c + 1 < starts.size(); ++c) gaps += IsDoubleByte(text, starts[c]) ? spacing : spacing / 2;
  auto bytesWithoutLast = [](const std::string& t) -> double {
    if (t.empty()) return 0;
    size_t last = 0;
    for (size_t i = 0; i < t.size(); i += util::SjisCharLength(t, i)) last = i;
    return static_cast<double>(last);
  };

  // Trailing markers: "･" keeps the length, "・"s stretch the gaps, "^d" narrows.
  const bool endsHalfDot = !starts.empty() && !IsDoubleByte(text, starts.back()) &&
                           static_cast<unsigned char>(text[starts.back()]) == 0xA5;
  int fullDots = 0;
  {
    // Count "・" (81 45) back from the end; "^" escapes and digits after "^" do not break it.
    size_t c = starts.size();
    while (c > 0) {
      const size_t at = starts[c - 1];
      if (IsDoubleByte(text, at) && text.compare(at, 2, "\x81\x45") == 0) {
        ++fullDots;
        --c;
      } else if (c >= 2 && !IsDoubleByte(text, starts[c - 2]) && text[starts[c - 2]] == '^') {
        c -= 2;  // an escape of two characters
      } else {
        break;
      }
    }
  }
  const size_t n = text.size();
  if (endsHalfDot) {
    text.erase(starts.back());
    const double v = bytesWithoutLast(text);
    if (v > 0) {
      spacing = 2 * (width / 2 + gaps) / v;
      gaps = width / 2 + gaps;
    }
  } else if (fullDots > 0 && static_cast<size_t>(2 * fullDots) <= n) {
    text.erase(n - 2 * static_cast<size_t>(fullDots));
    const double v = bytesWithoutLast(text);
    if (v > 0) spacing = 2 * (fullDots * width + gaps) / v;
  } else if (starts.size() >= 2 && starts[starts.size() - 2] == n - 2 && starts.back() == n - 1 &&
             text[n - 2] == '^' && text[n - 1] >= '1' && text[n - 1] <= '9') {
    const int d = text[n - 1] - '0';
    text.erase(n - 2);
    const double rest = static_cast<double>(text.size());
    if (rest - d > 1) {
      width *= (rest - d) / rest;
      spacing *= (rest - d) / rest;
    }
  }
  if (text.empty()) return;

  TextRun run;
  run.X = x1;
  run.Y = y1;
  run.Angle = angle;
  run.Width = width;
  run.Height = height;
  run.Spacing = spacing;

  // Whole-text variables and user variables: drawn without escapes.
  if (auto value = TextVariableValue(text, CurrentTextVariableSources())) {
    // A memo of megabytes in every text would take minutes a page: a value
    // prints its first characters only, far more than any page line holds.
    constexpr size_t kMaxValueBytes = 4096;
    if (value->size() > kMaxValueBytes) {
      size_t cut = 0;
      while (cut < value->size()) {
        const size_t next = cut + util::SjisCharLength(*value, cut);
        if (next > kMaxValueBytes) break;
        cut = next;
      }
      value->resize(cut);
    }
    DrawTextString(canvas, flags, fontName, run, *value);
    return;
  }
  if (text.compare(0, 2, "%%") == 0) {  // no user variables are kept: drawn as written
    DrawTextString(canvas, flags, fontName, run, text);
    return;
  }
  if (text.find('^') == std::string::npos) {
    DrawTextString(canvas, flags, fontName, run, text);
    return;
  }
  DrawEscapedText(canvas, flags, fontName, run, text);
}

}  // namespace UnitGra
