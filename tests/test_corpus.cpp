// Every drawing users gave us must load, to its last byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "ProbeDrawings.h"
#include "SampleDrawings.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Files(const std::string& sub) {
  std::vector<std::string> out;
  const fs::path dir = fs::path(CorpusDir()) / sub;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".jww") out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// MANIFEST.tsv rows: file name -> notes.
std::map<std::string, std::string> ManifestNotes() {
  std::map<std::string, std::string> notes;
  std::ifstream in(CorpusDir() + "/MANIFEST.tsv");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cols;
    std::stringstream ss(line);
    std::string col;
    while (std::getline(ss, col, '\t')) cols.push_back(col);
    if (cols.size() >= 8) notes[fs::path(cols[0]).filename().string()] = cols[7];
  }
  return notes;
}

}  // namespace

TEST(Corpus, EveryNativeDrawingLoadsToItsLastByte) {
  REQUIRE_CORPUS(CorpusDir() + "/jww");
  const std::vector<std::string> files = Files("jww");
  EXPECT_GE(files.size(), 30u);
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    TJwwData d;
    ASSERT_TRUE(TJwwData::IsJwwFile(f));
    const LoadOutcome loaded = d.LoadForPrint(f);
    EXPECT_TRUE(loaded) << loaded.Why << " at byte " << loaded.StoppedAt;
    EXPECT_EQ(loaded.StoppedAt, fs::file_size(f));
    EXPECT_EQ(d.EntityCountInFile, d.Entities.Order.size());
    // Extents exist exactly when something prints (templates hold only setting texts).
    EXPECT_EQ(d.ComputeExtents(), d.CountEntities().Printable() > 0);
    for (const TJwwBlockDef& def : d.BlockDefs)
      EXPECT_EQ(static_cast<size_t>(def.EntityCount), def.Entities.Order.size());
    jwwtype::ClearImages();
  }
}

TEST(Corpus, CountsMatchTheRecordedOracles) {
  REQUIRE_CORPUS(CorpusDir() + "/MANIFEST.tsv");
  const std::map<std::string, std::string> notes = ManifestNotes();
  const std::regex topLevel(R"(expects (\d+) top-level entities, block-def entity counts \[([0-9,]*)\])");
  const std::regex kinds(R"(line (\d+) arc (\d+) point (\d+) text (\d+) solid (\d+))");
  int checked = 0;
  for (const auto& [name, note] : notes) {
    const std::string path = CorpusDir() + "/jww/" + name;
    if (!fs::exists(path)) continue;
    SCOPED_TRACE(name);
    TJwwData d;
    ASSERT_TRUE(d.LoadForPrint(path));
    std::smatch m;
    if (std::regex_search(note, m, topLevel)) {
      EXPECT_EQ(d.Entities.Order.size(), std::stoul(m[1]));
      std::vector<size_t> defs;
      std::stringstream ss(m[2].str());
      std::string n;
      while (std::getline(ss, n, ',')) defs.push_back(std::stoul(n));
      ASSERT_EQ(d.BlockDefs.size(), defs.size());
      for (size_t i = 0; i < defs.size(); ++i) EXPECT_EQ(d.BlockDefs[i].Entities.EntityTotal(), defs[i]);
      ++checked;
    }
    if (std::regex_search(note, m, kinds)) {
      EXPECT_EQ(d.Entities.Lines.size(), std::stoul(m[1]));
      EXPECT_EQ(d.Entities.Arcs.size(), std::stoul(m[2]));
      EXPECT_EQ(d.Entities.Points.size(), std::stoul(m[3]));
      EXPECT_EQ(d.Entities.Texts.size(), std::stoul(m[4]));
      EXPECT_EQ(d.Entities.Solids.size(), std::stoul(m[5]));
      ++checked;
    }
  }
  EXPECT_GE(checked, 22);
}

TEST(Corpus, NewerFilesReadTheirUtf16Strings) {
  const std::string path = CorpusDir() + "/jww/ezjww__non_block.jww";
  REQUIRE_CORPUS(path);
  TJwwData d;
  ASSERT_TRUE(d.LoadForPrint(path));
  bool sawFont = false, sawSetting = false;
  for (const TJwwMoji& t : d.Entities.Texts) {
    sawFont |= t.FontName == "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
    sawSetting |= t.Text == "Printer_Orientation = 0";
  }
  EXPECT_TRUE(sawFont);
  EXPECT_TRUE(sawSetting);
  // Those setting texts sit at y = -1000 and must not pull the extents down.
  ASSERT_TRUE(d.ComputeExtents());
  EXPECT_GT(jwwunit::DrawingExtents.MinY, -500);
}

TEST(Corpus, TemplatesOfSettingTextsHaveNothingToPrint) {
  const std::string path = CorpusDir() + "/jww/jinkihelper__template.jww";
  REQUIRE_CORPUS(path);
  TJwwData d;
  ASSERT_TRUE(d.LoadForPrint(path));
  EXPECT_FALSE(d.Entities.Texts.empty());
  EXPECT_EQ(d.CountEntities().Printable(), 0);
  EXPECT_FALSE(d.ComputeExtents());
}

TEST(Corpus, ForeignWritersLoadAsFarAsTheyCan) {
  REQUIRE_CORPUS(CorpusDir() + "/jww-nonnative");
  const std::vector<std::string> files = Files("jww-nonnative");
  int failed = 0;
  for (const std::string& f : files) {
    TJwwData d;
    const LoadOutcome loaded = d.LoadForPrint(f);
    failed += !loaded;
    if (!loaded) {
      EXPECT_FALSE(loaded.Why.empty());
      EXPECT_GT(d.Entities.Order.size(), 0u) << "a partial model is kept";
    }
    d.ComputeExtents();
    d.CountEntities();
    jwwtype::ClearImages();
  }
  EXPECT_EQ(failed, 1);
}

// The probe drawings are whole drawings that load to their end and print
// something on an A3 sheet (scripts/probe-jwcad compares them with Jw_cad's).
TEST(Samples, ProbeDrawingsLoadWhole) {
  for (const ProbeDrawing& p : BuildProbeDrawings()) {
    SCOPED_TRACE(p.Name);
    TJwwData d;
    const LoadOutcome loaded = d.LoadFromMemory(p.Bytes.data(), p.Bytes.size(), p.Name + ".jww", true);
    ASSERT_TRUE(loaded) << loaded.Why;
    EXPECT_EQ(loaded.StoppedAt, p.Bytes.size());
    ASSERT_TRUE(d.ComputeExtents());
    EXPECT_LT(std::max(std::fabs(d.ExtentMinX), std::fabs(d.ExtentMaxX)), 500.0);
  }
}

TEST(Samples, BundledDrawingsAreCurrentAndLoad) {
  for (const auto& [name, bytes] : BuildSampleDrawings()) {
    SCOPED_TRACE(name);
    const std::string path = std::string(KESTROVAN_SOURCE_DIR) + "/samples/" + name;
    EXPECT_EQ(ReadFileBytes(path), bytes) << "regenerate with kestrovan-make-samples";
    TJwwData d;
    const LoadOutcome loaded = d.LoadForPrint(path);
    ASSERT_TRUE(loaded) << loaded.Why;
    EXPECT_EQ(loaded.StoppedAt, bytes.size());
    EXPECT_TRUE(d.ComputeExtents());
    EXPECT_FALSE(d.BlockInstances.empty());
    jwwtype::GunzipImages();
    jwwtype::ClearImages();
  }
}
