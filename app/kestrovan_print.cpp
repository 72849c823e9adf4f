// kestrovan-print: the print run without a window, for scripts and servers.
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/core/PaperSize.h"
#include "app/core/PrintRun.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"
#include "util/CodePage.h"
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
    "  --aux-lines            print auxiliary lines\n"
    "  --display-only 0..3    display-only layers: 0 not printed, 1 grey, 2 in\n"
    "                         --display-only-color RGB, 3 as usual\n"
    "  --order normal|layer|reverse, --one-document\n"
    "\n"
    "Progress and warnings go to stderr. Exit status: 0 all printed, 1 some file passed\n"
    "over or damaged, 2 usage error or no output could be written. Ctrl-C stops the run\n"
    "and keeps the pages already drawn.\n";

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
  void FileHasNothingToPrint(const std::string& path) override {
    std::fprintf(stderr, "kestrovan-print: %s has nothing to print; no page\n", path.c_str());
  }
  bool StopRequested() override { return g_stop != 0; }
  std::vector<std::string> problems;
};

struct Options {
  PrintSettings settings;
  std::vector<std::string> files;
  std::string pdf, pngDir, printer;
  bool printerGiven = false;
  PaperSize paper{297, 420};
  int orientation = 1;  // 1 landscape, 0 portrait
  int dpi = 600;
  bool pageGiven = false;
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

int ThresholdArg(const std::string& flag, const char* value) {
  const double v = RealArg(flag, value);
  if (v < 0 || v > 255 || v != static_cast<int>(v)) Usage(flag + " takes a whole number 0..255");
  return static_cast<int>(v);
}

int Choice(const std::string& flag, const char* value, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (std::strcmp(value, n) == 0) return i;
    ++i;
  }
  std::string all;
  for (const char* n : names) all += std::string(all.empty() ? "" : "|") + n;
  Usage(flag + " takes " + all);
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
    } else if (a == "--method") {
      s.PrintMethod = Choice(a, value(), {"drawing", "fit", "scale"});
    } else if (a == "--scale") {
      s.PrintScale = RealArg(a, value());
      if (!(s.PrintScale >= 1e-6)) s.PrintScale = 1e-6;
      s.PrintMethod = 2;
    } else if (a == "--offset") {
      const std::string v = value();
      const size_t comma = v.find(',');
      if (comma == std::string::npos) Usage("--offset takes X,Y in mm");
      s.OffsetX = RealArg(a, v.substr(0, comma).c_str());
      s.OffsetY = RealArg(a, v.substr(comma + 1).c_str());
    } else if (a == "--rotate") {
      s.RotationAngle = RealArg(a, value());
    } else if (a == "--pens") {
      s.PenSource = Choice(a, value(), {"drawing", "table"});
    } else if (a == "--line-types") {
      s.LineTypeSource = Choice(a, value(), {"drawing", "table"});
    } else if (a == "--line-type-pitch") {
      s.LineTypePitch = std::min(500.0, std::max(0.0001, RealArg(a, value())));
    } else if (a == "--mono") {
      s.Monochrome = 1;
      s.MonoThreshold = ThresholdArg(a, value());
    } else if (a == "--white-to-black") {
      s.WhiteToBlackNormal = 1;
      s.NormalWhiteThreshold = ThresholdArg(a, value());
    } else if (a == "--sxf-white-to-black") {
      s.WhiteToBlackSxf = 1;
      s.SxfWhiteThreshold = ThresholdArg(a, value());
    } else if (a == "--aux-lines") {
      s.PrintAuxLines = 1;
    } else if (a == "--display-only") {
      s.DisplayOnlyMode = Choice(a, value(), {"0", "1", "2", "3"});
    } else if (a == "--display-only-color") {
      const double c = RealArg(a, value());
      if (c < 0 || c > 0xFFFFFF || c != static_cast<double>(static_cast<long>(c)))
        Usage("--display-only-color takes an RGB number 0..16777215 (red in the low byte)");
      s.DisplayOnlyColor = static_cast<TColor>(c);
    } else if (a == "--order") {
      s.PrintOrder = Choice(a, value(), {"normal", "layer", "reverse"});
    } else if (a == "--one-document") {
      s.OneDocument = 1;
    } else if (a.size() > 1 && a[0] == '-') {
      Usage("unknown option " + a);
    } else {
      o.files.push_back(a);
    }
  }
  const int outputs = !o.pdf.empty() + !o.pngDir.empty() + o.printerGiven;
  if (outputs > 1) Usage("choose one of --pdf, --png and --printer");
  if (o.files.empty()) Usage("no drawing files given");
  if (outputs == 0) o.pdf = "kestrovan.pdf";
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = Parse(argc, argv);
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  UnitGval::SetAbortPoll(StopPoll);

  PageSetup setup;
  const double shortSide = std::min(o.paper.WidthMm, o.paper.HeightMm);
  const double longSide = std::max(o.paper.WidthMm, o.paper.HeightMm);
  setup.PaperWidthMm = o.orientation ? longSide : shortSide;
  setup.PaperHeightMm = o.orientation ? shortSide : longSide;
  setup.Dpi = o.dpi;

  std::unique_ptr<PrintDevice> device;
  std::string where;
  if (o.printerGiven) {
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
  if (r.Stopped) return 1;
  return (r.FilesPassedOver > 0 || r.FilesDamaged > 0) ? 1 : 0;
}
