// The window, offscreen: the file list, grids, settings commands and the
// print run from the start button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QListWidget>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "JwwWriter.h"
#include "RecordingDevice.h"
#include "TestSupport.h"
#include "app/core/PrintPreparation.h"
#include "app/window/PreviewDialog.h"
#include "app/window/Unit1.h"
#include "jww/jwwtype.h"

namespace fs = std::filesystem;

namespace {

std::string Dir() {
  const std::string d = jwwtype::TempFolder() + "window/";
  fs::create_directories(d);
  return d;
}

QString Sample(const char* name) { return QString(KESTROVAN_SOURCE_DIR) + "/samples/" + name; }

}  // namespace

TEST(Window, AddingRuleAndDelete) {
  const std::string dir = Dir();
  fs::copy_file(Sample("house-plan.jww").toStdString(), dir + "Plan-B.JWW", fs::copy_options::overwrite_existing);
  std::ofstream(dir + "notes.txt") << "x";
  TForm1 w({QString::fromStdString(dir + "Plan-B.JWW"), Sample("site-plan.jww")}, QString(), false);
  EXPECT_EQ(w.Files().size(), 2);
  // The path keeps its capitals (the file system tells them apart); case-insensitive duplicates,
  // other extensions, folders and missing files add nothing.
  EXPECT_TRUE(w.Files().contains(QString::fromStdString(dir + "Plan-B.JWW")));
  EXPECT_EQ(w.AddFiles({QString::fromStdString(dir + "plan-b.jww"), QString::fromStdString(dir + "Plan-B.JWW"),
                        QString::fromStdString(dir + "notes.txt"), QString::fromStdString(dir),
                        QString::fromStdString(dir + "missing.jww")}),
            0);
  EXPECT_EQ(w.AddFiles({Sample("house-plan.jww")}), 1);
  // The list keeps the order drawings were added in: it is the print order, and moves change it.
  const QString plan = QString::fromStdString(dir + "Plan-B.JWW"), site = Sample("site-plan.jww"),
                house = Sample("house-plan.jww");
  EXPECT_EQ(w.Files(), (QStringList{plan, site, house}));
  w.FileList()->item(2)->setSelected(true);
  w.MoveSelected(-1);
  w.MoveSelected(-1);
  w.MoveSelected(-1);  // already at the top
  EXPECT_EQ(w.Files(), (QStringList{house, plan, site}));
  w.FileList()->item(1)->setSelected(true);  // with house-plan: both move as one block
  w.MoveSelected(+1);
  EXPECT_EQ(w.Files(), (QStringList{site, house, plan}));
  w.FileList()->clearSelection();
  w.FileList()->item(0)->setSelected(true);
  w.FileList()->item(2)->setSelected(true);
  EXPECT_EQ(w.DeleteSelected(), 2);
  EXPECT_EQ(w.Files(), (QStringList{house}));
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("2個のファイルを一覧から削除しました。")));
  w.FileList()->clearSelection();
  EXPECT_EQ(w.DeleteSelected(), 0);
  // The Delete key in the list deletes the selection.
  w.FileList()->item(0)->setSelected(true);
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(w.FileList(), &del);
  EXPECT_TRUE(w.Files().isEmpty());
}

