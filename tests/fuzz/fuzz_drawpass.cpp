// Any bytes as a drawing, through the whole draw pass: the drawing's pens and
// line types, its layers, the page window, then every print order, the whole
// drawing and each layer group, onto a device that draws nothing.
#include <cstddef>
#include <cstdint>

#include "attr/UnitGraAtt.h"
#include "jww/PageWindow.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"
#include "render/NoDrawCanvas.h"

namespace {

// Says every image is 16 x 16 pixels, so the image paths run too.
class NoDevice : public NoDrawCanvas {
  bool ImageSize(const std::string&, int32_t& w, int32_t& h) override {
    w = h = 16;
    return true;
  }
};

// Entities a page would hand to the primitives, block contents one by one.
size_t PageWork(const TJwwData& d) {
  size_t work = d.Entities.EntityTotal();
  for (const TJwwBlockInstance& i : d.BlockInstances)
    if (i.DefIndex >= 0) work += d.BlockDefs[static_cast<size_t>(i.DefIndex)].Entities.EntityTotal();
  return work;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TJwwData d;
  static NoDevice canvas;
  d.LoadFromMemory(data, size, "fuzz.jww", true);
  jwwtype::GunzipImages();
  TgraAttribute& a = UnitGraAtt::GraAttribute();
  a.ResetAttributes();
  a.SetPrintMode(true);
  const UnitGraAtt::FixedResolution dpi(100);
  d.ApplyToAttributes(a, &dpi, 0.035);
  d.ComputeExtents();
  // Bounded work per input: the guards of a real run are far larger than a
  // fuzzer's time allows.
  if (PageWork(d) <= 20000) {
    for (PrintMethod method : {PrintMethod::DrawingSettings, PrintMethod::FitToPage}) {
      PageWindowRequest r;
      r.PrintMethod = method;
      r.RotationAngle = 90;
      r.PageWidthPx = 420;
      r.PageHeightPx = 297;
      r.PageWidthMm = 420;
      jwwunit::Extents printed;
      if (d.PrintedExtents(a, printed)) r.FitExtents = &printed;
      const double rotation = ComputePageWindow(d, r);
      for (PrintOrder order : {PrintOrder::AsStored, PrintOrder::ByLayer, PrintOrder::ByLayerReverse}) {
        DrawDrawingArgs page;
        page.Order = order;
        page.Rotation = rotation;
        d.DrawDrawing(canvas, page);
        const int group = order == PrintOrder::ByLayerReverse ? 15 - 3 : 3;
        DrawDrawingArgs everything = page;
        everything.Layers = LayerFilter::OfGroup(group);
        everything.IncludeTemporaryPoints = true;
        everything.FilterAuxiliary = everything.SkipHiddenLayers = false;
        d.DrawDrawing(canvas, everything);
      }
    }
  }
  jwwtype::ClearImages();
  return 0;
}
