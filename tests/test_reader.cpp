#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "TestSupport.h"
#include "render/UnitGval.h"

namespace {

// File-size growth of one record of a kind, measured by writing it twice.
size_t RecordBytes(int32_t version, const std::function<void(TJwwEntityLists&)>& add) {
  TJwwData a, b;
  InitTestDrawing(a, version);
  InitTestDrawing(b, version);
  add(a.Entities);
  add(b.Entities);
  add(b.Entities);
  return WriteJww(b).size() - WriteJww(a).size();
}

}  // namespace

TEST(ReaderLayouts, EveryVersionReadsBackWhatWasWritten) {
  for (int32_t version : {220, 223, 225, 230, 231, 300, 350, 351, 419, 420, 600, 700, 800}) {
    SCOPED_TRACE(version);
    TJwwData src;
    EveryKindDrawing(src, version);
    src.Memo = "memo";
    src.Layers[17].Name = "layer 1-1";
    src.LayerGroups[3].Name = "group 3";
    src.LayerGroups[3].Scale = 50;
    src.Pens[9].PrinterColor = 0xABCDEF;
    src.Pens[9].PrinterPointRadius = 0.25;
    src.LineTypes[7].Pattern = 0xF0F0F0F0;
    src.RandomLines[4].PrinterPitch = 77;
    src.DoubleLineTypes[3].UnitDots = 5;
    src.TextStyles[9].Height = 7.5;
    src.DrawTimeSeconds = 3725;
    src.PrinterResolutionCode = 6;
    src.PrintStateUnits = 2;
    src.SxfPens[256].Name = "sxf";
    src.SxfPens[256].PrinterWidth = 9;
    src.SxfLineTypes[32].Segments[9] = 1.5;
    src.Entities.Lines[0].PenWidth = 3;
    const std::vector<uint8_t> bytes = WriteJww(src);

    TJwwData d;
    const LoadOutcome loaded = LoadBytes(d, bytes);
    ASSERT_TRUE(loaded) << loaded.Why;
    EXPECT_EQ(loaded.StoppedAt, bytes.size());
    EXPECT_EQ(d.Version, version);
    EXPECT_EQ(d.Memo, "memo");
    EXPECT_EQ(d.Layers[17].Name, "layer 1-1");
    EXPECT_EQ(d.LayerGroups[3].Name, "group 3");
    EXPECT_EQ(d.LayerGroups[3].Scale, 50);
    EXPECT_EQ(d.Pens[9].PrinterColor, 0xABCDEFu);
    EXPECT_EQ(d.Pens[9].PrinterPointRadius, 0.25);
    EXPECT_EQ(d.LineTypes[7].Pattern, 0xF0F0F0F0u);
    EXPECT_EQ(d.RandomLines[4].PrinterPitch, 77);
    EXPECT_EQ(d.DoubleLineTypes[3].UnitDots, 5);
    EXPECT_EQ(d.TextStyles[9].Height, 7.5);
    EXPECT_EQ(d.PrinterResolutionCode, 6);
    EXPECT_EQ(d.PrintStateUnits, 2);
    // Drawing time exists from 2.23 on, SXF tables from 4.20 on.
    EXPECT_EQ(d.DrawTimeSeconds, version >= 223 ? 3725 : 0);
    EXPECT_EQ(d.SxfPens[256].Name, version >= 420 ? "sxf" : "");
    EXPECT_EQ(d.SxfPens[256].PrinterWidth, version >= 420 ? 9 : 0);
    EXPECT_EQ(d.SxfLineTypes[32].Segments[9], version >= 420 ? 1.5 : 0);

    const TJwwEntityLists& e = d.Entities;
    ASSERT_EQ(e.Order.size(), 7u);
    EXPECT_EQ(e.Lines.size(), 1u);
    EXPECT_EQ(e.Lines[0].EndX, 100);
    EXPECT_EQ(e.Lines[0].PenWidth, version >= 351 ? 3 : 0);
    EXPECT_EQ(e.Arcs[0].ArcAngle, 1.5);
    EXPECT_EQ(e.Points[0].Code, 3);
    EXPECT_EQ(e.Points[0].PointScale, 2);
    EXPECT_EQ(e.Texts[0].Text, "ABC");
    EXPECT_EQ(e.Solids[0].SolidColor, 0x123456u);
    EXPECT_EQ(e.Blocks[0].BlockNumber, 7);
    EXPECT_EQ(e.Dimensions[0].DimText.Text, "100");
    EXPECT_EQ(e.Order[4].Kind, EntityKind::Dimension);
    ASSERT_EQ(d.BlockDefs.size(), 1u);
    EXPECT_EQ(d.BlockDefs[0].Name, "blk");
    EXPECT_EQ(d.BlockDefs[0].EntityCount, 1);
    EXPECT_EQ(d.BlockDefs[0].Entities.Lines.size(), 1u);
  }
}

