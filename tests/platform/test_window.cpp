// The window, offscreen: the file list, grids, settings commands and the
// print run from the start button.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QSemaphore>
#include <QTest>
#include <QThread>
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
#include <QTreeWidget>
#include <QTableWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <atomic>
#include <future>
#include <QDir>
#include <QTimer>

#include "JwwWriter.h"
#include "RecordingDevice.h"
#include "TestSupport.h"
#include "app/core/PrintPreparation.h"
#include "app/window/DrawWorker.h"
#include "app/window/FilePage.h"
#include "app/window/NumberInput.h"
#include "app/window/PreviewDialog.h"
#include "app/window/SingleInstance.h"
#include "app/window/WindowCommon.h"
#include "app/window/Unit1.h"
#include "jww/jwwtype.h"
#include "util/Files.h"

namespace fs = std::filesystem;

namespace {

std::string Dir() {
  const std::string d = jwwtype::TempFolder().Value() + "window/";
  fs::create_directories(d);
  return d;
}

QString Sample(const char* name) { return QString(KESTROVAN_SOURCE_DIR) + "/samples/" + name; }

// Starts a run as the start button does and handles the window's events
// until it has ended (the run itself is on the drawing thread).
PrintRunResult PrintAndWait(TForm1& w, PrintWhich which = PrintWhich::All) {
  if (!w.StartPrint(which)) return PrintRunResult();
  QEventLoop loop;
  QObject::connect(&w, &TForm1::RunFinished, &loop, &QEventLoop::quit);
  if (w.Running()) loop.exec();
  return w.LastRunResult();
}

// Runs `f` on the window's thread from the drawing thread, and waits for it.
void OnWindowThread(TForm1& w, const std::function<void()>& f) {
  QMetaObject::invokeMethod(&w, f, Qt::BlockingQueuedConnection);
}

// The printers a test machine is given: none, or a default queue "Plotter"
// that records what it is sent.
PrinterCatalog NoPrinters() {
  PrinterCatalog c;
  c.Names = [] { return QStringList(); };
  c.DefaultName = [] { return QString(); };
  c.Open = [](const QString& name, const PageSetup*, const PrinterProperties&) -> util::Result<std::unique_ptr<PrintDevice>> {
    return util::Status::Failure("no such printer: " + name.toStdString());
  };
  return c;
}
PrinterCatalog OnePrinter(bool isDefault = true, PrinterProperties* asked = nullptr) {
  PrinterCatalog c;
  c.Names = [] { return QStringList{QStringLiteral("Plotter")}; };
  c.DefaultName = [isDefault] { return isDefault ? QStringLiteral("Plotter") : QString(); };
  c.Open = [asked](const QString& name, const PageSetup*, const PrinterProperties& p) -> util::Result<std::unique_ptr<PrintDevice>> {
    if (name != QStringLiteral("Plotter")) return util::Status::Failure("no such printer");
    if (asked) *asked = p;
    return std::unique_ptr<PrintDevice>(std::make_unique<RecordingDevice>());
  };
  return c;
}

}  // namespace

TEST(Window, AddingRuleAndDelete) {
  const std::string dir = Dir();
  fs::copy_file(Sample("house-plan.jww").toStdString(), dir + "Plan-B.JWW", fs::copy_options::overwrite_existing);
  std::ofstream(dir + "notes.txt") << "x";
  TForm1 w({QString::fromStdString(dir + "Plan-B.JWW"), Sample("site-plan.jww")}, QString(), false, NoPrinters());
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
  w.FileList()->topLevelItem(2)->setSelected(true);
  w.MoveSelected(-1);
  w.MoveSelected(-1);
  w.MoveSelected(-1);  // already at the top
  EXPECT_EQ(w.Files(), (QStringList{house, plan, site}));
  w.FileList()->topLevelItem(1)->setSelected(true);  // with house-plan: both move as one block
  w.MoveSelected(+1);
  EXPECT_EQ(w.Files(), (QStringList{site, house, plan}));
  w.FileList()->clearSelection();
  w.FileList()->topLevelItem(0)->setSelected(true);
  w.FileList()->topLevelItem(2)->setSelected(true);
  EXPECT_EQ(w.DeleteSelected(), 2);
  EXPECT_EQ(w.Files(), (QStringList{house}));
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("2個のファイルを一覧から削除しました。")));
  w.FileList()->clearSelection();
  EXPECT_EQ(w.DeleteSelected(), 0);
  // The Delete key in the list deletes the selection.
  w.FileList()->topLevelItem(0)->setSelected(true);
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(w.FileList(), &del);
  EXPECT_TRUE(w.Files().isEmpty());
}

