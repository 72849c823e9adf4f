#include "app/window/Unit1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "app/core/Imports.h"
#include "app/core/PaperSize.h"
#include "jww/jwwtype.h"
#include "platform/KeyState.h"
#include "platform/PrintService.h"
#include "util/CodePage.h"
#include "util/Numeric.h"

namespace {

const QColor kWindow(255, 202, 255), kStatus(255, 170, 255), kList(255, 236, 255);

QString Q(const std::string& sjis) { return QString::fromUtf8(util::Cp932ToUtf8(sjis).c_str()); }
std::string Sjis(const QString& s) { return util::Utf8ToCp932(s.toStdString()); }

// Reals as the controls show them: up to 15 significant digits (1.8, not 1.7999999999999998).
QString RealText(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.15g", std::isfinite(v) ? v : 0.0);
  return QString::fromLatin1(b);
}
double RealOf(const QString& t) { return util::TextToReal(t.toStdString()); }
int32_t IntOf(const QString& t) { return SettingsTextToInt(t.toStdString()); }

const char* const kSxfNames[16] = {"SXF 1:black",     "SXF 2:red",       "SXF 3:green",     "SXF 4:blue",
                                   "SXF 5:yellow",    "SXF 6:magenta",   "SXF 7:cyan",      "SXF 8:white",
                                   "SXF 9:deeppink",  "SXF10:brown",     "SXF11:orange",    "SXF12:lightgreen",
                                   "SXF13:lightblue", "SXF14:lavender",  "SXF15:lightgray", "SXF16:darkgray"};
const char* const kLineTypeNames[34] = {
    "線種1:実線", "線種2:点線１", "線種3:点線２", "線種4:点線３", "線種5:一点鎖線１", "線種6:一点鎖線２",
    "線種7:二点鎖線１", "線種8:二点鎖線２", "補助線種", "ランダム線１", "ランダム線２", "ランダム線３",
    "ランダム線４", "ランダム線５", "倍長線種１", "倍長線種２", "倍長線種３", "倍長線種４", "SXF 1:実線",
    "SXF 2:破線", "SXF 3:跳び破線", "SXF 4:一点長鎖線", "SXF 5:二点長鎖線", "SXF 6:三点長鎖線", "SXF 7:点線",
    "SXF 8:一点鎖線", "SXF 9:二点鎖線", "SXF10:一点短鎖線", "SXF11:一点二短鎖線", "SXF12:二点短鎖線",
    "SXF13:二点二短鎖線", "SXF14:三点短鎖線", "SXF15:三点二短鎖線", "SXF16:(予約)"};

void Paint(QWidget* w, const QColor& c) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
}

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
TColor FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

bool IsJwwPath(const QString& p) { return QFileInfo(p).suffix().compare("jww", Qt::CaseInsensitive) == 0; }

// Where Jw_cad lives under Wine: the default path inside the Wine prefix.
QString FindJwCad() {
  const QString prefix = qEnvironmentVariable("WINEPREFIX", QDir::homePath() + "/.wine");
  const QDir jww(prefix + "/drive_c/jww");
  if (!jww.exists()) return QString();
  for (const QString& name : jww.entryList(QDir::Files))
    if (name.compare("jw_win.exe", Qt::CaseInsensitive) == 0) return jww.filePath(name);
  return QString();
}

}  // namespace

QColor TForm1::SwatchColor(const QString& code) {
  const int64_t v = IntOf(code);
  return ToQColor(static_cast<TColor>(v < 0 ? 0 : (v > 0xFFFFFF ? 0xFFFFFF : v)));
}

