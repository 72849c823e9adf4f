// The page of a CUPS job: the paper the job asks for, checked against the
// papers its queue's printer takes (the queue's PPD), and the resolution.
#pragma once

#include <cups/cups.h>

#include <memory>
#include <string>
#include <vector>

#include "render/PrintDevice.h"
#include "util/Status.h"

namespace platform {

// The papers a queue's printer takes, from its PPD; any paper when the
// queue has no PPD.
class QueuePapers {
 public:
  struct Paper {
    std::string Name;                  // the PPD's name: "A4", "A4.Fullbleed", "Letter"
    double WidthMm = 0, HeightMm = 0;  // portrait, as the PPD gives it
  };
  QueuePapers() = default;  // any paper
  explicit QueuePapers(std::vector<Paper> papers, bool custom = false, double minWidthMm = 0,
                       double minHeightMm = 0, double maxWidthMm = 0, double maxHeightMm = 0);

  bool AnyPaper() const { return any_; }
  // The queue's name for a paper of this size (either orientation, within
  // 1 pt), "Custom" for a size its custom range holds; false when the queue
  // has no such paper.
  bool Find(double widthMm, double heightMm, std::string& name) const;
  // "Letter, A4, A5, …" for messages.
  std::string List() const;

 private:
  bool any_ = true;
  std::vector<Paper> papers_;
  bool custom_ = false;
  double minW_ = 0, minH_ = 0, maxW_ = 0, maxH_ = 0;
};

struct JobPaper {
  PageSetup Page;      // turned as the job asks (landscape unless portrait)
  std::string Name;    // as the queue names it ("A3", "Custom"), or as the job did when no PPD
  bool Asked = false;  // the job named a paper (else the queue's default)
  QueuePapers Queue;
};

// The job's page: the paper named by "media" (a list: its first size;
// "iso_a3_297x420mm", "A3", "A3.Borderless", "Custom.200x300mm" …), else
// "PageSize", else "PageRegion", else "media-size-name", else the PPD's
// default (A4 without a PPD), and it must be one the queue takes and the one
// the queue's later filters will print on (they read PageSize, PageRegion and
// media against the PPD: a PageSize it has not leaves them on its default);
// resolution from "Resolution"/"printer-resolution" or the PPD, 600 dpi
// otherwise; landscape unless the job asks for portrait
// ("orientation-requested=3", or 4/5 or "landscape" for landscape). `ppdPath`
// may be null (a queue without a PPD). Fails, saying why, for a paper it does
// not know, one the queue does not take, one its later filters would not
// print on (naming theirs), one no page may have, or a resolution it cannot use.
util::Result<JobPaper> JobPage(const char* ppdPath, int optionCount, cups_option_t* options);

// The size of a paper name as a job gives it (PWG, legacy and PPD names,
// with ".Borderless"/".Fullbleed", "Custom.WxH[in|cm|mm|m|ft|pt]"), portrait.
bool MediaSize(const std::string& name, double& widthMm, double& heightMm);

// The job's print options: its own kestrovan-… options over the defaults
// the queue's PPD gives them (options added to a queue's PPD, see
// --ppd-options). Values "False"/"None" in the PPD leave an option unset.
int KestrovanOptions(const char* ppdPath, int optionCount, cups_option_t* options, cups_option_t** out);

// A device that keeps the job's paper where a print run asks for one the
// queue does not take (a drawing's own sheet the printer cannot print on);
// the last such paper is kept (0 x 0 while there was none).
class QueuePaperDevice : public PrintDevice {
 public:
  QueuePaperDevice(std::unique_ptr<PrintDevice> device, QueuePapers queue)
      : device_(std::move(device)), queue_(std::move(queue)) {}
  double RefusedWidthMm() const { return refusedW_; }
  double RefusedHeightMm() const { return refusedH_; }
  bool SelectPaper(double widthMm, double heightMm) override;

  std::string PrinterName() const override { return device_->PrinterName(); }
  int PrinterDpiX() const override { return device_->PrinterDpiX(); }
  int PrinterDpiY() const override { return device_->PrinterDpiY(); }
  int PaperWidthPx() const override { return device_->PaperWidthPx(); }
  int PaperHeightPx() const override { return device_->PaperHeightPx(); }
  int PageWidthPx() const override { return device_->PageWidthPx(); }
  int PageHeightPx() const override { return device_->PageHeightPx(); }
  util::Status BeginPrintDocument(const std::string& sjisTitle) override {
    return device_->BeginPrintDocument(sjisTitle);
  }
  util::Status NewPrintPage() override { return device_->NewPrintPage(); }
  util::Status EndPrintDocument() override { return device_->EndPrintDocument(); }
  util::Status Finish() override { return device_->Finish(); }
  bool WritesAtFinish() const override { return device_->WritesAtFinish(); }
  void AbandonOutput() override { device_->AbandonOutput(); }
  void AbortPrintDocument() override { device_->AbortPrintDocument(); }
  void PageShows(const std::string& path, int group, const std::string& name) override {
    device_->PageShows(path, group, name);
  }
  Canvas& PageCanvas() override { return device_->PageCanvas(); }
  int PagesPrinted() const override { return device_->PagesPrinted(); }
  std::string FaceUsedInstead(const std::string& sjisFace) override { return device_->FaceUsedInstead(sjisFace); }

 private:
  std::unique_ptr<PrintDevice> device_;
  QueuePapers queue_;
  double refusedW_ = 0, refusedH_ = 0;
};

// A text as one line of the scheduler's messages: control characters (line
// breaks, CR, ESC, …) and bytes that are not UTF-8 become "?", so nothing a
// job's title or file name carries can break or colour the scheduler's log.
std::string SchedulerText(const std::string& text);

}  // namespace platform
