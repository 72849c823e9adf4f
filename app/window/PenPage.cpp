#include "app/window/PenPage.h"

#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/core/PrintPreparation.h"
#include "app/window/TableSourceRow.h"
#include "app/window/NumberInput.h"
#include "app/window/WindowCommon.h"

using namespace window;

namespace {

const char* const kSxfNames[16] = {"SXF 1:black",     "SXF 2:red",       "SXF 3:green",     "SXF 4:blue",
                                   "SXF 5:yellow",    "SXF 6:magenta",   "SXF 7:cyan",      "SXF 8:white",
                                   "SXF 9:deeppink",  "SXF10:brown",     "SXF11:orange",    "SXF12:lightgreen",
                                   "SXF13:lightblue", "SXF14:lavender",  "SXF15:lightgray", "SXF16:darkgray"};

}  // namespace

QColor PenPage::SwatchColor(const QString& code) { return ToQColor(ClampColorCode(IntOf(code))); }

PenPage::PenPage(QWidget* parent) : QWidget(parent) {
  sourceRow_ = new TableSourceRow;
  QVBoxLayout* e = TableSourceRow::LayOutPage(this, sourceRow_, editing_);

  auto* bulk = new QGroupBox(QStringLiteral("選択範囲の一括入力(&T)"));
  auto* b = new QHBoxLayout(bulk);
  bulkColorSwatch_ = new QLabel;
  bulkColorSwatch_->setFixedSize(24, 18);
  bulkColorCode_ = new QLineEdit(QStringLiteral("0"));
  bulkWidth_ = new QLineEdit(QStringLiteral("0"));
  bulkPointRadius_ = new QLineEdit(QStringLiteral("0.1"));
  MakeNumberInput(bulkColorCode_, -1e9, 1e9, true);
  MakeNumberInput(bulkWidth_, 0, 1000);
  MakeNumberInput(bulkPointRadius_, 0, 1000);
  auto* setColor = new QPushButton(QStringLiteral("設定"));
  auto* setWidth = new QPushButton(QStringLiteral("設定"));
  auto* setPointRadius = new QPushButton(QStringLiteral("設定"));
  b->addWidget(new QLabel(QStringLiteral("色")));
  b->addWidget(bulkColorSwatch_);
  b->addWidget(bulkColorCode_);
  b->addWidget(setColor);
  b->addWidget(new QLabel(QStringLiteral("線幅")));
  b->addWidget(bulkWidth_);
  b->addWidget(setWidth);
  b->addWidget(new QLabel(QStringLiteral("点半径")));
  b->addWidget(bulkPointRadius_);
  b->addWidget(setPointRadius);
  e->addWidget(bulk);
  e->addWidget(new QLabel(QStringLiteral("※線幅・点半径は mm値指定")));

  penTable_ = new QTableWidget(TgraAttribute::kPenRows, 4);
  penTable_->setHorizontalHeaderLabels(
      {QStringLiteral("色コード"), QString(), QStringLiteral("線幅"), QStringLiteral("点半径")});
  const int widths[4] = {92, 34, 74, 80};
  for (int c = 0; c < 4; ++c) penTable_->setColumnWidth(c, widths[c]);
  penTable_->verticalHeader()->setDefaultSectionSize(24);
  penTable_->verticalHeader()->setMinimumWidth(120);
  Paint(penTable_, kListColor);
  e->addWidget(penTable_, 1);

  QStringList penNames;
  for (int i = 1; i <= 8; ++i) penNames << QStringLiteral("線色%1").arg(i);
  penNames << QStringLiteral("補助線色");
  for (const char* n : kSxfNames) penNames << QString::fromUtf8(n);
  for (int i = 17; i <= 256; ++i) penNames << QStringLiteral("SXF USER色%1").arg(i);
  penTable_->setVerticalHeaderLabels(penNames);
  {
    const QSignalBlocker block(penTable_);
    for (int r = 0; r < penTable_->rowCount(); ++r)
      for (int c = 0; c < 4; ++c) {
        auto* item = new QTableWidgetItem;
        if (c == 1) item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // the swatch
        penTable_->setItem(r, c, item);
      }
  }

  connect(setColor, &QPushButton::clicked, this, [this] { BulkColor(); });
  connect(setWidth, &QPushButton::clicked, this, [this] { BulkWidth(); });
  connect(setPointRadius, &QPushButton::clicked, this, [this] { BulkPointRadius(); });
  connect(penTable_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (item->column() == 0) RepaintSwatches();
  });
  connect(penTable_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column > 1) return;
    const QColor chosen = QColorDialog::getColor(SwatchColor(penTable_->item(row, 0)->text()), this, QString(),
                                                 QColorDialog::DontUseNativeDialog);
    if (chosen.isValid()) penTable_->item(row, 0)->setText(QString::number(FromQColor(chosen)));
  });
  connect(bulkColorCode_, &QLineEdit::textChanged, this,
          [this](const QString& t) { Paint(bulkColorSwatch_, SwatchColor(t)); });
}

