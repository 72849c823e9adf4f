#include "app/window/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QCollator>
#include <QDirIterator>
#include <QMessageBox>
#include <QMimeData>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <cstdio>

#include "app/core/PrintPreparation.h"
#include "app/window/DrawWorker.h"
#include "app/window/FilePage.h"
#include "app/window/LineTypePage.h"
#include "app/window/PenPage.h"
#include "app/window/SettingsPage.h"
#include "app/window/TableSourceRow.h"
#include "app/window/WindowCommon.h"
#include "jww/jwwtype.h"
#include "util/CodePage.h"

using namespace window;

namespace {

// Where Jw_cad lives under Wine: the default path inside the Wine prefix.
QString FindJwCad() {
  const QString prefix = qEnvironmentVariable("WINEPREFIX", QDir::homePath() + "/.wine");
  const QDir jww(prefix + "/drive_c/jww");
  if (!jww.exists()) return QString();
  for (const QString& name : jww.entryList(QDir::Files))
    if (name.compare("jw_win.exe", Qt::CaseInsensitive) == 0) return jww.filePath(name);
  return QString();
}

const QString kDrawingFilter = QStringLiteral("Jw_cad図面ファイル(*.jww)");
const QString kEnvironmentFilter = QStringLiteral("Jw_cad環境設定ファイル(*.jwf)");
const QString kSettingsFilter = QStringLiteral("Kestrovan設定ファイル(*.dat)");

}  // namespace

QColor TForm1::SwatchColor(const QString& code) { return PenPage::SwatchColor(code); }