TForm1::TForm1(const QStringList& commandLineFiles, const QString& settingsFile, bool confirm)
    : settingsFile_(settingsFile), confirm_(confirm) {
  setWindowTitle(QStringLiteral("JWW図面ファイル連続印刷　Kestrovan Ver.1.04"));
  setAcceptDrops(true);
  QFont font(QStringLiteral("IPAGothic"));
  font.setPixelSize(13);
  setFont(font);
  Paint(this, kWindow);
  resize(544, 458);
  move(194, 107);

  // The pen attributes, prepared as for printing; the tables from their defaults.
  TgraAttribute& attr = UnitGraAtt::GraAttribute();
  attr.ResetAttributes();
  attr.SetPrintMode(true);
  attr.SetBackgroundMode(darkBackground_ ? 1 : 0);
  attr.ResetPenColors();
  attr.SetPrintAuxLines(false);
  settings_ = PrintSettings();
  extras_.DrawingFolder = extras_.JwwImportFolder = extras_.JwfImportFolder = extras_.SettingsFolder =
      Sjis(QDir::homePath() + "/");
  output_.PdfPath = QDir::homePath() + "/kestrovan.pdf";
  output_.Pdf = QPrinterInfo::availablePrinterNames().isEmpty();

  auto* central = new QWidget;
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 4, 4, 0);
  pages_ = new QTabWidget;
  pages_->setTabPosition(QTabWidget::East);
  pages_->addTab(BuildFilePage(), QStringLiteral("ファイル指定"));
  pages_->addTab(BuildSettingsPage(), QStringLiteral("設　定"));
  pages_->addTab(BuildPenPage(), QStringLiteral("線色・線幅"));
  pages_->addTab(BuildLineTypePage(), QStringLiteral("線　種"));
  v->addWidget(pages_, 1);
  auto* buttons = new QHBoxLayout;
  button12_ = new QPushButton(QStringLiteral("印刷開始(&G)"));
  QFont big = font;
  big.setPixelSize(16);
  button12_->setFont(big);
  auto* button13 = new QPushButton(QStringLiteral("終了(&X)"));
  auto* button14 = new QPushButton(QStringLiteral("設定保存(&S)"));
  auto* button15 = new QPushButton(QStringLiteral("設定を開く(&O)"));
  auto* button16 = new QPushButton(QStringLiteral("設定初期化"));
  for (QPushButton* b : {button12_, button13, button14, button15, button16}) buttons->addWidget(b);
  v->addLayout(buttons);
  setCentralWidget(central);
  status_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  Paint(statusBar(), kStatus);

  connect(button12_, &QPushButton::clicked, this, [this] { StartPrint(); });
  connect(button13, &QPushButton::clicked, this, [this] {
    if (Ask(QStringLiteral("終了します。よろしいですか？"))) close();
  });
  connect(button14, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, QString(), Q(extras_.SettingsFolder),
                                                      QStringLiteral("Kestrovan設定ファイル(*.dat)"));
    if (!path.isEmpty()) SaveSettings(path);
  });
  connect(button15, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, QString(), Q(extras_.SettingsFolder),
                                                      QStringLiteral("Kestrovan設定ファイル(*.dat)"));
    if (!path.isEmpty()) OpenSettings(path);
  });
  connect(button16, &QPushButton::clicked, this, [this] {
    if (Ask(QStringLiteral("設定を初期化了します。現在の設定はクリアされます。よろしいですか？"))) ResetSettings();
  });

  // The last settings and the window's place.
  FillGrids();
  if (!settingsFile_.isEmpty()) {
    SettingsFileExtras window = extras_;
    if (ReadSettingsFile(settingsFile_.toStdString(), SettingsForm::Window, settings_, window) ==
        SettingsReadResult::Opened) {
      extras_ = window;
      if (window.WindowWidth > 100 && window.WindowHeight > 100) {
        move(window.WindowLeft, window.WindowTop);
        resize(window.WindowWidth, window.WindowHeight);
      }
    }
    ClampSettings(settings_);
  }
  UpdatePrinterInfo();
  ShowSettings();
  attr.SetColorConversion(true, settings_.Monochrome ? settings_.MonoThreshold : -1,
                          settings_.WhiteToBlackSxf ? settings_.SxfWhiteThreshold : -1,
                          settings_.WhiteToBlackNormal ? settings_.NormalWhiteThreshold : -1);
  list_->clear();
  AddFiles(commandLineFiles);
  SetStatus(QStringLiteral("JWW図面ファイル連続印刷 Kestrovan"));
}

TForm1::~TForm1() = default;

// ---------------------------------------------------------------------------
// Pages