TEST(ReaderLayouts, RecordSizesFollowTheVersion) {
  // Before 3.51 every record lacks the 2-byte pen width; class tags are 2 bytes.
  auto line = [](TJwwEntityLists& l) { Add(l, MakeLine(0, 0, 1, 1)); };
  EXPECT_EQ(RecordBytes(350, line), 2u + 45);
  EXPECT_EQ(RecordBytes(351, line), 2u + 47);
  auto arc = [](TJwwEntityLists& l) { Add(l, MakeArc(0, 0, 1, 0, 1)); };
  EXPECT_EQ(RecordBytes(351, arc), 2u + 75);
  auto mark = [](TJwwEntityLists& l) {
    TJwwTen p = MakePoint(0, 0);
    p.PenStyle = 100;
    Add(l, p);
  };
  auto plain = [](TJwwEntityLists& l) {
    TJwwTen p = MakePoint(0, 0);
    p.PenStyle = 99;
    Add(l, p);
  };
  EXPECT_EQ(RecordBytes(351, mark), 2u + 35 + 20);
  EXPECT_EQ(RecordBytes(351, plain), 2u + 35);
  auto ownColour = [](TJwwEntityLists& l) {
    TJwwSolid s = MakeSolid(0, 0, 1, 0, 1, 1, 0, 1);
    s.PenColor = 10;
    Add(l, s);
  };
  auto penColour = [](TJwwEntityLists& l) {
    TJwwSolid s = MakeSolid(0, 0, 1, 0, 1, 1, 0, 1);
    s.PenColor = 9;
    Add(l, s);
  };
  EXPECT_EQ(RecordBytes(350, ownColour), 2u + 77 + 4);
  EXPECT_EQ(RecordBytes(351, penColour), 2u + 79);
  auto insert = [](TJwwEntityLists& l) { Add(l, MakeInsert(1, 0, 0)); };
  EXPECT_EQ(RecordBytes(350, insert), 2u + 57);
}

TEST(ReaderLayouts, HeaderBlocksChangeAtVersions230And300) {
  TJwwData src;
  InitTestDrawing(src, 230);
  src.Kept.SkyMapLevel = 4;  // not in a 2.30 file
  src.Kept.MarkJumps[3].X = 12;
  src.Kept.MarkJumps[5].X = 99;  // only four mark jumps before 2.31
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(d.Kept.SkyMapLevel, 0);
  EXPECT_EQ(d.Kept.MarkJumps[3].X, 12);
  EXPECT_EQ(d.Kept.MarkJumps[5].X, 0);
  EXPECT_EQ(d.Kept.MarkJumps[5].LayerGroup, -1);

  InitTestDrawing(src, 231);  // 44-byte shadow block, sky map not yet kept
  src.Kept.SkyMapLevel = 4;
  src.Kept.MarkJumps[5].X = 99;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(d.Kept.SkyMapLevel, 0);
  EXPECT_EQ(d.Kept.MarkJumps[5].X, 99);

  src.Version = 300;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(d.Kept.SkyMapLevel, 4);
}

TEST(ReaderHeader, VersionBelow220StopsBeforeTheMemo) {
  TJwwData src;
  InitTestDrawing(src, 219);
  std::vector<uint8_t> bytes = WriteJww(src);
  bytes.push_back(5);  // would be a memo length
  TJwwData d;
  d.Memo = "old";
  const LoadOutcome loaded = LoadBytes(d, bytes);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(d.Version, 219);
  EXPECT_EQ(d.Magic, "JwwData.");
  EXPECT_EQ(d.Memo, "");
  EXPECT_EQ(loaded.StoppedAt, 12u);
}

