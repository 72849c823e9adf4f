// kestrovan-print end to end: real drawings into a real PDF.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "PdfContents.h"
#include "TestSupport.h"
#include "app/core/PrintOptions.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"
#include "util/CodePage.h"
#include "util/Files.h"

namespace fs = std::filesystem;

namespace {

struct Result {
  int status = -1;
  std::string err;
};

Result Print(const std::string& args) {
  const CommandResult c = RunCommand(std::string(KESTROVAN_PRINT_EXE) + " " + args + " 2>&1");
  return {c.status, c.output};
}

int PdfPages(const std::string& pdf) {
  FILE* p = popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r");
  char line[512];
  int pages = -1;
  while (fgets(line, sizeof line, p)) std::sscanf(line, "Pages: %d", &pages);
  pclose(p);
  return pages;
}

std::vector<std::string> CorpusDrawings() {
  std::vector<std::string> out;
  const fs::path dir = fs::path(KESTROVAN_CORPUS_DIR) / "jww";
  if (fs::exists(dir))
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

QJsonArray ReportFiles(const std::string& path) {
  QFile f(QString::fromStdString(path));
  f.open(QIODevice::ReadOnly);
  return QJsonDocument::fromJson(f.readAll()).object().value("files").toArray();
}

}  // namespace

TEST(PrintCli, EveryCorpusDrawingBecomesAPageWithInk) {
  REQUIRE_CORPUS(CorpusDir() + "/jww");
  const std::vector<std::string> files = CorpusDrawings();
  int printable = 0;
  std::vector<std::string> bookmarks;  // one per drawing, on its page
  for (const std::string& f : files) {
    TJwwData d;
    d.LoadForPrint(f);
    d.BuildBlockInstances();
    if (d.CountEntities().Printable() > 0)
      bookmarks.push_back(std::to_string(++printable) + " " + fs::path(f).filename().string());
    jwwtype::ClearImages();
  }
  const std::string dir = jwwtype::TempFolder().Value() + "cli/";
  fs::create_directories(dir);
  // One drawing is drawn wholly in SXF "white", stored as pure white: it prints
  // blank unless SXF white prints black, which is what that option is for.
  std::string args = "--pdf " + dir + "corpus.pdf --paper A3 --landscape --dpi 300 --method fit --sxf-white-to-black 0";
  for (const std::string& f : files) args += " '" + f + "'";
  const Result r = Print(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(PdfPages(dir + "corpus.pdf"), printable);
  EXPECT_GE(printable, 28);
  EXPECT_EQ(ReadPdf(dir + "corpus.pdf").bookmarks, bookmarks);
  // Every page has ink.
  ASSERT_EQ(std::system(("pdftoppm -r 15 -png " + dir + "corpus.pdf " + dir + "page").c_str()), 0);
  int pages = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().extension() != ".png") continue;
    ++pages;
    const QImage img(QString::fromStdString(e.path().string()));
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) ink += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(ink, 3) << e.path();
  }
  EXPECT_EQ(pages, printable);
}

