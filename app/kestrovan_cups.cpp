// kestrovan-cups: the print run as a CUPS filter, application/x-jww to
// application/pdf. CUPS runs it as
//   kestrovan-cups JOB USER TITLE COPIES OPTIONS [FILE]
// with the drawing in FILE or on standard input; the PDF goes to standard
// output, messages to stderr as "ERROR:", "WARNING:" and "INFO:" lines for the
// scheduler. The page is the job's paper (the queue's PPD defaults and the job's
// media, orientation and resolution); the print options are job options
// named "kestrovan-" after kestrovan-print's flags. Copies are left to the
// filters after this one. Everything it writes goes under $TMPDIR.
//
// A job refused for what it asks or carries (a damaged drawing, a paper the
// queue has not, a page beyond its paper under kestrovan-off-paper=fail …)
// says why in ERROR lines and ends with nothing on standard output and
// status 0: the scheduler stops a job whose filter fails (whatever the
// queue's error policy) and a stopped job never ends, so an IPP client
// waiting for it, a desktop's queue pointed at this server, would wait for
// good. Ended, the job keeps its first ERROR line as its state message and
// the queue goes on. Only what the server itself could not do (a temporary
// folder, the PDF written or sent on) fails the job, to be restarted.
#include <cups/cups.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/core/DrawingPaper.h"
#include "app/core/PageWarnings.h"
#include "app/core/PpdOptions.h"
#include "app/core/PrintOptions.h"
#include "app/core/PrintRun.h"
#include "app/core/RecordWords.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"
#include "platform/CupsJob.h"
#include "platform/CupsQueue.h"
#include "platform/PrintService.h"
#include "platform/StopSignals.h"
#include "render/UnitGval.h"
#include "util/Files.h"

namespace {

// The exit status of a job refused for its document or options (see above),
// and of one the server failed.
constexpr int kRefused = 0;
constexpr int kServerFailed = 1;

// Job messages one per line, as the scheduler reads them: nothing a title
// or a drawing carries (line breaks, CR, ESC) reaches its log as such.
void Message(const char* level, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", level, platform::SchedulerText(text).c_str());
}

// "A3 (297 x 420 mm)", "500 x 300 mm".
std::string PaperWords(double widthMm, double heightMm) {
  const std::string name = PaperName(widthMm, heightMm);
  const std::string size = DescribePaper(widthMm, heightMm);
  return name.empty() ? size : name + " (" + size.substr(size.rfind(", ") + 2) + ")";
}

// The media option that asks for a paper: "media=A3", "media=Custom.500x300mm".
std::string MediaFor(double w, double h) {
  const std::string name = PaperName(w, h);
  if (!name.empty()) return "media=" + name;
  return "media=Custom." + std::to_string(std::lround(std::min(w, h))) + "x" +
         std::to_string(std::lround(std::max(w, h))) + "mm";
}

// The same paper in either orientation, to a point.
bool SameSize(double w1, double h1, double w2, double h2) {
  return std::fabs(std::min(w1, h1) - std::min(w2, h2)) < 0.4 && std::fabs(std::max(w1, h1) - std::max(w2, h2)) < 0.4;
}

// What a page whose content goes beyond the paper does to the job.
enum class OffPaper { Warn, Fail, Fit };

// One print run of the job, its messages held until the job knows which
// run it sends on (a run fitted to the paper replaces one that was not).
class JobObserver : public PrintRunObserver {
 public:
  JobObserver(std::string name, bool japanese) : name_(std::move(name)), japanese_(japanese) {}
  void FileStarted(size_t, size_t, const std::string&) override { Message("INFO", "Printing " + name_); }
  // The drawing's record in words: its problems, its pages' warnings and
  // what its status makes of the job.
  void FileFinished(const FileRecord& file) override {
    for (const FileProblem& problem : file.Problems) Tell(problem);
    for (const PageReport& page : file.Pages) {
      pages.push_back(page);
      for (const PageWarning& w : page.Warnings) Tell(page, w);
    }
    switch (file.Status) {
      case FileStatus::Blank:
      case FileStatus::Damaged:
        if (file.Pages.empty() && !failed) {
          Say("ERROR", name_ + (japanese_ ? "：印刷するものがありません" : " has nothing to print"));
          failed = true;
        }
        break;
      case FileStatus::Printed:
      case FileStatus::PassedOver:
      case FileStatus::Stopped:
      case FileStatus::NotReached:
      case FileStatus::NotWritten:
        break;
    }
  }
  bool StopRequested() override { return platform::StopSignalled(); }
  void Send() const {
    for (const auto& [level, text] : lines_) Message(level, text);
  }