QWidget* TForm1::BuildFilePage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("▼印刷する図面ファイル一覧")), 1);
  auto* add = new QPushButton(QStringLiteral("追加(&A)"));
  auto* del = new QPushButton(QStringLiteral("削除(&D)"));
  auto* preview = new QPushButton(QStringLiteral("プレビュー(&V)"));
  row->addWidget(add);
  row->addWidget(del);
  row->addWidget(preview);
  connect(preview, &QPushButton::clicked, this, [this] { Preview(); });
  v->addLayout(row);
  list_ = new QListWidget;
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Paint(list_, kList);
  v->addWidget(list_, 1);
  connect(add, &QPushButton::clicked, this, [this] {
    const QStringList paths = QFileDialog::getOpenFileNames(this, QString(), Q(extras_.DrawingFolder),
                                                            QStringLiteral("Jw_cad図面ファイル(*.jww)"));
    if (paths.isEmpty()) return;
    extras_.DrawingFolder = Sjis(QFileInfo(paths.first()).absolutePath() + "/");
    const int n = AddFiles(paths);
    SetStatus(QString::number(n) + QStringLiteral("個のファイルを一覧に追加しました。"));
  });
  connect(del, &QPushButton::clicked, this, [this] { DeleteSelected(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { OpenInJwCad(item->text()); });
  return page;
}

QWidget* TForm1::BuildSettingsPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  auto* printerRow = new QHBoxLayout;
  auto* button3 = new QPushButton(QStringLiteral("プリンタ設定(&P)"));
  printerInfo_ = new QLabel;
  Paint(printerInfo_, kStatus);
  printerInfo_->setMinimumWidth(200);
  printerRow->addWidget(button3);
  printerRow->addWidget(printerInfo_, 1);
  v->addLayout(printerRow);
  connect(button3, &QPushButton::clicked, this, [this] { PrinterSetup(); });

  auto* methodBox = new QGroupBox(QStringLiteral("印刷方法"));
  auto* m = new QGridLayout(methodBox);
  method_ = new QButtonGroup(this);
  const char* methods[3] = {"図面データ倍率取得印刷", "フィット印刷(図形範囲による自動倍率印刷)", "倍率指定印刷"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(QString::fromUtf8(methods[i]));
    method_->addButton(r, i);
    m->addWidget(r, i, 0, 1, 6);
  }
  scale_ = new QLineEdit;
  offsetX_ = new QLineEdit;
  offsetY_ = new QLineEdit;
  rotation_ = new QLineEdit;
  m->addWidget(new QLabel(QStringLiteral("倍率")), 3, 0);
  m->addWidget(scale_, 3, 1);
  m->addWidget(new QLabel(QStringLiteral("倍　オフセットX")), 3, 2);
  m->addWidget(offsetX_, 3, 3);
  m->addWidget(new QLabel(QStringLiteral("mm　Y")), 3, 4);
  m->addWidget(offsetY_, 3, 5);
  m->addWidget(new QLabel(QStringLiteral("mm")), 3, 6);
  m->addWidget(new QLabel(QStringLiteral("回転角度")), 4, 0);
  m->addWidget(rotation_, 4, 1);
  m->addWidget(new QLabel(QStringLiteral("°（※時計回りが正の値）")), 4, 2, 1, 4);
  v->addWidget(methodBox);

  auto* colours = new QGridLayout;
  auto threshold = [&](int row, const char* text, QCheckBox*& box, QSpinBox*& spin) {
    box = new QCheckBox(QString::fromUtf8(text));
    spin = new QSpinBox;
    spin->setRange(0, 255);
    colours->addWidget(box, row, 0);
    colours->addWidget(spin, row, 1);
  };
  threshold(0, "モノクロ印刷を行う　　　モノクロ印刷時のしきい値", mono_, monoThreshold_);
  threshold(1, "通常線色の白色を黒色にする　白色判定時のしきい値", whiteNormal_, normalThreshold_);
  threshold(2, "SXF線色の白色を黒色にする 　白色判定時のしきい値", whiteSxf_, sxfThreshold_);
  colours->addWidget(new QLabel(QStringLiteral("※ソリッド任意色はカラー出力されます")), 3, 0, 1, 2);
  v->addLayout(colours);

  auto* paging = new QHBoxLayout;
  perGroup_ = new QCheckBox(QStringLiteral("レイヤグループ毎連続印刷"));
  oneDocument_ = new QCheckBox(QStringLiteral("１文書として印刷"));
  commonGroup_ = new QComboBox;
  commonGroup_->addItem(QStringLiteral("なし"));
  for (int g = 0; g < 16; ++g)
    commonGroup_->addItem(QStringLiteral("[%1]レイヤグループ").arg(QString::number(g, 16).toUpper()));
  commonGroup_->addItem(QStringLiteral("表示のみレイヤグループ"));
  paging->addWidget(perGroup_);
  paging->addWidget(oneDocument_);
  paging->addWidget(new QLabel(QStringLiteral("共通印刷レイヤグループ")));
  paging->addWidget(commonGroup_);
  v->addLayout(paging);

  auto* displayBox = new QGroupBox(QStringLiteral("表示のみレイヤ・レイヤグループ"));
  auto* d = new QHBoxLayout(displayBox);
  displayOnly_ = new QButtonGroup(this);
  const char* modes[4] = {"印刷しない", "グレー色で印刷", "設定色で印刷", "そのまま印刷"};
  for (int i = 0; i < 4; ++i) {
    auto* r = new QRadioButton(QString::fromUtf8(modes[i]));
    displayOnly_->addButton(r, i);
    d->addWidget(r);
  }
  v->addWidget(displayBox);

  auto* misc = new QHBoxLayout;
  auxLines_ = new QCheckBox(QStringLiteral("補助線を印刷する"));
  misc->addWidget(auxLines_);
  misc->addWidget(new QLabel(QStringLiteral("表示のみレイヤ設定色：")));
  displayOnlySwatch_ = new QLabel;
  displayOnlySwatch_->setFixedSize(40, 18);
  misc->addWidget(displayOnlySwatch_);
  auto* button4 = new QPushButton(QStringLiteral("設定"));
  misc->addWidget(button4);
  connect(button4, &QPushButton::clicked, this, [this] { PickColor(displayOnlySwatch_, nullptr); });
  v->addLayout(misc);

  auto* orderBox = new QGroupBox(QStringLiteral("図面データの印刷順序"));
  auto* o = new QHBoxLayout(orderBox);
  order_ = new QButtonGroup(this);
  const char* orders[3] = {"通常", "レイヤ順", "レイヤ逆順"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(QString::fromUtf8(orders[i]));
    order_->addButton(r, i);
    o->addWidget(r);
  }
  v->addWidget(orderBox);
  v->addStretch(1);
  return page;
}

