// Shared helpers of the test suites.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "JwwWriter.h"
#include "jww/jwwtype.h"
#include "jww/jwwunit.h"

// The corpus of real drawings (KESTROVAN_CORPUS_DIR when the build was
// configured); empty when it was configured without one.
inline std::string CorpusDir() { return KESTROVAN_CORPUS_DIR; }

// The first step of a test on the corpus: skips it, saying so, when the build
// was configured without a corpus; fails it when `path` is not there.
#define REQUIRE_CORPUS(path)                                                                         \
  do {                                                                                               \
    if (CorpusDir().empty()) GTEST_SKIP() << "configured without a corpus (KESTROVAN_CORPUS_DIR empty)"; \
    ASSERT_TRUE(std::filesystem::exists(path)) << "not in the corpus: " << (path)                    \
                                               << " (configure KESTROVAN_CORPUS_DIR)";               \
  } while (0)

// Runs a shell command; its exit status and what it printed.
struct CommandResult {
  int status = -1;
  std::string output;
};
inline CommandResult RunCommand(const std::string& command) {
  CommandResult r;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// Loads bytes as LoadForPrint does.
inline LoadOutcome LoadBytes(TJwwData& d, const std::vector<uint8_t>& bytes, bool withImages = true,
                      int limit = -1) {
  return d.LoadFromMemory(bytes.data(), bytes.size(), "test.jww", withImages, limit);
}

// A drawing of the given version with one entity of every kind.
inline TJwwData& EveryKindDrawing(TJwwData& d, int32_t version) {
  InitTestDrawing(d, version);
  Add(d.Entities, MakeLine(0, 0, 100, 50));
  Add(d.Entities, MakeArc(50, 50, 10, 0, 1.5));
  TJwwTen mark = MakePoint(5, 5);
  mark.PenStyle = 100;
  mark.Code = 3;
  mark.Angle = 0.5;
  mark.PointScale = 2;
  Add(d.Entities, mark);
  Add(d.Entities, MakeText(10, 10, 40, 10, "ABC"));
  Add(d.Entities, MakeDimension(0, -10, 100, -10, "100"));
  TJwwSolid solid = MakeSolid(0, 0, 10, 0, 10, 10, 0, 10);
  solid.PenColor = 10;
  solid.SolidColor = 0x123456;
  Add(d.Entities, solid);
  Add(d.Entities, MakeInsert(7, 20, 20));
  TJwwBlockDef def;
  def.Number = 7;
  def.Name = "blk";
  Add(def.Entities, MakeLine(0, 0, 1, 1));
  def.EntityCount = 1;
  d.BlockDefs.push_back(def);
  return d;
}
