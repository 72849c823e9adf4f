// Pen and line-type settings taken over from JWF and JWW files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "app/core/Imports.h"
#include "app/core/PrintPreparation.h"

namespace {

std::string Jwf(const std::string& name, const std::string& text) {
  const std::string path = jwwtype::TempFolder().Value() + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

}  // namespace

TEST(JwfFiles, UnitsFromWidthCodeAndResolution) {
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("a.jwf", "X=1\r\n"), true, 0.035), 0.085);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("b.jwf", "S_COMM_2 = 1, -10\r\n"), true, 0.035), 0.1);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("b.jwf", "S_COMM_2 = 1, -10\r\n"), false, 0.035), 0.035);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("c.jwf", "S_COMM_2 = 1, -150\r\n"), true, 0.035), 0.085);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("d.jwf", "S_COMM_2 = 1, -150\r\nP_DPI = 600\r\n"), true, 0.035), 0.042);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("e.jwf", "P_DPI = 600\r\nEND\r\nS_COMM_2 = 1, -10\r\n"), true, 0.035), 0.042);
  EXPECT_DOUBLE_EQ(ReadJwfUnit(Jwf("f.jwf", "S_COMM_2 = 1, -101\r\n"), true, 0.035), 0.01);
}

TEST(JwfFiles, PensWithCommentsQuotesAndEnd) {
  PrintSettings s;
  const std::string path = Jwf("pens.jwf",
                               "# a comment line\r\n"
                               "PCOLLOR_3 = 255, 0, 0, 5   # red, width 5\r\n"
                               "pcollor_1 = \"0 0\", 255, 255\r\n"  // quoted item, lower-case key
                               "PCOLLOR_G = 10 20 30\r\n"
                               "LCOLLOR_HOJO = 1, 2, 3\r\n"
                               "PCOLLOR_2 = 300, 0, 0, 1, 0.001\r\n"  // channel out of range -> 0
                               "END of the settings\r\n"
                               "PCOLLOR_4 = 1, 2, 3\r\n");
  const ImportResult r = ImportPensFromJwf(path, s);
  EXPECT_TRUE(r.Ok());
  EXPECT_FALSE(r->Status.empty());
  EXPECT_EQ(s.PenTable[2].Color, Rgb(255, 0, 0));
  EXPECT_DOUBLE_EQ(s.PenTable[2].Width, 5 * 0.085);
  EXPECT_EQ(s.PenTable[0].Color, Rgb(0, 255, 255));  // "0 0" is one item, read as 0
  EXPECT_EQ(s.DisplayOnlyColor, Rgb(10, 20, 30));
  EXPECT_EQ(s.PenTable[8].Color, Rgb(1, 2, 3));
  EXPECT_EQ(s.PenTable[1].Color, Rgb(0, 0, 0));
  EXPECT_DOUBLE_EQ(s.PenTable[1].PointRadius, 0.01);
  EXPECT_EQ(s.PenTable[3].Color, PrintSettings().PenTable[3].Color);  // after END: untouched
  EXPECT_FALSE(ImportPensFromJwf(jwwtype::TempFolder().Value() + "pens.txt", s).Ok());
}

TEST(JwfFiles, LineTypes) {
  PrintSettings s;
  TgraAttribute a;
  const std::string path = Jwf("lt.jwf",
                               "LTYPE_02 = FF00FF00, 0, 0, 2\r\n"
                               "LTYPE_09 = FFFFFFFF, 0, 0, 3\r\n"
                               "LTYPE_R1 = F0F0F0F0, 0, 0, 4, 1\r\n"
                               "LTYPE_L4 = 0000FFFF, 0, 0, 1\r\n");
  ASSERT_TRUE(ImportLineTypesFromJwf(path, s, a).Ok());
  const TLineTypeRow& dashed = s.LineTypeTable[1];
  ASSERT_EQ(dashed.Count, 4);
  EXPECT_NEAR(dashed.Elements[0], 8 * 2 * 0.085, 1e-12);
  EXPECT_NEAR(s.LineTypeTable[8].Period, 32 * 10 * 0.085, 1e-9);  // type 9: pitch 10
  EXPECT_NEAR(s.LineTypeTable[9].Amplitude, 4 * 0.085, 1e-12);
  EXPECT_EQ(s.LineTypeTable[17].Count, 2);
  EXPECT_LT(s.LineTypeTable[17].Elements[0], 0);  // 16 gaps first
  // Rows without keys: a single dot; rows from 18 on are not touched.
  EXPECT_EQ(s.LineTypeTable[3].Count, 1);
  EXPECT_EQ(s.LineTypeTable[3].Elements[0], 0);
  EXPECT_EQ(s.LineTypeTable[19].Count, PrintSettings().LineTypeTable[19].Count);
  // A missing or empty file, or one without such lines, changes nothing.
  const PrintSettings before = s;
  for (const std::string& none : {Jwf("empty.jwf", ""), Jwf("other.jwf", "S_COMM_2 = 0, 100\r\n"),
                                   std::string("/no/such/file.jwf")}) {
    EXPECT_FALSE(ImportLineTypesFromJwf(none, s, a).Ok()) << none;
    EXPECT_FALSE(ImportPensFromJwf(none, s).Ok()) << none;
  }
  // And says why, for the user.
  EXPECT_EQ(ImportPensFromJwf("/no/such/file.jwf", s).Why(), "there is no file /no/such/file.jwf");
  EXPECT_NE(ImportPensFromJwf(Jwf("empty.jwf", ""), s).Why().find("holds no pen settings"), std::string::npos);
  EXPECT_EQ(s.LineTypeTable[1].Count, before.LineTypeTable[1].Count);
  EXPECT_EQ(s.PenTable[0].Color, before.PenTable[0].Color);
}

