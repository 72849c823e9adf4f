// The print run on a recording print device: pages, documents and titles.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingDevice.h"
#include "TestSupport.h"
#include "app/core/PrintRun.h"
#include "app/core/RecordWords.h"
#include "app/core/ReportFile.h"
#include "util/CodePage.h"
#include "render/UnitGval.h"

namespace {

class StopAfter : public PrintRunObserver {
 public:
  explicit StopAfter(int files) : files_(files) {}
  void FileStarted(size_t, size_t, const std::string&) override { ++started_; }
  bool StopRequested() override { return files_ >= 0 && started_ >= files_; }

 private:
  int files_;
  int started_ = 0;
};

// A drawing with a line on each of the given groups (pen number = group + 1).
std::string Drawing(const std::string& name, std::vector<int> groups, std::vector<int> displayOnly = {}) {
  TJwwData d;
  InitTestDrawing(d, 600);
  for (int g : groups) {
    TJwwSen l = MakeLine(-5, g, 5, g, g, 0);
    l.PenColor = static_cast<uint16_t>(1 + g % 8);
    Add(d.Entities, l);
  }
  for (int g : displayOnly) d.LayerGroups[g].State = 1;
  const std::string path = jwwtype::TempFolder().Value() + name;
  WriteFile(path, WriteJww(d));
  return path;
}

std::vector<std::string> RunFiles(PrintSettings s, const std::vector<std::string>& files, int stopAfter = -1,
                             PrintRunResult* result = nullptr) {
  RecordingDevice device;
  TJwwData d;
  StopAfter observer(stopAfter);
  s.PrintMethod = PrintMethod::FitToPage;
  PrintRun run(d, device, s, observer);
  const PrintRunResult r = run.Run(files);
  if (result) *result = r;
  return *device.log;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(PrintRunPages, AMissingFileInTheMiddle) {
  const std::string a = Drawing("a.jww", {0}), c = Drawing("c.jww", {0});
  PrintRunResult r;
  EXPECT_EQ(RunFiles(PrintSettings(), {a, jwwtype::TempFolder().Value() + "b.jww", c}, -1, &r),
            (Log{"begin Kestrovan_a.jww", "end", "begin Kestrovan_c.jww", "end"}));
  EXPECT_EQ(r.Counts().Pages, 2);
  EXPECT_EQ(r.Counts().FilesPassedOver, 1);
  // A file past the reader's limit (here sparse) is passed over from its
  // size, never read to the limit and then called damaged.
  const std::string huge = jwwtype::TempFolder().Value() + "huge.jww";
  WriteFile(huge, std::string("JwwData."));
  std::filesystem::resize_file(huge, TJwwData::kMaxFileBytes + 1);
  EXPECT_EQ(RunFiles(PrintSettings(), {huge, a}, -1, &r), (Log{"begin Kestrovan_a.jww", "end"}));
  ASSERT_EQ(r.Files[0].Problems.size(), 1u);
  EXPECT_EQ(r.Files[0].Status, FileStatus::PassedOver);
  EXPECT_EQ(r.Files[0].Problems[0].What, FileProblem::Kind::TooLarge);
  std::filesystem::remove(huge);
}

TEST(PrintRunPages, PerGroupReverseWithTheCommonGroup) {
  const std::string a = Drawing("g.jww", {0, 2, 5});
  PrintSettings s;
  s.PerLayerGroup = true;
  s.PrintOrder = PrintOrder::ByLayerReverse;
  s.CommonLayerGroup = 1;  // group 0 on every page, never a page of its own
  EXPECT_EQ(RunFiles(s, {a}), (Log{"begin [5]Kestrovan_g.jww", "end", "begin [2]Kestrovan_g.jww", "end"}));
  s.PrintOrder = PrintOrder::AsStored;
  s.CommonLayerGroup = 0;
  EXPECT_EQ(RunFiles(s, {a}), (Log{"begin [0]Kestrovan_g.jww", "end", "begin [2]Kestrovan_g.jww", "end",
                             "begin [5]Kestrovan_g.jww", "end"}));
}

TEST(PrintRunPages, CommonGroupDrawnAfterEachGroupsOwn) {
  const std::string a = Drawing("gc.jww", {0, 2, 5});
  PrintSettings s;
  s.PerLayerGroup = true;
  s.PrintOrder = PrintOrder::ByLayerReverse;
  s.CommonLayerGroup = 1;
  RecordingDevice device;
  TJwwData d;
  PrintRunObserver observer;
  s.PrintMethod = PrintMethod::FitToPage;
  PrintRun(d, device, s, observer).Run({a});
  // Pens: group 5 draws with pen 6, group 2 with pen 3, the common group 0 with pen 1.
  std::vector<TColor> pens;
  for (const auto& c : device.canvas.Of("line")) pens.push_back(c.pen);
  const TgraAttribute& attr = UnitGraAtt::GraAttribute();
  EXPECT_EQ(pens, (std::vector<TColor>{attr.GetPenColor(6), attr.GetPenColor(1), attr.GetPenColor(3),
                                       attr.GetPenColor(1)}));
}

TEST(PrintRunPages, DisplayOnlyGroupsAsCommonWithModeZeroPrintNowhere) {
  const std::string a = Drawing("do.jww", {0, 3}, {3});
  PrintSettings s;
  s.PerLayerGroup = true;
  s.CommonLayerGroup = 17;
  s.DisplayOnlyMode = DisplayOnlyMode::NotPrinted;
  RecordingDevice device;
  TJwwData d;
  PrintRunObserver observer;
  s.PrintMethod = PrintMethod::FitToPage;
  PrintRun(d, device, s, observer).Run({a});
  EXPECT_EQ(*device.log, (Log{"begin [0]Kestrovan_do.jww", "end"}));
  EXPECT_EQ(device.canvas.Of("line").size(), 1u);
}

// Following the drawing: colour print off prints black, display-only layers
// too; with it on they print in pen 9's colour; SXF white prints black.
// Explicit options win.
TEST(PrintRunPages, FollowingTheDrawingsOwnPrintSettings) {
  TJwwData d;
  InitTestDrawing(d, 600);
  PrintSettings s;
  EXPECT_FALSE(SettingsForDrawing(s, d).Monochrome);  // not asked for: as the options say
  s.FollowDrawing = true;
  d.Kept.DrawState[5] = 0;
  PrintSettings f = SettingsForDrawing(s, d);
  EXPECT_TRUE(f.Monochrome);
  EXPECT_EQ(f.MonoThreshold, 0);
  EXPECT_EQ(f.DisplayOnlyMode, DisplayOnlyMode::GivenColor);  // black
  EXPECT_TRUE(f.WhiteToBlackSxf);
  EXPECT_EQ(f.SxfWhiteThreshold, 0);
  d.Kept.DrawState[5] = 1;
  EXPECT_FALSE(SettingsForDrawing(s, d).Monochrome);
  s.Monochrome = true;
  s.MonoThreshold = 40;
  s.MonochromeGiven = true;
  s.DisplayOnlyMode = DisplayOnlyMode::NotPrinted;
  s.DisplayOnlyGiven = true;
  f = SettingsForDrawing(s, d);
  EXPECT_EQ(f.MonoThreshold, 40);
  EXPECT_EQ(f.DisplayOnlyMode, DisplayOnlyMode::NotPrinted);
}

// Colour printing off, measured on a probe (colour-off): the CAD program
// prints a pen whose printer colour is white in black, and the display-only
// layers in black, not pen 9's colour; with colour printing on, white stays
// white and display-only layers take pen 9's colour.
TEST(PrintRunPages, ColourPrintingOffPrintsWhitePensAndDisplayOnlyLayersBlack) {
  TJwwData src;
  InitTestDrawing(src, 600);
  src.Pens[3].PrinterColor = Rgb(255, 255, 255);
  src.Pens[9].PrinterColor = Rgb(255, 192, 0);
  src.LayerGroups[1].State = 1;  // display only
  TJwwSen white = MakeLine(0, 0, 10, 0);
  white.PenColor = 3;
  Add(src.Entities, white);
  TJwwSen shownOnly = MakeLine(0, 5, 10, 5, 1, 0);
  shownOnly.PenColor = 2;
  Add(src.Entities, shownOnly);
  auto pens = [&](int colourPrint) {
    src.Kept.DrawState[5] = colourPrint;
    const std::string path = jwwtype::TempFolder().Value() + "colour.jww";
    WriteFile(path, WriteJww(src));
    RecordingDevice device;
    TJwwData d;
    PrintRunObserver observer;
    PrintSettings s;
    s.FollowDrawing = 1;
    s.PrintMethod = PrintMethod::FitToPage;
    PrintRun(d, device, s, observer).Run({path});
    std::vector<TColor> out;
    for (const auto& c : device.canvas.Of("line")) out.push_back(c.pen);
    return out;
  };
  EXPECT_EQ(pens(0), (std::vector<TColor>{Rgb(0, 0, 0), Rgb(0, 0, 0)}));
  EXPECT_EQ(pens(1), (std::vector<TColor>{Rgb(255, 255, 255), Rgb(255, 192, 0)}));
}

TEST(PrintRunPages, OneDocumentAcrossFiles) {
  const std::string a = Drawing("o1.jww", {0, 1}), b = Drawing("o2.jww", {4});
  PrintSettings s;
  s.OneDocument = true;
  s.PerLayerGroup = true;
  EXPECT_EQ(RunFiles(s, {a, b}), (Log{"begin Kestrovan \x88\xf3\x8d\xfc", "new", "new", "end"}));
  // A run that prints nothing begins no document: no blank page replaces an earlier PDF.
  PrintRunResult r;
  EXPECT_EQ(RunFiles(s, {}, -1, &r), Log{});
  EXPECT_EQ(r.Counts().Pages, 0);
}

TEST(PrintRunPages, StopsBetweenFilesAndWithinAPage) {
  const std::string a = Drawing("s1.jww", {0}), b = Drawing("s2.jww", {0});
  PrintRunResult r;
  EXPECT_EQ(RunFiles(PrintSettings(), {a, b}, 1, &r), (Log{"begin Kestrovan_s1.jww", "end"}));
  EXPECT_TRUE(r.Stopped);
  // Within a page: the page is ended, and the run stops before the next file.
  {
    const UnitGval::AbortCheckScope stopAtOnce([] { return true; });
    EXPECT_EQ(RunFiles(PrintSettings(), {a, b}, -1, &r), (Log{"begin Kestrovan_s1.jww", "end"}));
  }
  EXPECT_TRUE(r.Stopped);
}

TEST(PrintRunPages, TitlesAreCutWithoutSplittingACharacter) {
  const std::string name = std::string(20, 'x') + ".jww";  // "Kestrovan_" + 24 bytes = 34
  const std::string a = Drawing(name, {0});
  EXPECT_EQ(RunFiles(PrintSettings(), {a})[0], "begin Kestrovan_" + std::string(20, 'x') + ".");
  EXPECT_EQ(PrintJobTitle(std::string(30, 'a') + "\x88\xf3"), std::string(30, 'a'));
  EXPECT_EQ(PrintJobTitle(std::string(29, 'a') + "\x88\xf3"), std::string(29, 'a') + "\x88\xf3");
}

TEST(PrintRunPages, RunawayBlocksAreReported) {
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeInsert(1, 0, 0));
  TJwwBlockDef a, b;
  a.Number = 1;
  b.Number = 2;
  Add(a.Entities, MakeInsert(2, 1, 0));
  Add(a.Entities, MakeLine(0, 0, 1, 1));
  Add(b.Entities, MakeInsert(1, 0, 1));  // A inserts B inserts A ...
  src.BlockDefs = {a, b};
  const std::string path = jwwtype::TempFolder().Value() + "loop.jww";
  WriteFile(path, WriteJww(src));
  PrintRunObserver observer;
  RecordingDevice device;
  TJwwData d;
  PrintSettings s;
  s.PrintMethod = PrintMethod::FitToPage;
  const PrintRunResult r = PrintRun(d, device, s, observer).Run({path});
  EXPECT_EQ(r.Counts().Pages, 1);  // printed as far as the guard allows
  ASSERT_EQ(r.Files.at(0).Problems.size(), 1u);
  EXPECT_EQ(r.Files[0].Problems[0].What, FileProblem::Kind::BlocksCut);
  EXPECT_NE(DescribeFileProblem(r.Files[0].Problems[0]).find("placed blocks"), std::string::npos);
}

namespace {

class StopAfterFiles : public PrintRunObserver {
 public:
  explicit StopAfterFiles(int stopAfter) : stopAfter_(stopAfter) {}
  void FileStarted(size_t, size_t, const std::string&) override { ++started_; }
  bool StopRequested() override { return stopAfter_ >= 0 && started_ >= stopAfter_; }

