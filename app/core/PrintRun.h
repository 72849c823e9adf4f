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
  // Lets the caller keep its window alive between files.
  virtual void ProcessMessages() {}
  // Asked between files: stop the run here.
  virtual bool StopRequested() { return false; }
};

struct PrintRunResult {
  int Pages = 0;
  int FilesPrinted = 0;
  int FilesPassedOver = 0;
  int FilesDamaged = 0;
  int FilesWithNothingToPrint = 0;
  int FilesIncomplete = 0;    // printed without all of it: blocks cut at a guard, images missing
  int PagesLosingContent = 0; // pages with a warning of content that does not reach the paper
  bool Stopped = false;       // Esc, or a signal
  bool OutputFailed = false;  // the device refused a document or page
  std::string Error;
  std::vector<FileRecord> Files;  // one per file named, in the run's order
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
  // document of PNG pages writes each page as the next begins); `settled`:
  // its file was already counted.
  void LastPageDropped(bool settled);
  // False, with the output marked failed and the first why kept, when the
  // device could not do what it was asked.
  bool Succeeded(const util::Status& done);
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
  int givenDpi_ = 0;            // the device's resolution as the run began

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