QWidget* TForm1::BuildPenPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  penSource_ = new QButtonGroup(this);
  auto* fromDrawing = new QRadioButton(QStringLiteral("図面データから取得"));
  auto* manual = new QRadioButton(QStringLiteral("下記で手動設定"));
  penSource_->addButton(fromDrawing, 0);
  penSource_->addButton(manual, 1);
  top->addWidget(fromDrawing);
  top->addWidget(manual);
  auto* button8 = new QPushButton(QStringLiteral("JWW形式ファイル設定内容を流用"));
  auto* button9 = new QPushButton(QStringLiteral("JWF環境設定ファイル設定内容を流用"));
  top->addWidget(button8);
  top->addWidget(button9);
  v->addLayout(top);
  auto* bulk = new QGroupBox(QStringLiteral("選択範囲の一括入力(&T)"));
  auto* b = new QHBoxLayout(bulk);
  bulkSwatch_ = new QLabel;
  bulkSwatch_->setFixedSize(24, 18);
  edit7_ = new QLineEdit(QStringLiteral("0"));
  edit8_ = new QLineEdit(QStringLiteral("0"));
  edit9_ = new QLineEdit(QStringLiteral("0.1"));
  auto* button5 = new QPushButton(QStringLiteral("設定"));
  auto* button6 = new QPushButton(QStringLiteral("設定"));
  auto* button7 = new QPushButton(QStringLiteral("設定"));
  b->addWidget(new QLabel(QStringLiteral("色")));
  b->addWidget(bulkSwatch_);
  b->addWidget(edit7_);
  b->addWidget(button5);
  b->addWidget(new QLabel(QStringLiteral("線幅")));
  b->addWidget(edit8_);
  b->addWidget(button6);
  b->addWidget(new QLabel(QStringLiteral("点半径")));
  b->addWidget(edit9_);
  b->addWidget(button7);
  v->addWidget(bulk);
  v->addWidget(new QLabel(QStringLiteral("※線幅・点半径は mm値指定")));
  sg01_ = new QTableWidget(TgraAttribute::kPenRows, 4);
  sg01_->setHorizontalHeaderLabels({QStringLiteral("色コード"), QString(), QStringLiteral("線幅"), QStringLiteral("点半径")});
  const int widths[4] = {92, 34, 74, 80};
  for (int c = 0; c < 4; ++c) sg01_->setColumnWidth(c, widths[c]);
  sg01_->verticalHeader()->setDefaultSectionSize(24);
  sg01_->verticalHeader()->setMinimumWidth(120);
  Paint(sg01_, kList);
  v->addWidget(sg01_, 1);
  connect(button5, &QPushButton::clicked, this, [this] { BulkColor(); });
  connect(button6, &QPushButton::clicked, this, [this] { BulkWidth(); });
  connect(button7, &QPushButton::clicked, this, [this] { BulkPointRadius(); });
  connect(button8, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, QString(), Q(extras_.JwwImportFolder),
                                                   QStringLiteral("Jw_cad図面ファイル(*.jww)"));
    if (!p.isEmpty()) ImportPens(p);
  });
  connect(button9, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, QString(), Q(extras_.JwfImportFolder),
                                                   QStringLiteral("Jw_cad環境設定ファイル(*.jwf)"));
    if (!p.isEmpty()) ImportPens(p);
  });
  connect(sg01_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() == 0) RepaintSwatches();
  });
  connect(sg01_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column > 1) return;
    const QColor chosen = QColorDialog::getColor(SwatchColor(sg01_->item(row, 0)->text()), this);
    if (chosen.isValid()) sg01_->item(row, 0)->setText(QString::number(FromQColor(chosen)));
  });
  connect(edit7_, &QLineEdit::textChanged, this, [this](const QString& t) { Paint(bulkSwatch_, SwatchColor(t)); });
  return page;
}

QWidget* TForm1::BuildLineTypePage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  lineTypeSource_ = new QButtonGroup(this);
  auto* fromDrawing = new QRadioButton(QStringLiteral("図面データから取得"));
  auto* manual = new QRadioButton(QStringLiteral("下記で手動設定"));
  lineTypeSource_->addButton(fromDrawing, 0);
  lineTypeSource_->addButton(manual, 1);
  top->addWidget(fromDrawing);
  top->addWidget(manual);
  auto* button10 = new QPushButton(QStringLiteral("JWW形式ファイル設定内容を流用"));
  auto* button11 = new QPushButton(QStringLiteral("JWF環境設定ファイル設定内容を流用"));
  top->addWidget(button10);
  top->addWidget(button11);
  v->addLayout(top);
  auto* pitch = new QHBoxLayout;
  pitch->addWidget(new QLabel(QStringLiteral("JWW形式ファイルから読み取る際の\n線種ピッチ1dot辺りのmm値の指定")));
  edit10_ = new QLineEdit;
  pitch->addWidget(edit10_);
  pitch->addWidget(new QLabel(QStringLiteral("mm/dot")));
  pitch->addStretch(1);
  v->addLayout(pitch);
  v->addWidget(new QLabel(QStringLiteral("※振幅 mm値指定　0以外はランダム線\n"
                                         "※パターン(P1～32) mm値指定　正の値：線部分長さ、負値：空白部長さ、0値：点")));
  sg02_ = new QTableWidget(TgraAttribute::kLineTypeRows, 34);
  QStringList heads{QStringLiteral("振幅"), QStringLiteral("数")};
  for (int i = 1; i <= 32; ++i) heads << QStringLiteral("P%1").arg(i);
  sg02_->setHorizontalHeaderLabels(heads);
  for (int c = 0; c < 34; ++c) sg02_->setColumnWidth(c, 40);
  sg02_->verticalHeader()->setMinimumWidth(150);
  Paint(sg02_, kList);
  v->addWidget(sg02_, 1);
  connect(button10, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, QString(), Q(extras_.JwwImportFolder),
                                                   QStringLiteral("Jw_cad図面ファイル(*.jww)"));
    if (!p.isEmpty()) ImportLineTypes(p);
  });
  connect(button11, &QPushButton::clicked, this, [this] {
    const QString p = QFileDialog::getOpenFileName(this, QString(), Q(extras_.JwfImportFolder),
                                                   QStringLiteral("Jw_cad環境設定ファイル(*.jwf)"));
    if (!p.isEmpty()) ImportLineTypes(p);
  });
  return page;
}

