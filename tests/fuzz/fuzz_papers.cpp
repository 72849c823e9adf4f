// Any bytes as a drawing printed with the paper and placement taken from the
// input too: its first bytes choose the paper mode (the given paper, the
// drawing's own sheet, or reduced onto the given paper), the print method,
// the rotation and whether the drawing's own print settings are followed;
// the rest is the drawing, printed onto a PDF page and raster pages.
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/PrintRun.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"

namespace {

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "fuzz_papers";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

// The options the input's header asks for: 12 bytes.
constexpr size_t kHeader = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  App();
  const uint8_t mode = data[0], method = data[1], flags = data[2], group = data[3];
  double rotation;
  std::memcpy(&rotation, data + 4, sizeof rotation);  // any double: huge, negative, NaN
  data += kHeader;
  size -= kHeader;

  static const std::string drawing = jwwtype::TempFolder().Value() + "fuzz-paper-input.jww";
  static const std::string pdf = jwwtype::TempFolder().Value() + "fuzz-paper-output.pdf";
  FILE* f = std::fopen(drawing.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  // Bounded work per input, as in the other print-run targets.
  TJwwData d;
  d.LoadFromMemory(data, size, drawing, false);
  size_t work = d.Entities.EntityTotal();
  for (const TJwwBlockInstance& i : d.BlockInstances)
    if (i.DefIndex >= 0) work += d.BlockDefs[static_cast<size_t>(i.DefIndex)].Entities.EntityTotal();
  if (work > 50000) return 0;

  // A low resolution keeps even the largest sheets (5A) small in memory.
  PageSetup page;
  page.PaperWidthMm = (flags & 1) ? 70 : 100;
  page.PaperHeightMm = (flags & 1) ? 100 : 70;
  page.Dpi = 12;
  PrintSettings settings;
  settings.PrintMethod = static_cast<PrintMethod>(method % 3);
  settings.PrintScale = 0.5 + (group & 7);
  settings.RotationAngle = rotation;
  settings.FollowDrawing = (flags & 2) != 0;
  settings.PerLayerGroup = (flags & 4) != 0;
  settings.OneDocument = (flags & 8) != 0;
  settings.CommonLayerGroup = group % 18;
  settings.PrintOrder = static_cast<PrintOrder>((flags >> 4) % 3);
  ClampSettings(settings);
  const PaperMode paper = static_cast<PaperMode>(mode % 3);
  PrintRunObserver quiet;
  {
    std::unique_ptr<platform::PrintService> device = platform::MakePdfPrintService(pdf, page);
    PrintRun run(d, *device, settings, quiet);
    run.SetPaperMode(paper);
    run.Run({drawing});
    (void)device->Finish();
  }
  std::vector<QImage> pages;
  std::unique_ptr<platform::PrintService> device = platform::MakeImagePrintService(page, &pages);
  PrintRun run(d, *device, settings, quiet);
  run.SetPaperMode(paper);
  run.Run({drawing});
  (void)device->Finish();
  return 0;
}