TEST(Window, GridsBulkInputAndSwatches) {
  TForm1 w({}, QString(), false, NoPrinters());
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
    TForm1 w({Sample("house-plan.jww")}, defaults, false, NoPrinters());
    w.Settings().PrintScale = 2.5;
    w.Settings().PerLayerGroup = true;
    w.Settings().FollowDrawing = true;
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
    EXPECT_TRUE(w.Settings().PerLayerGroup);
    EXPECT_TRUE(w.Settings().FollowDrawing);  // the check box holds it
    EXPECT_EQ(w.Settings().BulkWidth, 0.25);
    EXPECT_EQ(w.Files().size(), 1);
    // The default settings file itself cannot be opened or saved as a user file.
    EXPECT_FALSE(w.OpenSettings(defaults));
    w.move(30, 40);
    w.close();  // writes the default settings file
  }
  ASSERT_TRUE(QFile::exists(defaults));
  TForm1 again({}, defaults, false, NoPrinters());
  again.ReadControls();
  EXPECT_EQ(again.Settings().PrintScale, 2.5);  // the last settings come back
  EXPECT_EQ(again.Files(), (QStringList{Sample("house-plan.jww")}));  // and the list: it is the user's work
}

TEST(Window, PrintRunFromTheStartButtonAndEsc) {
  std::vector<std::string> log;
  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false, NoPrinters());
  // Nothing that changes the settings or the list can be used during the run.
  std::vector<bool> editable;
  std::function<void()> look = [&] {
    for (QWidget* c : {static_cast<QWidget*>(w.PenGrid()), static_cast<QWidget*>(w.LineTypeGrid()),
                       static_cast<QWidget*>(w.Pages()->widget(1)->findChild<QCheckBox*>())})
      editable.push_back(c->isEnabled());
    for (QPushButton* b : w.findChildren<QPushButton*>())
      if (b->text().startsWith(QStringLiteral("設定")) || b->text().startsWith(QStringLiteral("削除")) ||
          b->text().startsWith(QStringLiteral("プリンタ")))
        editable.push_back(b->isEnabled());
  };
  w.MakeDevice = [&] {
    auto d = std::make_unique<RecordingDevice>(&log);
    d->onEnd = [&] { OnWindowThread(w, look); };
    return d;
  };
  PrintRunResult r = PrintAndWait(w);
  EXPECT_EQ(r.Counts().Pages, 2);
  EXPECT_GT(editable.size(), 8u);
  EXPECT_EQ(std::count(editable.begin(), editable.end(), true), 0);
  editable.clear();
  look();
  EXPECT_EQ(std::count(editable.begin(), editable.end(), false), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"begin Kestrovan_house-plan.jww", "end", "begin Kestrovan_site-plan.jww", "end"}));
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("印刷終了しました。")));
  // Esc pressed during the first file stops the run before the second.
  log.clear();
  w.MakeDevice = [&] {
    auto d = std::make_unique<RecordingDevice>(&log);
    // Esc arrives while the first file prints.
    d->onEnd = [&w] { OnWindowThread(w, [&w] { QTest::keyClick(&w, Qt::Key_Escape); }); };
    return d;
  };
  r = PrintAndWait(w);
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(r.Counts().Pages, 1);
  EXPECT_TRUE(w.StatusText().contains(QStringLiteral("途中終了")));
  // An empty list says so.
  TForm1 empty({}, QString(), false, NoPrinters());
  EXPECT_FALSE(empty.StartPrint());
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
  TForm1 w({}, QString(), false, NoPrinters());
  for (const char* f : {"blank.jww", "empty.jww", "notes.jww", "gone.jww", "damaged.jww", "layers.jww"})
    w.AddFiles({QString::fromStdString(dir + f)});
  w.AddFiles({Sample("site-plan.jww")});
  fs::remove(dir + "gone.jww");
  w.MakeDevice = [&] { return std::make_unique<RecordingDevice>(&log); };
  const PrintRunResult r = PrintAndWait(w);
  std::map<QString, QString> why, page;
  for (const RunProblem& p : w.LastRunProblems())
    (p.What == RunProblem::PageWarning ? page : why)[QFileInfo(QString::fromStdString(p.Path)).fileName()] =
        QString::fromStdString(p.Text);
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
  EXPECT_EQ(w.StatusText(), QStringLiteral("印刷終了しました。%1ページ（%2ファイル）を印刷、読み飛ばし 3、破損 1、印刷するものなし 1、警告 1。")
                                .arg(r.Counts().Pages)
                                .arg(r.Counts().FilesPrinted));
  EXPECT_EQ(r.Counts().FilesPrinted, 3);
  // Sheets beyond A0 are named with their size, as not every user knows the CAD program's "2A".
  PageWarning off;
  off.What = PageWarning::Kind::OffPage;
  off.OffShare = 0.5;
  off.NeededWidthMm = 1500;
  off.NeededHeightMm = 1000;
  off.HoldingSheet = "2A";
  EXPECT_TRUE(PageWarningText(off).endsWith(QStringLiteral("、2A（1682×1189mm）に入ります）"))) << PageWarningText(off).toStdString();
  off.HoldingSheet = "A1";
  EXPECT_TRUE(PageWarningText(off).endsWith(QStringLiteral("、A1に入ります）")));
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
  EXPECT_EQ(told[0].Text, "メモリが足りないため読めません");
  // A PDF folder that cannot be written is said before anything runs, in Japanese.
  TForm1 nowhere({Sample("site-plan.jww")}, QString(), false, NoPrinters());
  OutputChoice out;
  out.PdfPath = QString::fromStdString(dir + "no-such-folder/out.pdf");
  nowhere.SetOutput(out);
  EXPECT_FALSE(nowhere.StartPrint());
  EXPECT_TRUE(nowhere.StatusText().startsWith(QStringLiteral("PDFファイルを書き込めません。")));
}

