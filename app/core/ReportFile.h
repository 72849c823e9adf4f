// The machine-readable record of a print run: per file its status, its
// pages with their paper and what each lost; written as JSON, and read back
// to print again only the files a run did not print.
#pragma once

#include <string>
#include <vector>

#include "util/Status.h"

#include "app/core/PageWarnings.h"
#include "app/core/PrintRun.h"

struct FileRecord {
  std::string Path;  // as given
  // "printed", "damaged" (printed as far as it could be read), "blank"
  // (nothing to print), "passed_over", "stopped" (the run stopped inside
  // it), "not_reached", "not_written" (its pages never reached the output).
  std::string Status = "not_reached";
  std::string Reason;                 // why passed over or damaged
  std::vector<std::string> Warnings;  // about the file as a whole
  std::vector<PageReport> Pages;
};

// Records what a run's observer hears, by file (a file named twice is two
// records).
class RunRecorder {
 public:
  void Start(const std::vector<std::string>& files);
  void FileStarted(size_t index);
  void PassedOver(const std::string& why);
  void Damaged(const std::string& why);
  void Warning(const std::string& what);
  void NothingToPrint();
  void Page(const PageReport& page);
  // The run is over. stoppedInside: the stop came inside the last file
  // started; outputLost: nothing the run printed reached the output (one
  // PDF that could not be written).
  void Finish(const PrintRunResult& result, bool stoppedInside, bool outputLost);

  const std::vector<FileRecord>& Files() const { return files_; }

 private:
  FileRecord* Current();
  std::vector<FileRecord> files_;
  std::vector<bool> settled_;
  size_t current_ = 0;
  bool started_ = false;
};

// The files that did not print: passed over, stopped, not reached, not written.
bool PrintAgain(const std::string& status);

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
