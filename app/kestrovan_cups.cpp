// kestrovan-cups: the print run as a CUPS filter, application/x-jww to
// application/pdf. CUPS runs it as
//   kestrovan-cups JOB USER TITLE COPIES OPTIONS [FILE]
// with the drawing in FILE or on standard input; the PDF goes to standard
// output, messages to stderr as "ERROR:", "WARNING:" and "INFO:" lines for the
// scheduler. The page is the job's paper (the queue's PPD defaults and the job's
// media, orientation and resolution); the print options are job options
// named "kestrovan-" after kestrovan-print's flags. Copies are left to the
// filters after this one. Everything it writes goes under $TMPDIR.
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
#include <string>
#include <vector>

#include "app/core/PrintOptions.h"
#include "app/core/PrintRun.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"
#include "platform/CupsJob.h"
#include "platform/PrintService.h"
#include "render/UnitGval.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }
bool StopPoll() { return g_stop != 0; }

// Job messages one per line, as the scheduler reads them.
void Message(const char* level, const std::string& text) {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "%s: %s\n", level, line.c_str());
}

class JobObserver : public PrintRunObserver {
 public:
  explicit JobObserver(std::string name) : name_(std::move(name)) {}
  void FileStarted(size_t, size_t, const std::string&) override {
    Message("INFO", "Printing " + name_);
  }
  void FileProblemFound(const FileRecord&, const FileProblem& problem) override {
    const std::string what = DescribeFileProblem(problem);
    switch (problem.What) {
      case FileProblem::Kind::NoSuchFile:
      case FileProblem::Kind::NotAFile:
      case FileProblem::Kind::Empty:
      case FileProblem::Kind::NotDrawing:
      case FileProblem::Kind::OutOfMemory:
      case FileProblem::Kind::TooLarge:
      case FileProblem::Kind::Unreadable:
        Message("ERROR", name_ + " cannot be printed: " + what);
        failed = true;
        break;
      case FileProblem::Kind::Damaged:
      case FileProblem::Kind::ImagesNotUnpacked:
        Message("ERROR", name_ + " is damaged: " + what);
        failed = true;
        break;
      case FileProblem::Kind::BlocksCut:
      case FileProblem::Kind::PageCut:
        Message("WARNING", name_ + ": " + what);
        break;
      case FileProblem::Kind::ImagesMissing:
        // Counted, not named: a job learns nothing of the server's files.
        Message("WARNING", name_ + ": " + std::to_string(problem.Names.size()) +
                               " image(s) it places are not printed; a drawing sent to print prints only the "
                               "images it carries inside it");
        break;
    }
  }
  void FileFinished(const FileRecord& file) override {
    switch (file.Status) {
      case FileStatus::Blank:
      case FileStatus::Damaged:
        if (file.Pages.empty()) {
          Message("ERROR", name_ + " has nothing to print");
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
  bool StopRequested() override { return g_stop != 0; }
  bool failed = false;

 private:
  std::string name_;
};

// The job's kestrovan-… options into the settings. False (after an ERROR
// line) when one has a value it does not take; unknown ones are passed over
// with a WARNING line.
bool ApplyJobOptions(int count, cups_option_t* options, PrintSettings& s) {
  const std::string prefix = "kestrovan-";
  for (int i = 0; i < count; ++i) {
    std::string name = options[i].name;
    std::string value = options[i].value ? options[i].value : "";
    // A boolean option set false arrives as "noNAME".
    if (name.compare(0, 2 + prefix.size(), "no" + prefix) == 0) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
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
    std::string error;
    if (!option->Apply(s, name, value, error)) {
      Message("ERROR", error);
      return false;
    }
  }
  ClampSettings(s);
  return true;
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
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: kestrovan-cups job-id user title copies options [file]\n");
    return 1;
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  cups_option_t* options = nullptr;
  const int optionCount = cupsParseOptions(argv[5], 0, &options);
  PrintSettings settings;
  if (!ApplyJobOptions(optionCount, options, settings)) {
    cupsFreeOptions(optionCount, options);
    return 1;
  }
  std::string pageError;
  PageSetup setup;
  const bool pageKnown = platform::JobPage(std::getenv("PPD"), optionCount, options, setup, pageError);
  cupsFreeOptions(optionCount, options);
  if (!pageKnown) {
    Message("ERROR", pageError);
    return 1;
  }

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
    return 1;
  }
  const std::string work = name.data();
  setenv("TMPDIR", work.c_str(), 1);
  KeepQtInside(work);

  int status = 1;
  {
    QGuiApplication app(argc, argv);
    const UnitGval::AbortCheckScope stopOnSignal(StopPoll);
    // A job prints what it carries: images are read only from the folder its
    // own images are unpacked into, never from elsewhere on the server.
    try {
      UnitGval::ImagesOnlyFrom = jwwtype::TempFolder();
    } catch (const std::exception&) {
      UnitGval::ImagesOnlyFrom = work + "/no-images/";
    }
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
    const std::string title = argv[3][0] ? argv[3] : drawing;
    if (ready) {
      const std::string pdf = work + "/job.pdf";
      // The PDF is called as the job is (else after its drawing).
      std::unique_ptr<PrintDevice> device = platform::MakePdfPrintService(pdf, setup, argv[3]);
      TJwwData model;
      JobObserver observer(title);
      PrintRun run(model, *device, settings, observer);
      const PrintRunResult r = run.Run({drawing});
      const util::Status finished = device->Finish();
      jwwtype::RemoveTempFolder();
      if (r.Stopped) {
        Message("INFO", "the job was stopped");
      } else if (r.OutputFailed || !finished) {
        Message("ERROR", "the PDF could not be written: " + (r.Error.empty() ? finished.Why() : r.Error));
      } else if (!observer.failed && r.Pages > 0) {
        FILE* f = std::fopen(pdf.c_str(), "rb");
        if (f && CopyStream(f, stdout)) {
          Message("INFO", "Printed " + std::to_string(r.Pages) + (r.Pages == 1 ? " page" : " pages"));
          status = 0;
        } else {
          Message("ERROR", "the PDF could not be sent on");
        }
        if (f) std::fclose(f);
      }
      std::remove(pdf.c_str());
    }
    if (argc != 7) std::remove(drawing.c_str());
  }
  std::error_code ignored;
  std::filesystem::remove_all(work, ignored);
  return status;
}