void TForm1::FillGrids() {
  QStringList penNames;
  for (int i = 1; i <= 8; ++i) penNames << QStringLiteral("線色%1").arg(i);
  penNames << QStringLiteral("補助線色");
  for (const char* n : kSxfNames) penNames << QString::fromUtf8(n);
  for (int i = 17; i <= 256; ++i) penNames << QStringLiteral("SXF USER色%1").arg(i);
  sg01_->setVerticalHeaderLabels(penNames);
  QStringList typeNames;
  for (const char* n : kLineTypeNames) typeNames << QString::fromUtf8(n);
  for (int i = 17; i <= 32; ++i) typeNames << QStringLiteral("SXF USER線種%1").arg(i);
  sg02_->setVerticalHeaderLabels(typeNames);
  const QSignalBlocker block1(sg01_), block2(sg02_);
  for (int r = 0; r < sg01_->rowCount(); ++r)
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem;
      if (c == 1) item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      sg01_->setItem(r, c, item);
    }
  for (int r = 0; r < sg02_->rowCount(); ++r)
    for (int c = 0; c < 34; ++c) sg02_->setItem(r, c, new QTableWidgetItem);
}

// ---------------------------------------------------------------------------
// Settings <-> controls

void TForm1::ShowTables() {
  const QSignalBlocker block(sg01_);
  for (int r = 0; r < TgraAttribute::kPenRows; ++r) {
    const TPenRow& row = settings_.PenTable[r];
    sg01_->item(r, 0)->setText(QString::number(row.Color));
    sg01_->item(r, 2)->setText(RealText(row.Width));
    sg01_->item(r, 3)->setText(RealText(row.PointRadius));
  }
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    const TLineTypeRow& row = settings_.LineTypeTable[r];
    sg02_->item(r, 0)->setText(RealText(row.Amplitude));
    sg02_->item(r, 1)->setText(QString::number(row.Count));
    for (int j = 0; j < 32; ++j) sg02_->item(r, 2 + j)->setText(j < row.Count ? RealText(row.Elements[j]) : QString());
  }
  RepaintSwatches();
}

void TForm1::ReadTables() {
  for (int r = 0; r < TgraAttribute::kPenRows; ++r) {
    TPenRow& row = settings_.PenTable[r];
    const int64_t c = IntOf(sg01_->item(r, 0)->text());
    row.Color = static_cast<TColor>(c < 0 ? 0 : (c > 0xFFFFFF ? 0xFFFFFF : c));
    row.Width = RealOf(sg01_->item(r, 2)->text());
    row.PointRadius = RealOf(sg01_->item(r, 3)->text());
  }
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    TLineTypeRow& row = settings_.LineTypeTable[r];
    row.Amplitude = RealOf(sg02_->item(r, 0)->text());
    row.Count = IntOf(sg02_->item(r, 1)->text());
    const int n = row.Count < 0 ? 0 : (row.Count > 32 ? 32 : row.Count);
    for (int j = 0; j < 32; ++j) row.Elements[j] = j < n ? RealOf(sg02_->item(r, 2 + j)->text()) : 0;
  }
}

void TForm1::RepaintSwatches() {
  const QSignalBlocker block(sg01_);
  for (int r = 0; r < sg01_->rowCount(); ++r) {
    QTableWidgetItem *code = sg01_->item(r, 0), *swatch = sg01_->item(r, 1);
    if (code && swatch) swatch->setBackground(SwatchColor(code->text()));
  }
}

void TForm1::ReadControls() {
  PrintSettings& s = settings_;
  s.PrintMethod = method_->checkedId() < 0 ? 0 : method_->checkedId();
  s.PrintScale = RealOf(scale_->text());
  s.OffsetX = RealOf(offsetX_->text());
  s.OffsetY = RealOf(offsetY_->text());
  s.RotationAngle = RealOf(rotation_->text());
  s.Monochrome = mono_->isChecked();
  s.MonoThreshold = monoThreshold_->value();
  s.WhiteToBlackNormal = whiteNormal_->isChecked();
  s.NormalWhiteThreshold = normalThreshold_->value();
  s.WhiteToBlackSxf = whiteSxf_->isChecked();
  s.SxfWhiteThreshold = sxfThreshold_->value();
  s.PerLayerGroup = perGroup_->isChecked();
  s.OneDocument = oneDocument_->isChecked();
  s.CommonLayerGroup = commonGroup_->currentIndex();
  s.PrintAuxLines = auxLines_->isChecked();
  s.DisplayOnlyMode = std::max(0, displayOnly_->checkedId());
  s.DisplayOnlyColor = FromQColor(displayOnlySwatch_->palette().color(QPalette::Window));
  s.PrintOrder = std::max(0, order_->checkedId());
  s.PenSource = std::max(0, penSource_->checkedId());
  s.BulkColor = static_cast<TColor>(std::max<int64_t>(0, std::min<int64_t>(0xFFFFFF, IntOf(edit7_->text()))));
  s.BulkWidth = RealOf(edit8_->text());
  s.BulkPointRadius = RealOf(edit9_->text());
  s.LineTypeSource = std::max(0, lineTypeSource_->checkedId());
  s.LineTypePitch = RealOf(edit10_->text());
  ReadTables();
  ClampSettings(s);
}