TEST(JwfFiles, RealSettingsFilesOfTheProgram) {
  const std::string dir = CorpusDir() + "/jwf/";
  REQUIRE_CORPUS(dir + "jwmac__Sample_v801b.jwf");
  for (const char* name : {"jwmac__Sample_v711.jwf", "jwmac__Sample_v801b.jwf", "jwmac__mtani.jwf",
                           "jwmac__shakutani.jwf"}) {
    SCOPED_TRACE(name);
    PrintSettings s;
    TgraAttribute a;
    // The samples keep their pens and line types below an "END" line; the
    // others hold lettering: none of them changes the tables.
    EXPECT_FALSE(ImportPensFromJwf(dir + name, s).Ok());
    EXPECT_FALSE(ImportLineTypesFromJwf(dir + name, s, a).Ok());
    for (const TPenRow& row : s.PenTable) {
      EXPECT_LE(row.Color, 0xFFFFFFu);
      EXPECT_GE(row.Width, 0);
    }
  }
  // The shipped sample has an "END" line above all its keys on purpose, so
  // reading it changes nothing.
  PrintSettings s;
  TgraAttribute a;
  EXPECT_FALSE(ImportLineTypesFromJwf(dir + "jwmac__Sample_v801b.jwf", s, a).Ok());
  EXPECT_EQ(s.LineTypeTable[1].Count, PrintSettings().LineTypeTable[1].Count);
  EXPECT_FALSE(ImportPensFromJwf(dir + "jwmac__Sample_v801b.jwf", s).Ok());
  EXPECT_EQ(s.PenTable[0].Color, PrintSettings().PenTable[0].Color);
}

TEST(JwwImports, PensAndLineTypesFromADrawing) {
  const std::string path = CorpusDir() + "/jww/jwmac__sanpuru.jww";
  REQUIRE_CORPUS(path);
  PrintSettings s;
  TgraAttribute a;
  const UnitGraAtt::FixedResolution dpi(600);
  ASSERT_TRUE(ImportPensFromJww(path, s, a, &dpi).Ok());
  EXPECT_DOUBLE_EQ(s.PenTable[1].Width, 2 * 0.085);
  ASSERT_TRUE(ImportLineTypesFromJww(path, s, a).Ok());
  EXPECT_NEAR(s.LineTypeTable[1].Period, 27.2, 1e-9);
  EXPECT_FALSE(ImportPensFromJww(CorpusDir() + "/jwf/jwmac__mtani.jwf", s, a, &dpi).Ok());
}

TEST(JwwImports, DispatchByExtensionOrientationAndColourCodes) {
  EXPECT_EQ(ImportKindOf("/a/B.JWW"), ImportKind::Drawing);
  EXPECT_EQ(ImportKindOf("x.Jwf"), ImportKind::Environment);
  EXPECT_EQ(ImportKindOf("/a.jww/notes"), ImportKind::None);  // a folder's dot is not an extension
  EXPECT_EQ(ImportKindOf("jww"), ImportKind::None);
  // Any other kind changes nothing.
  PrintSettings s;
  const std::string other = Jwf("pens.txt", "X=1\r\n");
  EXPECT_FALSE(ImportPensFrom(other, s, UnitGraAtt::GraAttribute(), nullptr).Ok());
  EXPECT_FALSE(ImportLineTypesFrom(other, s, UnitGraAtt::GraAttribute()).Ok());
  const PageSetup across = OrientedPage(PaperSize{297, 420}, true, 300);
  const PageSetup upright = OrientedPage(PaperSize{420, 297}, false, 600);
  EXPECT_EQ(std::make_pair(across.PaperWidthMm, across.PaperHeightMm), std::make_pair(420.0, 297.0));
  EXPECT_EQ(std::make_pair(upright.PaperWidthMm, upright.PaperHeightMm), std::make_pair(297.0, 420.0));
  EXPECT_EQ(across.Dpi, 300);
  EXPECT_EQ(ClampColorCode(-5), 0u);
  EXPECT_EQ(ClampColorCode(20000000), 0xFFFFFFu);
}