 private:
  int stopAfter_;
  int started_ = 0;
};

}  // namespace

TEST(PrintRunPages, EachPageSaysWhatItLost) {
  // At the drawing's own scale on the 254 x 203 mm recording page: a line
  // 600 mm long, and one on a hidden layer.
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeLine(-300, 0, 300, 0));
  Add(src.Entities, MakeLine(0, -10, 0, 10, 0, 1));
  src.Layers[1].State = 0;
  TJwwMoji text = MakeText(0, 10, 40, 10, "ABC");
  text.FontName = "NoSuchFace";
  Add(src.Entities, text);
  const std::string wide = jwwtype::TempFolder().Value() + "wide.jww";
  WriteFile(wide, WriteJww(src));
  // Everything hidden: a page with nothing on it.
  src.Layers[0].State = 0;
  const std::string hidden = jwwtype::TempFolder().Value() + "hidden.jww";
  WriteFile(hidden, WriteJww(src));
  struct FewFonts : RecordingDevice {
    std::string FaceUsedInstead(const std::string& face) override { return face == "NoSuchFace" ? "IPAGothic" : ""; }
  } device;
  TJwwData d;
  PrintRunObserver observer;
  const PrintRunResult r = PrintRun(d, device, PrintSettings(), observer).Run({wide, hidden});
  EXPECT_EQ(r.Counts().PagesLosingContent, 2);
  const std::vector<PageWarning>& first = r.Files[0].Pages.at(0).Warnings;
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].What, PageWarning::Kind::OffPage);
  EXPECT_NEAR(first[0].OffShare, 1 - 254.0 / 600, 0.01);
  EXPECT_EQ(first[0].HoldingSheet, "A1");  // 600 mm across: more than A2's 594
  EXPECT_EQ(first[1].What, PageWarning::Kind::FontReplaced);
  EXPECT_EQ(first[1].UsedInstead, "IPAGothic");
  EXPECT_EQ(first[2].What, PageWarning::Kind::LayersLeftOut);
  EXPECT_EQ(first[2].HiddenLayers, 1);
  const std::vector<PageWarning>& second = r.Files[1].Pages.at(0).Warnings;
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second[0].What, PageWarning::Kind::Blank);

  // A text in another face loses nothing; a drawing reaching 1e300 mm needs
  // more than any sheet, said in words, not as an overflowed number.
  TJwwData fontOnly;
  InitTestDrawing(fontOnly, 600);
  Add(fontOnly.Entities, text);
  const std::string face = jwwtype::TempFolder().Value() + "face.jww";
  WriteFile(face, WriteJww(fontOnly));
  PrintRunResult more = PrintRun(d, device, PrintSettings(), observer).Run({face});
  EXPECT_EQ(more.Counts().PagesLosingContent, 0);
  EXPECT_EQ(more.Files[0].Pages.at(0).Warnings.at(0).What, PageWarning::Kind::FontReplaced);
  PageWarning off;
  off.OffShare = 1;
  off.NeededWidthMm = 1e300;
  off.NeededHeightMm = 10;
  more.Files[0].Pages[0].Warnings = {off};
  EXPECT_NE(DescribeWarning(off).find("needs more than any sheet holds"), std::string::npos) << DescribeWarning(off);
  EXPECT_GT(NeededWholeMm(1e300), 0);
  const std::string json = RunReportJson(more.Files, RunSummaryFields());
  EXPECT_EQ(json.find("\"needed_width_mm\":-"), std::string::npos) << json;
}