TForm1::TForm1(const QStringList& commandLineFiles, const QString& settingsFile, bool confirm,
               PrinterCatalog printers)
    : settingsFile_(settingsFile), confirm_(confirm), printers_(std::move(printers)) {
  setWindowTitle(QStringLiteral("JWW図面ファイル連続印刷　Kestrovan Ver.%1").arg(QStringLiteral(KESTROVAN_VERSION)));
  setWindowIcon(window::AppIcon());
  setAcceptDrops(true);
  worker_ = new DrawWorker(this);
  OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(13);
  setFont(font);
  Paint(this, kWindowColor);
  resize(544, 458);
  move(194, 107);

  PreparePenAttributes(UnitGraAtt::GraAttribute(), darkBackground_);
  settings_ = PrintSettings();
  extras_.DrawingFolder = extras_.JwwImportFolder = extras_.JwfImportFolder = extras_.SettingsFolder =
      Sjis(QDir::homePath() + "/");
  output_.PdfPath = QDir::homePath() + "/kestrovan.pdf";
  // The default printer when there is one, else a PDF file.
  output_.Printer = printers_.DefaultName();
  output_.Pdf = output_.Printer.isEmpty();

  auto* central = new QWidget;
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 4, 4, 0);
  pages_ = new QTabWidget;
  pages_->setTabPosition(QTabWidget::East);
  filePage_ = new FilePage;
  settingsPage_ = new SettingsPage;
  penPage_ = new PenPage;
  lineTypePage_ = new LineTypePage;
  pages_->addTab(filePage_, QStringLiteral("ファイル指定"));
  pages_->addTab(settingsPage_, QStringLiteral("設　定"));
  pages_->addTab(penPage_, QStringLiteral("線色・線幅"));
  pages_->addTab(lineTypePage_, QStringLiteral("線　種"));
  v->addWidget(pages_, 1);
  auto* buttons = new QHBoxLayout;
  startButton_ = new QPushButton(QStringLiteral("印刷開始(&G)"));
  QFont big = font;
  big.setPixelSize(16);
  startButton_->setFont(big);
  auto* quit = new QPushButton(QStringLiteral("終了(&X)"));
  saveButton_ = new QPushButton(QStringLiteral("設定保存(&S)"));
  openButton_ = new QPushButton(QStringLiteral("設定を開く(&O)"));
  resetButton_ = new QPushButton(QStringLiteral("設定初期化"));
  for (QPushButton* b : {startButton_, quit, saveButton_, openButton_, resetButton_}) buttons->addWidget(b);
  v->addLayout(buttons);
  setCentralWidget(central);
  status_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  progress_ = new QProgressBar;
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setMaximumWidth(160);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  auto* about = new QToolButton;
  about->setText(QStringLiteral("？"));
  about->setToolTip(QStringLiteral("Kestrovanについて"));
  about->setAutoRaise(true);
  statusBar()->addPermanentWidget(about);
  connect(about, &QToolButton::clicked, this, &TForm1::About);
  Paint(statusBar(), kStatusColor);

  connect(startButton_, &QPushButton::clicked, this, [this] { StartPrint(); });
  connect(quit, &QPushButton::clicked, this, [this] {
    // During a run the close itself asks whether to stop it.
    if (running_ || Ask(QStringLiteral("終了します。よろしいですか？"))) close();
  });
  connect(saveButton_, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, QString(), Q(extras_.SettingsFolder), kSettingsFilter);
    if (!path.isEmpty()) SaveSettings(path);
  });
  connect(openButton_, &QPushButton::clicked, this, [this] {
    const QString path = ChooseFile(extras_.SettingsFolder, kSettingsFilter);
    if (!path.isEmpty()) OpenSettings(path);
  });
  connect(resetButton_, &QPushButton::clicked, this, [this] {
    if (Ask(QStringLiteral("設定を初期化了します。現在の設定はクリアされます。よろしいですか？"))) ResetSettings();
  });
  ConnectPages();

  // The last settings and the window's place.
  QString startNote;
  if (!settingsFile_.isEmpty()) {
    SettingsFileExtras window = extras_;
    const SettingsReadResult read =
        ReadSettingsFile(settingsFile_.toStdString(), SettingsForm::Window, settings_, window);
    if (read == SettingsReadResult::Opened || read == SettingsReadResult::Damaged) {
      extras_ = window;
      if (window.WindowWidth > 100 && window.WindowHeight > 100) {
        // On the screen as it is now: a size saved at another scale or on a
        // bigger screen never hides the buttons, nor asks for a huge window.
        const QScreen* screen = QGuiApplication::screenAt(QPoint(window.WindowLeft, window.WindowTop));
        if (!screen) screen = QGuiApplication::primaryScreen();
        const QRect placed = FitOnScreen(
            QRect(window.WindowLeft, window.WindowTop, window.WindowWidth, window.WindowHeight),
            screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
        move(placed.topLeft());
        resize(placed.size());
      }
    }
    if (read == SettingsReadResult::Damaged) startNote = KeepDamagedSettingsAside();
    ClampSettings(settings_);
    RestoreOutput();
    RestoreList();
  }
  // A printer was meant (none chosen yet, or the default one) but there is none: a PDF, and said.
  if (startNote.isEmpty() && output_.Pdf && (!extras_.KeptOutput.Present || !extras_.KeptOutput.Pdf))
    startNote = printers_.Names().isEmpty()
                    ? QStringLiteral("プリンタが見つからないため、PDFファイル（%1）に印刷します。").arg(output_.PdfPath)
                    : QStringLiteral("既定のプリンタが設定されていないため、PDFファイル（%1）に印刷します。").arg(output_.PdfPath);
  UpdatePrinterInfo();
  ShowSettings();
  ApplyColorRules(UnitGraAtt::GraAttribute(), settings_);
  // Drawings and folders named on the command line (or handed over by "open with").
  if (!commandLineFiles.isEmpty()) AddPaths(commandLineFiles);
  if (!startNote.isEmpty())
    SetStatus(startNote);
  else if (commandLineFiles.isEmpty())
    SetStatus(QStringLiteral("JWW図面ファイル連続印刷 Kestrovan"));
}

TForm1::~TForm1() {
  // The drawing thread may still use the run's device and drawing: stop it first.
  stop_ = true;
  delete worker_;
  worker_ = nullptr;
  if (running_) qApp->removeEventFilter(this);
}

QString TForm1::KeepDamagedSettingsAside() {
  // What could be read is in use; the file itself is kept for the user, and
  // the window's next save cannot destroy it.
  const QString aside = settingsFile_ + QStringLiteral(".damaged-") +
                        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  if (!QFile::copy(settingsFile_, aside))
    return QStringLiteral("前回の設定ファイル（%1）が壊れていたため、読めた所までの設定を使います。").arg(settingsFile_);
  return QStringLiteral("前回の設定ファイルが壊れていたため、読めた所までの設定を使います。元のファイルは %1 に残しました。")
      .arg(aside);
}

