#include "app/window/SettingsPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/window/NumberInput.h"
#include "app/core/PrintChoices.h"
#include "app/window/WindowCommon.h"

using namespace window;

namespace {

// One radio button per row of a choice's table, its id the stored number.
template <typename T, size_t N>
QButtonGroup* Choices(QWidget* owner, QBoxLayout* into, const ChoiceRow<T> (&rows)[N]) {
  auto* group = new QButtonGroup(owner);
  for (const ChoiceRow<T>& row : rows) {
    auto* r = new QRadioButton(QString::fromUtf8(row.Label));
    group->addButton(r, static_cast<int>(row.Value));
    if (into) into->addWidget(r);
  }
  return group;
}

// The button of a stored value; the table's first for a value it lacks.
template <typename T, size_t N>
void Check(QButtonGroup* group, const ChoiceRow<T> (&rows)[N], T value) {
  QAbstractButton* b = group->button(static_cast<int>(value));
  (b ? b : group->button(static_cast<int>(rows[0].Value)))->setChecked(true);
}

// The stored value of the button checked; the table's first when none is.
template <typename T, size_t N>
T Checked(const QButtonGroup* group, const ChoiceRow<T> (&rows)[N]) {
  for (const ChoiceRow<T>& row : rows)
    if (group->checkedId() == static_cast<int>(row.Value)) return row.Value;
  return rows[0].Value;
}

}  // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
  auto* page = new QVBoxLayout(this);
  auto* printerRow = new QHBoxLayout;
  printerSetupButton_ = new QPushButton(QStringLiteral("プリンタ設定(&P)"));
  printerLine_ = new QLabel;
  printerLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Paint(printerLine_, kStatusColor);
  printerLine_->setMinimumWidth(200);
  printerRow->addWidget(printerSetupButton_);
  printerRow->addWidget(printerLine_, 1);
  page->addLayout(printerRow);
  auto* paperRow = new QHBoxLayout;
  paperMode_ = new QComboBox;
  paperMode_->addItems({QStringLiteral("指定の用紙"), QStringLiteral("図面の用紙"), QStringLiteral("指定の用紙に縮小")});
  paperMode_->setToolTip(QStringLiteral(
      "PDF出力の用紙：図面の用紙は各図面の用紙サイズ（A0〜A4など）のページに、"
      "指定の用紙に縮小は図面の用紙と指定の用紙の比（A1をA3に50%）で印刷します。"));
  paperRow->addWidget(new QLabel(QStringLiteral("用紙")));
  paperRow->addWidget(paperMode_);
  paperRow->addStretch(1);
  page->addLayout(paperRow);
  connect(printerSetupButton_, &QPushButton::clicked, this, &SettingsPage::PrinterSetupRequested);

  options_ = new QWidget;
  auto* v = new QVBoxLayout(options_);
  v->setContentsMargins(0, 0, 0, 0);
  page->addWidget(options_);
  page->addStretch(1);

  auto* placementBox = new QGroupBox(QStringLiteral("印刷方法"));
  auto* m = new QGridLayout(placementBox);
  placement_ = Choices(this, nullptr, kPrintMethods);
  int row = 0;
  for (QAbstractButton* b : placement_->buttons()) m->addWidget(b, row++, 0, 1, 6);
  scale_ = new QLineEdit;
  offsetX_ = new QLineEdit;
  offsetY_ = new QLineEdit;
  rotation_ = new QLineEdit;
  MakeNumberInput(scale_, 1e-6, 1e6);
  MakeNumberInput(offsetX_, -1e7, 1e7);
  MakeNumberInput(offsetY_, -1e7, 1e7);
  MakeNumberInput(rotation_, -36000, 36000);
  scale_->setToolTip(QStringLiteral("倍率（例：0.5、2）。全角数字でも入力できます。"));
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
  v->addWidget(placementBox);

  auto* colours = new QGridLayout;
  auto threshold = [&](int row, const char* text, QCheckBox*& box, QSpinBox*& spin) {
    box = new QCheckBox(QString::fromUtf8(text));
    spin = new QSpinBox;
    spin->setRange(0, 255);
    colours->addWidget(box, row, 0);
    colours->addWidget(spin, row, 1);
  };
  threshold(0, "モノクロ印刷を行う　　　モノクロ印刷時のしきい値", monochrome_, monoThreshold_);
  threshold(1, "通常線色の白色を黒色にする　白色判定時のしきい値", whiteToBlackNormal_, normalWhiteThreshold_);
  threshold(2, "SXF線色の白色を黒色にする 　白色判定時のしきい値", whiteToBlackSxf_, sxfWhiteThreshold_);
  colours->addWidget(new QLabel(QStringLiteral("※ソリッド任意色はカラー出力されます")), 3, 0, 1, 2);
  v->addLayout(colours);

  auto* paging = new QHBoxLayout;
  pagePerLayerGroup_ = new QCheckBox(QStringLiteral("レイヤグループ毎連続印刷"));
  oneDocument_ = new QCheckBox(QStringLiteral("１文書として印刷"));
  commonLayerGroup_ = new QComboBox;
  commonLayerGroup_->addItem(QStringLiteral("なし"));
  for (int g = 0; g < 16; ++g)
    commonLayerGroup_->addItem(QStringLiteral("[%1]レイヤグループ").arg(QString::number(g, 16).toUpper()));
  commonLayerGroup_->addItem(QStringLiteral("表示のみレイヤグループ"));
  paging->addWidget(pagePerLayerGroup_);
  paging->addWidget(oneDocument_);
  paging->addWidget(new QLabel(QStringLiteral("共通印刷レイヤグループ")));
  paging->addWidget(commonLayerGroup_);
  v->addLayout(paging);

  auto* displayBox = new QGroupBox(QStringLiteral("表示のみレイヤ・レイヤグループ"));
  displayOnlyMode_ =
      Choices(this, new QHBoxLayout(displayBox), kDisplayOnlyModes);
  v->addWidget(displayBox);

  auto* misc = new QHBoxLayout;
  followDrawing_ = new QCheckBox(QStringLiteral("図面の印刷設定に従う"));
  followDrawing_->setToolTip(QStringLiteral(
      "各図面に保存された印刷設定で印刷します：カラー印刷がオフの図面は黒、"
      "表示のみレイヤはグレー、SXFの白は黒で印刷します。"));
  misc->addWidget(followDrawing_);
  auxLines_ = new QCheckBox(QStringLiteral("補助線を印刷する"));
  misc->addWidget(auxLines_);
  misc->addWidget(new QLabel(QStringLiteral("表示のみレイヤ設定色：")));
  displayOnlyColorSwatch_ = new QLabel;
  displayOnlyColorSwatch_->setFixedSize(40, 18);
  misc->addWidget(displayOnlyColorSwatch_);
  auto* pickDisplayOnlyColor = new QPushButton(QStringLiteral("設定"));
  misc->addWidget(pickDisplayOnlyColor);
  connect(pickDisplayOnlyColor, &QPushButton::clicked, this, [this] {
    const QColor chosen = QColorDialog::getColor(displayOnlyColorSwatch_->palette().color(QPalette::Window), this,
                                                 QString(), QColorDialog::DontUseNativeDialog);
    if (chosen.isValid()) Paint(displayOnlyColorSwatch_, chosen);
  });
  v->addLayout(misc);

  auto* orderBox = new QGroupBox(QStringLiteral("図面データの印刷順序"));
  printOrder_ = Choices(this, new QHBoxLayout(orderBox), kPrintOrders);
  v->addWidget(orderBox);
}