void PenPage::Show(const PrintSettings& s) {
  sourceRow_->SetSource(static_cast<int>(s.PenSource));
  bulkColorCode_->setText(QString::number(s.BulkColor));
  Paint(bulkColorSwatch_, ToQColor(s.BulkColor));
  bulkWidth_->setText(RealText(s.BulkWidth));
  bulkPointRadius_->setText(RealText(s.BulkPointRadius));
  const QSignalBlocker block(penTable_);
  for (int r = 0; r < TgraAttribute::kPenRows; ++r) {
    const TPenRow& row = s.PenTable[r];
    penTable_->item(r, 0)->setText(QString::number(row.Color));
    penTable_->item(r, 2)->setText(RealText(row.Width));
    penTable_->item(r, 3)->setText(RealText(row.PointRadius));
  }
  RepaintSwatches();
}

void PenPage::Read(PrintSettings& s) const {
  s.PenSource = static_cast<TableSource>(sourceRow_->Source());
  s.BulkColor = ClampColorCode(IntOf(bulkColorCode_->text()));
  s.BulkWidth = RealOf(bulkWidth_->text());
  s.BulkPointRadius = RealOf(bulkPointRadius_->text());
  for (int r = 0; r < TgraAttribute::kPenRows; ++r) {
    TPenRow& row = s.PenTable[r];
    row.Color = ClampColorCode(IntOf(penTable_->item(r, 0)->text()));
    row.Width = RealOf(penTable_->item(r, 2)->text());
    row.PointRadius = RealOf(penTable_->item(r, 3)->text());
  }
}

void PenPage::SetTableEnabled(bool enabled) {
  sourceRow_->setEnabled(enabled);
  editing_->setEnabled(enabled);
}

void PenPage::BulkColor() {
  const QString text = QString::number(ClampColorCode(IntOf(bulkColorCode_->text())));
  for (const QTableWidgetSelectionRange& range : penTable_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) penTable_->item(r, 0)->setText(text);
  RepaintSwatches();
}

void PenPage::BulkWidth() {
  double w = RealOf(bulkWidth_->text());
  if (!(w >= 0)) w = 0;
  if (w > 500) w = 500;
  for (const QTableWidgetSelectionRange& range : penTable_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) penTable_->item(r, 2)->setText(RealText(w));
}

void PenPage::BulkPointRadius() {
  double v = RealOf(bulkPointRadius_->text());
  if (!(v >= 0.01)) v = 0.01;
  if (v > 500) v = 500;
  for (const QTableWidgetSelectionRange& range : penTable_->selectedRanges())
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) penTable_->item(r, 3)->setText(RealText(v));
}

void PenPage::RepaintSwatches() {
  const QSignalBlocker block(penTable_);
  for (int r = 0; r < penTable_->rowCount(); ++r) {
    QTableWidgetItem *code = penTable_->item(r, 0), *swatch = penTable_->item(r, 1);
    if (code && swatch) swatch->setBackground(SwatchColor(code->text()));
  }
}