TEST(ReaderHeader, MaxDrawWidthDecoding) {
  struct Case { int32_t raw; bool coded; int32_t value; };
  for (const Case& c : {Case{-250, true, 50}, Case{-450, true, -50}, Case{-150, true, -100},
                        Case{-100, false, -100}, Case{5, false, 5}, Case{-401, true, -1},
                        Case{-500, true, -100}, Case{-201, true, 1}, Case{-101, true, -100}}) {
    bool coded;
    int32_t value;
    DecodeMaxDrawWidth(c.raw, coded, value);
    EXPECT_EQ(coded, c.coded) << c.raw;
    EXPECT_EQ(value, c.value) << c.raw;
  }
}

TEST(ReaderHeader, TextVariablesFromTheLoad) {
  TJwwData src;
  InitTestDrawing(src, 600);
  src.Memo = "A\r\nB\r\nC";
  src.DrawTimeSeconds = 3725;
  src.PrinterScale = 2.5;
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(UnitGval::MemoLine1, "A");
  EXPECT_EQ(UnitGval::MemoLine2, "B\r\nC");
  EXPECT_EQ(UnitGval::DrawTimeText, "1 : 02");
  EXPECT_EQ(UnitGval::HeaderPrintScale, 2.5);
  EXPECT_EQ(UnitGval::CurrentFileName, "test.jww");

  src.Memo = "only line";
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(UnitGval::MemoLine1, "only line");
  EXPECT_EQ(UnitGval::MemoLine2, "");
}

TEST(ReaderStrings, CleanStringsLongStringsAndTruncation) {
  TJwwData src;
  InitTestDrawing(src, 600);
  src.Memo = "keeps\tcontrols";
  src.Layers[0].Name = "a\tb";
  src.Layers[1].Name = std::string("\x81\x1f", 2);  // a trail byte below 32 stays
  src.Layers[2].Name = std::string(300, 'n');      // escape byte 255 and a uint16 length
  src.Layers[3].Name = std::string(70000, 'm');     // uint16 0xFFFF and a uint32 length
  TJwwMoji t = MakeText(0, 0, 1, 0, std::string(300, 't'));
  t.FontName = std::string(254, 'f') + "\x82\xa0";  // cut without splitting あ
  Add(src.Entities, t);
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(d.Memo, "keeps\tcontrols");
  EXPECT_EQ(d.Layers[0].Name, "ab");
  EXPECT_EQ(d.Layers[1].Name, std::string("\x81\x1f", 2));
  EXPECT_EQ(d.Layers[2].Name, std::string(300, 'n'));
  EXPECT_EQ(d.Layers[3].Name.size(), 70000u);
  EXPECT_EQ(d.Entities.Texts[0].Text, std::string(255, 't'));
  EXPECT_EQ(d.Entities.Texts[0].FontName, std::string(254, 'f'));
}

TEST(ReaderStrings, Utf16StringsBecomeShiftJis) {
  TJwwData src;
  InitTestDrawing(src, 700);
  src.Memo = "\x96\xd8\x91\xa2 plan";          // 木造 plan
  src.LayerGroups[0].Name = "\x8a\x4b";        // 階
  Add(src.Entities, MakeText(0, 0, 10, 0, "\x87\x40\x81\x60\\"));  // ①～\ survive the round trip
  src.Layers[5].Name = std::string(300, 'u');  // long form after the marker
  JwwWriteOptions o;
  o.unicodeStrings = true;
  const std::vector<uint8_t> bytes = WriteJww(src, o);
  // The memo is written as FF, the word FFFE, then its length in UTF-16 units.
  ASSERT_GT(bytes.size(), 16u);
  EXPECT_EQ(bytes[12], 0xFF);
  EXPECT_EQ(bytes[13], 0xFE);
  EXPECT_EQ(bytes[14], 0xFF);
  EXPECT_EQ(bytes[15], 7);
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, bytes));
  EXPECT_EQ(d.Memo, src.Memo);
  EXPECT_EQ(d.LayerGroups[0].Name, src.LayerGroups[0].Name);
  EXPECT_EQ(d.Layers[5].Name, std::string(300, 'u'));
  EXPECT_EQ(d.Entities.Texts[0].Text, "\x87\x40\x81\x60\\");
}