void TForm1::ShowSettings() {
  ClampSettings(settings_);
  const PrintSettings& s = settings_;
  method_->button(s.PrintMethod == 0 ? 0 : s.PrintMethod == 1 ? 1 : 2)->setChecked(true);
  scale_->setText(RealText(s.PrintScale));
  offsetX_->setText(RealText(s.OffsetX));
  offsetY_->setText(RealText(s.OffsetY));
  rotation_->setText(RealText(s.RotationAngle));
  mono_->setChecked(s.Monochrome == 1);
  whiteNormal_->setChecked(s.WhiteToBlackNormal == 1);
  whiteSxf_->setChecked(s.WhiteToBlackSxf == 1);
  perGroup_->setChecked(s.PerLayerGroup == 1);
  oneDocument_->setChecked(s.OneDocument == 1);
  auxLines_->setChecked(s.PrintAuxLines == 1);
  monoThreshold_->setValue(s.MonoThreshold);
  normalThreshold_->setValue(s.NormalWhiteThreshold);
  sxfThreshold_->setValue(s.SxfWhiteThreshold);
  commonGroup_->setCurrentIndex(s.CommonLayerGroup);
  displayOnly_->button(s.DisplayOnlyMode)->setChecked(true);
  Paint(displayOnlySwatch_, ToQColor(s.DisplayOnlyColor));
  order_->button(s.PrintOrder)->setChecked(true);
  penSource_->button(s.PenSource)->setChecked(true);
  lineTypeSource_->button(s.LineTypeSource)->setChecked(true);
  edit7_->setText(QString::number(s.BulkColor));
  Paint(bulkSwatch_, ToQColor(s.BulkColor));
  edit8_->setText(RealText(s.BulkWidth));
  edit9_->setText(RealText(s.BulkPointRadius));
  edit10_->setText(RealText(s.LineTypePitch));
  ShowTables();
}

// ---------------------------------------------------------------------------
// Commands

int TForm1::AddFiles(const QStringList& paths) {
  // Paths are kept as the file system spells them (it tells capitals apart);
  // duplicates and the order ignore letter case.
  int added = 0;
  for (const QString& given : paths) {
    if (given.isEmpty() || !IsJwwPath(given)) continue;
    const QFileInfo info(given);
    if (!info.isFile()) continue;
    const QString path = info.absoluteFilePath();
    bool present = false;
    for (int i = 0; i < list_->count() && !present; ++i)
      present = list_->item(i)->text().compare(path, Qt::CaseInsensitive) == 0;
    if (present) continue;
    list_->addItem(path);
    ++added;
  }
  QStringList all = Files();
  std::sort(all.begin(), all.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  list_->clear();
  list_->addItems(all);
  return added;
}

int TForm1::DeleteSelected() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (list_->count() == 0 || selected.isEmpty()) return 0;
  const int n = static_cast<int>(selected.size());
  if (!Ask(QStringLiteral("選択した%1個のファイルを一覧から削除します。よろしいですか？").arg(n))) return 0;
  for (QListWidgetItem* item : selected) delete item;
  SetStatus(QStringLiteral("%1個のファイルを一覧から削除しました。").arg(n));
  return n;
}

bool TForm1::SaveSettings(const QString& path) {
  extras_.SettingsFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (QFileInfo(path).suffix().toLower() != "dat") {
    SetStatus(QStringLiteral("設定ファイルの拡張子は「.dat」にして下さい。"));
    return false;
  }
  if (!settingsFile_.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(settingsFile_).absoluteFilePath()) {
    SetStatus(QStringLiteral("このファイル名では設定保存出来ません。設定保存を再度行って下さい。"));
    return false;
  }
  ReadControls();
  SettingsFileExtras extras = extras_;
  extras.Files.clear();
  for (const QString& f : Files()) extras.Files.push_back(Sjis(f));
  const bool ok = WriteSettingsFile(path.toStdString(), SettingsForm::User, settings_, extras);
  SetStatusSjis(SettingsSavedText(ok));
  return ok;
}

bool TForm1::OpenSettings(const QString& path) {
  extras_.SettingsFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (QFileInfo(path).suffix().toLower() != "dat") {
    SetStatus(QStringLiteral("設定ファイルの拡張子は「.dat」にして下さい。"));
    return false;
  }
  if (!settingsFile_.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(settingsFile_).absoluteFilePath()) {
    SetStatus(QStringLiteral("このファイル名では設定を開く事は出来ません。再度行って下さい。"));
    return false;
  }
  SettingsFileExtras extras = extras_;
  const SettingsReadResult r = ReadSettingsFile(path.toStdString(), SettingsForm::User, settings_, extras);
  if (r == SettingsReadResult::Opened || r == SettingsReadResult::Damaged) {
    extras_.DrawingFolder = extras.DrawingFolder;
    extras_.JwwImportFolder = extras.JwwImportFolder;
    extras_.JwfImportFolder = extras.JwfImportFolder;
    list_->clear();
    QStringList files;
    for (const std::string& f : extras.Files) files << Q(f);
    list_->addItems(files);
  }
  SetStatusSjis(SettingsStatusText(r));
  UpdatePrinterInfo();
  ShowSettings();
  return r == SettingsReadResult::Opened;
}

void TForm1::ResetSettings() {
  list_->clear();
  TgraAttribute& attr = UnitGraAtt::GraAttribute();
  attr.ResetAttributes();
  attr.SetPrintMode(true);
  attr.SetBackgroundMode(darkBackground_ ? 1 : 0);
  attr.ResetPenColors();
  settings_ = PrintSettings();
  UpdatePrinterInfo();
  ShowSettings();
}

void TForm1::ImportPens(const QString& path) {
  ReadControls();
  const std::string p = path.toStdString();
  ImportResult r;
  if (QFileInfo(path).suffix().toLower() == "jww") {
    extras_.JwwImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
    std::string error;
    std::unique_ptr<PrintDevice> device = DefaultDevice(error);
    r = ImportPensFromJww(p, settings_, UnitGraAtt::GraAttribute(), device.get());
    if (r.Done) darkBackground_ = r.DarkBackground;
  } else if (QFileInfo(path).suffix().toLower() == "jwf") {
    extras_.JwfImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
    r = ImportPensFromJwf(p, settings_);
  }
  if (!r.Done) return;
  ShowSettings();
  SetStatusSjis(r.Status);
}

