#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) { return fs::exists(path); }

std::string Slurp(const std::string& path) {
  const std::vector<uint8_t> b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

std::vector<uint8_t> DrawingWithImages(const std::vector<JwwWriteOptions::Image>& images,
                                       int32_t version = 700) {
  TJwwData src;
  InitTestDrawing(src, version);
  Add(src.Entities, MakeLine(0, 0, 1, 1));
  JwwWriteOptions o;
  o.images = images;
  return WriteJww(src, o);
}

class Images : public ::testing::Test {
 protected:
  void TearDown() override { jwwtype::ClearImages(); }
  const std::string tmp = jwwtype::TempFolder().Value();
};

}  // namespace

TEST_F(Images, EmbeddedImagesAreWrittenToThePrivateFolderAndUnpacked) {
  const std::string bmp(5000, 'B');
  const std::vector<uint8_t> bytes =
      DrawingWithImages({{"plan.bmp", "raw"}, {"photo.jpg.gz", MakeGzip(bmp)}, {"empty.png", ""}});
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, bytes));
  ASSERT_EQ(jwwtype::EmbeddedImages.size(), 3u);
  EXPECT_EQ(jwwtype::EmbeddedImages[1].Name, "photo.jpg.gz");
  EXPECT_EQ(Slurp(tmp + "plan.bmp"), "raw");
  EXPECT_TRUE(Exists(tmp + "photo.jpg.gz"));
  EXPECT_FALSE(Exists(tmp + "empty.png"));  // size 0: no data, no file
  EXPECT_EQ(tmp.rfind(fs::temp_directory_path().string(), 0), 0u);

  EXPECT_EQ(jwwtype::GunzipImages(), 0);
  EXPECT_EQ(Slurp(tmp + "photo.jpg"), bmp);

  jwwtype::ClearImages();
  EXPECT_FALSE(Exists(tmp + "plan.bmp"));
  EXPECT_FALSE(Exists(tmp + "photo.jpg.gz"));
  EXPECT_FALSE(Exists(tmp + "photo.jpg"));
  EXPECT_TRUE(jwwtype::EmbeddedImages.empty());
}

TEST_F(Images, ALoadRemovesThePreviousDrawingsImageFiles) {
  TJwwData d;
  // The third is unpacked under the name its gzip header stores: removed too,
  // so a batch's images do not pile up.
  ASSERT_TRUE(LoadBytes(d, DrawingWithImages({{"old.bmp", "1"}, {"old2.png.gz", MakeGzip("2")},
                                              {"old3.png.gz", MakeGzip("3", "header-name.png")}})));
  jwwtype::GunzipImages();
  ASSERT_TRUE(Exists(tmp + "old2.png"));
  ASSERT_TRUE(Exists(tmp + "header-name.png"));
  ASSERT_TRUE(LoadBytes(d, DrawingWithImages({{"new.bmp", "3"}}, 700)));
  EXPECT_FALSE(Exists(tmp + "old.bmp"));
  EXPECT_FALSE(Exists(tmp + "old2.png.gz"));
  EXPECT_FALSE(Exists(tmp + "old2.png"));
  EXPECT_FALSE(Exists(tmp + "header-name.png"));
  EXPECT_TRUE(Exists(tmp + "new.bmp"));
}

TEST_F(Images, NamesCannotLeaveTheTemporaryFolder) {
  const std::string outside = fs::temp_directory_path().string() + "/kestrovan-escape-test.bmp";
  fs::remove(outside);
  const std::vector<uint8_t> bytes = DrawingWithImages(
      {{"..\\..\\kestrovan-escape-test.bmp", "evil"}, {"../x/../../y.bmp", "evil2"}, {"..", "dots"}});
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, bytes));
  EXPECT_FALSE(Exists(outside));
  EXPECT_EQ(Slurp(tmp + "kestrovan-escape-test.bmp"), "evil");
  EXPECT_EQ(Slurp(tmp + "y.bmp"), "evil2");
  EXPECT_EQ(jwwtype::PlainFileName(".."), "");
  EXPECT_EQ(jwwtype::PlainFileName("C:\\jww\\\x95\x5c.bmp"), "\xe8\xa1\xa8.bmp");  // 表.bmp
}

TEST_F(Images, NamelessDataIsSkippedAndANegativeSizeEndsTheSection) {
  std::vector<uint8_t> bytes = DrawingWithImages({{"", "skip me"}, {"after.bmp", "kept"}});
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, bytes));
  EXPECT_EQ(Slurp(tmp + "after.bmp"), "kept");
  jwwtype::ClearImages();

  JwwWriteOptions::Image negative{"neg.bmp", "", -5};
  bytes = DrawingWithImages({negative, {"never.bmp", "x"}});
  EXPECT_TRUE(LoadBytes(d, bytes));
  EXPECT_FALSE(Exists(tmp + "never.bmp"));
  EXPECT_TRUE(jwwtype::EmbeddedImages.empty());
}

