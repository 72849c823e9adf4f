#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "TestSupport.h"

namespace {

struct DumpRun {
  int status = -1;
  std::string out;
};

DumpRun RunDump(const std::string& args) {
  const CommandResult c = RunCommand(std::string(KESTROVAN_DUMP_EXE) + " " + args + " 2>/dev/null");
  return {c.status, c.output};
}

}  // namespace

TEST(DumpTool, JsonReportAndExitStatus) {
  const std::string dir = jwwtype::TempFolder().Value();
  TJwwData src;
  EveryKindDrawing(src, 700);
  src.Memo = "\x96\xd8\x91\xa2";  // 木造, shown as UTF-8
  TJwwMoji settings = MakeText(0, -1000, 0, -1000, "Printer_PaperSize = 0");
  Add(src.Entities, settings);
  JwwWriteOptions o;
  o.images.push_back({"pic.bmp", "BM"});
  const std::string good = WriteFile(dir + "good.jww", WriteJww(src, o));

  DumpRun r = RunDump("--json " + good);
  EXPECT_EQ(r.status, 0);
  for (const char* key :
       {"\"file\":", "\"is_jww\":true", "\"load_ok\":true", "\"version\":700",
        "\"counts\":{\"lines\":1,\"arcs\":1,\"points\":1,\"texts\":2,\"dimensions\":1,\"solids\":1,\"blocks\":1}",
        "\"temporary_points\":0", "\"image_reference_texts\":[]", "\"block_defs\":1",
        "\"block_def_entities\":1", "\"block_instances\":1",
        "\"embedded_images\":[{\"name\":\"pic.bmp\",\"size\":2}]", "\"extents\":[",
        "\"count_entities_all\":{\"lines\":1,\"arcs\":1,\"points\":1,\"temporary_points\":0,\"texts\":1,",
        "\"block_lines\":1", "\"memo\":\"\xe6\x9c\xa8\xe9\x80\xa0\""})
    EXPECT_NE(r.out.find(key), std::string::npos) << key << "\n" << r.out;

  // A file that is not a drawing, and a damaged one: reported, exit 1.
  const std::string notJww = WriteFile(dir + "readme.jww", std::string("hello world"));
  std::vector<uint8_t> cut = WriteJww(src);
  cut.resize(cut.size() / 2);
  const std::string damaged = WriteFile(dir + "cut.jww", cut);
  r = RunDump("--json " + good + " " + notJww + " " + damaged);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"is_jww\":false,\"load_ok\":false"), std::string::npos);
  EXPECT_NE(r.out.find("\"load_error\":"), std::string::npos);

  // Text output names the file and its counts; a memo's control characters
  // reach the terminal as text, never as escape sequences.
  src.Memo = "\x1b]0;owned\x07\x1b[2J";
  const std::string hostile = WriteFile(dir + "hostile.jww", WriteJww(src));
  r = RunDump(good + " " + hostile);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("1 lines, 1 arcs"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("memo: \\x1B]0;owned\\x07\\x1B[2J"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos);

  // --pens adds the converted tables and the published layer states.
  r = RunDump("--json --pens " + good);
  EXPECT_EQ(r.status, 0);
  for (const char* key : {"\"pens\":[{\"row\":0,\"color\":", "\"line_types\":[{\"row\":0,\"count\":0,",
                          "\"layer_states\":[1,", "\"file_layer_states\":[2,"})
    EXPECT_NE(r.out.find(key), std::string::npos) << key;
  r = RunDump("--pens " + good);
  EXPECT_NE(r.out.find("line types as printed"), std::string::npos);

  EXPECT_EQ(RunDump("").status, 2);
  EXPECT_EQ(RunDump("--bogus " + good).status, 2);
}

TEST(DumpTool, EmptyDrawingHasNullExtents) {
  const std::string dir = jwwtype::TempFolder().Value();
  TJwwData src;
  InitTestDrawing(src, 600);
  const DumpRun r = RunDump("--json " + WriteFile(dir + "empty.jww", WriteJww(src)));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"extents\":null"), std::string::npos) << r.out;
}