TEST(Window, ClosingDuringARunStopsItThenCloses) {
  std::vector<std::string> log;
  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false, NoPrinters());
  w.show();
  w.MakeDevice = [&] {
    auto d = std::make_unique<RecordingDevice>(&log);
    // The window is closed while the first file prints, as its close button would.
    d->onEnd = [&w] { OnWindowThread(w, [&w] { w.close(); }); };
    return d;
  };
  const PrintRunResult r = PrintAndWait(w);
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(r.Counts().Pages, 1);  // the second drawing never printed
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
    TForm1 w({}, defaults, false, NoPrinters());
    w.SetOutput(out);
    w.close();
  }
  TForm1 again({}, defaults, false, NoPrinters());
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
  EXPECT_FALSE(again.StartPrint());
  EXPECT_EQ(again.StatusText(), QStringLiteral("プリンタ「kestrovan-no-such-queue」が見つかりません。「プリンタ設定」で選び直して下さい。"));
  // 用紙 is for PDF output only: off for a printer, and the PDF's choice is still there when PDF comes back.
  EXPECT_FALSE(again.Pages()->widget(1)->findChild<QComboBox*>()->isEnabled());
  again.close();
  EXPECT_EQ(ReadSettingsFile(defaults.toStdString(), SettingsForm::Window, s, extras), SettingsReadResult::Opened);
  EXPECT_EQ(extras.KeptOutput.PaperMode, "drawing");
}

TEST(Window, ImportsAndThePrinterLine) {
  // The same on a machine with a printer and on one without: the window shows the printers it is given.
  TForm1 withPrinter({}, QString(), false, OnePrinter());
  EXPECT_TRUE(withPrinter.PrinterInfoText().startsWith(QStringLiteral("プリンタ名：rec　（用紙はプリンタの設定のまま）")))
      << withPrinter.PrinterInfoText().toStdString();
  EXPECT_TRUE(withPrinter.FilesPage()->Summary().startsWith(QStringLiteral("印刷先：プリンタ「Plotter」")));
  TForm1 w({}, QString(), false, NoPrinters());
  EXPECT_TRUE(w.PrinterInfoText().startsWith(QStringLiteral("プリンタ名：PDFファイル　")));
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
  DropForm w({Sample("house-plan.jww")}, QString(), false, NoPrinters());
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

// The run is drawn off the window's thread: the window stays live (tabs,
// dialogs), Esc in a dialog answers that dialog only, and Esc in the window
// stops the run.
TEST(Window, RunOffTheWindowThreadAndEscInDialogs) {
  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false, NoPrinters());
  w.show();
  QSemaphore atFirstEnd, goOn;
  std::vector<std::string> log;
  std::vector<bool> onWindowThread;
  w.MakeDevice = [&] {
    auto d = std::make_unique<RecordingDevice>(&log);
    d->onEnd = [&] {
      onWindowThread.push_back(QThread::currentThread() == w.thread());
      if (onWindowThread.size() == 1) {
        atFirstEnd.release();
        goOn.acquire();  // the run waits here while the window is tried
      }
    };
    return d;
  };
  auto untilFirstEnd = [&] {
    for (int i = 0; i < 2000 && !atFirstEnd.tryAcquire(1, 5); ++i) QCoreApplication::processEvents();
  };
  ASSERT_TRUE(w.StartPrint());
  untilFirstEnd();
  ASSERT_TRUE(w.Running());
  // The window answers while a page is drawn: another page of it shows, a question opens and Esc closes it.
  w.Pages()->setCurrentIndex(2);
  EXPECT_EQ(w.Pages()->currentIndex(), 2);
  QMessageBox question(QMessageBox::Question, "q", QStringLiteral("印刷中です。印刷を中止して終了しますか？"),
                       QMessageBox::Yes | QMessageBox::No, &w);
  question.show();
  QTest::keyClick(&question, Qt::Key_Escape);
  EXPECT_FALSE(question.isVisible());
  goOn.release();
  QEventLoop loop;
  QObject::connect(&w, &TForm1::RunFinished, &loop, &QEventLoop::quit);
  if (w.Running()) loop.exec();
  EXPECT_FALSE(w.LastRunResult().Stopped);  // the dialog's Esc was the dialog's
  EXPECT_EQ(w.LastRunResult().Counts().Pages, 2);
  EXPECT_EQ(onWindowThread, (std::vector<bool>{false, false}));
  // Esc in the window itself stops the run.
  onWindowThread.clear();
  ASSERT_TRUE(w.StartPrint());
  untilFirstEnd();
  QTest::keyClick(w.FileList(), Qt::Key_Escape);
  goOn.release();
  if (w.Running()) loop.exec();
  EXPECT_TRUE(w.LastRunResult().Stopped);
  EXPECT_EQ(w.LastRunResult().Counts().Pages, 1);
  // A preview asked for during a run is drawn on the same thread, after it.
  std::atomic<int> ends{0};
  w.MakeDevice = [&] {
    auto d = std::make_unique<RecordingDevice>(&log);
    d->onEnd = [&] {
      if (++ends == 1) {
        atFirstEnd.release();
        goOn.acquire();
      }
    };
    return d;
  };
  ASSERT_TRUE(w.StartPrint());
  untilFirstEnd();
  QTimer::singleShot(0, [&] { goOn.release(); });
  const std::vector<QImage> pages = w.Preview();  // waits for the run, the window live meanwhile
  EXPECT_FALSE(w.Running());
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(pages.size(), 1u);
}

