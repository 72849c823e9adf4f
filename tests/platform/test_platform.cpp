// The canvas and print service on Qt: real PDF and PNG pages, checked with
// poppler's tools.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "PrimitivePage.h"
#include "jww/jwwtype.h"
#include "platform/ImageLoader.h"
#include "platform/PrintService.h"
#include "platform/QtCanvas.h"
#include "render/UnitGra.h"

namespace fs = std::filesystem;

namespace {

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// Where a test leaves pages to look at: KESTROVAN_TEST_OUTPUT, else the temporary folder.
std::string OutputDir() {
  const char* env = std::getenv("KESTROVAN_TEST_OUTPUT");
  std::string dir = env && *env ? std::string(env) : jwwtype::TempFolder() + "pages";
  fs::create_directories(dir);
  return dir + "/";
}

void SetWindow(const platform::PrintService& s) {
  const double scale = s.PageWidthPx() / s.PageWidthMm();
  UnitGval::PageWindow = {0, 0, s.PageWidthPx() / scale, s.PageHeightPx() / scale, scale,
                          s.PageWidthPx(), s.PageHeightPx()};
  UnitGraAtt::GraAttribute().ResetAttributes();
  UnitGraAtt::GraAttribute().SetPrintMode(true);
}

// A small test picture, written as a BMP.
std::string TestImage() {
  const std::string path = jwwtype::TempFolder() + "picture.bmp";
  QImage img(120, 90, QImage::Format_RGB32);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) img.setPixel(x, y, qRgb(x * 2, y * 2, 200 - x));
  QPainter p(&img);
  p.setPen(QPen(Qt::black, 4));
  p.drawLine(0, 89, 119, 0);  // from the lower-left corner up
  p.end();
  img.save(QString::fromStdString(path), "BMP");
  return path;
}

int InkPixels(const QImage& img) {
  int ink = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) ink += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
  return ink;
}

}  // namespace