  bool failed = false;
  std::vector<PageReport> pages;
  int warnings = 0;
  std::string firstWarning;  // "page 1: content off the page: …"
  int pagesOffPaper = 0;

 private:
  void Tell(const FileProblem& problem) {
    // A job from a Japanese desktop reads its messages in Japanese.
    const std::string what = japanese_ ? words::Problem(problem) : DescribeFileProblem(problem);
    switch (WeightOf(problem.What)) {
      case ProblemWeight::PassesOver:
        Say("ERROR", name_ + (japanese_ ? "：" : " cannot be printed: ") + what);
        failed = true;
        break;
      case ProblemWeight::Damages:
        Say("ERROR", name_ + (japanese_ ? "：" : " is damaged: ") + what);
        failed = true;
        break;
      case ProblemWeight::CutsShort:
        if (problem.What != FileProblem::Kind::ImagesMissing)
          Say("WARNING", name_ + (japanese_ ? "：" : ": ") + what);
        else  // counted, not named: a job learns nothing of the server's files
          Say("WARNING", name_ + (japanese_ ? "：図面に含まれていない画像 " + std::to_string(problem.Names.size()) +
                                                   " 個は印刷されません（印刷に送った図面は、図面の中にある画像だけを印刷します）"
                                             : ": " + std::to_string(problem.Names.size()) +
                                                   " image(s) it places are not printed; a drawing sent to print "
                                                   "prints only the images it carries inside it"));
        break;
    }
  }
  // Each page warning is a WARNING line naming the page; the note of layers
  // left out as the drawing asks is only INFO.
  void Tell(const PageReport& page, const PageWarning& w) {
    std::string text = japanese_ ? std::to_string(page.Number) + "ページ目：" : "page " + std::to_string(page.Number) + ": ";
    const std::string said = japanese_ ? words::Warning(w) : DescribeWarning(w);
    switch (w.What) {
      case PageWarning::Kind::LayersLeftOut:
        Say("INFO", name_ + (japanese_ ? "、" : ", ") + text + said);
        return;
      case PageWarning::Kind::OffPage:
        ++pagesOffPaper;
        text += said;
        break;
      case PageWarning::Kind::ImageMissing:
        // Not named: whether a path exists on the server is not the sender's to learn.
        text += japanese_ ? "図面が置く画像が印刷されません" : "an image it places is not printed";
        break;
      case PageWarning::Kind::Blank:
      case PageWarning::Kind::BackgroundOnly:
      case PageWarning::Kind::FontReplaced:
      case PageWarning::Kind::SheetUnknown:
      case PageWarning::Kind::ResolutionLowered:
        text += said;
        break;
    }
    Say("WARNING", name_ + (japanese_ ? "、" : ", ") + text);
    if (warnings++ == 0) firstWarning = text;
  }
  void Say(const char* level, const std::string& text) { lines_.emplace_back(level, text); }
  std::string name_;
  bool japanese_;
  std::vector<std::pair<const char*, std::string>> lines_;
};

// The job's language, as the scheduler hands it to its filters (LANG from
// the job's attributes-natural-language).
bool JobIsJapanese() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::strncmp(v, "ja", 2) == 0;
  }
  return false;
}