TEST(PrintCli, WarningsExitStatusAndOutputs) {
  const std::string dir = jwwtype::TempFolder().Value() + "cli2/";
  fs::create_directories(dir);
  const std::string sample = std::string(KESTROVAN_SOURCE_DIR) + "/samples/house-plan.jww";
  std::ofstream(dir + "notes.jww") << "not a drawing";
  // A missing file and a foreign file are passed over with a warning; the rest prints.
  Result r = Print("--pdf " + dir + "a.pdf " + sample + " " + dir + "missing.jww " + dir + "notes.jww " + sample);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("missing.jww: passed over"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("notes.jww: passed over"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("[2/4]"), std::string::npos);
  EXPECT_EQ(PdfPages(dir + "a.pdf"), 2);
  // A page printed without an image it places is a warning and exit 1; a run
  // that prints nothing at all says so and exits 1.
  {
    TJwwData d;
    InitTestDrawing(d, 700);
    Add(d.Entities, MakeLine(0, 0, 100, 100));
    Add(d.Entities, MakeText(10, 10, 60, 10, "^@BMnowhere.bmp,50,40"));
    WriteFile(dir + "image.jww", WriteJww(d));
    TJwwData blank;
    InitTestDrawing(blank, 700);
    WriteFile(dir + "blank.jww", WriteJww(blank));
  }
  r = Print("--pdf " + dir + "img.pdf " + dir + "image.jww");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("could not be found or read: nowhere.bmp"), std::string::npos) << r.err;
  // --image-folder: an image named by its full path is read only from
  // inside the folders given (a server reads none of its own files).
  {
    fs::create_directories(dir + "pictures");
    fs::create_directories(dir + "drawings");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir + "pictures/red.bmp")));
    TJwwData d;
    InitTestDrawing(d, 700);
    Add(d.Entities, MakeLine(0, 0, 100, 100));
    Add(d.Entities, MakeText(10, 10, 60, 10, "^@BM" + dir + "pictures/red.bmp,50,40"));
    WriteFile(dir + "drawings/placed.jww", WriteJww(d));
  }
  r = Print("--pdf " + dir + "placed.pdf " + dir + "drawings/placed.jww");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Print("--image-folder " + dir + "pictures --pdf " + dir + "placed.pdf " + dir + "drawings/placed.jww");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Print("--image-folder " + dir + "drawings --pdf " + dir + "placed.pdf " + dir + "drawings/placed.jww");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("could not be found or read: "), std::string::npos) << r.err;
  EXPECT_EQ(Print("--image-folder " + dir + "nowhere " + dir + "drawings/placed.jww").status, 2);
  r = Print("--pdf " + dir + "none.pdf " + dir + "blank.jww");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("nothing was printed"), std::string::npos) << r.err;
  // ... and as one document it leaves the earlier file as it was.
  WriteFile(dir + "none.pdf", "earlier");
  EXPECT_EQ(Print("--one-document --pdf " + dir + "none.pdf " + dir + "blank.jww").status, 1);
  EXPECT_EQ(util::ReadSmallFile(dir + "none.pdf").Value(), "earlier");
  // PNG pages.
  r = Print("--png " + dir + "png --paper A4 --dpi 100 --method fit " + sample);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(QImage(QString::fromStdString(dir + "png/page-0001.png")).size(), QSize(1169, 827));
  // Usage errors and outputs that cannot be written.
  EXPECT_EQ(Print("--bogus " + sample).status, 2);
  EXPECT_EQ(Print("--method sideways " + sample).status, 2);
  EXPECT_EQ(Print("--pdf x.pdf --png y " + sample).status, 2);
  EXPECT_EQ(Print("").status, 2);
  // The usage names every print option of the table.
  const Result help = Print("--help");
  EXPECT_EQ(help.status, 0);
  for (const PrintOption* o = PrintOptionsBegin(); o != PrintOptionsEnd(); ++o)
    EXPECT_NE(help.err.find(std::string("--") + o->Name + " "), std::string::npos) << o->Name;
  // A run ended before its first file still leaves its own report.
  std::ofstream(dir + "old.json") << "{\"files\":[]}";
  EXPECT_EQ(Print("--printer kestrovan-no-such-queue --report " + dir + "old.json " + sample).status, 2);
  std::ifstream report(dir + "old.json");
  const std::string reported((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  EXPECT_NE(reported.find("\"not_reached\""), std::string::npos) << reported;
  r = Print("--pdf /proc/nope/out.pdf " + sample);
  EXPECT_EQ(r.status, 2) << r.err;
  // An output that is not a regular file (a FIFO, or a link to one) is refused, not replaced.
  ASSERT_EQ(::mkfifo((dir + "fifo.pdf").c_str(), 0600), 0);
  fs::create_symlink(dir + "fifo.pdf", dir + "link.pdf");
  for (const char* out : {"fifo.pdf", "link.pdf"}) {
    r = Print("--pdf " + dir + out + " " + sample);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(fs::is_fifo(dir + "fifo.pdf"));
  EXPECT_TRUE(fs::is_symlink(dir + "link.pdf"));
  // A failed run leaves an existing file as it was.
  std::ofstream(dir + "keep.pdf") << "previous";
  r = Print("--pdf " + dir + "keep.pdf " + dir + "missing.jww");
  std::ifstream kept(dir + "keep.pdf");
  std::string content((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "previous");
  // A full disk (here a limit on the file size) fails the run and keeps the earlier file.
  const CommandResult full = RunCommand("trap '' XFSZ; ulimit -f 4; " + std::string(KESTROVAN_PRINT_EXE) +
                                        " --pdf " + dir + "keep.pdf " + sample + " 2>&1");
  EXPECT_EQ(full.status, 2) << full.output;
  std::ifstream still(dir + "keep.pdf");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(still)), std::istreambuf_iterator<char>()), "previous");
  // The same for PNG pages: no cut-short page is left. (Qt's PNG writer
  // keeps a row buffer when libpng gives up on a write: no leak check here.)
  const CommandResult fullPng = RunCommand("trap '' XFSZ; ulimit -f 4; ASAN_OPTIONS=detect_leaks=0 " +
                                           std::string(KESTROVAN_PRINT_EXE) +
                                           " --png " + dir + "fullpng --dpi 300 " + sample + " 2>&1");
  EXPECT_EQ(fullPng.status, 2) << fullPng.output;
  EXPECT_FALSE(fs::exists(dir + "fullpng/page-0001.png"));
  // No temporary folder for the drawings' images (TMPDIR and /tmp both read-only, where the machine lets
  // a test hide /tmp): the run prints nothing, leaves its report and exits 2, where it used to abort.
  // The build folder (which may be under /tmp) and the sample are bound back in over the hidden /tmp.
  if (RunCommand("unshare -m sh -c 'mount -t tmpfs -o ro tmpfs /tmp' 2>&1").status == 0) {
    const std::string build = fs::path(KESTROVAN_PRINT_EXE).parent_path().string();
    const std::string source = KESTROVAN_SOURCE_DIR;
    const std::string out = build + "/no-temp";
    fs::remove(out + ".json");
    const CommandResult noTemp = RunCommand(
        "unshare -m sh -c 'exec 3<" + build + " 4<" + source + " && mount -t tmpfs tmpfs /tmp && mkdir -p " + build +
        " " + source + " && mount -c --bind /proc/self/fd/3 " + build + " && mount -c --bind /proc/self/fd/4 " + source +
        " && mount -o remount,ro /tmp && exec 3<&- 4<&- && TMPDIR=/tmp exec " + KESTROVAN_PRINT_EXE + " --report " +
        out + ".json --pdf " + out + ".pdf " + sample + "' 2>&1");
    EXPECT_EQ(noTemp.status, 2) << noTemp.output;
    EXPECT_NE(noTemp.output.find("temporary folder"), std::string::npos) << noTemp.output;
    const QJsonArray files = ReportFiles(out + ".json");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0]["status"].toString(), "not_reached");
    EXPECT_FALSE(fs::exists(out + ".pdf"));
  }
}

// However a run is ended from outside (Ctrl-C, kill, a closed terminal, the
// quit key), it keeps the pages drawn, says it stopped, exits 1 and leaves
// nothing in the temporary folder (the drawings' images are unpacked there).
TEST(PrintCli, StoppedRunKeepsItsPagesAndCleansUp) {
  const std::string dir = jwwtype::TempFolder().Value() + "stop/";
  const std::string sample = std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww";
  std::string files;
  for (int i = 0; i < 400; ++i) files += " " + sample;
  for (const char* sig : {"INT", "TERM", "HUP", "QUIT"}) {
    const std::string tmp = dir + sig + "/";
    fs::create_directories(tmp);
    // Stopped once the third file has begun; a run that ends first fails the test.
    const CommandResult c = RunCommand(
        "TMPDIR=" + tmp + " " + KESTROVAN_PRINT_EXE + " --pdf " + dir + sig + ".pdf --report " + dir + sig +
        ".json" + files + " 2>" + dir + sig +
        ".err & pid=$!; while kill -0 $pid 2>/dev/null && ! grep -qs '\\[3/' " + dir + sig +
        ".err; do sleep 0.02; done; kill -" + sig + " $pid; wait $pid; echo $?");
    std::ifstream errFile(dir + sig + ".err");
    const std::string err((std::istreambuf_iterator<char>(errFile)), std::istreambuf_iterator<char>());
    EXPECT_EQ(c.output, "1\n") << sig << ": " << err;
    EXPECT_NE(err.find("stopped early"), std::string::npos) << sig << ": " << err;
    const int pages = PdfPages(dir + sig + ".pdf");
    EXPECT_GE(pages, 2) << sig;
    EXPECT_LT(pages, 400) << sig;
    for (const auto& e : fs::directory_iterator(tmp))  // (Qt keeps its runtime folder there)
      EXPECT_NE(e.path().filename().string().rfind("kestrovan-", 0), 0u) << sig << ": left " << e.path();
  }
  // --resume prints exactly the files the stopped run left.
  int printed = 0;
  for (const QJsonValue& f : ReportFiles(dir + "INT.json")) printed += f["status"].toString() == "printed";
  const Result r = Print("--pdf " + dir + "rest.pdf --resume " + dir + "INT.json --report " + dir + "rest.json");
  EXPECT_EQ(r.status, 0) << r.err;
  const QJsonArray rest = ReportFiles(dir + "rest.json");
  EXPECT_EQ(printed + rest.size(), 400);
  for (const QJsonValue& f : rest) EXPECT_EQ(f["status"].toString(), QStringLiteral("printed"));
}