// The list is the user's work: each drawing's state after the run, names
// with their folder where two share one, kept across restarts, and a run of
// only what did not print or of the selection.
TEST(Window, StatusColumnAndPrintingWhatIsLeft) {
  const std::string dir = Dir() + "status/";
  fs::create_directories(dir + "a");
  fs::create_directories(dir + "b/sub");
  TJwwData plain;  // a line: prints whole, with nothing to warn of
  InitTestDrawing(plain, 700);
  Add(plain.Entities, MakeLine(0, 0, 50, 0));
  for (const char* f : {"a/plan.jww", "b/plan.jww", "b/sub/detail.JWW"}) WriteFile(dir + f, WriteJww(plain));
  std::ofstream(dir + "b/notes.jww") << "not a drawing";
  std::ofstream(dir + "b/pens.jwf") << "x";
  const QString defaults = QString::fromStdString(dir + "config/kestrovan.dat");
  QFile::remove(defaults);
  std::vector<std::string> log;
  auto recording = [&] { return std::make_unique<RecordingDevice>(&log); };
  {
    DropForm w({}, defaults, false, NoPrinters());
    // A folder adds its drawings (subfolders when chosen); a .jwf and what is not a drawing are named, not dropped silently.
    w.AddPaths({QString::fromStdString(dir + "a"), QString::fromStdString(dir + "b/pens.jwf")});
    EXPECT_TRUE(w.StatusText().contains(QStringLiteral("「pens.jwf」はJw_cadの環境設定ファイルです。"))) << w.StatusText().toStdString();
    w.FilesPage()->SetWithSubfolders(true);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir + "b")), QUrl::fromLocalFile(Sample("site-plan.jww"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    w.dropEvent(&drop);
    EXPECT_TRUE(w.StatusText().startsWith(QStringLiteral("4個のファイルを一覧に追加しました。"))) << w.StatusText().toStdString();
    const QStringList files = w.Files();
    ASSERT_EQ(files.size(), 5);
    // Two drawings named plan.jww: each shown with its folder.
    QStringList names;
    for (int i = 0; i < 5; ++i) names << w.FileList()->topLevelItem(i)->text(FilePage::NameColumn);
    EXPECT_EQ(names, (QStringList{"a/plan.jww", "notes.jww", "b/plan.jww", "detail.JWW", "site-plan.jww"}));
    EXPECT_TRUE(w.FilesPage()->Summary().startsWith(QStringLiteral("印刷先：PDFファイル「kestrovan.pdf」　用紙：A3 横　図面：5個")))
        << w.FilesPage()->Summary().toStdString();
    // A run stopped after the second drawing printed: ✓ for the printed, 読み飛ばし for what is no drawing,
    // 未印刷 for the rest.
    ASSERT_TRUE(w.Files()[1].endsWith("notes.jww"));
    auto state = [&w](int row) { return w.FileList()->topLevelItem(row)->text(FilePage::StateColumn); };
    int ends = 0;
    QStringList whileRunning;  // the list as the second drawing ends: each state shown as soon as it is known
    w.MakeDevice = [&] {
      auto d = std::make_unique<RecordingDevice>(&log);
      d->onEnd = [&] {
        if (++ends == 2)
          OnWindowThread(w, [&] {
            QCoreApplication::processEvents();
            whileRunning << state(0) << state(1) << state(2);
            QTest::keyClick(w.FileList(), Qt::Key_Escape);
          });
      };
      return d;
    };
    EXPECT_TRUE(PrintAndWait(w).Stopped);
    EXPECT_EQ(whileRunning, (QStringList{QStringLiteral("✓ 1ページ"), QStringLiteral("読み飛ばし"), QStringLiteral("印刷中…")}));
    EXPECT_EQ(state(0), QStringLiteral("✓ 1ページ")) << w.FileList()->topLevelItem(0)->toolTip(FilePage::StateColumn).toStdString();
    EXPECT_EQ(state(1), QStringLiteral("読み飛ばし"));
    EXPECT_EQ(w.FileList()->topLevelItem(1)->toolTip(FilePage::StateColumn), QStringLiteral("図面ファイルではありません"));
    EXPECT_EQ(state(2), QStringLiteral("✓ 1ページ"));
    EXPECT_EQ(state(3), QStringLiteral("未印刷"));
    EXPECT_EQ(state(4), QStringLiteral("未印刷"));
    EXPECT_TRUE(w.FilesPage()->Summary().endsWith(QStringLiteral("（未印刷・読み飛ばし 3個）"))) << w.FilesPage()->Summary().toStdString();
    // Only what did not print: the three left, the printed ones not again.
    log.clear();
    w.MakeDevice = recording;
    const PrintRunResult rest = PrintAndWait(w, PrintWhich::Unfinished);
    EXPECT_EQ(rest.Counts().FilesPrinted, 2);
    EXPECT_EQ(rest.Counts().FilesPassedOver, 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "end"), 2);
    EXPECT_EQ(state(3), QStringLiteral("✓ 1ページ"));
    // The site plan is wider than the recording page: printed, with a warning.
    EXPECT_EQ(state(4), QStringLiteral("警告 1ページ"));
    // The selection only.
    log.clear();
    w.FileList()->clearSelection();
    w.FileList()->topLevelItem(2)->setSelected(true);
    EXPECT_EQ(PrintAndWait(w, PrintWhich::Selected).Counts().FilesPrinted, 1);
    EXPECT_EQ(log.front(), "begin Kestrovan_plan.jww");
    w.close();
  }
  // The list and its states come back after a restart.
  TForm1 again({}, defaults, false, NoPrinters());
  ASSERT_EQ(again.Files().size(), 5);
  EXPECT_EQ(again.FileList()->topLevelItem(1)->text(FilePage::StateColumn), QStringLiteral("読み飛ばし"));
  EXPECT_EQ(again.FileList()->topLevelItem(4)->text(FilePage::StateColumn), QStringLiteral("警告 1ページ"));
}

