// kestrovan-print: the print run without a window, for scripts and servers.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <functional>
#include <new>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/PaperSize.h"
#include "app/core/Imports.h"
#include "app/core/OutputPaths.h"
#include "app/core/PrintOptions.h"
#include "app/core/PrintRun.h"
#include "app/core/PrintPreparation.h"
#include "app/core/ReportFile.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"
#include "platform/StopSignals.h"
#include "render/UnitGval.h"
#include "util/CodePage.h"
#include "util/Files.h"
#include "util/Numeric.h"
#include "util/Strings.h"

namespace {

const char kUsageStart[] =
    "usage: kestrovan-print [options] FILE.jww...\n"
    "Prints drawings, one page per drawing, as the drawing's own print settings say.\n"
    "\n"
    "Output (default: --pdf kestrovan.pdf):\n"
    "  --pdf OUT.pdf          every page of the run into one PDF file\n"
    "  --png DIR              one PNG per page: DIR/page-0001.png, ...\n"
    "  --printer NAME         a CUPS printer queue\n"
    "  --paper A4|A3|A2|A1|A0|B4|B5|WxHmm, --landscape, --portrait, --dpi N\n"
    "                         the PDF/PNG page (A3 landscape, 600 dpi); asked of a printer\n"
    "  --paper drawing        each PDF/PNG page on the drawing's own sheet (A0..A4 ...),\n"
    "                         upright when the drawing prints turned a quarter\n"
    "  --fit-paper A3         each drawing reduced (or enlarged) by the ratio of its sheet\n"
    "                         to that paper, as offices copy drawings (A1 on A3: 50 %)\n"
    ;
// The print options come from their table (--paper and --fit-paper, which
// take more here, are described above); the rest of the usage follows them.
const char kUsageEnd[] =
    "Settings:\n"
    "  --settings FILE.dat    options, tables and (when no files are named) the file list\n"
    "                         of a settings file; options given after it override it\n"
    "  --save-settings FILE.dat   save the options and the files named as a settings file\n"
    "  --list                 say which pages would be printed, each with its full name,\n"
    "                         paper and warnings; print nothing\n"
    "  --report FILE.json     per file: status, pages with their paper, and warnings\n"
    "  --resume REPORT.json   print only the files that report's run did not print\n"
    "  --import-pens FILE, --import-line-types FILE   take the pen or line-type table over\n"
    "                         from a .jww or .jwf file (and print with it)\n"
    "  --image-folder DIR     read images placed in drawings only from inside DIR (and\n"
    "                         those carried in the drawings); may be given again\n"
    "\n"
    "Progress and warnings go to stderr, each warning naming its page: content off the\n"
    "paper, a blank page, a page only in white, images not found, fonts replaced, and\n"
    "the hidden and display-only layers left out (a note). Exit status: 0 all printed\n"
    "(content off the paper chosen is a warning only), 1 some file passed over, damaged\n"
    "or not printed whole, nothing printed, or the run stopped; 2 usage error or no\n"
    "output could be written. Ctrl-C stops the run and keeps the pages drawn.\n";

std::string UsageText() {
  return std::string(kUsageStart) +
         "Placement, pens, colours and pages (also the CUPS filter's job options, as\n"
         "kestrovan-NAME=VALUE):\n" +
         PrintOptionsUsage("--", {"paper", "fit-paper"}) + kUsageEnd;
}


class ConsoleObserver : public PrintRunObserver {
 public:
  explicit ConsoleObserver(bool listing) : listing_(listing) {}
  void FileStarted(size_t index, size_t count, const std::string& path) override {
    std::fprintf(stderr, "kestrovan-print: [%zu/%zu] %s\n", index + 1, count, path.c_str());
  }
  void FileProblemFound(const FileRecord& file, const FileProblem& problem) override {
    const char* path = file.Path.c_str();
    const std::string what = DescribeFileProblem(problem);
    switch (WeightOf(problem.What)) {
      case ProblemWeight::PassesOver:
        std::fprintf(stderr, "kestrovan-print: warning: passed over %s: %s\n", path, what.c_str());
        problems.push_back(file.Path + ": passed over, " + what);
        break;
      case ProblemWeight::Damages:
        std::fprintf(stderr, "kestrovan-print: warning: %s is damaged (%s); printed what could be read\n", path,
                     what.c_str());
        problems.push_back(file.Path + ": damaged, " + what);
        break;
      case ProblemWeight::CutsShort:
        // Each page already named the images it could not place; the summary names them once more.
        if (problem.What != FileProblem::Kind::ImagesMissing)
          std::fprintf(stderr, "kestrovan-print: warning: %s: %s\n", path, what.c_str());
        problems.push_back(file.Path + ": " + what);
        break;
    }
  }
  void FileFinished(const FileRecord& file) override {
    if ((file.Status == FileStatus::Blank || file.Status == FileStatus::Damaged) && file.Pages.empty())
      std::fprintf(stderr, "kestrovan-print: %s has nothing to print; no page\n", file.Path.c_str());
  }
  void RecordsChanged(const std::vector<FileRecord>& asWritten) override {
    if (recordsChanged) recordsChanged(asWritten);
  }
  void PageFinished(const std::string& path, const PageReport& page) override {
    if (listing_) {
      std::printf("page %d: %s\n  file: %s\n  paper: %s\n", page.Number, util::Cp932ToUtf8(page.Title).c_str(),
                  path.c_str(), DescribePaper(page.PaperWidthMm, page.PaperHeightMm).c_str());
      for (const PageWarning& w : page.Warnings)
        std::printf("  %s: %s\n", LosesContent(w) ? "warning" : "note", DescribeWarning(w).c_str());
      return;
    }
    for (const PageWarning& w : page.Warnings)
      std::fprintf(stderr, "kestrovan-print: %s: %s, page %d: %s\n", LosesContent(w) ? "warning" : "note",
                   path.c_str(), page.Number, DescribeWarning(w).c_str());
  }
  bool StopRequested() override { return platform::StopSignalled(); }
  std::vector<std::string> problems;
  // Told the run's records as they stand on the output, as they change.
  std::function<void(const std::vector<FileRecord>&)> recordsChanged;

