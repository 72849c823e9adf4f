// Settings files: both forms round trip, header check, clamps, damage.
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/core/SettingsFile.h"
#include "jww/jwwtype.h"

namespace fs = std::filesystem;

namespace {

PrintSettings Unusual() {
  PrintSettings s;
  s.PrintMethod = PrintMethod::GivenScale;
  s.PrintScale = 0.035;
  s.OffsetX = -12.5;
  s.OffsetY = 1e-7;
  s.RotationAngle = 33.333333333333336;
  s.FollowDrawing = true;
  s.Monochrome = true;
  s.MonoThreshold = 17;
  s.WhiteToBlackNormal = true;
  s.NormalWhiteThreshold = 200;
  s.WhiteToBlackSxf = true;
  s.SxfWhiteThreshold = 3;
  s.PerLayerGroup = true;
  s.OneDocument = true;
  s.CommonLayerGroup = 17;
  s.PrintAuxLines = true;
  s.DisplayOnlyMode = DisplayOnlyMode::GivenColor;
  s.DisplayOnlyColor = 0x123456;
  s.PrintOrder = PrintOrder::ByLayerReverse;
  s.PenSource = TableSource::UserTable;
  s.BulkColor = 0xABCDEF;
  s.BulkWidth = 0.123456789;
  s.BulkPointRadius = 450;
  s.LineTypeSource = TableSource::UserTable;
  s.LineTypePitch = 0.0425;
  s.PenTable[264] = {0x00FF00, 0.7, 0.02};
  s.LineTypeTable[49].Count = 3;
  s.LineTypeTable[49].Amplitude = 0.6;
  s.LineTypeTable[49].Elements[0] = 2;
  s.LineTypeTable[49].Elements[1] = -1;
  s.LineTypeTable[49].Elements[2] = 0;
  s.LineTypeTable[49].Period = 3;
  return s;
}

void ExpectSame(const PrintSettings& a, const PrintSettings& b) {
  EXPECT_EQ(a.PrintMethod, b.PrintMethod);
  EXPECT_EQ(a.PrintScale, b.PrintScale);
  EXPECT_EQ(a.OffsetX, b.OffsetX);
  EXPECT_EQ(a.OffsetY, b.OffsetY);
  EXPECT_EQ(a.RotationAngle, b.RotationAngle);
  EXPECT_EQ(a.FollowDrawing, b.FollowDrawing);  // after the fixed layout
  EXPECT_EQ(a.Monochrome, b.Monochrome);
  EXPECT_EQ(a.WhiteToBlackNormal, b.WhiteToBlackNormal);
  EXPECT_EQ(a.WhiteToBlackSxf, b.WhiteToBlackSxf);
  EXPECT_EQ(a.PerLayerGroup, b.PerLayerGroup);
  EXPECT_EQ(a.OneDocument, b.OneDocument);
  EXPECT_EQ(a.PrintAuxLines, b.PrintAuxLines);
  EXPECT_EQ(a.DisplayOnlyMode, b.DisplayOnlyMode);
  EXPECT_EQ(a.PrintOrder, b.PrintOrder);
  EXPECT_EQ(a.PenSource, b.PenSource);
  EXPECT_EQ(a.LineTypeSource, b.LineTypeSource);
  EXPECT_EQ(a.MonoThreshold, b.MonoThreshold);
  EXPECT_EQ(a.NormalWhiteThreshold, b.NormalWhiteThreshold);
  EXPECT_EQ(a.SxfWhiteThreshold, b.SxfWhiteThreshold);
  EXPECT_EQ(a.CommonLayerGroup, b.CommonLayerGroup);
  EXPECT_EQ(a.DisplayOnlyColor, b.DisplayOnlyColor);
  EXPECT_EQ(a.BulkWidth, b.BulkWidth);
  EXPECT_EQ(a.LineTypePitch, b.LineTypePitch);
  for (int r = 0; r < TgraAttribute::kPenRows; ++r) {
    EXPECT_EQ(a.PenTable[r].Color, b.PenTable[r].Color) << r;
    EXPECT_EQ(a.PenTable[r].Width, b.PenTable[r].Width) << r;
    EXPECT_EQ(a.PenTable[r].PointRadius, b.PenTable[r].PointRadius) << r;
  }
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    EXPECT_EQ(a.LineTypeTable[r].Count, b.LineTypeTable[r].Count) << r;
    EXPECT_EQ(a.LineTypeTable[r].Amplitude, b.LineTypeTable[r].Amplitude) << r;
    EXPECT_EQ(a.LineTypeTable[r].Elements, b.LineTypeTable[r].Elements) << r;
    EXPECT_EQ(a.LineTypeTable[r].Period, b.LineTypeTable[r].Period) << r;
  }
}