void TForm1::ConnectPages() {
  connect(filePage_, &FilePage::AddRequested, this, [this] {
    const QStringList paths =
        QFileDialog::getOpenFileNames(this, QString(), Q(extras_.DrawingFolder), kDrawingFilter);
    if (paths.isEmpty()) return;
    extras_.DrawingFolder = Sjis(QFileInfo(paths.first()).absolutePath() + "/");
    const int n = AddFiles(paths);
    SetStatus(QString::number(n) + QStringLiteral("個のファイルを一覧に追加しました。"));
  });
  connect(filePage_, &FilePage::AddFolderRequested, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("図面のフォルダ"), Q(extras_.DrawingFolder));
    if (folder.isEmpty()) return;
    extras_.DrawingFolder = Sjis(folder + "/");
    AddPaths({folder});
  });
  connect(filePage_, &FilePage::PrintSelectedRequested, this, [this] { StartPrint(PrintWhich::Selected); });
  connect(filePage_, &FilePage::PrintUnfinishedRequested, this, [this] { StartPrint(PrintWhich::Unfinished); });
  connect(filePage_->List()->model(), &QAbstractItemModel::rowsMoved, this, [this] { UpdateSummary(); });
  connect(filePage_, &FilePage::DeleteRequested, this, [this] { DeleteSelected(); });
  connect(filePage_, &FilePage::PreviewRequested, this, [this] { Preview(); });
  connect(filePage_, &FilePage::OpenRequested, this, &TForm1::OpenInJwCad);
  connect(settingsPage_, &SettingsPage::PrinterSetupRequested, this, &TForm1::PrinterSetup);
  connect(penPage_->SourceRow(), &TableSourceRow::ImportFromDrawing, this, [this] {
    const QString p = ChooseFile(extras_.JwwImportFolder, kDrawingFilter);
    if (!p.isEmpty()) ImportPens(p);
  });
  connect(penPage_->SourceRow(), &TableSourceRow::ImportFromEnvironment, this, [this] {
    const QString p = ChooseFile(extras_.JwfImportFolder, kEnvironmentFilter);
    if (!p.isEmpty()) ImportPens(p);
  });
  connect(lineTypePage_->SourceRow(), &TableSourceRow::ImportFromDrawing, this, [this] {
    const QString p = ChooseFile(extras_.JwwImportFolder, kDrawingFilter);
    if (!p.isEmpty()) ImportLineTypes(p);
  });
  connect(lineTypePage_->SourceRow(), &TableSourceRow::ImportFromEnvironment, this, [this] {
    const QString p = ChooseFile(extras_.JwfImportFolder, kEnvironmentFilter);
    if (!p.isEmpty()) ImportLineTypes(p);
  });
}

QString TForm1::ChooseFile(const std::string& sjisFolder, const QString& filter) {
  return QFileDialog::getOpenFileName(this, QString(), Q(sjisFolder), filter);
}

// ---------------------------------------------------------------------------
// Settings <-> pages

void TForm1::ReadControls() {
  settingsPage_->Read(settings_);
  penPage_->Read(settings_);
  lineTypePage_->Read(settings_);
  ClampSettings(settings_);
  // A printer prints on the paper given; the PDF's choice stays for when PDF is chosen again.
  if (output_.Pdf) output_.PaperChoice = settingsPage_->GetPaperMode();
}

void TForm1::ShowSettings() {
  ClampSettings(settings_);
  settingsPage_->Show(settings_);
  penPage_->Show(settings_);
  lineTypePage_->Show(settings_);
}

QTreeWidget* TForm1::FileList() const { return filePage_->List(); }
QTableWidget* TForm1::PenGrid() const { return penPage_->Table(); }
QTableWidget* TForm1::LineTypeGrid() const { return lineTypePage_->Table(); }
QLineEdit* TForm1::BulkColorEdit() const { return penPage_->BulkColorEdit(); }
QLineEdit* TForm1::BulkWidthEdit() const { return penPage_->BulkWidthEdit(); }
QLineEdit* TForm1::BulkRadiusEdit() const { return penPage_->BulkRadiusEdit(); }
void TForm1::BulkColor() { penPage_->BulkColor(); }
void TForm1::BulkWidth() { penPage_->BulkWidth(); }
void TForm1::BulkPointRadius() { penPage_->BulkPointRadius(); }

