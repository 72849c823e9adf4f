#include "app/core/PageWarnings.h"

#include "app/core/PrepareDrawing.h"
#include "render/PrintDevice.h"

#include <algorithm>
#include <cmath>

#include "app/core/DrawingPaper.h"
#include "jww/PageWindow.h"
#include "util/CodePage.h"

namespace {

constexpr TColor kPaperWhite = 0xFFFFFF;
bool Ink(TColor c) { return (c & 0xFFFFFF) != kPaperWhite; }

std::string Mm(double v) { return std::to_string(static_cast<long long>(std::lround(v))); }

std::string Count(int64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

namespace {

// Every warning kind once, with the report's key for it.
struct WarningRow {
  PageWarning::Kind Kind;
  const char* Key;
};
constexpr WarningRow kWarnings[] = {
    {PageWarning::Kind::OffPage, "off_page"},
    {PageWarning::Kind::Blank, "blank"},
    {PageWarning::Kind::BackgroundOnly, "background_colour_only"},
    {PageWarning::Kind::ImageMissing, "image_missing"},
    {PageWarning::Kind::FontReplaced, "font_replaced"},
    {PageWarning::Kind::LayersLeftOut, "layers_left_out"},
    {PageWarning::Kind::SheetUnknown, "sheet_unknown"},
    {PageWarning::Kind::ResolutionLowered, "resolution_lowered"},
};

}  // namespace

const char* WarningKey(PageWarning::Kind kind) {
  for (const WarningRow& row : kWarnings)
    if (row.Kind == kind) return row.Key;
  return "";
}

bool WarningFromKey(const std::string& key, PageWarning::Kind& out) {
  for (const WarningRow& row : kWarnings)
    if (key == row.Key) {
      out = row.Kind;
      return true;
    }
  return false;
}

int64_t NeededWholeMm(double mm) {
  // Beyond any sheet by far (a drawing at 1e300 mm, say), the number is held
  // where a whole number can say it.
  if (!(mm < kBeyondAnySheetMm)) return static_cast<int64_t>(kBeyondAnySheetMm);
  return static_cast<int64_t>(std::ceil(mm - 1e-6));
}

bool LosesContent(const PageWarning& w) {
  switch (w.What) {
    case PageWarning::Kind::OffPage:
    case PageWarning::Kind::Blank:
    case PageWarning::Kind::BackgroundOnly:
    case PageWarning::Kind::ImageMissing:
      return true;
    case PageWarning::Kind::FontReplaced:  // every text is there, in another face
    case PageWarning::Kind::LayersLeftOut:
    case PageWarning::Kind::SheetUnknown:
    case PageWarning::Kind::ResolutionLowered:
      return false;
  }
  return true;
}

std::string DescribePaper(double widthMm, double heightMm) {
  const std::string name = PaperName(widthMm, heightMm);
  const std::string size = Mm(widthMm) + " x " + Mm(heightMm) + " mm";
  if (name.empty()) return size;
  return name + (widthMm > heightMm ? " landscape, " : widthMm < heightMm ? " portrait, " : ", ") + size;
}

std::string DescribeWarning(const PageWarning& w) {
  switch (w.What) {
    case PageWarning::Kind::OffPage: {
      const double percent = w.OffShare * 100;
      const std::string share = percent < 0.5 ? "under 1 %" : std::to_string(std::lround(percent)) + " %";
      return "content off the page: " + share + " of the area of what it prints lies beyond the paper; " +
             (!(w.NeededWidthMm < kBeyondAnySheetMm && w.NeededHeightMm < kBeyondAnySheetMm)
                  ? std::string("centred as printed it needs more than any sheet holds")
                  : "centred as printed it needs " + std::to_string(NeededWholeMm(w.NeededWidthMm)) + " x " +
                        std::to_string(NeededWholeMm(w.NeededHeightMm)) + " mm" +
                        (w.HoldingSheet.empty() ? std::string(", more than any sheet holds")
                                                : ", which " + w.HoldingSheet + " holds"));
    }
    case PageWarning::Kind::Blank:
      return "nothing prints on the page: what it holds is hidden, left out or off the paper";
    case PageWarning::Kind::BackgroundOnly:
      return "the page prints only in white, the colour of the paper (--sxf-white-to-black 0 or "
             "--white-to-black 0 prints white pens black)";
    case PageWarning::Kind::ImageMissing:
      return "image not found or unreadable: " + util::Cp932ToUtf8(w.Name);
    case PageWarning::Kind::FontReplaced:
      return "font \"" + util::Cp932ToUtf8(w.Name) + "\" is not installed; printed in \"" + w.UsedInstead + "\"";
    case PageWarning::Kind::LayersLeftOut: {
      std::string text = "left out as the drawing asks:";
      if (w.HiddenLayers > 0)
        text += " " + Count(w.HiddenLayers, "hidden layer", "hidden layers") + " (" +
                Count(w.HiddenEntities, "entity", "entities") + ")";
      if (w.DisplayOnlyLayers > 0)
        text += std::string(w.HiddenLayers > 0 ? "," : "") + " " +
                Count(w.DisplayOnlyLayers, "display-only layer", "display-only layers") + " (" +
                Count(w.DisplayOnlyEntities, "entity", "entities") + ")";
      return text;
    }
    case PageWarning::Kind::SheetUnknown:
      return "the drawing's paper code " + std::to_string(w.PaperCode) +
             " names no sheet that can be printed; printed on the paper given";
    case PageWarning::Kind::ResolutionLowered:
      return "the page is drawn at " + std::to_string(w.Dpi) + " dpi, not " + std::to_string(w.GivenDpi) +
             ": at that resolution its sheet would take more memory than a page may (1 GiB)";
  }
  return std::string();
}

// ---------------------------------------------------------------------------

void PageInkCanvas::Attach(Canvas& page) {
  page_ = &page;
  drawn_ = inked_ = false;
  faces_.clear();
}

void PageInkCanvas::PassPen() {
  page_->SetPenColor(PenColor());
  page_->SetPenWidth(PenWidth());
  page_->SetBrushColor(BrushColor());
  page_->SetBrushStyle(GetBrushStyle());
}

void PageInkCanvas::Stroke() {
  drawn_ = true;
  inked_ = inked_ || Ink(PenColor());
}

void PageInkCanvas::MoveTo(int32_t x, int32_t y) {
  PassPen();
  page_->MoveTo(x, y);
}

void PageInkCanvas::LineTo(int32_t x, int32_t y) {
  PassPen();
  Stroke();
  page_->LineTo(x, y);
}

void PageInkCanvas::Polyline(const DevicePoint* points, size_t count) {
  PassPen();
  if (count > 1) Stroke();
  page_->Polyline(points, count);
}

void PageInkCanvas::Polygon(const DevicePoint* points, size_t count) {
  PassPen();
  if (count > 1) {
    Stroke();
    inked_ = inked_ || (GetBrushStyle() != BrushStyle::Clear && Ink(BrushColor()));
  }
  page_->Polygon(points, count);
}

void PageInkCanvas::TextOut(int32_t x, int32_t y, const std::string& sjis) {
  PassPen();
  const FontSpec& f = Font();
  page_->SetFont(f);
  if (!sjis.empty() && f.Height != 0) {
    Stroke();
    const size_t from = !f.FaceName.empty() && f.FaceName[0] == '@' ? 1 : 0;
    if (faces_.empty() || faces_.back().compare(0, std::string::npos, f.FaceName, from) != 0) {
      const std::string face = f.FaceName.substr(from);
      if (std::find(faces_.begin(), faces_.end(), face) == faces_.end()) faces_.push_back(face);
    }
  }
  page_->TextOut(x, y, sjis);
}

bool PageInkCanvas::ImageSize(const std::string& path, int32_t& width, int32_t& height) {
  return page_->ImageSize(path, width, height);
}

void PageInkCanvas::DrawImage(const ImagePlacement& placement) {
  PassPen();
  drawn_ = inked_ = true;
  page_->DrawImage(placement);
}

// ---------------------------------------------------------------------------

bool OffPageWarning(const jwwunit::Extents& e, double rotation, const UnitGval::TPageWindow& w, double pxPerMm,
                    PageWarning& out) {
  if (!(w.Scale > 0) || !(pxPerMm > 0)) return false;
  const jwwunit::Extents t = TurnedExtents(e, rotation);
  const double tolerance = 0.5 * pxPerMm / w.Scale;  // half a paper millimetre, in drawing mm
  if (t.MinX >= w.Xmin - tolerance && t.MaxX <= w.Xmax + tolerance && t.MinY >= w.Ymin - tolerance &&
      t.MaxY <= w.Ymax + tolerance)
    return false;
  // The share of the box beyond the page: by area, or by length for a box
  // without width or height.
  const double width = t.MaxX - t.MinX, height = t.MaxY - t.MinY;
  const double inW = std::max(0.0, std::min(t.MaxX, w.Xmax) - std::max(t.MinX, w.Xmin));
  const double inH = std::max(0.0, std::min(t.MaxY, w.Ymax) - std::max(t.MinY, w.Ymin));
  double onPage;
  if (width > 0 && height > 0)
    onPage = (inW / width) * (inH / height);
  else if (width > 0)
    onPage = t.MinY >= w.Ymin && t.MaxY <= w.Ymax ? inW / width : 0;
  else if (height > 0)
    onPage = t.MinX >= w.Xmin && t.MaxX <= w.Xmax ? inH / height : 0;
  else
    onPage = 0;
  out = PageWarning();
  out.What = PageWarning::Kind::OffPage;
  out.OffShare = std::min(1.0, std::max(0.0, 1 - onPage));
  // Centred where the page's centre is, as the drawing's own sheet would be.
  const double cx = (w.Xmin + w.Xmax) / 2, cy = (w.Ymin + w.Ymax) / 2;
  const double toPaper = w.Scale / pxPerMm;
  out.NeededWidthMm = 2 * std::max(cx - t.MinX, t.MaxX - cx) * toPaper;
  out.NeededHeightMm = 2 * std::max(cy - t.MinY, t.MaxY - cy) * toPaper;
  Sheet sheet;
  if (SmallestSheetHolding(out.NeededWidthMm, out.NeededHeightMm, sheet)) out.HoldingSheet = sheet.Name;
  return true;
}

LayerEntityCounts CountEntitiesByLayer(const TJwwData& d) {
  LayerEntityCounts n{};
  auto add = [&n](const TJwwEntityBase& e) {
    const int i = e.LayerIndex();
    if (i >= 0 && i < 256) ++n[static_cast<size_t>(i)];
  };
  const TJwwEntityLists& e = d.Entities;
  for (const auto& x : e.Lines) add(x);
  for (const auto& x : e.Arcs) add(x);
  for (const auto& x : e.Points)
    if (!x.IsTemporary()) add(x);
  for (const auto& x : e.Texts) add(x);
  for (const auto& x : e.Dimensions) add(x);
  for (const auto& x : e.Solids) add(x);
  for (const auto& x : e.Blocks) add(x);
  return n;
}

bool LayersLeftOutWarning(const TJwwData& d, const TgraAttribute& a, const LayerEntityCounts& counts,
                          uint32_t groupMask, PageWarning& out) {
  out = PageWarning();
  out.What = PageWarning::Kind::LayersLeftOut;
  for (int g = 0; g < 16; ++g) {
    if (!(groupMask & (1u << g))) continue;
    for (int l = 0; l < 16; ++l) {
      const int i = g * 16 + l;
      if (counts[static_cast<size_t>(i)] == 0 || a.GetLayerState(i) != kLayerLeftOut) continue;
      if (d.LayerGroups[g].State == kLayerHidden || d.Layers[static_cast<size_t>(i)].State == kLayerHidden) {
        ++out.HiddenLayers;
        out.HiddenEntities += counts[static_cast<size_t>(i)];
      } else {
        ++out.DisplayOnlyLayers;
        out.DisplayOnlyEntities += counts[static_cast<size_t>(i)];
      }
    }
  }
  return out.HiddenLayers > 0 || out.DisplayOnlyLayers > 0;
}

std::vector<PageWarning> InspectPage(const TJwwData& d, const TgraAttribute& a, const PreparedDrawing& drawing,
                                     uint32_t groups, const PageInkCanvas& ink,
                                     const std::vector<std::string>& imagesNotDrawn, PrintDevice& device,
                                     int givenDpi) {
  std::vector<PageWarning> out;
  PageWarning w;
  // What this page prints: the drawing's printed extents, or those of the
  // page's groups alone.
  jwwunit::Extents extents = drawing.Printed;
  bool has = drawing.HasPrinted;
  if (groups != 0xFFFF && has) has = d.PrintedExtents(a, extents, groups);
  if (has && OffPageWarning(extents, drawing.Rotation, UnitGval::PageWindow, device.PrinterDpiX() / 25.4, w))
    out.push_back(w);
  if (!ink.Drawn() || !ink.Inked()) {
    w = PageWarning();
    w.What = ink.Drawn() ? PageWarning::Kind::BackgroundOnly : PageWarning::Kind::Blank;
    out.push_back(w);
  }
  for (const std::string& image : imagesNotDrawn) {
    w = PageWarning();
    w.What = PageWarning::Kind::ImageMissing;
    w.Name = image;
    out.push_back(w);
  }
  for (const std::string& face : ink.Faces()) {
    const std::string used = device.FaceUsedInstead(face);
    if (used.empty()) continue;
    w = PageWarning();
    w.What = PageWarning::Kind::FontReplaced;
    w.Name = face;
    w.UsedInstead = used;
    out.push_back(w);
  }
  if (LayersLeftOutWarning(d, a, drawing.LayerCounts, groups, w)) out.push_back(w);
  if (drawing.SheetUnknown) {
    w = PageWarning();
    w.What = PageWarning::Kind::SheetUnknown;
    w.PaperCode = d.PaperSize;
    out.push_back(w);
  }
  if (device.PrinterDpiX() < givenDpi) {
    w = PageWarning();
    w.What = PageWarning::Kind::ResolutionLowered;
    w.Dpi = device.PrinterDpiX();
    w.GivenDpi = givenDpi;
    out.push_back(w);
  }
  return out;
}