 private:
  bool listing_;
};

struct Options {
  PrintSettings settings;
  SettingsFileExtras extras;
  std::string saveSettings;
  bool list = false;
  std::string report, resume;
  std::vector<std::string> files;
  std::vector<std::string> imageFolders;
  std::string pdf, pngDir, printer;
  bool printerGiven = false;
  PaperSize paper{297, 420};
  int orientation = 1;  // 1 landscape, 0 portrait
  int dpi = 600;
  bool pageGiven = false;
  bool rotateGiven = false;
  bool answered = false;  // --help, --version, or nothing to resume: nothing to print
  std::vector<std::string> settingsFiles, importFiles;  // read, never written over
};

// Set when an output would overwrite an input or another output.
bool g_outputsRefused = false;

// A command line that cannot be run: main says why, with the usage, and exits 2.
util::Status Usage(const std::string& message) { return util::Status::Failure(message); }

// The files a reported run did not print, in the report's order.
util::Result<std::vector<std::string>> ResumeFiles(const std::string& path) {
  // Read as settings files are: a regular file of bounded size, so a FIFO
  // or a device named by mistake is refused rather than waited on.
  const util::Result<std::string> text = util::ReadSmallFile(path);
  if (!text) return Usage("cannot read the report: " + text.Why());
  const util::Result<RunReport> report = ReadRunReport(text.Value());
  if (!report) return Usage(path + " is not a kestrovan-print report (" + report.Why() + ")");
  // A run refused before it began knows nothing of its files.
  if (!report->Run.Error.empty() && report->Files.empty())
    return Usage("the run of " + path + " never began (" + report->Run.Error +
                 "); nothing of it can be resumed: run it again");
  // A --list run printed none of its files, whatever their status says.
  std::vector<std::string> out;
  for (const FileRecord& f : report->Files)
    if (!f.Path.empty() && (report->Run.Listing || PrintAgain(f.Status))) out.push_back(f.Path);
  return out;
}

util::Result<Options> Parse(int argc, char** argv) {
  Options o;
  PrintSettings& s = o.settings;
  static const char* const kTakesValue[] = {"--pdf", "--png", "--printer", "--paper", "--fit-paper", "--report",
                                            "--resume", "--dpi", "--settings", "--import-pens",
                                            "--import-line-types", "--save-settings", "--image-folder"};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const PrintOption* option = a.compare(0, 2, "--") == 0 ? FindPrintOption(a.substr(2)) : nullptr;
    bool takesValue = option && option->TakesValue;
    for (const char* flag : kTakesValue) takesValue = takesValue || a == flag;
    if (takesValue && i + 1 >= argc) return Usage(a + " needs a value");
    auto value = [&]() -> const char* { return argv[++i]; };
    if (a == "--help" || a == "-h") {
      std::fputs(UsageText().c_str(), stdout);
      o.answered = true;
      return o;
    } else if (a == "--version") {
      std::printf("kestrovan-print %s\n", KESTROVAN_VERSION);
      o.answered = true;
      return o;
    } else if (a == "--pdf") {
      o.pdf = value();
      if (o.pdf.empty()) return Usage("--pdf needs a file name");
    } else if (a == "--png") {
      o.pngDir = value();
      if (o.pngDir.empty()) return Usage("--png needs a folder");
    } else if (a == "--printer") {
      o.printer = value();
      o.printerGiven = true;
    } else if (a == "--paper" && std::strcmp(argv[i + 1], "drawing") != 0) {
      // A paper by name or size; "--paper drawing" is the option table's.
      const std::string v = value();
      if (!ParsePaperSize(v, o.paper)) return Usage("unknown paper size " + v);
      o.pageGiven = true;
    } else if (a == "--report") {
      o.report = value();
    } else if (a == "--resume") {
      o.resume = value();
    } else if (a == "--landscape" || a == "--portrait") {
      o.orientation = a == "--landscape";
      o.pageGiven = true;
    } else if (a == "--dpi") {
      const std::string v = value();
      double d = 0;
      if (!util::ParseReal(v, d) || d < 72 || d > 2400 || d != static_cast<int>(d))
        return Usage("--dpi takes a whole number 72..2400, not \"" + v + "\"");
      o.dpi = static_cast<int>(d);
      o.pageGiven = true;
    } else if (option) {
      const std::string v = option->TakesValue ? value() : "";
      if (util::Status applied = option->Apply(s, a, v); !applied) return applied;
      if (a == "--rotate") o.rotateGiven = true;
      if (a == "--fit-paper") {
        o.paper = {s.FitPaperWidthMm, s.FitPaperHeightMm};
        o.pageGiven = true;
      }
    } else if (a == "--settings") {
      const std::string file = value();
      o.settingsFiles.push_back(file);
      // A settings file holds no paper: the paper options given before it stay.
      const PaperMode paper = s.Paper;
      const double fitWidth = s.FitPaperWidthMm, fitHeight = s.FitPaperHeightMm;
      const SettingsReadResult r = ReadSettingsFile(file, SettingsForm::User, s, o.extras);
      s.Paper = paper;
      s.FitPaperWidthMm = fitWidth;
      s.FitPaperHeightMm = fitHeight;
      if (r == SettingsReadResult::NoFile) return Usage("there is no settings file " + file);
      if (r == SettingsReadResult::NotSettings) return Usage(file + " is not a Kestrovan settings file");
      if (r == SettingsReadResult::Damaged)
        std::fprintf(stderr, "kestrovan-print: warning: %s is damaged; using what could be read\n", file.c_str());
      ClampSettings(s);
    } else if (a == "--import-pens" || a == "--import-line-types") {
      const std::string file = value();
      o.importFiles.push_back(file);
      const bool pens = a == "--import-pens";
      TgraAttribute& attr = UnitGraAtt::GraAttribute();
      const UnitGraAtt::FixedResolution dpi600(600);
      const ImportResult r = pens ? ImportPensFrom(file, s, attr, &dpi600) : ImportLineTypesFrom(file, s, attr);
      if (!r) return Usage(a + ": " + r.Why());
      // Taking a table over means printing with it.
      (pens ? s.PenSource : s.LineTypeSource) = TableSource::UserTable;
    } else if (a == "--save-settings") {
      o.saveSettings = value();
    } else if (a == "--list") {
      o.list = true;
    } else if (a == "--image-folder") {
      const std::string dir = value();
      std::error_code ec;
      if (!std::filesystem::is_directory(dir, ec)) return Usage("--image-folder: there is no folder " + dir);
      o.imageFolders.push_back(dir);
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else {
      o.files.push_back(a);
    }
  }
  const int outputs = !o.pdf.empty() + !o.pngDir.empty() + o.printerGiven;
  if (outputs > 1) return Usage("choose one of --pdf, --png and --printer");
  ClampSettings(s);
  if (!o.resume.empty()) {
    if (!o.files.empty()) return Usage("--resume takes its files from the report; name no files with it");
    const util::Result<std::vector<std::string>> left = ResumeFiles(o.resume);
    if (!left) return left.GetStatus();
    o.files = left.Value();
    if (o.files.empty()) {
      std::fprintf(stderr, "kestrovan-print: every file of the run in %s printed; nothing to resume\n",
                   o.resume.c_str());
      o.answered = true;
      return o;
    }
  }
  if (o.files.empty())
    for (const std::string& f : o.extras.Files) o.files.push_back(util::Cp932ToUtf8(f));
  if (o.files.empty() && o.saveSettings.empty()) return Usage("no drawing files given");
  // The drawing's own print settings carry their own turn.
  if (o.rotateGiven && s.PrintMethod == PrintMethod::DrawingSettings)
    std::fprintf(stderr,
                 "kestrovan-print: warning: --rotate is not used with --method drawing (each drawing's own "
                 "print settings give its turn); use --method fit or --method scale to turn the print\n");
  if (o.settings.Paper == PaperMode::Drawing && o.printerGiven)
    std::fprintf(stderr,
                 "kestrovan-print: warning: --paper drawing applies to PDF and PNG output; the printer prints "
                 "every page on its own paper (--fit-paper reduces each drawing onto it)\n");
  if (outputs == 0 && !o.list) o.pdf = "kestrovan.pdf";
  // Nothing is written over a drawing, an input of the run or another output.
  std::vector<NamedPath> inputs;
  for (const std::string& f : o.files) inputs.push_back({"drawing", f, ""});
  for (const std::string& f : o.settingsFiles) inputs.push_back({"--settings", f, ""});
  for (const std::string& f : o.importFiles) inputs.push_back({"import", f, ""});
  if (!o.resume.empty()) inputs.push_back({"--resume", o.resume, ""});
  std::vector<NamedPath> written;
  if (!o.list && !o.pdf.empty()) written.push_back({"--pdf", o.pdf, ""});
  if (!o.report.empty()) written.push_back({"--report", o.report, o.resume});
  if (!o.saveSettings.empty())
    written.push_back({"--save-settings", o.saveSettings, o.settingsFiles.empty() ? "" : o.settingsFiles.back()});
  if (!o.list && !o.pngDir.empty()) written.push_back({"--png", o.pngDir, ""});
  const util::Status distinct = CheckOutputs(written, inputs);
  if (!distinct) {
    g_outputsRefused = true;  // nothing at all is written, not even the report
    return distinct;
  }
  return o;
}

}  // namespace

