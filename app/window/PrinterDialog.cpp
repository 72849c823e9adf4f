#include "app/window/PrinterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>

#include "app/core/PaperSize.h"
#include "app/core/PrintPreparation.h"

PrinterDialog::PrinterDialog(const OutputChoice& output, const QStringList& printers, const QString& current,
                             QWidget* parent)
    : QDialog(parent), output_(output), properties_(output.Properties) {
  setWindowTitle(QStringLiteral("プリンタ設定"));
  auto* form = new QFormLayout(this);
  printer_ = new QComboBox;
  printer_->addItem(QStringLiteral("PDFファイルに出力"));
  for (const QString& name : printers) printer_->addItem(name);
  if (!output_.Pdf) {
    // The printer the settings page names, also one that has gone away.
    if (!current.isEmpty() && !printers.contains(current)) printer_->addItem(current);
    printer_->setCurrentText(current);
  }
  path_ = new QLineEdit(output_.PdfPath);
  path_->setMinimumWidth(320);
  browse_ = new QPushButton(QStringLiteral("参照(&B)…"));
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse_);
  connect(browse_, &QPushButton::clicked, this, &PrinterDialog::BrowsePdf);
  paper_ = new QComboBox;
  paper_->setEditable(true);  // also "WxHmm"
  paper_->addItems({"A3", "A4", "A2", "A1", "A0", "B4", "B5"});
  paper_->setCurrentText(output_.Paper);
  landscape_ = new QCheckBox(QStringLiteral("横向き"));
  landscape_->setChecked(output_.Page.PaperWidthMm > output_.Page.PaperHeightMm);
  dpi_ = new QSpinBox;
  dpi_->setRange(72, 2400);
  dpi_->setValue(output_.Page.Dpi);
  // The printer's own choices: copies here, the rest (two-sided, tray,
  // colour) in Qt's printer dialog of the printer chosen.
  copies_ = new QSpinBox;
  copies_->setRange(1, 999);
  copies_->setValue(properties_.Copies);
  copies_->setSuffix(QStringLiteral(" 部"));
  ownSettings_ = new QPushButton(QStringLiteral("プリンタのプロパティ(&R)…"));
  ownSettings_->setToolTip(QStringLiteral("両面印刷、給紙トレイ、カラーなど、プリンタの設定"));
  auto* copiesRow = new QHBoxLayout;
  copiesRow->addWidget(copies_);
  copiesRow->addWidget(ownSettings_);
  copiesRow->addStretch(1);
  connect(ownSettings_, &QPushButton::clicked, this, &PrinterDialog::OwnProperties);
  connect(printer_, &QComboBox::currentIndexChanged, this, &PrinterDialog::EnableForChoice);
  EnableForChoice();
  form->addRow(QStringLiteral("プリンタ"), printer_);
  form->addRow(QStringLiteral("PDFファイル"), pathRow);
  form->addRow(QStringLiteral("用紙"), paper_);
  form->addRow(QString(), landscape_);
  form->addRow(QStringLiteral("解像度(dpi)"), dpi_);
  form->addRow(QStringLiteral("部数"), copiesRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool PrinterDialog::PdfChosen() const { return printer_->currentIndex() == 0; }

// The file for a PDF, the copies and the properties for a printer.
void PrinterDialog::EnableForChoice() {
  path_->setEnabled(PdfChosen());
  browse_->setEnabled(PdfChosen());
  copies_->setEnabled(!PdfChosen());
  ownSettings_->setEnabled(!PdfChosen());
}

void PrinterDialog::BrowsePdf() {
  // The question about an existing file comes when a run starts.
  const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("PDFファイルの保存先"), path_->text(),
                                                      QStringLiteral("PDFファイル(*.pdf)"), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty()) path_->setText(QFileInfo(chosen).suffix().isEmpty() ? chosen + ".pdf" : chosen);
}

// Qt's printer dialog of the printer chosen: two-sided, tray, colour.
void PrinterDialog::OwnProperties() {
  QPrinter chosen(QPrinterInfo::printerInfo(printer_->currentText()), QPrinter::HighResolution);
  properties_.Copies = copies_->value();
  ApplyPrinterProperties(properties_, chosen);
  QPrintDialog qt(&chosen, this);
  qt.setWindowTitle(QStringLiteral("プリンタのプロパティ：%1").arg(printer_->currentText()));
  qt.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  // It sets the printer up here; the run prints later.
  if (auto* box = qt.findChild<QDialogButtonBox*>())
    if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
  if (qt.exec() != QDialog::Accepted) return;
  properties_ = PrinterPropertiesOf(chosen);
  copies_->setValue(properties_.Copies);
}

OutputChoice PrinterDialog::Chosen() const {
  OutputChoice o = output_;
  o.Pdf = PdfChosen();
  o.Printer = o.Pdf ? QString() : printer_->currentText();
  o.PdfPath = path_->text();
  o.Properties = properties_;
  o.Properties.Copies = copies_->value();
  PaperSize size;
  if (ParsePaperSize(paper_->currentText().trimmed().toStdString(), size)) {
    o.Paper = paper_->currentText().trimmed();
    o.Page = OrientedPage(size, landscape_->isChecked(), dpi_->value());
    o.PrinterPaperChosen = !o.Pdf;
  }
  return o;
}