TEST(Window, GridsBulkInputAndSwatches) {
  TForm1 w({}, QString(), false);
  EXPECT_EQ(w.PenGrid()->rowCount(), 265);
  EXPECT_EQ(w.PenGrid()->verticalHeaderItem(8)->text(), QStringLiteral("補助線色"));
  EXPECT_EQ(w.PenGrid()->verticalHeaderItem(264)->text(), QStringLiteral("SXF USER色256"));
  EXPECT_EQ(w.LineTypeGrid()->verticalHeaderItem(33)->text(), QStringLiteral("SXF16:(予約)"));
  EXPECT_EQ(w.LineTypeGrid()->item(4, 2)->text(), QStringLiteral("1.8"));
  // Rows 10..12 of the grid (table rows 9..11) get the width 0.3, exactly those.
  w.PenGrid()->setRangeSelected(QTableWidgetSelectionRange(9, 0, 11, 3), true);
  w.BulkWidthEdit()->setText("0.3");
  w.BulkWidth();
  EXPECT_EQ(w.PenGrid()->item(8, 2)->text(), QStringLiteral("0.01"));
  for (int r = 9; r <= 11; ++r) EXPECT_EQ(w.PenGrid()->item(r, 2)->text(), QStringLiteral("0.3"));
  EXPECT_EQ(w.PenGrid()->item(12, 2)->text(), QStringLiteral("0.18"));
  w.BulkColorEdit()->setText("20000000");
  w.BulkColor();
  EXPECT_EQ(w.PenGrid()->item(10, 0)->text(), QStringLiteral("16777215"));
  w.BulkRadiusEdit()->setText("0");
  w.BulkPointRadius();
  EXPECT_EQ(w.PenGrid()->item(10, 3)->text(), QStringLiteral("0.01"));
  // Swatches of out-of-range codes: white above 0xFFFFFF, black below 0.
  EXPECT_EQ(TForm1::SwatchColor("20000000"), QColor(255, 255, 255));
  EXPECT_EQ(TForm1::SwatchColor("-5"), QColor(0, 0, 0));
  w.PenGrid()->item(0, 0)->setText("-5");
  EXPECT_EQ(w.PenGrid()->item(0, 1)->background().color(), QColor(0, 0, 0));
  w.ReadControls();
  EXPECT_EQ(w.Settings().PenTable[0].Color, 0u);
  EXPECT_EQ(w.Settings().PenTable[10].Width, 0.3);
}

TEST(Window, SettingsSaveOpenResetAndTheDefaultFile) {
  const std::string dir = Dir();
  const QString defaults = QString::fromStdString(dir + "config/kestrovan.dat");
  QFile::remove(defaults);
  {
    TForm1 w({Sample("house-plan.jww")}, defaults, false);
    w.Settings().PrintScale = 2.5;
    w.Settings().PerLayerGroup = 1;
    w.Settings().FollowDrawing = 1;
    w.ShowSettings();
    w.BulkWidthEdit()->setText("0.25");
    EXPECT_TRUE(w.SaveSettings(QString::fromStdString(dir + "mine.dat")));
    EXPECT_FALSE(w.SaveSettings(QString::fromStdString(dir + "mine.txt")));
    EXPECT_TRUE(w.StatusText().contains(QStringLiteral(".dat")));
    w.ResetSettings();
    EXPECT_EQ(w.Files().size(), 1);  // the settings only: the list stays
    w.ReadControls();
    EXPECT_EQ(w.Settings().PrintScale, 1.0);
    EXPECT_TRUE(w.OpenSettings(QString::fromStdString(dir + "mine.dat")));
    EXPECT_TRUE(w.StatusText().contains(QStringLiteral("開きました")));
    w.ReadControls();
    EXPECT_EQ(w.Settings().PrintScale, 2.5);
    EXPECT_EQ(w.Settings().PerLayerGroup, 1);
    EXPECT_EQ(w.Settings().FollowDrawing, 1);  // the check box holds it
    EXPECT_EQ(w.Settings().BulkWidth, 0.25);
    EXPECT_EQ(w.Files().size(), 1);
    // The default settings file itself cannot be opened or saved as a user file.
    EXPECT_FALSE(w.OpenSettings(defaults));
    w.move(30, 40);
    w.close();  // writes the default settings file
  }
  ASSERT_TRUE(QFile::exists(defaults));
  TForm1 again({}, defaults, false);
  again.ReadControls();
  EXPECT_EQ(again.Settings().PrintScale, 2.5);  // the last settings come back
  EXPECT_EQ(again.Files().size(), 0);           // but never the file list
}