TEST(PrintRunPages, TheReportKnowsWhatAStoppedRunLeft) {
  const std::string a = Drawing("r1.jww", {0}), b = Drawing("r2.jww", {0}), c = Drawing("r3.jww", {0});
  const std::string gone = jwwtype::TempFolder().Value() + "r-gone.jww";
  const std::vector<std::string> files{a, gone, b, c};
  RecordingDevice device;
  TJwwData d;
  StopAfterFiles observer(3);  // stops once the third file has printed
  PrintSettings s;
  s.PrintMethod = PrintMethod::FitToPage;
  const PrintRunResult r = PrintRun(d, device, s, observer).Run(files);
  std::vector<std::string> status, again;
  for (const FileRecord& f : r.Files) {
    status.push_back(FileStatusKey(f.Status));
    if (PrintAgain(f.Status)) again.push_back(f.Path);
  }
  EXPECT_EQ(status, (Log{"printed", "passed_over", "printed", "not_reached"}));
  EXPECT_EQ(again, (Log{gone, c}));
  // The report names each file with its status and each page with its paper.
  RunSummaryFields run;
  run.Stopped = true;
  const std::string json = RunReportJson(r.Files, run);
  EXPECT_NE(json.find("\"status\":\"not_reached\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"title\":\"Kestrovan_r1.jww\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"paper\":{\"name\":null,\"width_mm\":254,\"height_mm\":203.2"), std::string::npos) << json;
}