// ---------------------------------------------------------------------------
// Commands

void TForm1::SetRunning(bool running) {
  if (running != running_) {
    if (running)
      qApp->installEventFilter(this);
    else
      qApp->removeEventFilter(this);
  }
  running_ = running;
  startButton_->setEnabled(!running);
  for (QPushButton* b : {saveButton_, openButton_, resetButton_}) b->setEnabled(!running);
  filePage_->SetEditingEnabled(!running);
  settingsPage_->SetOptionsEnabled(!running);
  penPage_->SetTableEnabled(!running);
  lineTypePage_->SetTableEnabled(!running);
}

void TForm1::About() {
  QMessageBox::about(
      this, QStringLiteral("Kestrovanについて"),
      QStringLiteral("<h3>Kestrovan %1</h3>"
                     "<p>JWW図面ファイル連続印刷</p>"
                     "<p>Jw_cadの図面ファイル(.jww)を、CADを開かずにまとめてプリンタや一つのPDFに印刷します。</p>"
                     "<p>設定は ~/.config/kestrovan/kestrovan.dat に保存されます。</p>"
                     "<p>Qt %2 を使用しています。</p>")
          .arg(QStringLiteral(KESTROVAN_VERSION), QString::fromLatin1(qVersion())));
}

void TForm1::OpenInJwCad(const QString& path) {
  if (!QFileInfo(path).isFile()) return;
  const QString jwcad = FindJwCad();
  if (!jwcad.isEmpty() && !QStandardPaths::findExecutable("wine").isEmpty()) {
    QProcess::startDetached("wine", {jwcad, path}, QFileInfo(jwcad).absolutePath());
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));  // whatever opens drawings on this desktop
}

// ---------------------------------------------------------------------------
// Window events

QStringList TForm1::Files() const {
  QStringList out;
  for (int i = 0; i < FileList()->topLevelItemCount(); ++i) out << FilePage::PathOf(FileList()->topLevelItem(i));
  return out;
}

QString TForm1::StatusText() const { return status_->text(); }
QString TForm1::PrinterInfoText() const { return settingsPage_->PrinterText(); }
void TForm1::SetStatus(const QString& text) { status_->setText(text); }
void TForm1::SetStatusSjis(const std::string& sjis) { SetStatus(Q(sjis)); }

bool TForm1::Ask(const QString& question) {
  asked_ << question;
  if (!confirm_) return true;
  return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
}

void TForm1::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e) {
  QStringList paths;
  for (const QUrl& url : e->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  AddPaths(paths);
  e->acceptProposedAction();
}

void TForm1::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) StopRun();
  QMainWindow::keyPressEvent(e);
}

// During a run, Esc stops it when the main window has it: Esc in a dialog
// (the quit question, a file dialog, the preview) answers that dialog only.
bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  if (running_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
      watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
      !QApplication::activeModalWidget())
    StopRun();
  return QMainWindow::eventFilter(watched, e);
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (running_) {
    // The run's loop is still on the stack: stop it, and close when it has returned.
    e->ignore();
    if (closeAfterRun_) return;
    askingToClose_ = true;
    const bool stop = Ask(QStringLiteral("印刷中です。印刷を中止して終了しますか？"));
    askingToClose_ = false;
    if (!stop) return;
    if (!running_) {  // the run ended while the question was open
      QTimer::singleShot(0, this, &QWidget::close);
      return;
    }
    closeAfterRun_ = true;
    StopRun();
    return;
  }
  // After any preview still being drawn: the images' folder is the drawing code's.
  worker_->RunAndWait([this] {
    jwwtype::ClearImages();
    drawing_.ClearDrawing();
  });
  ReadControls();
  if (!settingsFile_.isEmpty()) {
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    KeepOutput();
    KeepList();
    SettingsFileExtras window = extras_;
    window.WindowLeft = x();
    window.WindowTop = y();
    window.WindowWidth = width();
    window.WindowHeight = height();
    // The window is closing: a failed save can only be told on stderr.
    const util::Status saved = WriteSettingsFile(settingsFile_.toStdString(), SettingsForm::Window, settings_, window);
    if (!saved) std::fprintf(stderr, "kestrovan: the window's settings were not saved: %s\n", saved.Why().c_str());
  }
  e->accept();
}