TEST(Window, PrintRunFromTheStartButtonAndEsc) {
  std::vector<std::string> log;
  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false);
  // Nothing that changes the settings or the list can be used during the run.
  std::vector<bool> editable;
  auto look = [&] {
    for (QWidget* c : {static_cast<QWidget*>(w.PenGrid()), static_cast<QWidget*>(w.LineTypeGrid()),
                       static_cast<QWidget*>(w.Pages()->widget(1)->findChild<QCheckBox*>())})
      editable.push_back(c->isEnabled());
    for (QPushButton* b : w.findChildren<QPushButton*>())
      if (b->text().startsWith(QStringLiteral("設定")) || b->text().startsWith(QStringLiteral("削除")) ||
          b->text().startsWith(QStringLiteral("プリンタ")))
        editable.push_back(b->isEnabled());
  };
  w.MakeDevice = [&](std::string&) {
    auto d = std::make_unique<RecordingDevice>(&log);
    d->onEnd = look;
    return d;
  };
  PrintRunResult r = w.StartPrint();
  EXPECT_EQ(r.Pages, 2);
  EXPECT_GT(editable.size(), 8u);
  EXPECT_EQ(std::count(editable.begin(), editable.end(), true), 0);
  editable.clear();
  look();
  EXPECT_EQ(std::count(editable.begin(), editable.end(), false), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"begin Kestrovan_house-plan.jww", "end", "begin Kestrovan_site-plan.jww", "end"}));
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("印刷終了しました。")));
  // Esc pressed during the first file stops the run before the second.
  log.clear();
  w.MakeDevice = [&](std::string&) {
    auto d = std::make_unique<RecordingDevice>(&log);
    // Esc arrives while the first file prints.
    d->onEnd = [&w] {
      QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    return d;
  };
  r = w.StartPrint();
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(r.Pages, 1);
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("途中終了")));
  // An empty list says so.
  TForm1 empty({}, QString(), false);
  empty.StartPrint();
  EXPECT_EQ(empty.StatusText(), QStringLiteral("印刷を行うファイル名を指定して下さい。"));
}

TEST(Window, RunSummaryNamesEveryProblem) {
  const std::string dir = Dir() + "summary/";
  fs::create_directories(dir);
  TJwwData blank;
  InitTestDrawing(blank, 700);
  WriteFile(dir + "blank.jww", WriteJww(blank));
  // A line on a hidden layer: a note, listed but not counted as a warning.
  Add(blank.Entities, MakeLine(0, 0, 50, 0));
  Add(blank.Entities, MakeLine(0, 10, 50, 10, 0, 1));
  blank.Layers[1].State = 0;
  WriteFile(dir + "layers.jww", WriteJww(blank));
  std::ofstream(dir + "empty.jww").close();
  std::ofstream(dir + "notes.jww") << "not a drawing";
  std::ofstream(dir + "gone.jww") << "x";
  const std::vector<uint8_t> whole = ReadFileBytes(Sample("house-plan.jww").toStdString());
  WriteFile(dir + "damaged.jww", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() * 9 / 10));
  std::vector<std::string> log;
  TForm1 w({}, QString(), false);
  for (const char* f : {"blank.jww", "empty.jww", "notes.jww", "gone.jww", "damaged.jww", "layers.jww"})
    w.AddFiles({QString::fromStdString(dir + f)});
  w.AddFiles({Sample("site-plan.jww")});
  fs::remove(dir + "gone.jww");
  w.MakeDevice = [&](std::string&) { return std::make_unique<RecordingDevice>(&log); };
  const PrintRunResult r = w.StartPrint();
  std::map<QString, QString> why, page;
  for (const RunProblem& p : w.LastRunProblems())
    (p.What == RunProblem::PageWarning ? page : why)[QFileInfo(p.Path).fileName()] = p.Reason;
  EXPECT_EQ(why["blank.jww"], QStringLiteral("印刷するものがありません（ページなし）"));
  EXPECT_EQ(why["empty.jww"], QStringLiteral("空のファイルです"));
  EXPECT_EQ(why["notes.jww"], QStringLiteral("図面ファイルではありません"));
  EXPECT_EQ(why["gone.jww"], QStringLiteral("ファイルがありません"));
  EXPECT_TRUE(why["damaged.jww"].startsWith(QStringLiteral("ファイルが壊れています")));
  EXPECT_EQ(why.count("site-plan.jww"), 0u);
  // The site plan is wider than the recording device's 254 x 203 mm page: its page says so. Each page line
  // says whether it is a warning (counted below) or a note.
  EXPECT_TRUE(page["site-plan.jww"].startsWith(QStringLiteral("3ページ目【警告】用紙からはみ出しています"))) << page["site-plan.jww"].toStdString();
  EXPECT_EQ(why["layers.jww"], QStringLiteral("2ページ目【注記】印刷しないレイヤ：非表示レイヤ 1（1要素）"));
  EXPECT_EQ(w.StatusText(), QStringLiteral("印刷終了しました。%1ページ（%2ファイル）を印刷、読み飛ばし 3、破損 1、白紙 1、警告 1。")
                                .arg(r.Pages)
                                .arg(r.FilesPrinted));
  EXPECT_EQ(r.FilesPrinted, 3);
  // The words come from the run's own record of why, not from a look at the disk afterwards: a drawing
  // passed over for want of memory says so, though it is a drawing file.
  FileRecord big;
  big.Path = dir + "layers.jww";
  big.Status = FileStatus::PassedOver;
  big.Problems.emplace_back();
  big.Problems.back().What = FileProblem::Kind::OutOfMemory;
  const std::vector<RunProblem> told = RunProblems({big}, false);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].What, RunProblem::PassedOver);
  EXPECT_EQ(told[0].Reason, QStringLiteral("メモリが足りないため読めません"));
  // A PDF folder that cannot be written is said before anything runs, in Japanese.
  TForm1 nowhere({Sample("site-plan.jww")}, QString(), false);
  OutputChoice out;
  out.PdfPath = QString::fromStdString(dir + "no-such-folder/out.pdf");
  nowhere.SetOutput(out);
  EXPECT_EQ(nowhere.StartPrint().Pages, 0);
  EXPECT_TRUE(nowhere.StatusText().startsWith(QStringLiteral("PDFファイルを書き込めません。")));
}

