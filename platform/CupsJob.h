// The page of a CUPS job: the queue's paper and resolution (its PPD's
// defaults) as the job's options change them.
#pragma once

#include "util/Status.h"
#include <cups/cups.h>

#include <string>

#include "render/PrintDevice.h"

namespace platform {

// The job's page: paper from "media"/"PageSize" (PWG, legacy and PPD names)
// marked over the PPD's defaults, A4 when neither names one; resolution from
// "Resolution"/"printer-resolution" or the PPD, 600 dpi otherwise; landscape
// unless the job asks for portrait ("orientation-requested=3", or 4/5 or
// "landscape" for landscape). `ppdPath` may be null (a queue without a PPD).
// Fails, saying why, for a paper or resolution it cannot use.
util::Result<PageSetup> JobPage(const char* ppdPath, int optionCount, cups_option_t* options);

}  // namespace platform
