// kestrovan-print: the print run without a window, for scripts and servers.
#include <QGuiApplication>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/PaperSize.h"
#include "app/core/Imports.h"
#include "app/core/PrintOptions.h"
#include "app/core/PrintRun.h"
#include "app/core/PrintPreparation.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"
#include "util/CodePage.h"
#include "util/Files.h"
#include "util/Numeric.h"

namespace {

const char kUsage[] =
    "usage: kestrovan-print [options] FILE.jww...\n"
    "Prints drawings, one page per drawing, as the drawing's own print settings say.\n"
    "\n"
    "Output (default: --pdf kestrovan.pdf):\n"
    "  --pdf OUT.pdf          every page of the run into one PDF file\n"
    "  --png DIR              one PNG per page: DIR/page-0001.png, ...\n"
    "  --printer NAME         a CUPS printer queue\n"
    "  --paper A4|A3|A2|A1|A0|B4|B5|WxHmm, --landscape, --portrait, --dpi N\n"
    "                         the PDF/PNG page (A3 landscape, 600 dpi); asked of a printer\n"
    "Placement:\n"
    "  --method drawing|fit|scale   the drawing's print settings (default), fit to page,\n"
    "                         or --scale M with --offset X,Y (mm) and --rotate DEG (clockwise)\n"
    "Pens and colours:\n"
    "  --pens drawing|table, --line-types drawing|table, --line-type-pitch MM\n"
    "  --mono T, --white-to-black T, --sxf-white-to-black T   thresholds 0..255\n"
    "  --follow-drawing       colour or black, display-only layers (grey) and SXF white\n"
    "                         as each drawing's own print settings say; --mono,\n"
    "                         --display-only and --sxf-white-to-black given still win\n"
    "  --aux-lines            print auxiliary lines\n"
    "  --display-only 0..3    display-only layers: 0 not printed, 1 grey, 2 in\n"
    "                         --display-only-color RGB, 3 as usual\n"
    "  --order normal|layer|reverse, --one-document\n"
    "  --per-layer-group      one page per layer group; --common-group N (1..16 = group\n"
    "                         0..F, 17 = the display-only groups) printed on every page\n"
    "Settings:\n"
    "  --settings FILE.dat    options, tables and (when no files are named) the file list\n"
    "                         of a settings file; options given after it override it\n"
    "  --save-settings FILE.dat   save the options and the files named as a settings file\n"
    "  --list                 say which pages would be printed; print nothing\n"
    "  --import-pens FILE, --import-line-types FILE   take the pen or line-type table over\n"
    "                         from a .jww or .jwf file (and print with it)\n"
    "\n"
    "Progress and warnings go to stderr. Exit status: 0 all printed, 1 some file passed\n"
    "over, damaged or not printed whole, nothing printed, or the run stopped; 2 usage\n"
    "error or no output could be written. Ctrl-C stops the run and keeps the pages drawn.\n";

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }
bool StopPoll() { return g_stop != 0; }

class ConsoleObserver : public PrintRunObserver {
 public:
  void FileStarted(size_t index, size_t count, const std::string& path) override {
    std::fprintf(stderr, "kestrovan-print: [%zu/%zu] %s\n", index + 1, count, path.c_str());
  }
  void FilePassedOver(const std::string& path, const std::string& why) override {
    std::fprintf(stderr, "kestrovan-print: warning: passed over %s: %s\n", path.c_str(), why.c_str());
    problems.push_back(path + ": passed over, " + why);
  }
  void FileDamaged(const std::string& path, const std::string& why) override {
    std::fprintf(stderr, "kestrovan-print: warning: %s is damaged (%s); printed what could be read\n",
                 path.c_str(), why.c_str());
    problems.push_back(path + ": damaged, " + why);
  }
  void FileWarning(const std::string& path, const std::string& what) override {
    std::fprintf(stderr, "kestrovan-print: warning: %s: %s\n", path.c_str(), what.c_str());
    problems.push_back(path + ": " + what);
  }
  void ImagesMissing(const std::string& path, const std::vector<std::string>& names) override {
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ", ") + util::Cp932ToUtf8(n);
    FileWarning(path, std::to_string(names.size()) + " image(s) it places could not be found or read: " + list);
  }
  void FileHasNothingToPrint(const std::string& path) override {
    std::fprintf(stderr, "kestrovan-print: %s has nothing to print; no page\n", path.c_str());
  }
  bool StopRequested() override { return g_stop != 0; }
  std::vector<std::string> problems;
};

struct Options {
  PrintSettings settings;
  SettingsFileExtras extras;
  std::string saveSettings;
  bool list = false;
  std::vector<std::string> files;
  std::string pdf, pngDir, printer;
  bool printerGiven = false;
  PaperSize paper{297, 420};
  int orientation = 1;  // 1 landscape, 0 portrait
  int dpi = 600;
  bool pageGiven = false;
  bool rotateGiven = false;
};

