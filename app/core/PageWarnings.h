// What a printed page lost, told per page: content off the page, a page
// with nothing on it or nothing but white, images that could not be placed,
// font faces printed in another face, and the layers left out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "attr/UnitGraAtt.h"
#include "jww/jwwunit.h"
#include "render/Canvas.h"
#include "render/UnitGval.h"

class PrintDevice;
struct PreparedDrawing;

struct PageWarning {
  enum class Kind {
    OffPage,
    Blank,
    BackgroundOnly,
    ImageMissing,
    FontReplaced,
    LayersLeftOut,
    SheetUnknown,
    ResolutionLowered,
  };
  Kind What = Kind::OffPage;
  // OffPage: the part of the printed extents' area beyond the page (0..1),
  // the paper it needs centred as printed, and the smallest sheet of that
  // size (empty when none is big enough).
  double OffShare = 0;
  double NeededWidthMm = 0, NeededHeightMm = 0;
  std::string HoldingSheet;
  // ImageMissing: the image (Shift-JIS, as the drawing names it);
  // FontReplaced: the face asked for (Shift-JIS) and the face used (UTF-8).
  std::string Name;
  std::string UsedInstead;
  // SheetUnknown: the header's paper code, which names no sheet we print.
  int32_t PaperCode = 0;
  // ResolutionLowered: the page, too big for memory at the resolution
  // given (GivenDpi), was drawn at Dpi.
  int32_t Dpi = 0, GivenDpi = 0;
  // LayersLeftOut: hidden layers, and display-only layers not printed, with
  // what they hold.
  int HiddenLayers = 0, DisplayOnlyLayers = 0;
  int64_t HiddenEntities = 0, DisplayOnlyEntities = 0;
};

struct PageReport {
  int Number = 0;      // page of the run, from 1
  std::string Title;   // the page's full document title (Shift-JIS)
  int LayerGroup = -1; // the layer group of a per-group page
  double PaperWidthMm = 0, PaperHeightMm = 0;
  std::vector<PageWarning> Warnings;
};

// "off_page", "blank", … (for reports), and back.
const char* WarningKey(PageWarning::Kind kind);
bool WarningFromKey(const std::string& key, PageWarning::Kind& out);
// A warning in words, for stderr and the listing (UTF-8).
std::string DescribeWarning(const PageWarning& w);
// A warning that tells of content that does not reach the paper (not a
// note of layers left out as the drawing asks, nor of the paper, nor of a
// face or a resolution printed in place of another).
bool LosesContent(const PageWarning& w);
// A size needed, in whole mm rounded up, as every warning shows it: 594.3 mm
// is 595, which an A2 sheet (594) does not hold, as the sheet named beside it says.
int64_t NeededWholeMm(double mm);
// A size no sheet comes near (a thousand kilometres): told as such, not in numbers.
constexpr double kBeyondAnySheetMm = 1e9;
// "A3 landscape, 420 x 297 mm", "500 x 300 mm".
std::string DescribePaper(double widthMm, double heightMm);

// Passes every call on to the page's canvas and notes what reaches the page:
// anything at all, anything in a colour other than the white paper, and the
// font faces texts ask for.
class PageInkCanvas : public Canvas {
 public:
  void Attach(Canvas& page);
  bool Drawn() const { return drawn_; }
  bool Inked() const { return inked_; }
  // Face names (Shift-JIS, without a leading "@"), each once.
  const std::vector<std::string>& Faces() const { return faces_; }

  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Polyline(const DevicePoint* points, size_t count) override;
  void Polygon(const DevicePoint* points, size_t count) override;
  void TextOut(int32_t x, int32_t y, const std::string& sjis) override;
  bool ImageSize(const std::string& path, int32_t& width, int32_t& height) override;
  void DrawImage(const ImagePlacement& placement) override;

 private:
  void PassPen();
  void Stroke();
  Canvas* page_ = nullptr;
  bool drawn_ = false, inked_ = false;
  std::vector<std::string> faces_;
};

// The off-page warning for what a page prints (extents in drawing mm, before
// the page's rotation) on the page window; false when it lies on the page
// to within half a millimetre of paper. pxPerMm: device pixels per paper mm.
bool OffPageWarning(const jwwunit::Extents& printed, double rotation, const UnitGval::TPageWindow& window,
                    double pxPerMm, PageWarning& out);

// Entities per layer (an insertion counts once, on its own layer; temporary
// points not at all).
using LayerEntityCounts = std::array<int64_t, 256>;
LayerEntityCounts CountEntitiesByLayer(const TJwwData& d);

// The layers of the groups in groupMask (bit g for group g) that hold
// entities and that the pen attributes leave out (state 3): hidden in the
// drawing, or display-only and not printed. False when there are none.
bool LayersLeftOutWarning(const TJwwData& d, const TgraAttribute& a, const LayerEntityCounts& counts,
                          uint32_t groupMask, PageWarning& out);

// Everything a finished page lost, in this order: content off the paper,
// nothing or only white on it, the images it could not place, faces printed
// in another, the layers left out, a sheet not known and a lowered
// resolution. groups: the layer
// groups the page prints (bit g); ink: the page's canvas as it watched the
// page; imagesNotDrawn: the images the page could not place; givenDpi: the
// device's resolution as the run began (a sheet too big for the memory at it
// is drawn at a lower one, and says so).
std::vector<PageWarning> InspectPage(const TJwwData& d, const TgraAttribute& a, const PreparedDrawing& drawing,
                                     uint32_t groups, const PageInkCanvas& ink,
                                     const std::vector<std::string>& imagesNotDrawn, PrintDevice& device,
                                     int givenDpi);