// The job's kestrovan-… options (its own over the queue's PPD defaults)
// into the settings and the off-paper policy. False (after an ERROR line)
// when one has a value it does not take; unknown ones are passed over with
// a WARNING line.
bool ApplyJobOptions(int count, cups_option_t* options, PrintSettings& s, OffPaper& offPaper) {
  const std::string prefix = "kestrovan-";
  for (int i = 0; i < count; ++i) {
    std::string name = options[i].name;
    std::string value = options[i].value ? options[i].value : "";
    // A boolean option set false arrives as "noNAME".
    if (name.compare(0, 2 + prefix.size(), "no" + prefix) == 0) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (name == "kestrovan-off-paper") {
      if (value == "warn") offPaper = OffPaper::Warn;
      else if (value == "fail") offPaper = OffPaper::Fail;
      else if (value == "fit") offPaper = OffPaper::Fit;
      else {
        Message("ERROR", name + " takes warn|fail|fit, not \"" + value + "\"");
        return false;
      }
      continue;
    }
    const PrintOption* option = FindPrintOption(name.substr(prefix.size()));
    if (!option) {
      Message("WARNING", "the option " + name + " is not known; passed over");
      continue;
    }
    if (!option->TakesValue) {
      if (value == "false" || value == "0" || value == "no" || value == "off") continue;
      value.clear();
    } else if (value.empty()) {
      Message("ERROR", "the option " + name + " needs a value");
      return false;
    }
    if (const util::Status applied = option->Apply(s, name, value); !applied) {
      Message("ERROR", applied.Why());
      return false;
    }
  }
  ClampSettings(s);
  return true;
}

// Kestrovan's options added to a queue's PPD (replacing those it has), or
// taken away: then print dialogs offer them, or no longer do. The queue's
// defaults for them stay while they stay.
int ChangeQueueOptions(const std::string& queue, bool add) {
  const util::Result<std::string> ppd = platform::QueuePpd(queue);
  if (!ppd) {
    std::fprintf(stderr, "kestrovan-cups: %s\n", ppd.Why().c_str());
    return 1;
  }
  std::string text = WithoutPpdOptions(ppd.Value());
  if (!add && text == ppd.Value()) {
    std::printf("%s: the queue has none of Kestrovan's options\n", queue.c_str());
    return 0;
  }
  if (add) {
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += PpdOptionsBlock(ppd.Value());
  }
  if (const util::Status set = platform::SetQueuePpd(queue, text); !set) {
    std::fprintf(stderr, "kestrovan-cups: %s\n", set.Why().c_str());
    return 1;
  }
  std::printf(add ? "%s: Kestrovan's options added\n" : "%s: Kestrovan's options taken away\n", queue.c_str());
  return 0;
}

bool CopyStream(FILE* from, FILE* to) {
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, from)) > 0)
    if (std::fwrite(buf, 1, n, to) != n) return false;
  return !std::ferror(from) && std::fflush(to) == 0;
}