// A run that ends before its first file still leaves its report, every file
// not reached, so an earlier run's report at that path cannot stand in for it.
// Pages of an earlier run left in a PNG folder past this run's last page
// are not this run's: said, never removed (they may be all that is left of it).
void NoteEarlierPages(const std::string& dir, int pages) {
  const QStringList names = QDir(QString::fromStdString(dir)).entryList({"page-*.png"}, QDir::Files, QDir::Name);
  QStringList earlier;
  for (const QString& name : names) {
    bool number = false;
    const int n = name.mid(5, name.size() - 9).toInt(&number);
    if (number && n > pages) earlier << name;
  }
  if (earlier.isEmpty()) return;
  std::fprintf(stderr, "kestrovan-print: note: %s also holds %lld page%s of an earlier run (%s%s), not this run's\n",
               dir.c_str(), static_cast<long long>(earlier.size()), earlier.size() == 1 ? "" : "s",
               earlier.first().toStdString().c_str(), earlier.size() > 1 ? " ..." : "");
}

std::vector<FileRecord> NotReached(const std::vector<std::string>& paths) {
  std::vector<FileRecord> files(paths.size());
  for (size_t i = 0; i < files.size(); ++i) files[i].Path = paths[i];
  return files;
}

void ReportNoneReached(const Options& o) {
  if (o.report.empty()) return;
  const std::vector<FileRecord> files = NotReached(o.files);
  RunSummaryFields fields;
  fields.Listing = o.list;
  fields.ExitStatus = 2;
  const util::Status written = WriteRunReport(o.report, files, fields);
  if (!written) std::fprintf(stderr, "kestrovan-print: the report was not written: %s\n", written.Why().c_str());
}