TEST(ReaderObjects, ClassTagsAndBackReferences) {
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeLine(0, 0, 1, 1));
  Add(src.Entities, MakeArc(0, 0, 1, 0, 1));
  Add(src.Entities, MakeLine(2, 2, 3, 3));  // tag 0x8000 + the index of CDataSen
  Add(src.Entities, MakeArc(5, 5, 1, 0, 1));
  std::vector<uint8_t> bytes = WriteJww(src);
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, bytes));
  ASSERT_EQ(d.Entities.Lines.size(), 2u);
  EXPECT_EQ(d.Entities.Lines[1].StartX, 2);
  EXPECT_EQ(d.Entities.Arcs[1].CenterX, 5);
  // CDataSen took index 1, the line object 2, CDataEnko 3: the second arc's tag is 0x8003.
  const uint8_t arcTag[] = {0x03, 0x80};
  const uint8_t lineTag[] = {0x01, 0x80};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), arcTag, arcTag + 2), bytes.end());
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), lineTag, lineTag + 2), bytes.end());
}

TEST(ReaderObjects, LongTagFormAndEmptyList) {
  // Many objects push class indices past 0x7FFF: the writer then uses 0x7FFF + uint32.
  TJwwData src;
  InitTestDrawing(src, 600);
  for (int i = 0; i < 0x8000; ++i) Add(src.Entities, MakeLine(i, 0, i, 1));
  Add(src.Entities, MakeArc(1, 1, 1, 0, 1));   // new class at index > 0x7FFF
  Add(src.Entities, MakeArc(2, 2, 1, 0, 1));   // its back-reference in the long form
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  EXPECT_EQ(d.Entities.Arcs.size(), 2u);
  EXPECT_EQ(d.Entities.Arcs[1].CenterX, 2);

  TJwwData empty;
  InitTestDrawing(empty, 600);
  TJwwBlockDef def;
  def.Number = 1;
  empty.BlockDefs.push_back(def);
  ASSERT_TRUE(LoadBytes(d, WriteJww(empty)));
  EXPECT_TRUE(d.Entities.Order.empty());
  EXPECT_EQ(d.BlockDefs.size(), 1u);  // the block-definition list is read after an empty list
}

TEST(ReaderObjects, PreSxfDimensionsCopyTheirOwnFields) {
  TJwwData src;
  InitTestDrawing(src, 419);
  TJwwSunpou s = MakeDimension(0, 0, 10, 0, "10");
  s.LayerGroup = 4;
  s.Layer = 2;
  s.PenColor = 6;
  Add(src.Entities, s);
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src)));
  const TJwwSunpou& r = d.Entities.Dimensions[0];
  EXPECT_EQ(r.SxfMode, 0);
  EXPECT_EQ(r.AuxLine1.LayerGroup, 4);
  EXPECT_EQ(r.AuxLine2.PenColor, 6);
  EXPECT_EQ(r.AuxLine1.EndX, 0);
  EXPECT_EQ(r.AuxPoint4.Layer, 2);
  EXPECT_EQ(r.AuxPoint4.PenStyle, 0);
  EXPECT_EQ(r.AuxPoint4.X, 0);
}

TEST(ReaderDamage, UnknownClassesAndObjectReferencesFail) {
  TJwwData src;
  InitTestDrawing(src, 600);
  Add(src.Entities, MakeLine(0, 0, 1, 1));
  std::vector<uint8_t> bytes = WriteJww(src);
  // Rename the class: same length, unknown name.
  auto it = std::search(bytes.begin(), bytes.end(), "CDataSen", "CDataSen" + 8);
  ASSERT_NE(it, bytes.end());
  std::vector<uint8_t> unknown = bytes;
  std::memcpy(&unknown[static_cast<size_t>(it - bytes.begin())], "CDataXyz", 8);
  TJwwData d;
  EXPECT_FALSE(LoadBytes(d, unknown));
  EXPECT_TRUE(d.Entities.Lines.empty());

  // An object back-reference (a tag below 0x7FFF) is not supported.
  std::vector<uint8_t> objectRef = bytes;
  const size_t tagAt = static_cast<size_t>(it - bytes.begin()) - 6;
  objectRef[tagAt] = 0x01;
  objectRef[tagAt + 1] = 0x00;
  EXPECT_FALSE(LoadBytes(d, objectRef));
}