// Each drawing on its own sheet, as the CAD program's status bar names it;
// on the default A3 page the larger ones say what they lose.
TEST(PrintCli, PaperPerDrawingAndPagesThatLoseContent) {
  REQUIRE_CORPUS(CorpusDir() + "/jww");
  const std::vector<std::string> files = CorpusDrawings();
  const std::string dir = jwwtype::TempFolder().Value() + "paper/";
  fs::create_directories(dir);
  std::string all;
  for (const std::string& f : files) all += " '" + f + "'";
  Result r = Print("--list --paper drawing --report " + dir + "drawing.json" + all);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::map<std::string, std::string> sheets{
      {"jwmac__Test5", "A1"},          {"jwmac__Test1", "A2"},          {"jwmac__Test2", "A2"},
      {"jwmac__Test3", "A2"},          {"jwmac__Test4", "A2"},          {"jwmac__Test6", "A2"},
      {"jwmac__tenkuuritsuhyou", "A0"}, {"jwmac__mokuzou_heimenrei", "A4"}, {"jwwdiff__jww-1", "A4"},
      {"jwwdiff__jww-2", "A4"}};
  int pages = 0;
  for (const QJsonValue& f : ReportFiles(dir + "drawing.json")) {
    const std::string name = fs::path(f["path"].toString().toStdString()).stem().string();
    const auto it = sheets.find(name);
    for (const QJsonValue& p : f["pages"].toArray()) {
      ++pages;
      EXPECT_EQ(p["paper"]["name"].toString().toStdString(), it == sheets.end() ? "A3" : it->second) << name;
    }
  }
  EXPECT_GE(pages, 28);
  // The PDF's pages change paper, also in one document whose first page is a drawing's.
  const std::string t5 = CorpusDir() + "/jww/jwmac__Test5.jww", a3 = CorpusDir() + "/jww/jwmac__sanpuru.jww";
  r = Print("--one-document --paper drawing --pdf " + dir + "sheets.pdf " + t5 + " " + a3);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string sizes = RunCommand("pdfinfo -f 1 -l 2 " + dir + "sheets.pdf").output;
  EXPECT_NE(sizes.find("Page    1 size:  2384 x 1684 pts (A1)"), std::string::npos) << sizes;
  EXPECT_NE(sizes.find("Page    2 size:  1191 x 842 pts (A3)"), std::string::npos) << sizes;
  // The defaults: A3 landscape. The A1 drawing says what it loses and what holds it; an A3 drawing does not.
  r = Print("--pdf " + dir + "t5.pdf " + t5 + " " + a3);
  EXPECT_EQ(r.status, 0) << r.err;  // content off the paper chosen is a warning only
  EXPECT_NE(r.err.find("jwmac__Test5.jww, page 1: content off the page: 95 %"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("which A1 holds"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("sanpuru.jww, page"), std::string::npos) << r.err;
  // Reduced onto A3 (A1 at half size) it fits.
  r = Print("--pdf " + dir + "t5r.pdf --fit-paper A3 " + t5);
  EXPECT_EQ(r.err.find("content off the page"), std::string::npos) << r.err;
  // Papers no page may have, and the two paper modes together, are usage errors.
  for (const char* paper : {"--paper 0.01x0.01mm", "--paper 100000x200mm", "--fit-paper 5x5mm"})
    EXPECT_EQ(Print(std::string(paper) + " --pdf " + dir + "no.pdf " + t5).status, 2) << paper;
  r = Print("--paper drawing --fit-paper A3 --pdf " + dir + "no.pdf " + t5);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--paper drawing and --fit-paper exclude each other"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir + "no.pdf"));
}

// An output that names a drawing, an input or another output is refused
// before anything is written (exit 2), as are values that print nothing.
TEST(PrintCli, OutputsNeverReplaceWhatTheRunReads) {
  const std::string dir = jwwtype::TempFolder().Value() + "outputs/";
  fs::create_directories(dir);
  const std::string a = dir + "a.jww", b = dir + "b.jww";
  fs::copy_file(std::string(KESTROVAN_SOURCE_DIR) + "/samples/house-plan.jww", a);
  fs::copy_file(std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww", b);
  const std::string before = util::ReadSmallFile(a).Value();
  std::ofstream(dir + "kept.dat") << "settings";
  for (const std::string& args :
       {"--report " + a + " " + b, "--pdf " + a + " " + b, "--save-settings " + a + " " + b,
        "--pdf " + dir + "x --report " + dir + "x " + a, "--png " + dir + "p --report " + a + " " + b,
        "--pdf " + dir + "./a.jww " + b, "--report " + dir + "kept.dat --save-settings " + dir + "kept.dat " + a}) {
    const Result r = Print(args);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
    EXPECT_NE(r.err.find("overwritten"), std::string::npos) << args << "\n" << r.err;
    EXPECT_FALSE(fs::exists(dir + "x")) << args;
  }
  EXPECT_EQ(Print("--pdf " + b + " " + b).status, 2);  // the drawing itself
  EXPECT_EQ(util::ReadSmallFile(a).Value(), before);
  EXPECT_TRUE(TJwwData::IsJwwFile(b));
  EXPECT_EQ(util::ReadSmallFile(dir + "kept.dat").Value(), "settings");
  EXPECT_FALSE(fs::exists(dir + "p"));
  // Resuming into the report it reads, and saving the settings read, are
  // what those options are for.
  EXPECT_EQ(Print("--pdf " + dir + "r.pdf --report " + dir + "r.json " + a).status, 0);
  EXPECT_EQ(Print("--pdf " + dir + "r.pdf --resume " + dir + "r.json --report " + dir + "r.json").status, 0);
  // Values that would print nothing, or somewhere not asked for.
  for (const char* args : {"--pdf ''", "--png ''", "--scale 0", "--scale -5", "--scale 1e-300", "--scale 1e300"}) {
    const Result r = Print(std::string(args) + " --method scale --report " + dir + "u.json " + a);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
    // The refused run's report says it never began, and resuming it says so.
    const Result resumed = Print("--resume " + dir + "u.json --pdf " + dir + "u.pdf");
    EXPECT_EQ(resumed.status, 2) << args << "\n" << resumed.err;
    EXPECT_NE(resumed.err.find("never began"), std::string::npos) << resumed.err;
  }
  // A report that cannot be written is found before anything is printed;
  // a report that is a FIFO is refused, not waited on.
  Result r = Print("--pdf " + dir + "never.pdf --report /proc/nope/run.json " + a);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(r.err.find("[1/1]"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir + "never.pdf"));
  ASSERT_EQ(::mkfifo((dir + "fifo.json").c_str(), 0600), 0);
  const CommandResult fifo = RunCommand("timeout 20 " + std::string(KESTROVAN_PRINT_EXE) + " --resume " + dir +
                                        "fifo.json --pdf " + dir + "f.pdf 2>&1");
  EXPECT_EQ(fifo.status, 2) << fifo.output;
  EXPECT_NE(fifo.output.find("not a regular file"), std::string::npos) << fifo.output;
}

// A run killed outright (SIGKILL, the OOM killer) leaves a report that
// resumes it, and the next run clears what the killed one left: its
// unpacked images and the PDF drafted beside its name. Qt's runtime folder
// is no longer left in the temporary folder either.
TEST(PrintCli, AKilledRunIsResumedAndCleanedUpAfter) {
  const std::string dir = jwwtype::TempFolder().Value() + "killed/";
  const std::string tmp = dir + "tmp/";
  fs::create_directories(tmp);
  const std::string sample = std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww";
  std::string files;
  for (int i = 0; i < 400; ++i) files += " " + sample;
  std::ofstream(dir + "run.json") << "{\"files\":[]}";  // an earlier run's report
  const CommandResult c = RunCommand("env -u XDG_RUNTIME_DIR TMPDIR=" + tmp + " " + KESTROVAN_PRINT_EXE + " --pdf " +
                                     dir + "out.pdf --report " + dir + "run.json" + files + " 2>" + dir +
                                     "err & pid=$!; while kill -0 $pid 2>/dev/null && ! grep -qs '\\[30/' " + dir +
                                     "err; do sleep 0.02; done; kill -KILL $pid; wait $pid; echo $?");
  EXPECT_EQ(c.output, "137\n");
  QFile reportFile(QString::fromStdString(dir + "run.json"));
  ASSERT_TRUE(reportFile.open(QIODevice::ReadOnly));
  const QJsonObject report = QJsonDocument::fromJson(reportFile.readAll()).object();
  EXPECT_FALSE(report["finished"].toBool(true));
  const QJsonArray listed = report["files"].toArray();
  EXPECT_EQ(listed.size(), 400);
  // No page reached the PDF: every file is still to print, the one in hand
  // when the run was killed named as such.
  int inHand = 0;
  for (const QJsonValue& f : listed) {
    const QString status = f["status"].toString();
    inHand += status == "stopped";
    EXPECT_TRUE(status == "not_reached" || status == "not_written" || status == "stopped") << status.toStdString();
  }
  EXPECT_LE(inHand, 1);
  EXPECT_FALSE(fs::exists(dir + "out.pdf"));
  int leftImages = 0, leftDrafts = 0;
  for (const auto& e : fs::directory_iterator(tmp)) {
    EXPECT_NE(e.path().filename().string().rfind("runtime-", 0), 0u) << e.path();
    leftImages += e.path().filename().string().rfind("kestrovan-", 0) == 0;
  }
  for (const auto& e : fs::directory_iterator(dir))
    leftDrafts += e.path().filename().string().rfind(".kestrovan-draft-", 0) == 0;
  EXPECT_EQ(leftImages, 1);
  // The PDF's draft, and the report's own when the kill came as it was written.
  EXPECT_GE(leftDrafts, 1);
  EXPECT_LE(leftDrafts, 2);
  // The next run, started at once, clears them (their locks say their run
  // is over), and resumes all 400 files.
  const CommandResult next = RunCommand("TMPDIR=" + tmp + " " + KESTROVAN_PRINT_EXE + " --list --resume " + dir +
                                        "run.json --report " + dir + "rest.json 2>&1");
  EXPECT_EQ(next.status, 0) << next.output;
  EXPECT_EQ(ReportFiles(dir + "rest.json").size(), 400);
  for (const auto& e : fs::directory_iterator(tmp))
    EXPECT_NE(e.path().filename().string().rfind("kestrovan-", 0), 0u) << "left " << e.path();
  EXPECT_EQ(Print("--pdf " + dir + "one.pdf " + sample).status, 0);
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_NE(e.path().filename().string().rfind(".kestrovan-", 0), 0u) << "left " << e.path();
  // PNG pages of an earlier, longer run in the folder are said to be not this run's.
  const Result png = Print("--png " + dir + "png --dpi 72 " + sample + " " + sample);
  EXPECT_EQ(png.status, 0) << png.err;
  const Result shorter = Print("--png " + dir + "png --dpi 72 " + sample);
  EXPECT_NE(shorter.err.find("also holds 1 page of an earlier run (page-0002.png)"), std::string::npos) << shorter.err;
}

namespace {

// The tests of two users play the second one with setpriv, where they run as root.
bool CanBeAnotherUser() {
  return ::geteuid() == 0 && RunCommand("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>&1").status == 0;
}
std::string AsAnotherUser(const std::string& command) {
  return "setpriv --reuid=65534 --regid=65534 --clear-groups " + command;
}

std::string Text(const std::string& path) {
  const util::Result<std::string> text = util::ReadSmallFile(path);
  return text ? text.Value() : "(" + text.Why() + ")";
}

}  // namespace

// In a folder every user may write in and only owners may delete from (/tmp,
// a project share), a link another user planted at an output's name is never
// written through, whichever output it is: the system's rule for such links.
// A link of this user's there is followed.
TEST(PrintCli, NoOutputThroughALinkAnotherUserPlanted) {
  if (!CanBeAnotherUser()) GTEST_SKIP() << "needs root and setpriv to play a second user";
  // The other user passes through the temporary folder to the shared one.
  const std::string temp = jwwtype::TempFolder().Value();
  ASSERT_EQ(::chmod(temp.c_str(), 0711), 0);
  const std::string dir = temp + "planted/", share = dir + "share/", mine = dir + "mine/";
  fs::create_directories(share);
  fs::create_directories(mine + "pages");
  ASSERT_EQ(::chmod(dir.c_str(), 0711), 0);
  ASSERT_EQ(::chmod(share.c_str(), 01777), 0);
  WriteFile(mine + "precious.txt", "precious");
  WriteFile(mine + "pages/page-0001.png", "precious");
  for (const char* name : {"out.pdf", "run.json", "saved.dat"})
    ASSERT_EQ(RunCommand(AsAnotherUser("ln -s " + mine + "precious.txt " + share + name)).status, 0);
  ASSERT_EQ(RunCommand(AsAnotherUser("ln -s " + mine + "pages " + share + "pages")).status, 0);
  ASSERT_EQ(RunCommand(AsAnotherUser("ln -s " + mine + "precious.txt " + share + "page-0001.png")).status, 0);
  const std::string sample = std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww";
  for (const std::string& args : {"--pdf " + share + "out.pdf", "--png " + share + "pages", "--png " + share,
                                  "--pdf " + dir + "a.pdf --report " + share + "run.json",
                                  "--pdf " + dir + "b.pdf --save-settings " + share + "saved.dat"}) {
    const Result r = Print(args + " " + sample);
    EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
    EXPECT_NE(r.err.find("another user made it"), std::string::npos) << args << "\n" << r.err;
  }
  EXPECT_TRUE(Text(mine + "precious.txt") == "precious") << "written over";
  EXPECT_TRUE(Text(mine + "pages/page-0001.png") == "precious") << "written over";
  EXPECT_TRUE(fs::is_symlink(share + "out.pdf"));
  // A link this user made there is followed, as the system would.
  fs::create_symlink(mine + "ours.pdf", share + "ours.pdf");
  const Result ours = Print("--pdf " + share + "ours.pdf " + sample);
  EXPECT_EQ(ours.status, 0) << ours.err;
  EXPECT_EQ(PdfPages(mine + "ours.pdf"), 1);
  EXPECT_TRUE(fs::is_symlink(share + "ours.pdf"));
  ::chmod(temp.c_str(), 0700);
}

// A stop acts at once wherever the run is: while the program starts (before
// Qt is up, its temporary folder just made), and while a page of the
// largest sheet is filled, drawn or encoded as PNG, which takes seconds; a
// page cut short is not written. A full disk is found at the page that does
// not fit, not after every drawing is drawn.
TEST(PrintCli, StopsAtOnceAndAFullDiskIsFoundEarly) {
  const std::string dir = jwwtype::TempFolder().Value() + "at-once/";
  const std::string sample = std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww";
  for (const char* sig : {"TERM", "QUIT"}) {
    const std::string tmp = dir + sig + "/";
    fs::create_directories(tmp);
    const CommandResult c = RunCommand("TMPDIR=" + tmp + " " + KESTROVAN_PRINT_EXE + " --pdf " + dir + sig +
                                       ".pdf --report " + dir + sig + ".json " + sample + " 2>" + dir + sig +
                                       ".err & pid=$!; while kill -0 $pid 2>/dev/null && ! ls -d " + tmp +
                                       "kestrovan-* >/dev/null 2>&1; do :; done; kill -" + sig +
                                       " $pid; wait $pid; echo $?");
    EXPECT_EQ(c.output, "1\n") << sig << ": " << Text(dir + sig + ".err");
    for (const auto& e : fs::directory_iterator(tmp))
      EXPECT_NE(e.path().filename().string().rfind("kestrovan-", 0), 0u) << sig << ": left " << e.path();
    const QJsonArray files = ReportFiles(dir + sig + ".json");
    ASSERT_EQ(files.size(), 1) << sig;
    const QString status = files[0]["status"].toString();
    EXPECT_TRUE(status == "not_reached" || status == "stopped") << sig << ": " << status.toStdString();
  }
  // A drawing on the largest sheet (5A), each page on the drawing's own
  // sheet: a page of 1 GiB in memory.
  {
    TJwwData d;
    InitTestDrawing(d, 700);
    d.PaperSize = 11;
    for (int i = 0; i < 50; ++i) Add(d.Entities, MakeLine(-1000, -500 + i * 20, 1000, 500 - i * 20));
    WriteFile(dir + "5a.jww", WriteJww(d));
  }
  const CommandResult big = RunCommand(std::string(KESTROVAN_PRINT_EXE) + " --paper drawing --png " + dir +
                                       "5a --report " + dir + "5a.json " + dir + "5a.jww 2>" + dir +
                                       "5a.err & pid=$!; while kill -0 $pid 2>/dev/null && ! grep -qs '\\[1/' " + dir +
                                       "5a.err; do sleep 0.02; done; sleep 0.5; kill -TERM $pid; wait $pid; echo $?");
  EXPECT_EQ(big.output, "1\n") << Text(dir + "5a.err");
  EXPECT_NE(Text(dir + "5a.err").find("stopped early"), std::string::npos) << Text(dir + "5a.err");
  EXPECT_FALSE(fs::exists(dir + "5a/page-0001.png"));
  const QJsonArray stopped = ReportFiles(dir + "5a.json");
  ASSERT_EQ(stopped.size(), 1);
  EXPECT_EQ(stopped[0]["status"].toString(), "stopped");
  EXPECT_TRUE(stopped[0]["pages"].toArray().isEmpty());
  // 100 drawings into a PDF on a disk that takes 32 KiB (a limit on the file
  // size here): the run ends at the page that did not fit.
  std::string files;
  for (int i = 0; i < 100; ++i) files += " " + sample;
  WriteFile(dir + "keep.pdf", "previous");
  const CommandResult full = RunCommand("trap '' XFSZ; ulimit -f 32; " + std::string(KESTROVAN_PRINT_EXE) +
                                        " --pdf " + dir + "keep.pdf" + files + " 2>&1");
  EXPECT_EQ(full.status, 2) << full.output;
  EXPECT_EQ(full.output.find("[100/100]"), std::string::npos) << full.output;
  EXPECT_NE(full.output.find("is the disk full?"), std::string::npos) << full.output;
  EXPECT_EQ(Text(dir + "keep.pdf"), "previous");
}

// --resume prints exactly the files a report says did not print.
TEST(PrintCli, ResumePrintsWhatARunLeft) {
  const std::string dir = jwwtype::TempFolder().Value() + "resume/";
  fs::create_directories(dir);
  const std::string house = std::string(KESTROVAN_SOURCE_DIR) + "/samples/house-plan.jww";
  const std::string site = std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww";
  std::ofstream(dir + "stopped.json")
      << "{\"files\":[{\"path\":\"" << house << "\",\"status\":\"printed\"},"
      << "{\"path\":\"" << site << "\",\"status\":\"stopped\"},"
      << "{\"path\":\"" << house << "\",\"status\":\"not_reached\"}]}";
  Result r = Print("--pdf " + dir + "rest.pdf --resume " + dir + "stopped.json --report " + dir + "rest.json");
  EXPECT_EQ(r.status, 0) << r.err;
  const QJsonArray files = ReportFiles(dir + "rest.json");
  ASSERT_EQ(files.size(), 2);
  EXPECT_EQ(files[0]["path"].toString().toStdString(), site);
  EXPECT_EQ(files[1]["path"].toString().toStdString(), house);
  EXPECT_EQ(files[1]["status"].toString(), QStringLiteral("printed"));
  EXPECT_EQ(PdfPages(dir + "rest.pdf"), 2);
  // A run with nothing left says so; a file that is no report is a usage error.
  r = Print("--resume " + dir + "rest.json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("nothing to resume"), std::string::npos) << r.err;
  EXPECT_EQ(Print("--resume " + house).status, 2);
  // A --list run printed nothing: resuming it prints its files.
  EXPECT_EQ(Print("--list --report " + dir + "list.json " + house).status, 0);
  EXPECT_EQ(Print("--pdf " + dir + "listed.pdf --resume " + dir + "list.json").status, 0);
  EXPECT_EQ(PdfPages(dir + "listed.pdf"), 1);
  // A file name that is not UTF-8 (Shift-JIS, copied from Windows) leaves a
  // readable report and comes back whole.
  const std::string odd = dir + "plan-\x90\x7d.jww";
  std::ofstream(odd) << "not a drawing yet";
  EXPECT_EQ(Print("--pdf " + dir + "odd.pdf --report " + dir + "odd.json '" + odd + "'").status, 1);
  fs::copy_file(house, odd, fs::copy_options::overwrite_existing);
  EXPECT_EQ(Print("--pdf " + dir + "odd2.pdf --resume " + dir + "odd.json").status, 0);
  EXPECT_EQ(PdfPages(dir + "odd2.pdf"), 1);
}

// The CUPS filter on its own, as the scheduler runs it: job arguments, the
// drawing from standard input or a file, PDF on standard output, messages by
// level on stderr, nothing left in its temporary folder.
TEST(CupsFilter, JobArgumentsPageOptionsAndMessages) {
  const std::string drawing = CorpusDir() + "/jww/jwmac__Test2.jww";
  REQUIRE_CORPUS(drawing);
  const std::string dir = jwwtype::TempFolder().Value() + "filter/";
  fs::create_directories(dir + "tmp");
  auto filter = [&](const std::string& env, const std::string& options, const std::string& tail) {
    return RunCommand("cd " + dir + " && TMPDIR=" + dir + "tmp " + env + " " + KESTROVAN_CUPS_EXE +
                      " 7 user title 1 '" + options + "' " + tail + " 2>err.txt");
  };
  auto err = [&] {
    std::ifstream f(dir + "err.txt");
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  };
  auto pageSize = [](const std::string& pdf) {
    return RunCommand("pdfinfo '" + pdf + "' | awk '/^Page size:/ {print $3 \"x\" $5}'").output;
  };
  // From standard input, on the job's paper turned as asked; an unknown option of ours is a warning.
  CommandResult r = filter("", "media=iso_a3_297x420mm orientation-requested=3 kestrovan-method=fit kestrovan-nope=1",
                           "< " + drawing + " > a.pdf");
  EXPECT_EQ(r.status, 0) << err();
  EXPECT_NE(err().find("WARNING: the option kestrovan-nope is not known"), std::string::npos) << err();
  EXPECT_NE(err().find("INFO: Printed 1 page"), std::string::npos) << err();
  EXPECT_EQ(PdfPages(dir + "a.pdf"), 1);
  EXPECT_EQ(pageSize(dir + "a.pdf"), "842x1191\n");
  EXPECT_NE(RunCommand("pdftotext " + dir + "a.pdf -").output.find("５ｍライン"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir + "tmp"));
  // The queue's PPD gives the paper when the job does not: A4, landscape by default.
  if (fs::exists("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")) {
    r = filter("PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "", drawing + " > b.pdf");
    EXPECT_EQ(r.status, 0) << err();
    EXPECT_EQ(pageSize(dir + "b.pdf"), "842x595\n");
  }
  // Bad values and damaged drawings refuse the job: ERROR lines, no PDF, and
  // status 0, so that the scheduler ends the job instead of stopping it.
  // Wrong arguments fail.
  r = filter("", "kestrovan-mono=300", drawing + " > c.pdf");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(fs::file_size(dir + "c.pdf"), 0u);
  EXPECT_NE(err().find("ERROR: kestrovan-mono takes a whole number 0..255"), std::string::npos) << err();
  std::ofstream(dir + "damaged.jww", std::ios::binary)
      << std::ifstream(drawing, std::ios::binary).rdbuf();
  fs::resize_file(dir + "damaged.jww", 3000);
  r = filter("", "", "damaged.jww > d.pdf");
  EXPECT_EQ(r.status, 0);
  // Its first ERROR line, the job's state message, says why.
  EXPECT_EQ(err().find("ERROR: "), err().find("ERROR: title is damaged")) << err();
  EXPECT_EQ(err().find("nothing to print"), std::string::npos) << err();
  EXPECT_EQ(fs::file_size(dir + "d.pdf"), 0u);
  EXPECT_EQ(filter("", "media=no-such-paper", drawing + " > e.pdf").status, 0);
  EXPECT_EQ(fs::file_size(dir + "e.pdf"), 0u);
  EXPECT_EQ(RunCommand(std::string(KESTROVAN_CUPS_EXE) + " 1 2 3 2>/dev/null").status, 1);
  EXPECT_TRUE(fs::is_empty(dir + "tmp"));
}

// A job prints what it carries: the filter reads no image outside the
// drawing (a path up and out of the spool folder, or from the root), and
// its warning names none, so a sender learns nothing of the server's files.
// kestrovan-print, run by the drawing's own user, still finds them.
TEST(CupsFilter, AJobPrintsOnlyTheImagesItCarries) {
  const std::string dir = jwwtype::TempFolder().Value() + "carried/";
  fs::create_directories(dir + "secret");
  fs::create_directories(dir + "job");
  fs::create_directories(dir + "tmp");
  QImage red(16, 16, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(QString::fromStdString(dir + "secret/s.png")));
  TJwwData d;
  InitTestDrawing(d, 700);
  Add(d.Entities, MakeLine(0, 0, 100, 100));
  Add(d.Entities, MakeText(-60, 0, -10, 0, "^@BM%temp%c.png,50,40"));
  Add(d.Entities, MakeText(0, 0, 50, 0, "^@BM../secret/s.png,50,40"));
  Add(d.Entities, MakeText(60, 0, 110, 0, "^@BM" + dir + "secret/s.png,50,40"));
  JwwWriteOptions options;
  options.images.push_back({"c.png", util::ReadSmallFile(dir + "secret/s.png").Value()});
  WriteFile(dir + "job/d.jww", WriteJww(d, options));
  auto images = [&](const std::string& pdf) {
    const std::string list = RunCommand("pdfimages -list '" + pdf + "' | tail -n +3").output;
    return std::count(list.begin(), list.end(), '\n');
  };
  const CommandResult job = RunCommand("cd " + dir + "job && TMPDIR=" + dir + "tmp " + KESTROVAN_CUPS_EXE +
                                       " 7 user title 1 'kestrovan-method=fit' d.jww > " + dir + "job.pdf 2>" + dir +
                                       "err.txt");
  const std::string err = util::ReadSmallFile(dir + "err.txt").Value();
  EXPECT_EQ(job.status, 0) << err;
  EXPECT_EQ(images(dir + "job.pdf"), 1) << err;
  EXPECT_NE(err.find("WARNING: title: 2 image(s) it places are not printed"), std::string::npos) << err;
  EXPECT_EQ(err.find("secret"), std::string::npos) << err;
  EXPECT_TRUE(fs::is_empty(dir + "tmp"));
  const Result local = Print("--method fit --pdf " + dir + "local.pdf " + dir + "job/d.jww");
  EXPECT_EQ(local.status, 0) << local.err;
  EXPECT_EQ(images(dir + "local.pdf"), 3);
}

// The filter's paper is the paper asked for, on a queue whose printer takes
// it (an office laser's PPD: Letter by default, no A3), or the job fails;
// every page warning is a WARNING line, and the off-paper policy decides
// what a drawing beyond its paper does.
TEST(CupsFilter, PaperOfTheQueueWarningsAndTheOffPaperPolicy) {
  const std::string t2 = CorpusDir() + "/jww/jwmac__Test2.jww";  // an A2 drawing
  const std::string t5 = CorpusDir() + "/jww/jwmac__Test5.jww";  // an A1 drawing
  REQUIRE_CORPUS(t5);
  const std::string laser = "/usr/share/ppd/cupsfilters/HP-Color_LaserJet_CM3530_MFP-PDF.ppd";
  const std::string a3Ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
  if (!fs::exists(laser) || !fs::exists(a3Ppd)) GTEST_SKIP() << "needs cups-filters and printer-driver-cups-pdf";
  const std::string dir = jwwtype::TempFolder().Value() + "filter-paper/";
  fs::create_directories(dir + "tmp");
  struct Job {
    int status;
    std::string err, size;
  };
  auto job = [&](const std::string& ppd, const std::string& options, const std::string& drawing,
                 const std::string& title = "plan") {
    const CommandResult c =
        RunCommand("cd " + dir + " && TMPDIR=" + dir + "tmp PPD=" + ppd + " " + KESTROVAN_CUPS_EXE + " 7 user '" +
                   title + "' 1 '" + options + "' " + drawing + " > out.pdf 2>err.txt");
    std::ifstream f(dir + "err.txt");
    Job j{c.status, std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>()), ""};
    if (fs::file_size(dir + "out.pdf") > 0)
      j.size = RunCommand("pdfinfo " + dir + "out.pdf | awk '/^Page size:/ {print $3 \"x\" $5}'").output;
    return j;
  };
  auto has = [](const Job& j, const std::string& text) { return j.err.find(text) != std::string::npos; };
  // Refused: an ERROR line, no PDF, and status 0 (the job ends, its queue goes on).
  auto refused = [&](const Job& j) { return j.status == 0 && j.size.empty() && has(j, "ERROR: "); };

  // The laser has no A3 or A1, and nobody knows Foo: each fails its job with an ERROR line, no PDF.
  for (const char* media : {"media=A3", "media=A1", "media=Foo", "PageSize=A3"}) {
    const Job j = job(laser, media, t2);
    EXPECT_TRUE(refused(j)) << media << ": " << j.err;
  }
  EXPECT_TRUE(has(job(laser, "media=A3", t2), "takes no \"A3\" paper (297 x 420 mm); it takes Letter, A4"));
  // Sizes no page may have are refused as kestrovan-print refuses them, with or without a PPD.
  for (const char* media : {"media=Custom.0.01x0.01mm", "media=Custom.100000x200mm", "media=Custom.99999999x99999999in"})
    EXPECT_TRUE(refused(job("", media, t2))) << media;
  // What it takes it prints, borderless names and a tray after the size included;
  // the queue's default (Letter) when the job names none. The paper used is said.
  Job j = job(laser, "media=A4.Fullbleed,tray-1", t2);
  EXPECT_EQ(j.status, 0) << j.err;
  EXPECT_EQ(j.size, "842x595\n");
  EXPECT_TRUE(has(j, "INFO: Paper A4.Fullbleed (A4 landscape, 297 x 210 mm), 600 dpi")) << j.err;
  j = job(laser, "", t2);
  EXPECT_EQ(j.size, "792x612\n");
  // The paper must be the one the queue's later filters print on: a
  // driverless client's media=A3 with PageSize=A3.Borderless, which the PPD
  // has not, would leave them on its default A4 and shrink the page onto it.
  j = job(a3Ppd, "media=A3 PageSize=A3.Borderless", t2);
  EXPECT_TRUE(refused(j)) << j.err;
  EXPECT_TRUE(has(j, "ERROR: this queue would print on A4 (210 x 297 mm), not on A3 (297 x 420 mm): its printer's "
                     "filters read PageSize=A3.Borderless, media=A3 against its PPD; ask for -o PageSize=A3"))
      << j.err;
  EXPECT_EQ(job(a3Ppd, "media=A3 PageSize=A3", t2).size, "1191x842\n");
  EXPECT_EQ(job(a3Ppd, "PageRegion=A3", t2).size, "1191x842\n");
  EXPECT_TRUE(refused(job(a3Ppd, "media=A3 PageSize=A4", t2)));
  EXPECT_EQ(job(a3Ppd, "media=Custom.200x300mm", t2).size, "850x567\n");

  // The A2 drawing on A4: its page warning is a WARNING line naming the page,
  // the job ends on a warning (its state message) and marks the queue.
  j = job(laser, "media=A4", t2);
  EXPECT_EQ(j.status, 0) << j.err;
  EXPECT_TRUE(has(j, "WARNING: plan, page 1: content off the page: ")) << j.err;
  EXPECT_TRUE(has(j, "STATE: +kestrovan-off-paper-warning")) << j.err;
  const std::string last = j.err.substr(j.err.rfind('\n', j.err.size() - 2) + 1);
  EXPECT_EQ(last.rfind("WARNING: Printed 1 page; page 1: content off the page", 0), 0u) << j.err;
  // Under kestrovan-off-paper=fail it fails; under fit it is fitted and loses nothing.
  j = job(laser, "media=A4 kestrovan-off-paper=fail", t2);
  EXPECT_TRUE(refused(j)) << j.err;
  EXPECT_TRUE(has(j, "ERROR: plan: 1 page goes beyond the paper")) << j.err;
  j = job(laser, "media=A4 kestrovan-off-paper=fit", t2);
  EXPECT_EQ(j.status, 0) << j.err;
  EXPECT_FALSE(has(j, "content off the page")) << j.err;
  EXPECT_TRUE(has(j, "fitted to it")) << j.err;
  EXPECT_TRUE(refused(job(laser, "kestrovan-off-paper=maybe", t2)));

  // The A1 drawing reduced onto A3; the job's paper must be that A3 (the
  // scheduler prints every page on the job's paper), and the laser has none.
  j = job(a3Ppd, "media=A3 kestrovan-fit-paper=A3", t5);
  EXPECT_EQ(j.status, 0) << j.err;
  EXPECT_EQ(j.size, "1191x842\n");
  EXPECT_FALSE(has(j, "content off the page")) << j.err;
  j = job(a3Ppd, "media=A4 kestrovan-fit-paper=A3", t5);
  EXPECT_TRUE(refused(j)) << j.err;
  EXPECT_TRUE(has(j, "but the job's paper is A4 (297 x 210 mm): ask for that paper too (-o media=A3)")) << j.err;
  EXPECT_TRUE(refused(job(laser, "kestrovan-fit-paper=A3", t5)));
  // The drawing's own sheet where the queue has it (said when the job's
  // paper is another); else the job's paper, saying so.
  j = job(a3Ppd, "kestrovan-paper=drawing", t2);
  EXPECT_EQ(j.size, "1684x1191\n");
  EXPECT_TRUE(has(j, "is scaled onto the job's A4 (297 x 210 mm) paper; ask for its paper (-o media=A2)")) << j.err;
  j = job(laser, "media=A4 kestrovan-paper=drawing", t2);
  EXPECT_EQ(j.size, "842x595\n");
  EXPECT_TRUE(has(j, "takes no A2 (594 x 420 mm) paper for the drawing's own sheet")) << j.err;
  EXPECT_TRUE(refused(job("", "kestrovan-paper=drawing kestrovan-fit-paper=A3", t2)));

  // A title's control characters never reach the scheduler.
  j = job(laser, "media=A4", t2, "plan\r\x1b[31mred\x07");
  EXPECT_TRUE(has(j, "WARNING: plan??[31mred?, page 1")) << j.err;
  EXPECT_EQ(j.err.find_first_of("\r\x1b\x07"), std::string::npos);

  // The options offered to print dialogs, added to the laser's PPD: labelled
  // in English with Japanese translations, the merged PPD passes
  // cupstestppd, its defaults are the queue's presets, and the job's own
  // options win.
  const std::string options = RunCommand(std::string(KESTROVAN_CUPS_EXE) + " --ppd-options " + laser).output;
  EXPECT_NE(options.find("*OpenUI *kestrovan-method/Placement: PickOne"), std::string::npos) << options;
  EXPECT_NE(options.find("*ja.Translation kestrovan-method/印刷の配置: \"\""), std::string::npos) << options;
  EXPECT_NE(options.find("*ja.kestrovan-off-paper fail/ジョブを印刷しない: \"\""), std::string::npos) << options;
  std::string ppd = RunCommand("cat " + laser).output + options;
  // A Japanese PPD in Shift-JIS gets its labels in Japanese, in Shift-JIS.
  std::string japanese = ppd.substr(0, ppd.find("*% Kestrovan"));
  japanese.replace(japanese.find("*LanguageVersion: English"), 25, "*LanguageVersion: Japanese");
  japanese.replace(japanese.find("*LanguageEncoding: ISOLatin1"), 28, "*LanguageEncoding: JIS83-RKSJ");
  std::ofstream(dir + "japanese.ppd", std::ios::binary) << japanese;
  japanese += RunCommand(std::string(KESTROVAN_CUPS_EXE) + " --ppd-options " + dir + "japanese.ppd").output;
  EXPECT_NE(japanese.find("*OpenUI *kestrovan-method/" + util::Utf8ToCp932("印刷の配置") + ": PickOne"),
            std::string::npos);
  std::ofstream(dir + "japanese.ppd", std::ios::binary) << japanese;
  EXPECT_EQ(RunCommand("cupstestppd -q " + dir + "japanese.ppd").status, 0);
  const std::string preset = "*Defaultkestrovan-off-paper: warn";
  ppd.replace(ppd.find(preset), preset.size(), "*Defaultkestrovan-off-paper: fail");
  std::ofstream(dir + "laser.ppd") << ppd;
  EXPECT_EQ(RunCommand("cupstestppd -q " + dir + "laser.ppd").status, 0);
  EXPECT_TRUE(refused(job(dir + "laser.ppd", "media=A4", t2)));
  EXPECT_EQ(job(dir + "laser.ppd", "media=A4 kestrovan-off-paper=warn", t2).status, 0);
  EXPECT_TRUE(fs::is_empty(dir + "tmp"));
}

// The manual keeps up with the option table: every option is in
// kestrovan-print(1) as a flag and in kestrovan-cups(7) as a job option.
TEST(Manual, EveryPrintOptionIsInTheManualPages) {
  auto page = [](const std::string& name) {
    std::ifstream f(std::string(KESTROVAN_SOURCE_DIR) + "/docs/man/" + name);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::string plain;  // roff's "\-" is a plain hyphen
    for (size_t i = 0; i < text.size(); ++i)
      if (!(text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-')) plain += text[i];
    return plain;
  };
  const std::string print = page("kestrovan-print.1"), cups = page("kestrovan-cups.7");
  ASSERT_FALSE(print.empty());
  ASSERT_FALSE(cups.empty());
  for (const PrintOption* o = PrintOptionsBegin(); o != PrintOptionsEnd(); ++o) {
    EXPECT_NE(print.find(std::string("--") + o->Name), std::string::npos) << o->Name;
    EXPECT_NE(cups.find(std::string("kestrovan-") + o->Name), std::string::npos) << o->Name;
  }
  EXPECT_NE(cups.find("kestrovan-off-paper"), std::string::npos);
}
