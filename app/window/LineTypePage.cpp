#include "app/window/LineTypePage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/window/TableSourceRow.h"
#include "app/window/NumberInput.h"
#include "app/window/WindowCommon.h"

using namespace window;

namespace {

const char* const kLineTypeNames[34] = {
    "線種1:実線", "線種2:点線１", "線種3:点線２", "線種4:点線３", "線種5:一点鎖線１", "線種6:一点鎖線２",
    "線種7:二点鎖線１", "線種8:二点鎖線２", "補助線種", "ランダム線１", "ランダム線２", "ランダム線３",
    "ランダム線４", "ランダム線５", "倍長線種１", "倍長線種２", "倍長線種３", "倍長線種４", "SXF 1:実線",
    "SXF 2:破線", "SXF 3:跳び破線", "SXF 4:一点長鎖線", "SXF 5:二点長鎖線", "SXF 6:三点長鎖線", "SXF 7:点線",
    "SXF 8:一点鎖線", "SXF 9:二点鎖線", "SXF10:一点短鎖線", "SXF11:一点二短鎖線", "SXF12:二点短鎖線",
    "SXF13:二点二短鎖線", "SXF14:三点短鎖線", "SXF15:三点二短鎖線", "SXF16:(予約)"};

}  // namespace

LineTypePage::LineTypePage(QWidget* parent) : QWidget(parent) {
  sourceRow_ = new TableSourceRow;
  QVBoxLayout* e = TableSourceRow::LayOutPage(this, sourceRow_, editing_);

  auto* pitch = new QHBoxLayout;
  pitch->addWidget(new QLabel(QStringLiteral("JWW形式ファイルから読み取る際の\n線種ピッチ1dot辺りのmm値の指定")));
  mmPerDot_ = new QLineEdit;
  MakeNumberInput(mmPerDot_, 0, 1000);
  pitch->addWidget(mmPerDot_);
  pitch->addWidget(new QLabel(QStringLiteral("mm/dot")));
  pitch->addStretch(1);
  e->addLayout(pitch);
  e->addWidget(new QLabel(QStringLiteral("※振幅 mm値指定　0以外はランダム線\n"
                                         "※パターン(P1～32) mm値指定　正の値：線部分長さ、負値：空白部長さ、0値：点")));
  lineTypeTable_ = new QTableWidget(TgraAttribute::kLineTypeRows, 34);
  QStringList heads{QStringLiteral("振幅"), QStringLiteral("数")};
  for (int i = 1; i <= 32; ++i) heads << QStringLiteral("P%1").arg(i);
  lineTypeTable_->setHorizontalHeaderLabels(heads);
  for (int c = 0; c < 34; ++c) lineTypeTable_->setColumnWidth(c, 40);
  lineTypeTable_->verticalHeader()->setMinimumWidth(150);
  Paint(lineTypeTable_, kListColor);
  e->addWidget(lineTypeTable_, 1);

  QStringList typeNames;
  for (const char* n : kLineTypeNames) typeNames << QString::fromUtf8(n);
  for (int i = 17; i <= 32; ++i) typeNames << QStringLiteral("SXF USER線種%1").arg(i);
  lineTypeTable_->setVerticalHeaderLabels(typeNames);
  for (int r = 0; r < lineTypeTable_->rowCount(); ++r)
    for (int c = 0; c < 34; ++c) lineTypeTable_->setItem(r, c, new QTableWidgetItem);
}

void LineTypePage::Show(const PrintSettings& s) {
  sourceRow_->SetSource(static_cast<int>(s.LineTypeSource));
  mmPerDot_->setText(RealText(s.LineTypePitch));
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    const TLineTypeRow& row = s.LineTypeTable[r];
    lineTypeTable_->item(r, 0)->setText(RealText(row.Amplitude));
    lineTypeTable_->item(r, 1)->setText(QString::number(row.Count));
    for (int j = 0; j < 32; ++j)
      lineTypeTable_->item(r, 2 + j)->setText(j < row.Count ? RealText(row.Elements[j]) : QString());
  }
}

void LineTypePage::Read(PrintSettings& s) const {
  s.LineTypeSource = static_cast<TableSource>(sourceRow_->Source());
  if (mmPerDot_->hasAcceptableInput()) s.LineTypePitch = RealOf(mmPerDot_->text());
  for (int r = 0; r < TgraAttribute::kLineTypeRows; ++r) {
    TLineTypeRow& row = s.LineTypeTable[r];
    row.Amplitude = RealOf(lineTypeTable_->item(r, 0)->text());
    row.Count = IntOf(lineTypeTable_->item(r, 1)->text());
    const int n = row.Count < 0 ? 0 : (row.Count > 32 ? 32 : row.Count);
    for (int j = 0; j < 32; ++j) row.Elements[j] = j < n ? RealOf(lineTypeTable_->item(r, 2 + j)->text()) : 0;
  }
}

void LineTypePage::SetTableEnabled(bool enabled) {
  sourceRow_->setEnabled(enabled);
  editing_->setEnabled(enabled);
}
