// A queue's PPD as the scheduler keeps it: read, and replaced (as lpadmin -P
// replaces it, the queue's defaults for the options both PPDs have kept).
// The scheduler is the one CUPS_SERVER and the client's configuration name.
#pragma once

#include <string>

#include "util/Status.h"

namespace platform {

util::Result<std::string> QueuePpd(const std::string& queue);
util::Status SetQueuePpd(const std::string& queue, const std::string& ppd);

}  // namespace platform