// A command line refused: its --report, when it names no other word of the
// line and no drawing, says so, so an earlier run's report cannot be resumed
// as if it were this run's.
void ReportRefused(int argc, char** argv, const std::string& why) {
  std::string report, resume;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--report") == 0) report = argv[i + 1];
    if (std::strcmp(argv[i], "--resume") == 0) resume = argv[i + 1];
  }
  if (report.empty()) return;
  std::vector<NamedPath> words;
  bool skipped = false;
  for (int i = 1; i < argc; ++i) {
    if (!skipped && report == argv[i] && i > 1 && std::strcmp(argv[i - 1], "--report") == 0) {
      skipped = true;  // the report's own name, once
      continue;
    }
    if (argv[i][0] != '-') words.push_back({"word", argv[i], ""});
  }
  if (!CheckOutputs({{"--report", report, resume}}, words)) return;
  RunSummaryFields fields;
  fields.ExitStatus = 2;
  fields.Error = why;
  (void)WriteRunReport(report, {}, fields);
}

// The report kept current while the run goes: written when the run starts
// (every file not reached), then each time the run's records change (a file
// begun, a page ended, a file done), each time whole through a temporary
// file, so a run killed at any moment leaves a report that resumes it: the
// file in hand reads "stopped", and pages not yet on the output (one PDF,
// one document) read "not written" until the output is complete.
util::Status WriteLiveReport(const Options& o, LiveReport& report, const std::vector<FileRecord>& asWritten) {
  if (o.report.empty()) return util::Status();
  RunSummaryFields fields;
  fields.Listing = o.list;
  fields.Finished = false;
  fields.ExitStatus = -1;
  return report.Write(asWritten, fields);
}

