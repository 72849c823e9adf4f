// What kestrovan-web answers about a job: its state and progress, and each
// file's record as kestrovan-print's report holds it (read through the
// report's own key tables), named as the client named the drawing, every
// kind with its Japanese words beside it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/core/RecordWords.h"
#include "app/core/ReportFile.h"
#include "app/web/WebJobs.h"

namespace web {

// The job's answer to GET /api/jobs/ID; ahead: jobs queued before it, or -1.
std::string JobJson(const Job& job, int ahead);

// The per-file records of a finished job from its child's report: the
// files `printed` (by index, in the report's order), and the files the
// print program died on (`died`, by index, with the signal's name) as
// passed over. Each record is named as the client named it and carries
// the window's Japanese words: `shown` (its lines), `status_text`, and each
// warning's `shown`.
std::string ClientRecords(const RunReport& report, const Job& job, const std::vector<size_t>& printed,
                          const std::map<size_t, std::string>& died);

// {"error": English, "kind": key, "text": Japanese}.
std::string ErrorJson(words::WebProblem kind, const std::string& english);

}  // namespace web
