// The batch print run: every drawing of a list onto the print device, one
// page per file, as one document or one per page. The window and the
// headless program both drive it, through the observer.
#pragma once

#include <string>
#include <vector>

#include "app/core/DrawingPaper.h"
#include "app/core/FileOutcome.h"
#include "app/core/PageWarnings.h"
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

// The options one drawing prints with: with FollowDrawing, colour or black,
// the display-only layers (in grey, as the CAD program prints them) and SXF
// white (black on paper) come from the drawing, unless given explicitly.
PrintSettings SettingsForDrawing(const PrintSettings& settings, const TJwwData& drawing);

class PrintRun {
 public:
  PrintRun(TJwwData& drawing, PrintDevice& device, const PrintSettings& settings,
           PrintRunObserver& observer)
      : d_(drawing), device_(device), run_(settings), s_(settings), observer_(observer) {}

  PrintRunResult Run(const std::vector<std::string>& files);
  // The paper of each drawing's pages (the device's own paper by default).
  void SetPaperMode(PaperMode mode) { paperMode_ = mode; }

 private:
  void HandTablesToAttributes();
  void PrintOneFile(const std::string& path);
  // A problem of the file being printed: recorded, counted and told.
  void Found(FileProblem::Kind what, std::string why = std::string(), int64_t count = 0,
             std::vector<std::string> names = {});
  // The file's status from what became of it, then told.
  void Settle();
  void ApplyDisplayOnlyMode();
  void PrintLayerGroupPages(const std::string& path, const std::string& baseTitle, double rotation);
  bool StartPage(const std::string& sjisTitle);
  // False, with the output marked failed and the first why kept, when the
  // device could not do what it was asked.
  bool Succeeded(const util::Status& done);
  void EndPage();
  double ChoosePaper();
  uint32_t PageGroups(int group) const;
  void ReportPage();
  Canvas& PageCanvas() { return ink_; }

  TJwwData& d_;
  PrintDevice& device_;
  const PrintSettings& run_;  // the run's options
  PrintSettings s_;            // the options of the drawing being printed
  PrintRunObserver& observer_;
  PrintRunResult result_;
  bool documentBegun_ = false;  // the run's one document (begun with its first page)
  int givenDpi_ = 0;            // the device's resolution as the run began
  bool pageCut_ = false;  // a page of this file stopped at the draw pass's limit
  FileRecord* file_ = nullptr;  // the record of the file being printed

  // What each page lost: the page's canvas watched, the file's printed
  // extents and layer counts, and the groups the page prints.
  PaperMode paperMode_ = PaperMode::Given;
  PageInkCanvas ink_;
  PageReport page_;
  std::string path_;
  uint32_t pageGroups_ = 0xFFFF;
  double rotation_ = 0;
  bool hasPrinted_ = false;
  bool sheetUnknown_ = false;
  jwwunit::Extents printed_;
  LayerEntityCounts layerCounts_{};
  std::vector<std::string> fileImages_;  // images the file's pages could not place
};