// A second program started with drawings hands them to the open window. A
// window busy for longer than a hand-over waits keeps its socket (no second
// window): the later program says it is busy, and the window takes the
// drawings when it can. The socket's folder is this user's alone, and no
// path goes to a program of another user.
TEST(Window, SingleInstanceHandsDrawingsToTheOpenWindow) {
  const QString folder = QString::fromStdString(jwwtype::TempFolder().Value()) + "single";
  ASSERT_TRUE(QDir().mkpath(folder));
  SingleInstance first(folder);
  ASSERT_TRUE(first.Listen());
  QStringList arrived;
  QObject::connect(&first, &SingleInstance::FilesArrived, [&](const QStringList& f) { arrived = f; });
  auto second = std::async(std::launch::async, [&] {
    SingleInstance later(folder);
    return later.Begin({Sample("site-plan.jww"), QStringLiteral("相対/図面.jww")});
  });
  while (second.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) QCoreApplication::processEvents();
  EXPECT_EQ(second.get(), SingleInstance::Start::HandedOver);
  QCoreApplication::processEvents();
  ASSERT_EQ(arrived.size(), 2);
  EXPECT_EQ(arrived[0], Sample("site-plan.jww"));
  EXPECT_TRUE(arrived[1].startsWith(QDir::currentPath())) << arrived[1].toStdString();  // made absolute by the sender
  // The window busy (here: not answering while this thread waits): the
  // later program neither removes its socket nor becomes a second window.
  arrived.clear();
  {
    SingleInstance later(folder);
    EXPECT_EQ(later.Begin({Sample("house-plan.jww")}, 400), SingleInstance::Start::Busy);
    EXPECT_TRUE(later.Delivered());
    EXPECT_FALSE(later.Listen());
  }
  for (int i = 0; i < 50 && arrived.isEmpty(); ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  EXPECT_EQ(arrived, QStringList{Sample("house-plan.jww")});
  // With no window alive, a socket left (by a window killed) is no one's:
  // the next program is the window.
  {
    ASSERT_TRUE(QDir().mkpath(folder + "-ended"));
    const std::string left = (folder + "-ended/kestrovan-window").toStdString();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", left.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
  }
  SingleInstance next(folder + "-ended");
  EXPECT_EQ(next.Begin({Sample("site-plan.jww")}, 300), SingleInstance::Start::Listening);
  // Without a session runtime folder the socket's folder is made in the
  // temporary folder, 0700; one another user made there first is never used.
  {
    const QByteArray tmp = qgetenv("TMPDIR"), runtime = qgetenv("XDG_RUNTIME_DIR");
    const std::string shared = jwwtype::TempFolder().Value() + "shared-tmp";
    fs::create_directories(shared);
    ::chmod(shared.c_str(), 01777);
    qputenv("TMPDIR", QByteArray::fromStdString(shared));
    qunsetenv("XDG_RUNTIME_DIR");
    const QString own = SingleInstance::DefaultFolder();
    EXPECT_EQ(own, QString::fromStdString(shared) + QStringLiteral("/kestrovan-window.%1").arg(::geteuid()));
    EXPECT_EQ(fs::status(own.toStdString()).permissions(), fs::perms::owner_all);
    fs::remove(own.toStdString());
    if (::geteuid() == 0 && RunCommand("setpriv --reuid=65534 --regid=65534 --clear-groups true").status == 0) {
      const std::string temp = jwwtype::TempFolder().Value();
      ::chmod(temp.c_str(), 0711);
      const std::string as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
      ASSERT_EQ(RunCommand(as + "mkdir -m 777 " + own.toStdString()).status, 0);  // taken first
      EXPECT_TRUE(SingleInstance::DefaultFolder().isEmpty());
      EXPECT_EQ(SingleInstance().Begin({Sample("site-plan.jww")}, 300), SingleInstance::Start::Alone);
      // A socket of another user's (as at a name taken before this folder
      // was private): it is never sent a path.
      if (fs::exists("/usr/bin/python3")) {
        const std::string listen = own.toStdString() + "/kestrovan-window", heard = own.toStdString() + "/heard";
        RunCommand(as + "/usr/bin/python3 -c \"import socket\ns=socket.socket(socket.AF_UNIX)\ns.bind('" + listen +
                   "')\ns.listen(1)\ns.settimeout(30)\ntry:\n  c,_=s.accept()\n  c.settimeout(20)\n  d=c.recv(99)\n"
                   "except Exception:\n  d=b'(no connection)'\nopen('" + heard + "','wb').write(d)\" >/dev/null 2>&1 &");
        for (int i = 0; i < 1000 && !QFileInfo::exists(QString::fromStdString(listen)); ++i) QThread::msleep(10);
        ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(listen)));
        EXPECT_FALSE(SingleInstance(own).HandOver({Sample("site-plan.jww")}, 300));
        // (It hears the end at once; a machine under load may take a while to say so.)
        for (int i = 0; i < 3000 && !QFileInfo::exists(QString::fromStdString(heard)); ++i) QThread::msleep(10);
        const util::Result<std::string> got = util::ReadSmallFile(heard);
        EXPECT_TRUE(got.Ok() && got.Value().empty()) << (got ? got.Value() : got.Why());
      }
      fs::remove_all(own.toStdString());
      ::chmod(temp.c_str(), 0700);
    } else {
      std::printf("(the second user of this test is skipped: it needs root and setpriv)\n");
    }
    qputenv("TMPDIR", tmp);
    if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", runtime);
  }

  // --help and --version answer without a display, in Japanese, with the one version the title shows.
  const std::string program = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") + KESTROVAN_WINDOW_EXE;
  const CommandResult help = RunCommand(program + " --help 2>&1");
  EXPECT_EQ(help.status, 0) << help.output;
  EXPECT_NE(help.output.find("使い方: kestrovan [図面.jww …]"), std::string::npos) << help.output;
  EXPECT_EQ(help.output.find("screenshots"), std::string::npos);
  EXPECT_EQ(help.output.find("Usage"), std::string::npos);
  const CommandResult version = RunCommand(program + " --version 2>&1");
  EXPECT_EQ(version.status, 0);
  TForm1 w({}, QString(), false, NoPrinters());
  EXPECT_EQ(version.output, "kestrovan " + w.windowTitle().section("Ver.", 1).toStdString() + "\n");
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_EQ(RunCommand(program + " --no-such-option 2>&1").status, 2);
}