[[noreturn]] void Usage(const std::string& message) {
  std::fprintf(stderr, "kestrovan-print: %s\n\n%s", message.c_str(), kUsage);
  std::exit(2);
}

double RealArg(const std::string& flag, const char* value) {
  double v;
  if (!util::ParseReal(value, v)) Usage(flag + " takes a number, not \"" + value + "\"");
  return v;
}

Options Parse(int argc, char** argv) {
  Options o;
  PrintSettings& s = o.settings;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "--version") {
      std::printf("kestrovan-print %s\n", KESTROVAN_VERSION);
      std::exit(0);
    } else if (a == "--pdf") {
      o.pdf = value();
    } else if (a == "--png") {
      o.pngDir = value();
    } else if (a == "--printer") {
      o.printer = value();
      o.printerGiven = true;
    } else if (a == "--paper") {
      const char* v = value();
      if (!ParsePaperSize(v, o.paper)) Usage(std::string("unknown paper size ") + v);
      o.pageGiven = true;
    } else if (a == "--landscape" || a == "--portrait") {
      o.orientation = a == "--landscape";
      o.pageGiven = true;
    } else if (a == "--dpi") {
      const double d = RealArg(a, value());
      if (d < 72 || d > 2400 || d != static_cast<int>(d)) Usage("--dpi takes a whole number 72..2400");
      o.dpi = static_cast<int>(d);
      o.pageGiven = true;
    } else if (const PrintOption* option = a.compare(0, 2, "--") == 0 ? FindPrintOption(a.substr(2)) : nullptr) {
      const std::string v = option->TakesValue ? value() : "";
      std::string error;
      if (!option->Apply(s, a, v, error)) Usage(error);
      if (a == "--rotate") o.rotateGiven = true;
    } else if (a == "--settings") {
      const std::string file = value();
      const SettingsReadResult r = ReadSettingsFile(file, SettingsForm::User, s, o.extras);
      if (r == SettingsReadResult::NoFile) Usage("there is no settings file " + file);
      if (r == SettingsReadResult::NotSettings) Usage(file + " is not a Kestrovan settings file");
      if (r == SettingsReadResult::Damaged)
        std::fprintf(stderr, "kestrovan-print: warning: %s is damaged; using what could be read\n", file.c_str());
      ClampSettings(s);
    } else if (a == "--import-pens" || a == "--import-line-types") {
      const std::string file = value();
      const bool pens = a == "--import-pens";
      std::string ext = file.size() >= 4 ? file.substr(file.size() - 4) : "";
      for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      TgraAttribute& attr = UnitGraAtt::GraAttribute();
      const UnitGraAtt::FixedResolution dpi600(600);
      ImportResult r;
      if (ext == ".jww")
        r = pens ? ImportPensFromJww(file, s, attr, &dpi600) : ImportLineTypesFromJww(file, s, attr);
      else if (ext == ".jwf")
        r = pens ? ImportPensFromJwf(file, s) : ImportLineTypesFromJwf(file, s, attr);
      if (!r.Done) {
        if (!util::IsRegularFile(file)) Usage(a + ": there is no file " + file);
        Usage(a + ": " + file + " holds no " + (pens ? "pen" : "line-type") +
              " settings (it takes a complete .jww drawing or a .jwf settings file)");
      }
      // Taking a table over means printing with it.
      (pens ? s.PenSource : s.LineTypeSource) = TableSource::UserTable;
    } else if (a == "--save-settings") {
      o.saveSettings = value();
    } else if (a == "--list") {
      o.list = true;
    } else if (a.size() > 1 && a[0] == '-') {
      Usage("unknown option " + a);
    } else {
      o.files.push_back(a);
    }
  }
  const int outputs = !o.pdf.empty() + !o.pngDir.empty() + o.printerGiven;
  if (outputs > 1) Usage("choose one of --pdf, --png and --printer");
  ClampSettings(s);
  if (o.files.empty())
    for (const std::string& f : o.extras.Files) o.files.push_back(util::Cp932ToUtf8(f));
  if (o.files.empty() && o.saveSettings.empty()) Usage("no drawing files given");
  // The drawing's own print settings carry their own turn.
  if (o.rotateGiven && s.PrintMethod == PrintMethod::DrawingSettings)
    std::fprintf(stderr,
                 "kestrovan-print: warning: --rotate is not used with --method drawing (each drawing's own "
                 "print settings give its turn); use --method fit or --method scale to turn the print\n");
  if (outputs == 0) o.pdf = "kestrovan.pdf";
  return o;
}

}  // namespace