TEST(Window, ClosingDuringARunStopsItThenCloses) {
  std::vector<std::string> log;
  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false);
  w.show();
  w.MakeDevice = [&](std::string&) {
    auto d = std::make_unique<RecordingDevice>(&log);
    // The window is closed while the first file prints, as its close button would.
    d->onEnd = [&w] { QMetaObject::invokeMethod(&w, "close", Qt::QueuedConnection); };
    return d;
  };
  const PrintRunResult r = w.StartPrint();
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(r.Pages, 1);  // the second drawing never printed
  EXPECT_FALSE(w.isVisible());
  ASSERT_FALSE(w.LastRunProblems().empty());
  EXPECT_EQ(w.LastRunProblems().back().What, RunProblem::NotReached);
}

TEST(Window, OutputChoiceKeptAcrossRestartsAndShownInFull) {
  const std::string dir = Dir();
  const QString defaults = QString::fromStdString(dir + "output/kestrovan.dat");
  QFile::remove(defaults);
  OutputChoice out;
  out.PdfPath = QString::fromStdString(dir + "図面集.pdf");
  out.Paper = "A4";
  out.Page = OrientedPage(PaperSize{210, 297}, false, 300);
  out.PaperChoice = PaperMode::Drawing;  // 用紙：図面の用紙
  {
    TForm1 w({}, defaults, false);
    w.SetOutput(out);
    w.close();
  }
  TForm1 again({}, defaults, false);
  const QString line = again.PrinterInfoText();
  EXPECT_TRUE(line.contains(QStringLiteral("PDFファイル　") + out.PdfPath)) << line.toStdString();
  EXPECT_TRUE(line.contains(QStringLiteral("（A4　縦向き　300dpi）\r\n用紙サイズ：横："))) << line.toStdString();
  // The window's own file still opens as settings, the choice behind the layout's last line.
  PrintSettings s;
  SettingsFileExtras extras;
  EXPECT_EQ(ReadSettingsFile(defaults.toStdString(), SettingsForm::Window, s, extras), SettingsReadResult::Opened);
  EXPECT_EQ(extras.KeptOutput.Paper, "A4");
  EXPECT_EQ(extras.KeptOutput.PaperMode, "drawing");
  // A printer that has gone away is said, and a run does not print into a PDF instead.
  OutputChoice gone;
  gone.Pdf = false;
  gone.Printer = "kestrovan-no-such-queue";
  gone.PaperChoice = PaperMode::Drawing;  // carried over from the PDF, as the printer set-up does
  again.SetOutput(gone);
  EXPECT_TRUE(again.PrinterInfoText().contains(QStringLiteral("使えません")));
  again.AddFiles({Sample("site-plan.jww")});
  EXPECT_EQ(again.StartPrint().Pages, 0);
  EXPECT_TRUE(again.StatusText().contains(QStringLiteral("kestrovan-no-such-queue")));
  // 用紙 is for PDF output only: off for a printer, and the PDF's choice is still there when PDF comes back.
  EXPECT_FALSE(again.Pages()->widget(1)->findChild<QComboBox*>()->isEnabled());
  again.close();
  EXPECT_EQ(ReadSettingsFile(defaults.toStdString(), SettingsForm::Window, s, extras), SettingsReadResult::Opened);
  EXPECT_EQ(extras.KeptOutput.PaperMode, "drawing");
}