void TForm1::ImportLineTypes(const QString& path) {
  ReadControls();
  const std::string p = path.toStdString();
  ImportResult r;
  if (QFileInfo(path).suffix().toLower() == "jww") {
    extras_.JwwImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
    r = ImportLineTypesFromJww(p, settings_, UnitGraAtt::GraAttribute());
  } else if (QFileInfo(path).suffix().toLower() == "jwf") {
    extras_.JwfImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
    r = ImportLineTypesFromJwf(p, settings_, UnitGraAtt::GraAttribute());
  }
  if (!r.Done) return;
  ShowSettings();
  SetStatusSjis(r.Status);
}

void TForm1::BulkColor() {
  const int64_t c = IntOf(edit7_->text());
  const QString text = QString::number(c < 0 ? 0 : (c > 0xFFFFFF ? 0xFFFFFF : c));
  for (const QTableWidgetSelectionRange& range : sg01_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) sg01_->item(r, 0)->setText(text);
  RepaintSwatches();
}

void TForm1::BulkWidth() {
  double w = RealOf(edit8_->text());
  if (!(w >= 0)) w = 0;
  if (w > 500) w = 500;
  for (const QTableWidgetSelectionRange& range : sg01_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) sg01_->item(r, 2)->setText(RealText(w));
}

void TForm1::BulkPointRadius() {
  double v = RealOf(edit9_->text());
  if (!(v >= 0.01)) v = 0.01;
  if (v > 500) v = 500;
  for (const QTableWidgetSelectionRange& range : sg01_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) sg01_->item(r, 3)->setText(RealText(v));
}

void TForm1::PickColor(QLabel* swatch, QLineEdit* edit) {
  const QColor chosen =
      QColorDialog::getColor(swatch->palette().color(QPalette::Window), this, QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return;
  Paint(swatch, chosen);
  if (edit) edit->setText(QString::number(FromQColor(chosen)));
}

// ---------------------------------------------------------------------------
// Printing

std::unique_ptr<PrintDevice> TForm1::DefaultDevice(std::string& error) {
  if (!output_.Pdf) {
    auto device = platform::MakeCupsPrintService(output_.Printer.toStdString(), nullptr, error);
    if (device) return device;
  }
  return platform::MakePdfPrintService(output_.PdfPath.toStdString(), output_.Page);
}

void TForm1::SetOutput(const OutputChoice& output) {
  output_ = output;
  UpdatePrinterInfo();
}

void TForm1::UpdatePrinterInfo() {
  std::string error;
  std::unique_ptr<PrintDevice> device = MakeDevice ? MakeDevice(error) : DefaultDevice(error);
  if (!device) {
    printerInfo_->setText(QStringLiteral("プリンタ名：") + QString::fromStdString(error));
    return;
  }
  QString name = output_.Pdf ? QStringLiteral("PDF (%1)").arg(output_.PdfPath) : Q(device->PrinterName());
  auto mm = [](double v) { return QString::number(v, 'f', 2); };
  printerInfo_->setText(QStringLiteral("プリンタ名：") + name + "\r\n" + QStringLiteral("用紙サイズ：横：") +
                        mm(device->PaperWidthMm()) + QStringLiteral("mm　縦：") + mm(device->PaperHeightMm()) +
                        QStringLiteral("mm　印刷サイズ：横：") + mm(device->PageWidthMm()) +
                        QStringLiteral("mm　縦：") + mm(device->PageHeightMm()) + QStringLiteral("mm"));
}

void TForm1::PrinterSetup() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("プリンタ設定"));
  auto* form = new QFormLayout(&dialog);
  auto* printer = new QComboBox;
  printer->addItem(QStringLiteral("PDFファイルに出力"));
  for (const QString& name : QPrinterInfo::availablePrinterNames()) printer->addItem(name);
  if (!output_.Pdf) printer->setCurrentText(output_.Printer.isEmpty() ? QPrinterInfo::defaultPrinterName() : output_.Printer);
  auto* path = new QLineEdit(output_.PdfPath);
  auto* paper = new QComboBox;
  paper->addItems({"A3", "A4", "A2", "A1", "A0", "B4", "B5"});
  auto* landscape = new QCheckBox(QStringLiteral("横向き"));
  landscape->setChecked(output_.Page.PaperWidthMm > output_.Page.PaperHeightMm);
  auto* dpi = new QSpinBox;
  dpi->setRange(72, 2400);
  dpi->setValue(output_.Page.Dpi);
  form->addRow(QStringLiteral("プリンタ"), printer);
  form->addRow(QStringLiteral("PDFファイル"), path);
  form->addRow(QStringLiteral("用紙"), paper);
  form->addRow(QString(), landscape);
  form->addRow(QStringLiteral("解像度(dpi)"), dpi);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return;
  OutputChoice o = output_;
  o.Pdf = printer->currentIndex() == 0;
  o.Printer = o.Pdf ? QString() : printer->currentText();
  o.PdfPath = path->text();
  PaperSize size;
  ParsePaperSize(paper->currentText().toStdString(), size);
  const double s = std::min(size.WidthMm, size.HeightMm), l = std::max(size.WidthMm, size.HeightMm);
  o.Page.PaperWidthMm = landscape->isChecked() ? l : s;
  o.Page.PaperHeightMm = landscape->isChecked() ? s : l;
  o.Page.Dpi = dpi->value();
  SetOutput(o);
  ReadControls();
}