// First start on a machine with printers but no default one, and with none:
// PDF output, said in Japanese, the header and the printer dialog agreeing.
TEST(Window, FirstStartWithoutADefaultPrinter) {
  for (const PrinterCatalog& printers : {OnePrinter(false), NoPrinters()}) {
    TForm1 w({Sample("site-plan.jww")}, QString(), false, printers);
    EXPECT_TRUE(w.PrinterInfoText().startsWith(QStringLiteral("プリンタ名：PDFファイル　")));
    EXPECT_TRUE(w.StatusText().endsWith(QStringLiteral("PDFファイル（%1）に印刷します。").arg(QDir::homePath() + "/kestrovan.pdf")))
        << w.StatusText().toStdString();
  }
  // A default printer is the first start's choice, named in the header.
  TForm1 printer({}, QString(), false, OnePrinter());
  EXPECT_TRUE(printer.PrinterInfoText().startsWith(QStringLiteral("プリンタ名：rec")));
  // A kept choice of "the default printer" from older files, with no printer today: PDF, and said.
  OutputChoice none;
  none.Pdf = false;
  TForm1 gone({}, QString(), false, NoPrinters());
  gone.SetOutput(none);
  EXPECT_TRUE(gone.PrinterInfoText().contains(QStringLiteral("プリンタが設定されていません。")));
  EXPECT_FALSE(gone.PrinterInfoText().contains(QStringLiteral("default")));
}

