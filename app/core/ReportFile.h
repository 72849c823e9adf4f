// The machine-readable record of a print run: per file its status, its
// problems and its pages with their paper and what each lost, every kind
// as its key with its data (and an English text for people); written as
// JSON, and read back by the same key tables, to resume a run or to show
// a child's run in another program.
#pragma once

#include <string>
#include <vector>

#include "util/Status.h"

#include "app/core/FileOutcome.h"

struct RunSummaryFields {
  std::string Output;  // where the pages went
  bool Listing = false;
  bool Stopped = false;
  int ExitStatus = 0;      // -1 while the run goes on
  bool Finished = true;    // false: written while the run went on (or it was killed)
  RunFailure Failure = RunFailure::None;
  std::string FailureWhy;  // the failure in English
  std::string Error;       // the run was refused before it began: why
};
std::string RunReportJson(const std::vector<FileRecord>& files, const RunSummaryFields& run);
// Written whole through a temporary file (flushed to the disk once the run
// has finished; while it goes, only renamed into place).
util::Status WriteRunReport(const std::string& path, const std::vector<FileRecord>& files,
                            const RunSummaryFields& run);

// One file's record as the report writes it.
std::string FileRecordJson(const FileRecord& file);

// A report rewritten many times as a run goes (each file begun, each page
// on the output): a file's part is written anew only when its record changed.
class LiveReport {
 public:
  explicit LiveReport(std::string path) : path_(std::move(path)) {}
  util::Status Write(const std::vector<FileRecord>& files, const RunSummaryFields& run);

 private:
  struct Shape {
    FileStatus Status = FileStatus::NotReached;
    size_t Problems = 0, Pages = 0;
    bool Made = false;
    bool operator==(const Shape& o) const {
      return Status == o.Status && Problems == o.Problems && Pages == o.Pages && Made == o.Made;
    }
  };
  std::string path_;
  std::vector<std::string> parts_;
  std::vector<Shape> shape_;
};

// A report read back: the run's fields and its records, each path as its
// bytes (from "path_hex" where the name is not UTF-8).
struct RunReport {
  RunSummaryFields Run;
  int Pages = 0;
  std::vector<FileRecord> Files;
};
// Fails, saying why, for text that is not a report of kestrovan-print.
util::Result<RunReport> ReadRunReport(const std::string& json);
util::Result<RunReport> ReadRunReportFile(const std::string& path);