TEST(PrintService, PdfPageOfEveryPrimitive) {
  const std::string pdf = OutputDir() + "primitives.pdf";
  auto service = platform::MakePdfPrintService(pdf, {420, 297, 300});
  EXPECT_EQ(service->PaperWidthPx(), 4961);  // 420 mm x 300 dpi / 25.4
  EXPECT_EQ(service->PageHeightPx(), 3508);
  EXPECT_DOUBLE_EQ(service->PaperWidthMm(), 420.03);
  ASSERT_TRUE(service->BeginPrintDocument("primitives"));
  SetWindow(*service);
  DrawPrimitivePage(service->PageCanvas(), TestImage());
  ASSERT_TRUE(service->NewPrintPage());
  DrawPrimitivePage(service->PageCanvas(), "");
  ASSERT_TRUE(service->EndPrintDocument());
  service.reset();

  // Qt writes page sizes in whole points: 420 x 297 mm is 1190.55 x 841.89 pt.
  const std::string info = Shell("pdfinfo '" + pdf + "'");
  int pages = 0;
  double wPt = 0, hPt = 0;
  ASSERT_EQ(std::sscanf(info.substr(info.find("Pages:")).c_str(), "Pages: %d", &pages), 1) << info;
  ASSERT_EQ(std::sscanf(info.substr(info.find("Page size:")).c_str(), "Page size: %lf x %lf", &wPt, &hPt), 2);
  EXPECT_EQ(pages, 2);
  EXPECT_NEAR(wPt, 420 / 25.4 * 72, 0.5);
  EXPECT_NEAR(hPt, 297 / 25.4 * 72, 0.5);
  const std::string png = OutputDir() + "primitives-pdf";
  Shell("pdftoppm -r 50 -f 1 -l 1 -png '" + pdf + "' '" + png + "'");
  QImage page(QString::fromStdString(png + "-1.png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(InkPixels(page), 2000);
  // The text is real text in the PDF, in a Japanese font.
  EXPECT_NE(Shell("pdftotext -f 1 -l 1 '" + pdf + "' -").find("Kestrovan"), std::string::npos);
}

TEST(PrintService, PngPagesAtTheRequestedSize) {
  const std::string dir = OutputDir() + "png";
  fs::remove_all(dir);
  auto service = platform::MakePngPrintService(dir, {210, 297, 150});
  ASSERT_TRUE(service->BeginPrintDocument("x"));
  SetWindow(*service);
  DrawPrimitivePage(service->PageCanvas(), TestImage());
  ASSERT_TRUE(service->NewPrintPage());
  ASSERT_TRUE(service->EndPrintDocument());
  EXPECT_EQ(service->PagesPrinted(), 2);
  QImage first(QString::fromStdString(dir + "/page-0001.png"));
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.width(), 1240);  // 210 mm at 150 dpi
  EXPECT_EQ(first.height(), 1754);
  EXPECT_EQ(first.dotsPerMeterX(), 5906);
  EXPECT_GT(InkPixels(first), 5000);
  QImage second(QString::fromStdString(dir + "/page-0002.png"));
  EXPECT_EQ(InkPixels(second), 0);  // a new page starts blank
  // Unwritable folder: an error, not a crash.
  auto bad = platform::MakePngPrintService("/proc/kestrovan-nope", {210, 297, 72});
  EXPECT_FALSE(bad->BeginPrintDocument("x"));
  EXPECT_FALSE(bad->LastError().empty());
}

TEST(PrintService, HelpersAndPrinters) {
  EXPECT_EQ(PrintDevice::PxToMm(4961, 600), 210.02);  // 21001.57 + 0.5 -> 21002
  EXPECT_EQ(PrintDevice::PxToMm(4960, 600), 209.97);
  EXPECT_EQ(PrintJobTitle(std::string(31, 'a')), std::string(31, 'a'));
  EXPECT_EQ(PrintJobTitle(std::string(40, 'a')), std::string(31, 'a'));
  EXPECT_EQ(PrintJobTitle(std::string(30, 'a') + "\x88\xf3"), std::string(30, 'a'));
  std::string error;
  EXPECT_EQ(platform::MakeCupsPrintService("kestrovan-no-such-queue", nullptr, error), nullptr);
  EXPECT_NE(error.find("kestrovan-no-such-queue"), std::string::npos);
  auto pdf = platform::MakePdfPrintService("/proc/nope/x.pdf", {210, 297, 72});
  EXPECT_FALSE(pdf->BeginPrintDocument("x"));
}

TEST(Images, QtReadersAndMetafiles) {
  const std::string bmp = TestImage();
  EXPECT_EQ(platform::ImageFileSize(QString::fromStdString(bmp)), QSize(120, 90));
  std::ofstream(jwwtype::TempFolder() + "junk.png") << "not a picture";
  EXPECT_TRUE(platform::ImageFileSize(QString::fromStdString(jwwtype::TempFolder() + "junk.png")).isEmpty());
  EXPECT_TRUE(platform::LoadImageFile(QString::fromStdString(jwwtype::TempFolder() + "none.gif")).isNull());
  // A 1 x 1 GIF (Qt reads GIF but cannot write it).
  const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                               ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';'};
  std::ofstream(jwwtype::TempFolder() + "dot.gif", std::ios::binary).write(reinterpret_cast<const char*>(gif), sizeof gif);
  EXPECT_EQ(platform::ImageFileSize(QString::fromStdString(jwwtype::TempFolder() + "dot.gif")), QSize(1, 1));
  for (const char* kind : {"PNG", "JPG", "BMP", "TIFF", "ICO"}) {
    const QString path = QString::fromStdString(jwwtype::TempFolder()) + "pic." + QString(kind).toLower();
    QImage(64, 48, QImage::Format_RGB32).save(path, kind);
    EXPECT_EQ(platform::ImageFileSize(path), QSize(64, 48)) << kind;
  }
  // A small Windows metafile: a filled rectangle, rendered by libwmf.
  const QString wmf = QString::fromStdString(jwwtype::TempFolder()) + "shape.wmf";
  {
    std::ofstream f(wmf.toStdString(), std::ios::binary);
    // Placeable header: key, handle, bbox 0,0-1000,500, 1000 units per inch, reserved, checksum.
    const uint16_t header[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 1000, 500, 1000, 0, 0, 0};
    uint16_t words[11];
    std::copy(header, header + 11, words);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= words[i];
    words[10] = sum;
    f.write(reinterpret_cast<const char*>(words), sizeof words);
    const uint16_t body[] = {
        1, 9, 0x300, 0, 0, 1, 7, 0, 0,                 // header: size (below), 1 object, largest record 7
        5, 0, 0x20B, 0, 0,                             // SetWindowOrg 0,0
        5, 0, 0x20C, 500, 1000,                        // SetWindowExt 1000 x 500
        7, 0, 0x2FC, 0, 0x00FF, 0x0000, 0,             // CreateBrushIndirect solid red
        4, 0, 0x12D, 0,                                // SelectObject 0
        7, 0, 0x41B, 400, 900, 100, 100,               // Rectangle 100,100-900,400
        3, 0, 0};                                      // EOF
    uint16_t sized[sizeof body / 2];
    std::copy(std::begin(body), std::end(body), sized);
    const uint32_t total = sizeof body / 2;
    sized[3] = static_cast<uint16_t>(total & 0xFFFF);
    sized[4] = static_cast<uint16_t>(total >> 16);
    f.write(reinterpret_cast<const char*>(sized), sizeof sized);
  }
  const QImage picture = platform::LoadImageFile(wmf);
  ASSERT_FALSE(picture.isNull());
  EXPECT_GT(picture.width(), picture.height());
  const QRgb middle = picture.pixel(picture.width() / 2, picture.height() / 2);
  EXPECT_GT(qRed(middle), 200);
  EXPECT_LT(qGreen(middle), 60);
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
