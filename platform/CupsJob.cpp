#include "platform/CupsJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The PPD interface is marked deprecated, but a queue's PPD is still what a
// CUPS 2 filter reads its paper from.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/ppd.h>

namespace platform {

namespace {

// "600dpi", "600x600dpi", "300x600dpi" (the first figure is across).
int ParseResolution(const char* text) {
  int x = 0;
  if (!text || std::sscanf(text, "%d", &x) != 1 || x <= 0) return 0;
  if (std::strstr(text, "dpc")) x = static_cast<int>(std::lround(x * 2.54));
  return x;
}

bool PaperFromMediaName(const char* name, PageSetup& page) {
  pwg_media_t* m = pwgMediaForPWG(name);
  if (!m) m = pwgMediaForLegacy(name);
  if (!m) m = pwgMediaForPPD(name);
  if (!m || m->width <= 0 || m->length <= 0) return false;
  page.PaperWidthMm = m->width / 100.0;
  page.PaperHeightMm = m->length / 100.0;
  return true;
}

}  // namespace

util::Result<PageSetup> JobPage(const char* ppdPath, int optionCount, cups_option_t* options) {
  PageSetup page;
  page.PaperWidthMm = 210;
  page.PaperHeightMm = 297;
  int dpi = 0;
  ppd_file_t* ppd = ppdPath && *ppdPath ? ppdOpenFile(ppdPath) : nullptr;
  bool paperKnown = false;
  if (ppd) {
    ppdMarkDefaults(ppd);
    cupsMarkOptions(ppd, optionCount, options);
    if (ppd_size_t* size = ppdPageSize(ppd, nullptr); size && size->width > 0 && size->length > 0) {
      page.PaperWidthMm = size->width * 25.4 / 72;
      page.PaperHeightMm = size->length * 25.4 / 72;
      paperKnown = true;
    }
    if (ppd_choice_t* res = ppdFindMarkedChoice(ppd, "Resolution")) dpi = ParseResolution(res->choice);
    else if (ppd_attr_t* attr = ppdFindAttr(ppd, "DefaultResolution", nullptr)) dpi = ParseResolution(attr->value);
    ppdClose(ppd);
  }
  for (const char* name : {"media", "PageSize", "media-size-name"}) {
    const char* media = cupsGetOption(name, optionCount, options);
    if (!media || paperKnown) continue;
    // A list ("iso_a4_210x297mm,tray-1"): the first entry the tables know.
    std::string list = media;
    size_t start = 0;
    while (start <= list.size() && !paperKnown) {
      const size_t comma = std::min(list.find(',', start), list.size());
      paperKnown = PaperFromMediaName(list.substr(start, comma - start).c_str(), page);
      start = comma + 1;
    }
    if (!paperKnown) return util::Status::Failure(std::string("the paper \"") + media + "\" is not known");
  }
  for (const char* name : {"Resolution", "resolution", "printer-resolution"})
    if (const char* r = cupsGetOption(name, optionCount, options)) dpi = ParseResolution(r);
  if (dpi == 0) dpi = 600;
  if (dpi < 72 || dpi > 2400)
    return util::Status::Failure("the resolution " + std::to_string(dpi) + " dpi is outside 72..2400");
  page.Dpi = dpi;

  bool landscape = true;
  if (const char* o = cupsGetOption("orientation-requested", optionCount, options)) {
    const int v = std::atoi(o);
    if (v == 3 || v == 6) landscape = false;
  }
  if (const char* l = cupsGetOption("landscape", optionCount, options))
    landscape = std::strcmp(l, "false") != 0 && std::strcmp(l, "no") != 0;
  else if (cupsGetOption("portrait", optionCount, options))
    landscape = false;
  const double shortSide = std::min(page.PaperWidthMm, page.PaperHeightMm);
  const double longSide = std::max(page.PaperWidthMm, page.PaperHeightMm);
  page.PaperWidthMm = landscape ? longSide : shortSide;
  page.PaperHeightMm = landscape ? shortSide : longSide;
  return page;
}

}  // namespace platform

#pragma GCC diagnostic pop
