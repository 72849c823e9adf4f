// Any bytes as a drawing printed for real: the whole print run onto a small
// PDF page and onto raster pages, through the Qt devices.
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/PrintRun.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"

namespace {

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "fuzz_devices";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  App();
  static const std::string drawing = jwwtype::TempFolder().Value() + "fuzz-input.jww";
  static const std::string pdf = jwwtype::TempFolder().Value() + "fuzz-output.pdf";
  FILE* f = std::fopen(drawing.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  // Bounded work per input, as in the draw-pass target: the guards of a real
  // run allow far more than a fuzzer's time.
  TJwwData d;
  d.LoadFromMemory(data, size, drawing, false);
  size_t work = d.Entities.EntityTotal();
  for (const TJwwBlockInstance& i : d.BlockInstances)
    if (i.DefIndex >= 0) work += d.BlockDefs[static_cast<size_t>(i.DefIndex)].Entities.EntityTotal();
  if (work > 50000) return 0;
  PageSetup page;
  page.PaperWidthMm = 100;
  page.PaperHeightMm = 70;
  page.Dpi = 72;
  PrintSettings settings;
  settings.PrintMethod = PrintMethod::FitToPage;  // fitted, so whatever the file holds lands on the page
  settings.FollowDrawing = true;
  PrintRunObserver quiet;
  {
    std::unique_ptr<platform::PrintService> device = platform::MakePdfPrintService(pdf, page);
    PrintRun(d, *device, settings, quiet).Run({drawing});
    (void)device->Finish();
  }
  std::vector<QImage> pages;
  settings.PerLayerGroup = true;
  settings.PrintOrder = PrintOrder::ByLayerReverse;
  std::unique_ptr<platform::PrintService> device = platform::MakeImagePrintService(page, &pages);
  PrintRun(d, *device, settings, quiet).Run({drawing});
  (void)device->Finish();
  return 0;
}