TEST(ReaderDamage, EveryTruncationFailsCleanlyAndKeepsWhatWasRead) {
  TJwwData src;
  EveryKindDrawing(src, 700);
  JwwWriteOptions o;
  o.images.push_back({"a.bmp", std::string(3000, 'x')});
  const std::vector<uint8_t> bytes = WriteJww(src, o);
  TJwwData d;
  size_t lastLines = 0;
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
    const LoadOutcome loaded = LoadBytes(d, cut);
    ASSERT_FALSE(loaded) << n;
    ASSERT_LE(loaded.StoppedAt, n);
    // Records appear as the file grows, never a half-read one.
    ASSERT_GE(d.Entities.Lines.size(), lastLines);
    lastLines = d.Entities.Lines.size();
    for (const TJwwMoji& t : d.Entities.Texts) ASSERT_EQ(t.Text, "ABC");
  }
  EXPECT_TRUE(LoadBytes(d, bytes));
  jwwtype::ClearImages();
}

TEST(ReaderDamage, HugeCountsDoNotReserveMemory) {
  TJwwData src;
  InitTestDrawing(src, 600);
  std::vector<uint8_t> bytes = WriteJww(src);
  // The file ends with the entity count (0) and the block-definition count (0).
  bytes.resize(bytes.size() - 4);
  const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  bytes.insert(bytes.end(), huge, huge + 6);  // 0xFFFF escape, then 0xFFFFFFFF
  TJwwData d;
  EXPECT_FALSE(LoadBytes(d, bytes));
  EXPECT_LT(d.Entities.Order.capacity(), 16u);
}

TEST(LoadHeaderAndPens, StopsAtTheObjectLimit) {
  TJwwData src;
  InitTestDrawing(src, 600);
  src.Pens[1].PrinterColor = 0xFF;
  for (int i = 0; i < 150; ++i) Add(src.Entities, MakeLine(i, 0, i, 1));
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, WriteJww(src), false, 100));
  EXPECT_EQ(d.Entities.Lines.size(), 100u);
  EXPECT_EQ(d.Pens[1].PrinterColor, 0xFFu);

  // Entities inside block definitions count towards the limit too.
  InitTestDrawing(src, 600);
  for (int i = 0; i < 60; ++i) Add(src.Entities, MakeLine(i, 0, i, 1));
  for (int b = 0; b < 3; ++b) {
    TJwwBlockDef def;
    def.Number = b;
    for (int i = 0; i < 30; ++i) Add(def.Entities, MakeLine(i, 0, i, 1));
    src.BlockDefs.push_back(def);
  }
  ASSERT_TRUE(LoadBytes(d, WriteJww(src), false, 100));
  ASSERT_EQ(d.BlockDefs.size(), 2u);
  EXPECT_EQ(d.BlockDefs[0].Entities.Lines.size(), 30u);
  EXPECT_EQ(d.BlockDefs[1].Entities.Lines.size(), 10u);
}

TEST(IsJwwFile, MagicDecides) {
  const std::string dir = jwwtype::TempFolder().Value();
  EXPECT_TRUE(TJwwData::IsJwwFile(WriteFile(dir + "good.jww", std::string("JwwData.\x58\x02\0\0", 12))));
  EXPECT_FALSE(TJwwData::IsJwwFile(WriteFile(dir + "case.jww", std::string("jwwData.xxxx"))));
  EXPECT_FALSE(TJwwData::IsJwwFile(WriteFile(dir + "short.jww", std::string("JwwData"))));
  EXPECT_FALSE(TJwwData::IsJwwFile(dir + "missing.jww"));
  TJwwData d;
  EXPECT_FALSE(d.LoadForPrint(dir + "missing.jww"));
}