// Every status, file problem and page warning, each with its data, written
// to a report and read back: the same report again, and the same words in
// Japanese, so a program reading a child's report tells what the run found.
TEST(PrintRunPages, TheReportReadsBackEveryKind) {
  std::vector<FileRecord> files;
  const std::string image = util::Utf8ToCp932("配置図.bmp");
  for (int s = 0; s == 0 || FileStatusKey(static_cast<FileStatus>(s)) != FileStatusKey(FileStatus::Printed); ++s) {
    FileRecord f;
    f.Path = "/drawings/" + std::to_string(s) + ".jww";
    f.Status = static_cast<FileStatus>(s);
    files.push_back(f);
  }
  FileRecord& all = files.front();
  for (int k = 0; k == 0 || FileProblemKey(static_cast<FileProblem::Kind>(k)) != FileProblemKey(FileProblem::Kind{}); ++k)
    all.Problems.push_back(MakeFileProblem(static_cast<FileProblem::Kind>(k), "bad record", 1234567, {image, "b.png"}));
  PageReport page;
  page.Number = 3;
  page.Title = util::Utf8ToCp932("[2]Kestrovan_平面図.jww");
  page.LayerGroup = 2;
  page.PaperWidthMm = 420;
  page.PaperHeightMm = 297;
  for (int k = 0; *WarningKey(static_cast<PageWarning::Kind>(k)) &&
                  (k == 0 || WarningKey(static_cast<PageWarning::Kind>(k)) != WarningKey(PageWarning::Kind{}));
       ++k) {
    PageWarning w;
    w.What = static_cast<PageWarning::Kind>(k);
    w.OffShare = 0.25;
    w.NeededWidthMm = 595;
    w.NeededHeightMm = 421;
    w.HoldingSheet = "A1";
    w.Name = k == static_cast<int>(PageWarning::Kind::ImageMissing) ? image : util::Utf8ToCp932("ＭＳ 明朝");
    w.UsedInstead = "IPAMincho";
    w.PaperCode = 99;
    w.Dpi = 416;
    w.GivenDpi = 600;
    w.HiddenLayers = 2;
    w.HiddenEntities = 30;
    w.DisplayOnlyLayers = 1;
    w.DisplayOnlyEntities = 4;
    page.Warnings.push_back(w);
  }
  all.Pages = {page};
  ASSERT_EQ(files.size(), 7u);
  ASSERT_EQ(all.Problems.size(), 12u);
  ASSERT_EQ(page.Warnings.size(), 8u);

  RunSummaryFields run;
  run.Failure = RunFailure::OutputNotWritten;
  run.FailureWhy = "cannot write out.pdf: No space left on device";
  run.ExitStatus = 2;
  const std::string json = RunReportJson(files, run);
  const util::Result<RunReport> read = ReadRunReport(json);
  ASSERT_TRUE(read) << read.Why();
  EXPECT_EQ(RunReportJson(read->Files, read->Run), json);
  EXPECT_EQ(read->Run.Failure, RunFailure::OutputNotWritten);
  ASSERT_EQ(read->Files.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(read->Files[i].Path, files[i].Path);
    EXPECT_EQ(read->Files[i].Status, files[i].Status);
    EXPECT_EQ(words::FileLines(read->Files[i]), words::FileLines(files[i])) << i;
  }
  EXPECT_EQ(words::Summary(read->Files, true), words::Summary(files, true));
  // Not a report, or a status no run writes: said, never taken for an empty run.
  EXPECT_FALSE(ReadRunReport("{\"files\": 3}"));
  EXPECT_FALSE(ReadRunReport("[1, 2"));
  EXPECT_FALSE(ReadRunReport("{\"files\": [{\"path\": \"a.jww\", \"status\": \"lost\"}]}"));
}