// Keeps Qt's and fontconfig's own files in a private folder under $TMPDIR:
// the filter user has no home of its own.
void KeepQtInside(const std::string& folder) {
  for (const char* v : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
    setenv(v, folder.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("kestrovan-cups %s\n", KESTROVAN_VERSION);
    return 0;
  }
  if ((argc == 2 || argc == 3) && std::strcmp(argv[1], "--ppd-options") == 0) {
    std::string ppd;
    if (argc == 3) {
      const util::Result<std::string> read = util::ReadSmallFile(argv[2]);
      if (!read) {
        std::fprintf(stderr, "kestrovan-cups: %s\n", read.Why().c_str());
        return 1;
      }
      ppd = read.Value();
    }
    std::fputs(PpdOptionsBlock(ppd).c_str(), stdout);
    return 0;
  }
  if (argc == 3 && (std::strcmp(argv[1], "--add-options") == 0 || std::strcmp(argv[1], "--remove-options") == 0))
    return ChangeQueueOptions(argv[2], std::strcmp(argv[1], "--add-options") == 0);
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr,
                 "Usage: kestrovan-cups job-id user title copies options [file]\n"
                 "       kestrovan-cups --add-options QUEUE      (the job options in the queue's print dialogs)\n"
                 "       kestrovan-cups --remove-options QUEUE   (and taken away again)\n"
                 "       kestrovan-cups --ppd-options [PPD]      (the job options as PPD options, for that PPD)\n"
                 "       kestrovan-cups --version\n");
    return 1;
  }
  // A cancelled job (SIGTERM from the scheduler), and the other stops too.
  platform::CatchStopSignals();

  cups_option_t* options = nullptr;
  const int optionCount = cupsParseOptions(argv[5], 0, &options);
  const char* ppd = std::getenv("PPD");
  cups_option_t* ours = nullptr;
  const int ourCount = platform::KestrovanOptions(ppd, optionCount, options, &ours);
  PrintSettings settings;
  OffPaper offPaper = OffPaper::Warn;
  const bool optionsTaken = ApplyJobOptions(ourCount, ours, settings, offPaper);
  cupsFreeOptions(ourCount, ours);
  if (!optionsTaken) {
    cupsFreeOptions(optionCount, options);
    return kRefused;
  }
  const util::Result<platform::JobPaper> jobPage = platform::JobPage(ppd, optionCount, options);
  cupsFreeOptions(optionCount, options);
  if (!jobPage) {
    Message("ERROR", jobPage.Why());
    return kRefused;
  }
  const platform::JobPaper& paper = jobPage.Value();
  PageSetup setup = paper.Page;
  std::string paperName = paper.Name;
  if (settings.Paper == PaperMode::ReducedToGiven && !SameSize(settings.FitPaperWidthMm, settings.FitPaperHeightMm,
                                                               setup.PaperWidthMm, setup.PaperHeightMm)) {
    // The scheduler's later filters print every page on the job's paper:
    // a drawing reduced onto another paper would be scaled again.
    const double w = settings.FitPaperWidthMm, h = settings.FitPaperHeightMm;
    Message("ERROR", "kestrovan-fit-paper reduces drawings onto " + PaperWords(w, h) + " paper, but the job's paper is " +
                         PaperWords(setup.PaperWidthMm, setup.PaperHeightMm) + ": ask for that paper too (-o " + MediaFor(w, h) + ")");
    return kRefused;
  }
  // The job shows the paper it prints on; a warning of the job before
  // this one is no longer the queue's.
  Message("INFO", "Paper " + paperName + " (" + DescribePaper(setup.PaperWidthMm, setup.PaperHeightMm) + "), " +
                      std::to_string(setup.Dpi) + " dpi" +
                      (settings.Paper == PaperMode::ReducedToGiven ? ", each drawing reduced onto it" : ""));
  std::fprintf(stderr, "STATE: -kestrovan-off-paper-warning\n");

  // Our own folder under $TMPDIR (CUPS's temporary folder) for the drawing
  // read from standard input, the PDF before it is sent, and Qt's files.
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  std::vector<char> name(base.begin(), base.end());
  const std::string pattern = "/kestrovan-cups-XXXXXX";
  name.insert(name.end(), pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) {
    Message("ERROR", "cannot make a temporary folder in " + base);
    return kServerFailed;
  }
  const std::string work = name.data();
  setenv("TMPDIR", work.c_str(), 1);
  KeepQtInside(work);

  int status = kServerFailed;
  {
    QGuiApplication app(argc, argv);
    const UnitGval::AbortCheckScope stopOnSignal(platform::StopSignalled);
    // A job prints what it carries: images are read only from the folder its
    // own images are unpacked into, never from elsewhere on the server.
    const util::Result<std::string> images = jwwtype::TempFolder();
    UnitGval::ImageFolders = {images ? images.Value() : work + "/no-images/"};
    std::string drawing;
    bool ready = true;
    if (argc == 7) {
      drawing = argv[6];
    } else {
      drawing = work + "/job.jww";
      FILE* f = std::fopen(drawing.c_str(), "wb");
      ready = f && CopyStream(stdin, f);
      if (f && std::fclose(f) != 0) ready = false;
      if (!ready) Message("ERROR", "cannot keep the drawing from standard input in " + work);
    }
    const std::string title = platform::SchedulerText(argv[3][0] ? argv[3] : drawing);
    if (ready) {
      const std::string pdf = work + "/job.pdf";
      struct Printed {
        PrintRunResult Result;
        std::unique_ptr<JobObserver> Observer;
        double RefusedWidthMm = 0, RefusedHeightMm = 0;
      };
      auto print = [&](const PrintSettings& s) {
        Printed p;
        // The PDF is called as the job is (else after its drawing); a
        // drawing's own sheet only where the queue has that paper.
        platform::QueuePaperDevice device(platform::MakePdfPrintService(pdf, setup, platform::SchedulerText(argv[3])), paper.Queue);
        TJwwData model;
        p.Observer = std::make_unique<JobObserver>(title, JobIsJapanese());
        PrintRun run(model, device, s, *p.Observer);
        run.SetPaperMode(s.Paper);
        p.Result = run.Run({drawing});
        p.RefusedWidthMm = device.RefusedWidthMm();
        p.RefusedHeightMm = device.RefusedHeightMm();
        jwwtype::RemoveTempFolder();
        return p;
      };
      Printed done = print(settings);
      const bool printed = !done.Result.Stopped && !done.Result.OutputFailed && !done.Observer->failed &&
                           done.Result.Counts().Pages > 0;
      bool fitted = false;
      if (printed && offPaper == OffPaper::Fit && done.Observer->pagesOffPaper > 0 &&
          settings.PrintMethod != PrintMethod::FitToPage) {
        PrintSettings fit = settings;
        fit.PrintMethod = PrintMethod::FitToPage;
        done = print(fit);
        fitted = true;
      }
      done.Observer->Send();
      const PrintRunResult& r = done.Result;
      const int offPages = done.Observer->pagesOffPaper;
      if (done.RefusedWidthMm > 0)
        Message("WARNING", title + ": the printer of this queue takes no " +
                               PaperWords(done.RefusedWidthMm, done.RefusedHeightMm) +
                               " paper for the drawing's own sheet; printed on " +
                               PaperWords(setup.PaperWidthMm, setup.PaperHeightMm));
      // A page on the drawing's own sheet is printed on the job's paper by
      // the scheduler's later filters: the whole sheet, scaled to it.
      for (const PageReport& page : done.Observer->pages)
        if (settings.Paper == PaperMode::Drawing &&
            !SameSize(page.PaperWidthMm, page.PaperHeightMm, setup.PaperWidthMm, setup.PaperHeightMm))
          Message("WARNING", title + ", page " + std::to_string(page.Number) + ": the drawing's own sheet, " +
                                 PaperWords(page.PaperWidthMm, page.PaperHeightMm) + ", is scaled onto the job's " +
                                 PaperWords(setup.PaperWidthMm, setup.PaperHeightMm) +
                                 " paper; ask for its paper (-o " + MediaFor(page.PaperWidthMm, page.PaperHeightMm) +
                                 ") to print it at its own size");
      if (fitted) Message("WARNING", title + ": content went beyond the paper; fitted to it (kestrovan-off-paper=fit)");
      if (r.Stopped) {
        Message("INFO", "the job was stopped");
      } else if (r.OutputFailed) {
        Message("ERROR", "the PDF could not be written: " + r.Error);
      } else if (offPages > 0 && offPaper == OffPaper::Fail) {
        Message("ERROR", title + ": " + std::to_string(offPages) + (offPages == 1 ? " page goes" : " pages go") +
                             " beyond the paper; the job fails (kestrovan-off-paper=fail)");
        status = kRefused;
      } else if (!done.Observer->failed && r.Counts().Pages > 0) {
        FILE* f = std::fopen(pdf.c_str(), "rb");
        if (f && CopyStream(f, stdout)) {
          const int printedPages = r.Counts().Pages;
          const std::string pages = std::to_string(printedPages) + (printedPages == 1 ? " page" : " pages");
          if (offPages > 0) std::fprintf(stderr, "STATE: +kestrovan-off-paper-warning\n");
          // A job with warnings ends on one, so its state message (lpstat -l)
          // keeps the first of them.
          const int more = done.Observer->warnings - 1;
          if (more >= 0)
            Message("WARNING", "Printed " + pages + "; " + done.Observer->firstWarning +
                                   (more > 0 ? " (and " + std::to_string(more) + " more warnings)" : ""));
          else
            Message("INFO", "Printed " + pages);
          status = 0;
        } else {
          Message("ERROR", "the PDF could not be sent on");
        }
        if (f) std::fclose(f);
      } else {
        // Its ERROR lines said why; nothing of it is printed.
        if (!done.Observer->failed) Message("ERROR", title + " has nothing to print");
        status = kRefused;
      }
      std::remove(pdf.c_str());
    }
    if (argc != 7) std::remove(drawing.c_str());
  }
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  return status;
}