TEST_F(Images, TruncatedImageDataFailsWithoutAFile) {
  JwwWriteOptions::Image big{"big.bmp", "short", 1 << 20};
  TJwwData d;
  EXPECT_FALSE(LoadBytes(d, DrawingWithImages({big})));
  EXPECT_FALSE(Exists(tmp + "big.bmp"));
}

TEST_F(Images, NoImageSectionBefore700) {
  std::vector<uint8_t> bytes = DrawingWithImages({}, 699);
  const uint8_t junk[] = {1, 0, 0, 0, 1, 'a', 1, 0, 0, 0, 'z'};
  bytes.insert(bytes.end(), junk, junk + sizeof junk);
  TJwwData d;
  EXPECT_TRUE(LoadBytes(d, bytes));
  EXPECT_TRUE(jwwtype::EmbeddedImages.empty());
  // LoadHeaderAndPens never reads images.
  EXPECT_TRUE(LoadBytes(d, DrawingWithImages({{"p.bmp", "x"}}), false, 100));
  EXPECT_FALSE(Exists(tmp + "p.bmp"));
}

TEST_F(Images, GunzipStoredNameAndDate) {
  const std::string src = WriteFile(tmp + "photo.jpg.gz", MakeGzip("picture", "orig.jpg", 1700000000));
  const std::string out = jwwtype::GunzipFile(src, tmp.substr(0, tmp.size() - 1));
  EXPECT_EQ(out, tmp + "orig.jpg");
  EXPECT_EQ(Slurp(tmp + "orig.jpg"), "picture");
  EXPECT_FALSE(Exists(tmp + "photo.jpg"));
  struct stat st;
  ASSERT_EQ(stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1700000000);
  // A stored name with folders is reduced to its file name.
  WriteFile(tmp + "p.gz", MakeGzip("x", "../../evil.txt"));
  EXPECT_EQ(jwwtype::GunzipFile(tmp + "p.gz", tmp), tmp + "evil.txt");
  fs::remove(tmp + "orig.jpg");
  fs::remove(tmp + "evil.txt");
}

TEST_F(Images, GunzipRejectsDamagedContainers) {
  const std::string good = MakeGzip(std::string(10000, 'q'));
  auto expectDataError = [&](std::string bytes, const char* what) {
    const std::string path = WriteFile(tmp + "bad.bin.gz", bytes);
    try {
      jwwtype::GunzipFile(path, tmp);
      ADD_FAILURE() << what << ": no error";
    } catch (const GzipError& e) {
      EXPECT_STREQ(e.what(), "Data error") << what;
    }
    EXPECT_FALSE(Exists(tmp + "bad.bin")) << what << ": partial output left behind";
  };
  std::string flags = good;
  flags[3] = 32;
  expectDataError(flags, "flag byte 32");
  std::string magic = good;
  magic[1] = 0;
  expectDataError(magic, "wrong magic");
  std::string method = good;
  method[2] = 7;
  expectDataError(method, "wrong method");
  std::string crc = good;
  crc[crc.size() - 6] ^= 1;
  expectDataError(crc, "CRC mismatch");
  std::string length = good;
  length[length.size() - 3] ^= 1;
  expectDataError(length, "length mismatch");
  expectDataError(good.substr(0, good.size() - 4), "short trailer");
  expectDataError(good.substr(0, 10), "header only");
  expectDataError(good.substr(0, 6), "short header");

  std::string garbage = good;
  for (size_t i = 10; i < 20; ++i) garbage[i] = static_cast<char>(0xFF);
  const std::string path = WriteFile(tmp + "bad.bin.gz", garbage);
  EXPECT_THROW(jwwtype::GunzipFile(path, tmp), GzipError);
  EXPECT_FALSE(Exists(tmp + "bad.bin"));
}

TEST_F(Images, ADamagedGzipImageIsCountedNotFatal) {
  std::string bad = MakeGzip("abc");
  bad[bad.size() - 6] ^= 1;
  TJwwData d;
  ASSERT_TRUE(LoadBytes(d, DrawingWithImages({{"a.bmp.gz", bad}, {"b.bmp.gz", MakeGzip("ok")}})));
  EXPECT_EQ(jwwtype::GunzipImages(), 1);
  EXPECT_EQ(Slurp(tmp + "b.bmp"), "ok");
}