// Numbers as Japanese users type them, and the window's own file cut short.
TEST(Window, NumberFieldsAndADamagedWindowFile) {
  TForm1 w({Sample("site-plan.jww")}, QString(), false, NoPrinters());
  auto* scale = w.Pages()->widget(1)->findChildren<QLineEdit*>().at(0);
  scale->clear();
  QTest::keyClicks(scale, QStringLiteral("1vfvf"));
  EXPECT_EQ(scale->text(), QStringLiteral("1"));
  scale->clear();
  QInputMethodEvent typed;  // as the Japanese input method hands it over
  typed.setCommitString(QStringLiteral("０．５"));
  QCoreApplication::sendEvent(scale, &typed);
  EXPECT_EQ(scale->text(), QStringLiteral("0.5"));
  w.ReadControls();
  EXPECT_EQ(w.Settings().PrintScale, 0.5);
  scale->setText(QStringLiteral("0"));  // no scale: the setting stays
  w.ReadControls();
  EXPECT_EQ(w.Settings().PrintScale, 0.5);
  EXPECT_EQ(HalfWidthNumber(QStringLiteral("－１２．５")), QStringLiteral("-12.5"));

  // A window file cut short: what was read is used, the file is kept aside, and the user told.
  const std::string dir = Dir() + "damaged/";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const QString file = QString::fromStdString(dir + "kestrovan.dat");
  {
    TForm1 first({}, file, false, NoPrinters());
    first.Settings().PrintScale = 3;
    first.ShowSettings();
    first.close();
  }
  const std::vector<uint8_t> whole = ReadFileBytes(file.toStdString());
  QList<QByteArray> lines = QByteArray(reinterpret_cast<const char*>(whole.data()), static_cast<qsizetype>(whole.size())).split('\n');
  // 100000 x 100000 asked for: the window is kept to the screen.
  lines[2] = "100000\r";
  lines[3] = "100000\r";
  std::string cut = lines.join('\n').toStdString();
  cut.resize(cut.size() / 3);
  std::ofstream(file.toStdString(), std::ios::binary) << cut;
  TForm1 damaged({}, file, false, NoPrinters());
  damaged.ReadControls();
  EXPECT_EQ(damaged.Settings().PrintScale, 3);  // read before the cut
  EXPECT_TRUE(damaged.StatusText().startsWith(QStringLiteral("前回の設定ファイルが壊れていたため"))) << damaged.StatusText().toStdString();
  const QRect room = damaged.screen()->availableGeometry();
  EXPECT_LE(damaged.width(), room.width());
  EXPECT_LE(damaged.height(), room.height());
  damaged.close();
  int aside = 0;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind("kestrovan.dat.damaged-", 0) == 0) {
      ++aside;
      EXPECT_EQ(fs::file_size(e.path()), cut.size());
    }
  EXPECT_EQ(aside, 1);
  // Placed on the screen as it is: too big and off to the side becomes on it.
  EXPECT_EQ(window::FitOnScreen(QRect(3000, -50, 2000, 900), QRect(0, 0, 1280, 800)), QRect(0, 0, 1280, 800));
  EXPECT_EQ(window::FitOnScreen(QRect(100, 100, 500, 400), QRect(0, 0, 1280, 800)), QRect(100, 100, 500, 400));
}