std::string Dir() {
  const std::string d = jwwtype::TempFolder().Value() + "settings/";
  fs::create_directories(d);
  return d;
}

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SettingsFile, BothFormsRoundTripEveryValue) {
  const PrintSettings src = Unusual();
  SettingsFileExtras extras;
  extras.WindowLeft = 10;
  extras.WindowTop = -20;
  extras.WindowWidth = 800;
  extras.WindowHeight = 600;
  extras.SettingsFolder = "/home/u/\x90\xdd\x92\xe8/";  // 設定
  extras.DrawingFolder = "/d/";
  extras.JwwImportFolder = "/j/";
  extras.JwfImportFolder = "/f/";
  extras.Files = {"/d/a.jww", "/d/\x90\x7d\x96\xca.jww"};
  for (SettingsForm form : {SettingsForm::User, SettingsForm::Window}) {
    const std::string path = Dir() + (form == SettingsForm::User ? "user.dat" : "window.dat");
    ASSERT_TRUE(WriteSettingsFile(path, form, src, extras));
    PrintSettings back;
    SettingsFileExtras got;
    EXPECT_EQ(ReadSettingsFile(path, form, back, got), SettingsReadResult::Opened);
    ExpectSame(src, back);
    EXPECT_EQ(got.DrawingFolder, "/d/");
    EXPECT_EQ(got.JwfImportFolder, "/f/");
    if (form == SettingsForm::User) {
      EXPECT_EQ(got.Files, extras.Files);
      const std::string header = "\x81\x79Kestrovan\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x81\x7a\r\n";
      EXPECT_EQ(Slurp(path).substr(0, header.size()), header);
    } else {
      EXPECT_EQ(got.WindowTop, -20);
      EXPECT_EQ(got.SettingsFolder, extras.SettingsFolder);
      EXPECT_TRUE(got.Files.empty());
    }
  }
  // Every line ends with CR LF; numbers are written short.
  const std::string text = Slurp(Dir() + "user.dat");
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
  EXPECT_NE(text.find("\r\n0.035\r\n"), std::string::npos);
  // Every choice as the numbers files have always held: method, scale, offsets, then black (1, 17), white to
  // black (1, 200), SXF white (1, 3), per group, one document, common group 17, auxiliary lines,
  // display-only mode 2 and colour; the option kept after the layout.
  EXPECT_NE(text.find("\r\n2\r\n0.035\r\n-12.5\r\n1e-07\r\n1\r\n17\r\n1\r\n200\r\n1\r\n3\r\n1\r\n1\r\n17\r\n1\r\n2\r\n"
                      "1193046\r\n2\r\n1\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nFollowDrawing=1\r\n"), std::string::npos);
  EXPECT_EQ(SettingsReal(100), "100");
  EXPECT_EQ(SettingsReal(0.1), "0.1");
  EXPECT_EQ(SettingsReal(1e-7), "1e-07");
}

