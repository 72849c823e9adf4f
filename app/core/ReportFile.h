// The machine-readable record of a print run: per file its status, its
// pages with their paper and what each lost; written as JSON, and read back
// to print again only the files a run did not print.
#pragma once

#include <string>
#include <vector>

#include "util/Status.h"

#include "app/core/FileOutcome.h"

struct RunSummaryFields {
  std::string Output;  // where the pages went
  bool Listing = false;
  bool Stopped = false;
  int Pages = 0;
  int ExitStatus = 0;      // -1 while the run goes on
  bool Finished = true;    // false: written while the run went on (or it was killed)
  std::string Error;       // the run was refused before it began: why
};
std::string RunReportJson(const std::vector<FileRecord>& files, const RunSummaryFields& run);
// Written whole through a temporary file.
util::Status WriteRunReport(const std::string& path, const std::vector<FileRecord>& files,
                            const RunSummaryFields& run);
