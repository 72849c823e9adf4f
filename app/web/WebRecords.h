// What kestrovan-web answers about a job: its state and progress, and each
// file's record as kestrovan-print's report writes it, named as the client
// named the drawing, with the warnings also in the words the window shows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/web/WebJobs.h"

namespace web {

// The job's answer to GET /api/jobs/ID; ahead: jobs queued before it, or -1.
std::string JobJson(const Job& job, int ahead);

// The per-file records of a finished job from its report (printed: the
// files `printed`, in order), with the files the print program died on
// (`died`, by index, with the reason) as passed over. Each record's path is
// the client's name, its warnings carry `shown`, the window's Japanese text,
// and the record its status in Japanese (`shown`). False, with `error`, when
// the report is not one for these files.
bool ClientRecords(const std::string& report, const Job& job, const std::vector<size_t>& printed,
                   const std::map<size_t, std::string>& died, std::string& files, int& pages, std::string& error);

// {"error": "…"}
std::string ErrorJson(const std::string& message);

}  // namespace web