int main(int argc, char** argv) {
  // Before anything is made (the temporary folder, Qt): a stop from now on
  // ends the run as a stop, its folder removed, whenever it comes.
  platform::CatchStopSignals();
  util::Result<Options> parsed = Parse(argc, argv);
  if (!parsed) {
    std::fprintf(stderr, "kestrovan-print: %s\n\n%s", parsed.Why().c_str(), UsageText().c_str());
    if (!g_outputsRefused) ReportRefused(argc, argv, parsed.Why());
    return 2;
  }
  Options& o = parsed.Value();
  if (o.answered) return 0;
  // The report first: every file not reached, so a run killed from here on
  // leaves a report that resumes it, and a report that cannot be written is
  // known before anything is printed.
  {
    LiveReport first(o.report);
    const util::Status written = WriteLiveReport(o, first, NotReached(o.files));
    if (!written) {
      std::fprintf(stderr, "kestrovan-print: cannot write the report: %s\n", written.Why().c_str());
      return 2;
    }
  }
  if (!o.saveSettings.empty()) {
    SettingsFileExtras extras = o.extras;
    extras.Files.clear();
    for (const std::string& f : o.files) extras.Files.push_back(util::Utf8ToCp932(f));
    const util::Status saved = WriteSettingsFile(o.saveSettings, SettingsForm::User, o.settings, extras);
    if (!saved) {
      std::fprintf(stderr, "kestrovan-print: cannot save the settings: %s\n", saved.Why().c_str());
      ReportNoneReached(o);
      return 2;
    }
    std::fprintf(stderr, "kestrovan-print: settings saved to %s\n", o.saveSettings.c_str());
    if (o.files.empty()) return 0;
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Without a runtime folder of the session, Qt would make one in the
  // temporary folder and leave it there: it gets one inside ours instead.
  // Making our temporary folder also clears those of runs that were killed.
  // (No temporary folder: Qt chooses its own, and the run says why it cannot print.)
  if (const util::Result<std::string> temp = jwwtype::TempFolder()) {
    const std::string runtime = temp.Value() + "runtime";
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && (::mkdir(runtime.c_str(), 0700) == 0 || errno == EEXIST))
      qputenv("XDG_RUNTIME_DIR", runtime.c_str());
  }
  QGuiApplication app(argc, argv);
  const UnitGval::AbortCheckScope stopOnSignal(platform::StopSignalled);

  const PageSetup setup = OrientedPage(o.paper, o.orientation, o.dpi);
  // Images carried inside the drawings are unpacked into the temporary
  // folder, so it is one of the folders images may come from.
  if (!o.imageFolders.empty()) {
    UnitGval::ImageFolders = o.imageFolders;
    // (Without one the run itself says so and prints nothing.)
    if (const util::Result<std::string> temp = jwwtype::TempFolder()) UnitGval::ImageFolders.push_back(temp.Value());
  }

  std::unique_ptr<PrintDevice> device;
  std::string where;
  if (o.list) {
    device = platform::MakeListingPrintService(setup);
    where = "the list";
  } else if (o.printerGiven) {
    auto printer = platform::MakeCupsPrintService(o.printer, o.pageGiven ? &setup : nullptr);
    if (!printer) {
      std::fprintf(stderr, "kestrovan-print: %s\n", printer.Why().c_str());
      ReportNoneReached(o);
      return 2;
    }
    device = std::move(printer.Value());
    where = "printer " + o.printer;
  } else if (!o.pngDir.empty()) {
    device = platform::MakePngPrintService(o.pngDir, setup);
    where = o.pngDir;
  } else {
    device = platform::MakePdfPrintService(o.pdf, setup);
    where = o.pdf;
  }

  TJwwData drawing;
  ConsoleObserver observer(o.list);
  LiveReport live(o.report);
  observer.recordsChanged = [&o, &live](const std::vector<FileRecord>& asWritten) {
    (void)WriteLiveReport(o, live, asWritten);
  };
  PrintRun run(drawing, *device, o.settings, observer);
  run.SetPaperMode(o.settings.Paper);
  const PrintRunResult r = run.Run(o.files);
  jwwtype::RemoveTempFolder();

  const RunCounts counts = r.Counts();
  const int status = r.OutputFailed ? 2
                     : (counts.Pages == 0 && !o.list) || r.Stopped ? 1
                     : (counts.FilesPassedOver > 0 || counts.FilesDamaged > 0 || counts.FilesCutShort > 0) ? 1
                                                                                                           : 0;
  // The report, whatever the outcome.
  bool reportFailed = false;
  if (!o.report.empty()) {
    RunSummaryFields fields;
    fields.Output = o.list ? "" : where;
    fields.Listing = o.list;
    fields.Stopped = r.Stopped;
    fields.ExitStatus = status;
    fields.Finished = true;
    fields.Failure = r.Failure;
    fields.FailureWhy = r.Error;
    const util::Status written = WriteRunReport(o.report, r.Files, fields);
    if (!written) {
      std::fprintf(stderr, "kestrovan-print: the report was not written: %s\n", written.Why().c_str());
      reportFailed = true;
    }
  }

  if (r.OutputFailed) {
    std::fprintf(stderr, "kestrovan-print: no output could be written: %s\n", r.Error.c_str());
    return 2;
  }
  std::fprintf(stderr, "kestrovan-print: %d page%s from %d of %zu file%s to %s%s\n", counts.Pages,
               counts.Pages == 1 ? "" : "s", counts.FilesPrinted, o.files.size(), o.files.size() == 1 ? "" : "s",
               counts.Pages > 0 ? where.c_str() : "(nothing written)", r.Stopped ? "; stopped early" : "");
  for (const std::string& p : observer.problems) std::fprintf(stderr, "  %s\n", p.c_str());
  if (counts.PagesLosingContent > 0)
    std::fprintf(stderr, "  %d page%s lost content (see the warnings above)\n", counts.PagesLosingContent,
                 counts.PagesLosingContent == 1 ? "" : "s");
  if (counts.FilesBlank > 0)
    std::fprintf(stderr, "  %d file%s had nothing to print\n", counts.FilesBlank, counts.FilesBlank == 1 ? "" : "s");
  if (!o.pngDir.empty() && !o.list) NoteEarlierPages(o.pngDir, counts.Pages);
  if (counts.Pages == 0 && !o.list)
    std::fprintf(stderr, "kestrovan-print: nothing was printed, so %s was not written%s\n", where.c_str(),
                 o.pngDir.empty() && !o.printerGiven ? " (an earlier file there is not this run's)" : "");
  // A report asked for and not written is an output that could not be written.
  return reportFailed ? 2 : status;
}