TEST(SettingsFile, WithoutTheRotationLineAndOldHeader) {
  const std::string path = Dir() + "norot.dat";
  PrintSettings src = Unusual();
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::User, src, {}));
  std::string text = Slurp(path);
  text.erase(text.rfind("33.333"));  // the file ends right after the file list
  std::ofstream(path, std::ios::binary) << text;
  PrintSettings back = src;
  SettingsFileExtras got;
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::User, back, got), SettingsReadResult::Opened);
  EXPECT_EQ(back.RotationAngle, 0);
  EXPECT_EQ(back.PrintScale, 0.035);
  // The older header opens the same.
  text.replace(0, text.find("\r\n"), "\x81\x79Morvelin\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x81\x7a");
  std::ofstream(path, std::ios::binary) << text;
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::User, back, got), SettingsReadResult::Opened);
}

TEST(SettingsFile, AForeignFileChangesNothing) {
  const std::string path = Dir() + "notes.dat";
  std::ofstream(path, std::ios::binary) << "shopping list\r\nmilk\r\n";
  PrintSettings s = Unusual();
  SettingsFileExtras extras;
  extras.Files = {"/keep.jww"};
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::User, s, extras), SettingsReadResult::NotSettings);
  EXPECT_EQ(s.PrintScale, 0.035);
  EXPECT_EQ(extras.Files.size(), 1u);
  EXPECT_FALSE(SettingsStatusText(SettingsReadResult::NotSettings).empty());
  // No file at all: the options go back to their defaults, the tables stay.
  EXPECT_EQ(ReadSettingsFile(Dir() + "none.dat", SettingsForm::User, s, extras), SettingsReadResult::NoFile);
  EXPECT_EQ(s.PrintScale, 1.0);
  EXPECT_EQ(s.PenTable[264].Color, 0x00FF00u);
}

TEST(SettingsFile, DamagedFilesAndHugeCounts) {
  const std::string path = Dir() + "cut.dat";
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::User, Unusual(), {}));
  std::string text = Slurp(path);
  std::ofstream(path, std::ios::binary) << text.substr(0, text.size() / 3);
  PrintSettings s;
  SettingsFileExtras e;
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::User, s, e), SettingsReadResult::Damaged);
  EXPECT_EQ(s.PrintScale, 0.035);  // what was read before the damage stays

  // A line type with 40 elements: kept to 32, and the rest of the file still reads.
  PrintSettings big = Unusual();
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::User, big, {}));
  text = Slurp(path);
  // Row 49 is written as "3\r\n0.6\r\n2\r\n-1\r\n0\r\n3\r\n": make it 40 elements.
  const std::string row = "\r\n3\r\n0.6\r\n2\r\n-1\r\n0\r\n3\r\n";
  const size_t at = text.rfind(row);
  ASSERT_NE(at, std::string::npos);
  std::string forty = "\r\n40\r\n0.6\r\n";
  for (int i = 0; i < 40; ++i) forty += "1\r\n";
  forty += "40\r\n";
  text.replace(at, row.size(), forty);
  std::ofstream(path, std::ios::binary) << text;
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::User, s, e), SettingsReadResult::Opened);
  EXPECT_EQ(s.LineTypeTable[49].Count, 32);
  EXPECT_EQ(s.RotationAngle, big.RotationAngle);

  // The window's own file, with its list and output choice after the layout: cut anywhere in them it is damaged,
  // keeping what was read.
  SettingsFileExtras window;
  window.KeptList = {{"/d/a.jww", "printed", 2}, {"/d/b.jww", "", 0}};
  window.KeptOutput.Present = true;
  window.KeptOutput.Pdf = false;
  window.KeptOutput.Printer = "Plotter";
  window.KeptOutput.Copies = 3;
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::Window, big, window));
  const std::string whole = Slurp(path);
  e = SettingsFileExtras();
  EXPECT_EQ(ReadSettingsFile(path, SettingsForm::Window, s, e), SettingsReadResult::Opened);
  ASSERT_EQ(e.KeptList.size(), 2u);
  EXPECT_EQ(e.KeptList[0].State, "printed");
  EXPECT_EQ(e.KeptList[0].Pages, 2);
  EXPECT_EQ(e.KeptOutput.Printer, "Plotter");
  EXPECT_EQ(e.KeptOutput.Copies, 3);
  for (const char* cutAfter : {"/d/a.jww\r\n", "[kestrovan-output]\r\nprinter\r\n", "Plot"}) {
    std::ofstream(path, std::ios::binary) << whole.substr(0, whole.find(cutAfter) + std::strlen(cutAfter));
    e = SettingsFileExtras();
    EXPECT_EQ(ReadSettingsFile(path, SettingsForm::Window, s, e), SettingsReadResult::Damaged) << cutAfter;
    EXPECT_EQ(s.RotationAngle, big.RotationAngle);  // the layout before the cut was read
    EXPECT_FALSE(e.KeptList.empty());
  }

  // A device that never ends is no settings file; the lowest hexadecimal
  // value reads without overflow.
  EXPECT_EQ(ReadSettingsFile("/dev/zero", SettingsForm::User, s, e), SettingsReadResult::NotSettings);
  EXPECT_EQ(SettingsTextToInt("-$80000000"), INT32_MIN);
  EXPECT_EQ(SettingsTextToInt("-$10"), -16);
}

