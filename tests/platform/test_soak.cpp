// Many drawings in one run: nothing left behind in the temporary folder, no
// file descriptors kept, in one document and in one document per page.
#include <gtest/gtest.h>
#include <dirent.h>

#include <filesystem>

#include "app/core/PrintRun.h"
#include "jww/jwwtype.h"
#include "platform/PrintService.h"

namespace fs = std::filesystem;

namespace {

int OpenDescriptors() {
  int n = 0;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) (void)e, ++n;
  return n;
}

int EntriesIn(const std::string& dir) {
  int n = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) (void)e, ++n;
  return n;
}

std::vector<std::string> FiveHundredDrawings() {
  std::vector<std::string> pool = {std::string(KESTROVAN_SOURCE_DIR) + "/samples/house-plan.jww",
                                   std::string(KESTROVAN_SOURCE_DIR) + "/samples/site-plan.jww"};
  const fs::path corpus = fs::path(KESTROVAN_CORPUS_DIR) / "jww";
  if (fs::exists(corpus))
    for (const auto& e : fs::directory_iterator(corpus)) pool.push_back(e.path().string());
  std::sort(pool.begin(), pool.end());
  std::vector<std::string> files;
  for (size_t i = 0; i < 500; ++i) files.push_back(pool[i % pool.size()]);
  return files;
}

}  // namespace

TEST(Soak, FiveHundredDrawingsLeaveNothingBehind) {
  const std::vector<std::string> files = FiveHundredDrawings();
  const std::string out = jwwtype::TempFolder().Value() + "soak/";
  fs::create_directories(out);
  const int tempBefore = EntriesIn(jwwtype::TempFolder().Value());
  const int fdBefore = OpenDescriptors();
  for (int oneDocument : {1, 0}) {
    SCOPED_TRACE(oneDocument);
    PrintSettings s;
    s.PrintMethod = PrintMethod::FitToPage;
    s.OneDocument = oneDocument == 1;
    auto device = platform::MakePdfPrintService(out + "soak" + std::to_string(oneDocument) + ".pdf", {297, 210, 72});
    TJwwData d;
    PrintRunObserver quiet;
    const PrintRunResult r = PrintRun(d, *device, s, quiet).Run(files);
    EXPECT_TRUE(device->Finish());
    EXPECT_FALSE(r.OutputFailed);
    EXPECT_GE(r.Counts().Pages, 400);
    EXPECT_EQ(r.Counts().FilesPassedOver, 0);
    // The embedded images of the last drawing are gone with it.
    EXPECT_EQ(EntriesIn(jwwtype::TempFolder().Value()), tempBefore);
    EXPECT_EQ(OpenDescriptors(), fdBefore);
  }
}
