// The batch print run: every drawing of a list onto the print device, one
// page per file, as one document or one per page. The window and the
// headless program both drive it, through the observer.
#pragma once

#include <string>
#include <vector>

#include "app/core/DrawingPaper.h"
#include "app/core/FileOutcome.h"
#include "app/core/PageWarnings.h"
#include "app/core/PrepareDrawing.h"
#include "app/core/PrintSettings.h"
#include "jww/jwwunit.h"
#include "render/PrintDevice.h"

class PrintRunObserver {
 public:
  virtual ~PrintRunObserver() = default;
  // A status line (Shift-JIS), as the window's status bar shows it.
  virtual void Status(const std::string& /*sjisText*/) {}
  virtual void FileStarted(size_t /*index*/, size_t /*count*/, const std::string& /*path*/) {}
  // A problem of the file being printed, as it is found (file: its record so far).
  virtual void FileProblemFound(const FileRecord& /*file*/, const FileProblem& /*problem*/) {}
  // A page ended: its title, paper and what it lost (path: its drawing).
  virtual void PageFinished(const std::string& /*path*/, const PageReport& /*page*/) {}
  // The file is done with, its status settled (only an output lost at the
  // run's end changes it still).
  virtual void FileFinished(const FileRecord& /*file*/) {}
  // The run's records as they stand on the output now: when a file is begun
  // (it reads "stopped" while in hand), when the run ends, and where pages
  // reach the output as they end (PNG files, a printer job per page) also
  // when a page ends and a file is settled. Pages drawn but not yet on the
  // output (one PDF, one document) read "not written" until they are.
  virtual void RecordsChanged(const std::vector<FileRecord>& /*asWritten*/) {}
  // Lets the caller keep its window alive between files.
  virtual void ProcessMessages() {}
  // Asked between files: stop the run here.
  virtual bool StopRequested() { return false; }
};

struct PrintRunResult {
  bool Stopped = false;       // Esc, or a signal
  bool OutputFailed = false;  // the device refused a document, a page or the finished output
  RunFailure Failure = RunFailure::None;
  std::string Error;          // the failure in words (English)
  std::vector<FileRecord> Files;  // one per file named, in the run's order, finished by the run
  RunCounts Counts() const { return CountRun(Files); }
};

class PrintRun {
 public:
  PrintRun(TJwwData& drawing, PrintDevice& device, const PrintSettings& settings,
           PrintRunObserver& observer)
      : d_(drawing), device_(device), run_(settings), observer_(observer) {}

  PrintRunResult Run(const std::vector<std::string>& files);
  // The paper of each drawing's pages (the device's own paper by default).
  void SetPaperMode(PaperMode mode) { paperMode_ = mode; }

 private:
  void HandTablesToAttributes();
  void PrintFile(const std::string& path);
  // Loads the file into the drawing; false when it is passed over.
  bool Load(const std::string& path);
  void PrintPages(const std::string& path);
  // One page: the layer filters drawn in turn (the whole drawing, or a
  // group and its common groups); `groups` the groups it prints (bit g).
  // False when the run must end: stopped, or the output failed.
  bool PrintPage(const std::string& sjisTitle, int group, uint32_t groups, const std::vector<LayerFilter>& passes);
  bool StartPage(const std::string& sjisTitle);
  void EndPage(uint32_t groups);
  // The last page recorded was dropped by the device at a stop (one
  // document of PNG pages writes each page as the next begins).
  void LastPageDropped();
  // False, with the output marked failed and the first why kept, when the
  // device could not do what it was asked.
  bool Succeeded(const util::Status& done);
  // The files, each file begun and the output finished or failed.
  void RunFiles(const std::vector<std::string>& files);
  // The records as they stand on the output, told to the observer.
  void TellRecords();
  std::vector<FileRecord> RecordsAsWritten() const;
  // A problem of the file being printed: recorded, counted and told.
  void Found(FileProblem::Kind what, std::string why = std::string(), int64_t count = 0,
             std::vector<std::string> names = {});
  // The file's status from what became of it, then told.
  void Settle();

  TJwwData& d_;
  PrintDevice& device_;
  const PrintSettings& run_;  // the run's options
  PrintRunObserver& observer_;
  PaperMode paperMode_ = PaperMode::Given;
  PrintRunResult result_;
  bool documentBegun_ = false;  // the run's one document (begun with its first page)
  bool outputPending_ = false;  // pages drawn reach the output only when the run ends
  bool finished_ = false;       // the output is complete (or failed)
  int givenDpi_ = 0;            // the device's resolution as the run began
  int pagesDrawn_ = 0;          // the run's pages so far, numbered from 1

  // The file being printed: its record, the drawing made ready, and what
  // its pages lost.
  FileRecord* file_ = nullptr;
  FileRecord* lastPageFile_ = nullptr;  // the file of the last page recorded
  PreparedDrawing drawing_;
  bool pageCut_ = false;                 // a page stopped at the draw pass's limit
  std::vector<std::string> fileImages_;  // images its pages could not place
  PageInkCanvas ink_;
  PageReport page_;
};