// Prints nothing; tells which pages the run would make.
class ListingDevice : public PrintDevice {
 public:
  explicit ListingDevice(const PageSetup& s)
      : dpi_(s.Dpi),
        w_(static_cast<int>(std::lround(s.PaperWidthMm * s.Dpi / 25.4))),
        h_(static_cast<int>(std::lround(s.PaperHeightMm * s.Dpi / 25.4))) {}
  std::string PrinterName() const override { return "list"; }
  int PrinterDpiX() const override { return dpi_; }
  int PrinterDpiY() const override { return dpi_; }
  int PaperWidthPx() const override { return w_; }
  int PaperHeightPx() const override { return h_; }
  int PageWidthPx() const override { return w_; }
  int PageHeightPx() const override { return h_; }
  bool BeginPrintDocument(const std::string& title) override {
    title_ = util::Cp932ToUtf8(PrintJobTitle(title));
    Page();
    return true;
  }
  bool NewPrintPage() override {
    Page();
    return true;
  }
  bool EndPrintDocument() override { return true; }
  Canvas& PageCanvas() override { return canvas_; }
  int PagesPrinted() const override { return pages_; }

 private:
  void Page() { std::printf("page %d: %s\n", ++pages_, title_.c_str()); }
  class Null : public Canvas {
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void Polyline(const DevicePoint*, size_t) override {}
    void Polygon(const DevicePoint*, size_t) override {}
    void TextOut(int32_t, int32_t, const std::string&) override {}
    bool ImageSize(const std::string&, int32_t&, int32_t&) override { return false; }
    void DrawImage(const ImagePlacement&) override {}
  } canvas_;
  int dpi_, w_, h_;
  int pages_ = 0;
  std::string title_;
};

int main(int argc, char** argv) {
  Options o = Parse(argc, argv);
  if (!o.saveSettings.empty()) {
    SettingsFileExtras extras = o.extras;
    extras.Files.clear();
    for (const std::string& f : o.files) extras.Files.push_back(util::Utf8ToCp932(f));
    if (!WriteSettingsFile(o.saveSettings, SettingsForm::User, o.settings, extras)) {
      std::fprintf(stderr, "kestrovan-print: cannot save the settings to %s\n", o.saveSettings.c_str());
      return 2;
    }
    std::fprintf(stderr, "kestrovan-print: settings saved to %s\n", o.saveSettings.c_str());
    if (o.files.empty()) return 0;
  }
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  // Every way a terminal or a script ends a run stops it the same way, so
  // the unpacked images are removed and the pages drawn are kept.
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(sig, &sa, nullptr);
  // A reader of stderr that goes away (`… 2>&1 | head`) is no reason to stop.
  std::signal(SIGPIPE, SIG_IGN);
  const UnitGval::AbortCheckScope stopOnSignal(StopPoll);

  const PageSetup setup = OrientedPage(o.paper, o.orientation, o.dpi);

  std::unique_ptr<PrintDevice> device;
  std::string where;
  if (o.list) {
    device = std::make_unique<ListingDevice>(setup);
    where = "the list";
  } else if (o.printerGiven) {
    std::string error;
    device = platform::MakeCupsPrintService(o.printer, o.pageGiven ? &setup : nullptr, error);
    if (!device) {
      std::fprintf(stderr, "kestrovan-print: %s\n", error.c_str());
      return 2;
    }
    where = "printer " + o.printer;
  } else if (!o.pngDir.empty()) {
    device = platform::MakePngPrintService(o.pngDir, setup);
    where = o.pngDir;
  } else {
    device = platform::MakePdfPrintService(o.pdf, setup);
    where = o.pdf;
  }

  TJwwData drawing;
  ConsoleObserver observer;
  PrintRun run(drawing, *device, o.settings, observer);
  const PrintRunResult r = run.Run(o.files);
  const bool finished = device->Finish();
  jwwtype::RemoveTempFolder();

  if (r.OutputFailed || !finished) {
    std::fprintf(stderr, "kestrovan-print: no output could be written: %s\n",
                 (r.Error.empty() ? device->LastError() : r.Error).c_str());
    return 2;
  }
  std::fprintf(stderr, "kestrovan-print: %d page%s from %d of %zu file%s to %s%s\n", r.Pages,
               r.Pages == 1 ? "" : "s", r.FilesPrinted, o.files.size(), o.files.size() == 1 ? "" : "s",
               r.Pages > 0 ? where.c_str() : "(nothing written)", r.Stopped ? "; stopped early" : "");
  for (const std::string& p : observer.problems) std::fprintf(stderr, "  %s\n", p.c_str());
  if (r.FilesWithNothingToPrint > 0)
    std::fprintf(stderr, "  %d file%s had nothing to print\n", r.FilesWithNothingToPrint,
                 r.FilesWithNothingToPrint == 1 ? "" : "s");
  if (r.Pages == 0 && !o.list) {
    std::fprintf(stderr, "kestrovan-print: nothing was printed, so %s was not written%s\n", where.c_str(),
                 o.pngDir.empty() && !o.printerGiven ? " (an earlier file there is not this run's)" : "");
    return 1;
  }
  if (r.Stopped) return 1;
  return (r.FilesPassedOver > 0 || r.FilesDamaged > 0 || r.FilesIncomplete > 0) ? 1 : 0;
}