TEST(Window, ImportsAndThePrinterLine) {
  TForm1 w({}, QString(), false);
  EXPECT_TRUE(w.PrinterInfoText().startsWith(QStringLiteral("プリンタ名：")));
  EXPECT_TRUE(w.PrinterInfoText().contains(QStringLiteral("用紙サイズ：横：")));
  const QString corpus = QString(KESTROVAN_CORPUS_DIR);
  REQUIRE_CORPUS((corpus + "/jwf/jwmac__shakutani.jwf").toStdString());
  // A JWF file without pens or line types (this one holds lettering) changes nothing, and says so.
  w.ImportPens(corpus + "/jwf/jwmac__shakutani.jwf");
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("線色・線幅設定を読み取れませんでした")));
  w.ImportLineTypes(corpus + "/jwf/jwmac__mtani.jwf");
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("線種設定を読み取れませんでした")));
  w.ImportPens(corpus + "/jww/jwmac__sanpuru.jww");
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("線色・線幅設定を読み取りました。")));
  w.ReadControls();
  EXPECT_DOUBLE_EQ(w.Settings().PenTable[1].Width, 2 * 0.085);
  w.ImportLineTypes(corpus + "/jww/jwmac__sanpuru.jww");
  EXPECT_EQ(w.LineTypeGrid()->item(1, 1)->text(), QStringLiteral("17"));  // 17 runs of dots
}

// The window with its drop handler reachable: a synthetic drop is not
// delivered by sendEvent (real ones come through the window system).
class DropForm : public TForm1 {
 public:
  using TForm1::TForm1;
  using TForm1::dropEvent;
};

TEST(Window, PreviewAndDroppedFiles) {
  DropForm w({Sample("house-plan.jww")}, QString(), false);
  w.Settings().PrintMethod = PrintMethod::FitToPage;
  w.ShowSettings();
  const std::vector<QImage> pages = w.Preview();
  ASSERT_EQ(pages.size(), 1u);
  int ink = 0;
  for (int y = 0; y < pages[0].height(); y += 2)
    for (int x = 0; x < pages[0].width(); x += 2) ink += (pages[0].pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(ink, 100);
  // The preview dialog: page by page, zoom kept within reach, never taller than the screen.
  PreviewDialog preview({pages[0], pages[0]}, 100, "p");
  EXPECT_EQ(preview.Page(), 0);
  preview.ShowPage(5);
  EXPECT_EQ(preview.Page(), 1);
  EXPECT_TRUE(preview.Fitted());
  preview.RealSize();
  const double real = preview.Zoom();
  preview.ZoomBy(2);
  EXPECT_DOUBLE_EQ(preview.Zoom(), 2 * real);
  EXPECT_FALSE(preview.Fitted());
  preview.FitToWindow();
  EXPECT_TRUE(preview.Fitted());
  EXPECT_LE(preview.height(), preview.screen()->availableGeometry().height());
  // Files dropped from the file manager go through the same rule.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Sample("site-plan.jww")), QUrl::fromLocalFile(Sample("house-plan.jww")),
                QUrl::fromLocalFile(QString(KESTROVAN_SOURCE_DIR) + "/README.md")});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  w.dropEvent(&drop);
  EXPECT_EQ(w.Files().size(), 2);
  // Over the list (which drags its own items to reorder) files from outside still reach the window.
  w.show();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w.FileList()->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_TRUE(w.StatusText().startsWith(QStringLiteral("1個のファイルを一覧に追加しました。")));
}