// The preview: no stroke thinner than a screen pixel at any zoom, opened
// fitted, the wheel's point held, the list's drawings in turn with warnings.
TEST(Window, PreviewKeepsThinLinesAndStepsThroughTheList) {
  QImage page(800, 600, QImage::Format_RGB32);
  page.fill(Qt::white);
  for (int x = 0; x < 800; ++x) page.setPixel(x, 301, qRgb(0, 0, 0));  // a one-pixel line
  const QImage reduced = ReduceKeepingStrokes(page, 0.125);
  EXPECT_EQ(reduced.size(), QSize(100, 75));
  int dark = 0;
  for (int x = 0; x < 100; ++x) dark += qGray(reduced.pixel(x, 37)) == 0;
  EXPECT_EQ(dark, 100);

  TForm1 w({Sample("house-plan.jww"), Sample("site-plan.jww")}, QString(), false, NoPrinters());
  PreviewDialog preview(w.PreviewPagesOf(0), 100, "p");
  preview.SetDrawings({"house-plan.jww", "site-plan.jww"}, 0, [&w](int i) { return w.PreviewPagesOf(i); });
  preview.show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(preview.Fitted());
  EXPECT_LT(preview.Zoom(), 1.0);
  // Reduced as it is shown, keeping its lines.
  EXPECT_LT(preview.Shown().width(), w.PreviewPagesOf(0)[0].Image.width());
  EXPECT_GT(preview.Shown().width(), 10);
  // The wheel zooms about the pointer: the page point under it stays under it.
  const QPoint pointer(120, 90);
  const QPointF before = preview.PagePointAt(pointer);
  preview.ZoomAbout(3, pointer);
  const QPointF after = preview.PagePointAt(pointer);
  EXPECT_NEAR(after.x(), before.x(), 1.0);
  EXPECT_NEAR(after.y(), before.y(), 1.0);
  EXPECT_FALSE(preview.Fitted());
  preview.ShowDrawing(1);
  EXPECT_EQ(preview.Drawing(), 1);
  ASSERT_EQ(preview.PageCount(), 1);
  EXPECT_FALSE(preview.WarningText().isEmpty());
}

// The print choices: copies and the printer's own settings reach the printer
// and are kept; one start question, also for overwriting; the summary opens
// the PDF and its folder.
TEST(Window, CopiesOneQuestionAndTheSummary) {
  const std::string dir = Dir() + "choices/";
  fs::create_directories(dir);
  const QString defaults = QString::fromStdString(dir + "kestrovan.dat");
  QFile::remove(defaults);
  PrinterProperties asked;
  {
    TForm1 w({Sample("site-plan.jww")}, defaults, false, OnePrinter(true, &asked));
    OutputChoice out;
    out.Pdf = false;
    out.Printer = "Plotter";
    out.Properties.Copies = 3;
    out.Properties.Duplex = 1;  // long side
    w.SetOutput(out);
    EXPECT_TRUE(w.FilesPage()->Summary().contains(QStringLiteral("部数：3"))) << w.FilesPage()->Summary().toStdString();
    w.close();
  }
  asked = PrinterProperties();
  TForm1 again({Sample("site-plan.jww")}, defaults, false, OnePrinter(true, &asked));
  EXPECT_EQ(asked.Copies, 3);  // the printer line asked the printer with them
  EXPECT_EQ(asked.Duplex, 1);
  EXPECT_EQ(PrintAndWait(again).Counts().FilesPrinted, 1);
  EXPECT_EQ(again.Asked(), QStringList{QStringLiteral("印刷を開始します。よろしいですか？")});

  // Into a PDF that is already there: the one question says so.
  const QString pdf = QString::fromStdString(dir + "図面集.pdf");
  std::ofstream(pdf.toStdString()) << "old";
  TForm1 w({Sample("site-plan.jww")}, QString(), false, NoPrinters());
  OutputChoice out;
  out.PdfPath = pdf;
  w.SetOutput(out);
  EXPECT_EQ(PrintAndWait(w).Counts().Pages, 1);
  EXPECT_EQ(w.Asked(), QStringList{QStringLiteral("「%1」は既にあります。上書きして印刷を開始しますか？").arg(pdf)});
  std::vector<QUrl> opened;
  w.OpenUrl = [&](const QUrl& u) { opened.push_back(u); };
  const std::unique_ptr<QDialog> summary = w.RunSummaryDialog(w.LastRunResult(), QString());
  for (QPushButton* b : summary->findChildren<QPushButton*>())
    if (b->text().startsWith(QStringLiteral("PDFを開く")) || b->text().startsWith(QStringLiteral("フォルダを開く"))) b->click();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].toLocalFile(), pdf);
  EXPECT_EQ(opened[1].toLocalFile(), QString::fromStdString(dir).chopped(1));
}