namespace {

TForm1* g_printing = nullptr;
bool WindowAbortPoll() { return platform::EscapeKeyDown() || (g_printing && g_printing->EscPressed); }

class WindowObserver : public PrintRunObserver {
 public:
  explicit WindowObserver(TForm1& w, QListWidget* list, QLabel* status) : w_(w), list_(list), status_(status) {}
  void Status(const std::string& sjis) override {
    status_->setText(QString::fromUtf8(util::Cp932ToUtf8(sjis).c_str()));
    status_->repaint();
  }
  void FileStarted(size_t index, size_t, const std::string&) override {
    list_->clearSelection();
    if (auto* item = list_->item(static_cast<int>(index))) item->setSelected(true);
    list_->repaint();
  }
  void ProcessMessages() override { QApplication::processEvents(); }
  bool StopRequested() override {
    if (!WindowAbortPoll()) return false;
    QApplication::beep();
    return true;
  }

 private:
  TForm1& w_;
  QListWidget* list_;
  QLabel* status_;
};

}  // namespace

PrintRunResult TForm1::StartPrint() {
  PrintRunResult result;
  if (running_) return result;
  if (list_->count() == 0) {
    const QString text = QStringLiteral("印刷を行うファイル名を指定して下さい。");
    if (confirm_) QMessageBox::information(this, windowTitle(), text);
    SetStatus(text);
    return result;
  }
  if (!Ask(QStringLiteral("印刷を開始します。よろしいですか？"))) return result;
  ReadControls();
  std::string error;
  std::unique_ptr<PrintDevice> device = MakeDevice ? MakeDevice(error) : DefaultDevice(error);
  if (!device) {
    SetStatus(QString::fromStdString(error));
    return result;
  }
  running_ = true;
  EscPressed = false;
  button12_->setEnabled(false);
  g_printing = this;
  UnitGval::SetAbortPoll(WindowAbortPoll);
  std::vector<std::string> files;
  for (const QString& f : Files()) files.push_back(f.toStdString());
  WindowObserver observer(*this, list_, status_);
  PrintRun run(drawing_, *device, settings_, observer);
  result = run.Run(files);
  if (!device->Finish() || result.OutputFailed) SetStatus(QString::fromStdString(device->LastError()));
  UnitGval::SetAbortPoll(nullptr);
  g_printing = nullptr;
  list_->clearSelection();
  button12_->setEnabled(true);
  running_ = false;
  return result;
}

std::vector<QImage> TForm1::Preview() {
  std::vector<QImage> pages;
  QListWidgetItem* item = list_->currentItem();
  if (!item && list_->count() > 0) item = list_->item(0);
  if (!item || running_) return pages;
  ReadControls();
  PageSetup page = output_.Page;
  if (!output_.Pdf) {  // the printer's paper, as far as it tells
    std::string error;
    if (auto device = DefaultDevice(error)) {
      page.PaperWidthMm = device->PageWidthMm();
      page.PaperHeightMm = device->PageHeightMm();
    }
  }
  page.Dpi = 72;
  auto device = platform::MakeImagePrintService(page, &pages);
  PrintSettings settings = settings_;
  settings.OneDocument = 0;
  PrintRunObserver quiet;
  TJwwData drawing;
  PrintRun(drawing, *device, settings, quiet).Run({item->text().toStdString()});
  device.reset();
  if (!confirm_) return pages;
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("プレビュー：") + QFileInfo(item->text()).fileName());
  auto* v = new QVBoxLayout(&dialog);
  if (pages.empty()) v->addWidget(new QLabel(QStringLiteral("印刷するものがありません。")));
  for (const QImage& image : pages) {
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(image.scaled(900, 640, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    label->setFrameShape(QFrame::Box);
    v->addWidget(label);
    if (v->count() >= 3) break;  // the first pages are enough to judge
  }
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(close, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  v->addWidget(close);
  dialog.exec();
  return pages;
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
  for (int i = 0; i < list_->count(); ++i) out << list_->item(i)->text();
  return out;
}

QString TForm1::StatusText() const { return status_->text(); }
QString TForm1::PrinterInfoText() const { return printerInfo_->text(); }
void TForm1::SetStatus(const QString& text) { status_->setText(text); }
void TForm1::SetStatusSjis(const std::string& sjis) { SetStatus(Q(sjis)); }

bool TForm1::Ask(const QString& question) {
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
  const int n = AddFiles(paths);
  SetStatus(QString::number(n) + QStringLiteral("個のファイルを一覧に追加しました。"));
  e->acceptProposedAction();
}

void TForm1::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) EscPressed = true;
  QMainWindow::keyPressEvent(e);
}

void TForm1::closeEvent(QCloseEvent* e) {
  jwwtype::ClearImages();
  drawing_.ClearDrawing();
  ReadControls();
  if (!settingsFile_.isEmpty()) {
    QDir().mkpath(QFileInfo(settingsFile_).absolutePath());
    SettingsFileExtras window = extras_;
    window.WindowLeft = x();
    window.WindowTop = y();
    window.WindowWidth = width();
    window.WindowHeight = height();
    WriteSettingsFile(settingsFile_.toStdString(), SettingsForm::Window, settings_, window);
  }
  e->accept();
}