void SettingsPage::Show(const PrintSettings& s) {
  Check(placement_, kPrintMethods, s.PrintMethod);
  scale_->setText(RealText(s.PrintScale));
  offsetX_->setText(RealText(s.OffsetX));
  offsetY_->setText(RealText(s.OffsetY));
  rotation_->setText(RealText(s.RotationAngle));
  monochrome_->setChecked(s.Monochrome);
  whiteToBlackNormal_->setChecked(s.WhiteToBlackNormal);
  whiteToBlackSxf_->setChecked(s.WhiteToBlackSxf);
  pagePerLayerGroup_->setChecked(s.PerLayerGroup);
  oneDocument_->setChecked(s.OneDocument);
  auxLines_->setChecked(s.PrintAuxLines);
  followDrawing_->setChecked(s.FollowDrawing);
  monoThreshold_->setValue(s.MonoThreshold);
  normalWhiteThreshold_->setValue(s.NormalWhiteThreshold);
  sxfWhiteThreshold_->setValue(s.SxfWhiteThreshold);
  commonLayerGroup_->setCurrentIndex(s.CommonLayerGroup);
  Check(displayOnlyMode_, kDisplayOnlyModes, s.DisplayOnlyMode);
  Paint(displayOnlyColorSwatch_, ToQColor(s.DisplayOnlyColor));
  Check(printOrder_, kPrintOrders, s.PrintOrder);
}

void SettingsPage::Read(PrintSettings& s) const {
  s.PrintMethod = Checked(placement_, kPrintMethods);
  // A field left as no number in its range keeps the setting as it was.
  auto real = [](const QLineEdit* edit, double& into) {
    if (edit->hasAcceptableInput()) into = RealOf(HalfWidthNumber(edit->text()).trimmed());
  };
  real(scale_, s.PrintScale);
  real(offsetX_, s.OffsetX);
  real(offsetY_, s.OffsetY);
  real(rotation_, s.RotationAngle);
  s.Monochrome = monochrome_->isChecked();
  s.MonoThreshold = monoThreshold_->value();
  s.WhiteToBlackNormal = whiteToBlackNormal_->isChecked();
  s.NormalWhiteThreshold = normalWhiteThreshold_->value();
  s.WhiteToBlackSxf = whiteToBlackSxf_->isChecked();
  s.SxfWhiteThreshold = sxfWhiteThreshold_->value();
  s.PerLayerGroup = pagePerLayerGroup_->isChecked();
  s.OneDocument = oneDocument_->isChecked();
  s.CommonLayerGroup = commonLayerGroup_->currentIndex();
  s.PrintAuxLines = auxLines_->isChecked();
  s.FollowDrawing = followDrawing_->isChecked();
  s.DisplayOnlyMode = Checked(displayOnlyMode_, kDisplayOnlyModes);
  s.DisplayOnlyColor = FromQColor(displayOnlyColorSwatch_->palette().color(QPalette::Window));
  s.PrintOrder = Checked(printOrder_, kPrintOrders);
}

void SettingsPage::SetPaperMode(PaperMode mode) { paperMode_->setCurrentIndex(static_cast<int>(mode)); }

void SettingsPage::SetPaperForPdf(bool pdf) {
  paperForPdf_ = pdf;
  paperMode_->setEnabled(pdf && printerSetupButton_->isEnabled());
}

PaperMode SettingsPage::GetPaperMode() const {
  return paperForPdf_ ? static_cast<PaperMode>(std::clamp(paperMode_->currentIndex(), 0, 2)) : PaperMode::Given;
}

void SettingsPage::SetPrinterText(const QString& text) { printerLine_->setText(text); }
QString SettingsPage::PrinterText() const { return printerLine_->text(); }

void SettingsPage::SetOptionsEnabled(bool enabled) {
  options_->setEnabled(enabled);
  printerSetupButton_->setEnabled(enabled);
  paperMode_->setEnabled(enabled && paperForPdf_);
}