TEST(SettingsFile, ClampsAtEveryTransfer) {
  PrintSettings s;
  s.PrintScale = 0;  // letters typed into the field read as 0
  s.MonoThreshold = 300;
  s.NormalWhiteThreshold = -4;
  s.CommonLayerGroup = 99;
  s.DisplayOnlyColor = 0x1FFFFFF;
  s.BulkWidth = -1;
  s.BulkPointRadius = 0;
  s.LineTypePitch = 1e9;
  s.PenTable[0].Width = NAN;
  s.LineTypeTable[3].Count = 3;
  s.LineTypeTable[3].Elements[0] = 2;
  s.LineTypeTable[3].Elements[1] = -1;
  s.LineTypeTable[3].Elements[2] = 0;
  s.LineTypeTable[4].Count = 40;
  s.LineTypeTable[5].Elements[0] = -900;
  s.LineTypeTable[5].Count = 1;
  ClampSettings(s);
  EXPECT_EQ(s.PrintScale, 1e-6);
  EXPECT_EQ(s.MonoThreshold, 255);
  EXPECT_EQ(s.NormalWhiteThreshold, 0);
  EXPECT_EQ(s.CommonLayerGroup, 17);
  EXPECT_EQ(s.DisplayOnlyColor, 0xFFFFFFu);
  EXPECT_EQ(s.BulkWidth, 0);
  EXPECT_EQ(s.BulkPointRadius, 0.01);
  EXPECT_EQ(s.LineTypePitch, 500);
  EXPECT_EQ(s.PenTable[0].Width, 0);
  EXPECT_EQ(s.LineTypeTable[3].Period, 3);
  EXPECT_EQ(s.LineTypeTable[4].Count, 32);
  EXPECT_EQ(s.LineTypeTable[5].Elements[0], -500);
  EXPECT_EQ(SettingsTextToInt("$FF"), 255);
  EXPECT_EQ(SettingsTextToInt("-$10"), -16);
  EXPECT_EQ(SettingsTextToInt("abc"), 0);
}

TEST(SettingsFile, AFailedSaveKeepsThePreviousFile) {
  const std::string dir = Dir() + "saves/";
  fs::create_directories(dir);
  const std::string path = dir + "keep.dat";
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::User, Unusual(), {}));
  ASSERT_TRUE(WriteSettingsFile(path, SettingsForm::User, Unusual(), {}));
  // Nothing but the file itself is left beside it: the temporary one is renamed.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_FALSE(WriteSettingsFile(Dir() + "no/such/folder/x.dat", SettingsForm::User, PrintSettings(), {}));
  // What is not a regular file is never replaced: a FIFO, or a link to one.
  const std::string fifo = dir + "fifo.dat", link = dir + "link.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, link);
  EXPECT_FALSE(WriteSettingsFile(fifo, SettingsForm::User, PrintSettings(), {}));
  EXPECT_FALSE(WriteSettingsFile(link, SettingsForm::User, PrintSettings(), {}));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(link));
  fs::remove_all(dir);
}
