// TForm1: where the run prints, the print run and the preview.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <optional>

#include "app/core/PaperSize.h"
#include "app/core/PrintPreparation.h"
#include "app/window/PreviewDialog.h"
#include "app/window/SettingsPage.h"
#include "app/window/Unit1.h"
#include "app/window/WindowCommon.h"
#include "platform/KeyState.h"
#include "platform/PrintService.h"
#include "render/UnitGval.h"

using namespace window;

// The chosen printer or none: a printer that has gone away is said, never
// replaced by a PDF behind the user's back.
std::unique_ptr<PrintDevice> TForm1::DefaultDevice(std::string& error) {
  if (!output_.Pdf) {
    auto printer = platform::MakeCupsPrintService(output_.Printer.toStdString(),
                                                  output_.PrinterPaperChosen ? &output_.Page : nullptr);
    if (!printer) {
      error = printer.Why();
      return nullptr;
    }
    return std::move(printer.Value());
  }
  return platform::MakePdfPrintService(output_.PdfPath.toStdString(), output_.Page);
}

void TForm1::SetOutput(const OutputChoice& output) {
  output_ = output;
  settingsPage_->SetPaperMode(output_.PaperChoice);
  UpdatePrinterInfo();
}

void TForm1::KeepOutput() {
  SettingsFileExtras::Output& k = extras_.KeptOutput;
  k.Present = true;
  k.Pdf = output_.Pdf;
  k.Printer = Sjis(output_.Printer);
  k.PdfPath = Sjis(output_.PdfPath);
  k.Paper = output_.Pdf || output_.PrinterPaperChosen ? output_.Paper.toStdString() : std::string();
  k.Landscape = output_.Page.PaperWidthMm > output_.Page.PaperHeightMm;
  k.Dpi = output_.Page.Dpi;
  k.PaperMode = output_.PaperChoice == PaperMode::Drawing          ? "drawing"
                : output_.PaperChoice == PaperMode::ReducedToGiven ? "reduced"
                                                                 : "given";
}

void TForm1::RestoreOutput() {
  const SettingsFileExtras::Output& k = extras_.KeptOutput;
  if (!k.Present) return;
  output_.Pdf = k.Pdf;
  output_.Printer = Q(k.Printer);
  if (!k.PdfPath.empty()) output_.PdfPath = Q(k.PdfPath);
  PaperSize paper;
  output_.PrinterPaperChosen = !k.Pdf && ParsePaperSize(k.Paper, paper);
  output_.PaperChoice = k.PaperMode == "drawing"   ? PaperMode::Drawing
                      : k.PaperMode == "reduced" ? PaperMode::ReducedToGiven
                                                 : PaperMode::Given;
  settingsPage_->SetPaperMode(output_.PaperChoice);
  if (!ParsePaperSize(k.Paper, paper)) return;  // the default page, or the printer's own paper
  output_.Paper = QString::fromStdString(k.Paper);
  output_.Page = OrientedPage(paper, k.Landscape, k.Dpi);
}

void TForm1::UpdatePrinterInfo() {
  settingsPage_->SetPaperForPdf(output_.Pdf);
  std::string error;
  std::unique_ptr<PrintDevice> device = MakeDevice ? MakeDevice(error) : DefaultDevice(error);
  if (!device) {
    settingsPage_->SetPrinterText(QStringLiteral("プリンタ名：") + output_.Printer + QStringLiteral("（使えません：") +
                                  QString::fromStdString(error) + QStringLiteral("）"));
    return;
  }
  // Everything the run will use: the queue or the file, the paper as asked and as the device gives it.
  const QString name = output_.Pdf ? QStringLiteral("PDFファイル　") + output_.PdfPath
                                   : Q(device->PrinterName());
  const bool landscape = output_.Page.PaperWidthMm > output_.Page.PaperHeightMm;
  auto mm = [](double v) { return QString::number(v, 'f', 2); };
  // Two lines: the name with the page asked for, then the sizes the device gives.
  const QString asked = output_.Pdf || output_.PrinterPaperChosen
                            ? QStringLiteral("%1　%2　%3dpi")
                                  .arg(output_.Paper, landscape ? QStringLiteral("横向き") : QStringLiteral("縦向き"))
                                  .arg(output_.Page.Dpi)
                            : QStringLiteral("用紙はプリンタの設定のまま");
  settingsPage_->SetPrinterText(QStringLiteral("プリンタ名：") + name + QStringLiteral("　（") + asked +
                                QStringLiteral("）\r\n用紙サイズ：横：") + mm(device->PaperWidthMm()) +
                                QStringLiteral("mm　縦：") + mm(device->PaperHeightMm()) +
                                QStringLiteral("mm　印刷サイズ：横：") + mm(device->PageWidthMm()) +
                                QStringLiteral("mm　縦：") + mm(device->PageHeightMm()) + QStringLiteral("mm"));
}

void TForm1::PrinterSetup() {
  ReadControls();  // the paper choice as the settings page shows it
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("プリンタ設定"));
  auto* form = new QFormLayout(&dialog);
  auto* printer = new QComboBox;
  printer->addItem(QStringLiteral("PDFファイルに出力"));
  for (const QString& name : QPrinterInfo::availablePrinterNames()) printer->addItem(name);
  if (!output_.Pdf) printer->setCurrentText(output_.Printer.isEmpty() ? QPrinterInfo::defaultPrinterName() : output_.Printer);
  auto* path = new QLineEdit(output_.PdfPath);
  path->setMinimumWidth(320);
  auto* browse = new QPushButton(QStringLiteral("参照(&B)…"));
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path, 1);
  pathRow->addWidget(browse);
  connect(browse, &QPushButton::clicked, &dialog, [&dialog, path] {
    // The question about an existing file comes when a run starts.
    const QString chosen = QFileDialog::getSaveFileName(&dialog, QStringLiteral("PDFファイルの保存先"), path->text(),
                                                        QStringLiteral("PDFファイル(*.pdf)"), nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty()) path->setText(QFileInfo(chosen).suffix().isEmpty() ? chosen + ".pdf" : chosen);
  });
  auto enablePath = [printer, path, browse] {
    path->setEnabled(printer->currentIndex() == 0);
    browse->setEnabled(printer->currentIndex() == 0);
  };
  connect(printer, &QComboBox::currentIndexChanged, &dialog, enablePath);
  enablePath();
  auto* paper = new QComboBox;
  paper->setEditable(true);  // also "WxHmm"
  paper->addItems({"A3", "A4", "A2", "A1", "A0", "B4", "B5"});
  paper->setCurrentText(output_.Paper);
  auto* landscape = new QCheckBox(QStringLiteral("横向き"));
  landscape->setChecked(output_.Page.PaperWidthMm > output_.Page.PaperHeightMm);
  auto* dpi = new QSpinBox;
  dpi->setRange(72, 2400);
  dpi->setValue(output_.Page.Dpi);
  form->addRow(QStringLiteral("プリンタ"), printer);
  form->addRow(QStringLiteral("PDFファイル"), pathRow);
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
  if (ParsePaperSize(paper->currentText().trimmed().toStdString(), size)) {
    o.Paper = paper->currentText().trimmed();
    o.Page = OrientedPage(size, landscape->isChecked(), dpi->value());
    o.PrinterPaperChosen = !o.Pdf;
  }
  SetOutput(o);
  ReadControls();
}

// A PDF goes beside its target first: the folder must take new files.
bool TForm1::OutputWritable() {
  if (MakeDevice || !output_.Pdf) return true;
  const QFileInfo folder(QFileInfo(output_.PdfPath).absolutePath());
  if (folder.isDir() && folder.isWritable()) return true;
  const QString text = QStringLiteral("PDFファイルを書き込めません。フォルダ「%1」がないか、書き込みが許可されていません。")
                           .arg(folder.absoluteFilePath());
  SetStatus(text);
  if (confirm_) QMessageBox::warning(this, windowTitle(), text);
  return false;
}

void TForm1::ReportRun(const PrintRunResult& r, const QString& outputError) {
  SetStatus(outputError.isEmpty() ? RunSummaryLine(r, problems_) : outputError);
  if (!confirm_ || (!NeedsAttention(problems_) && outputError.isEmpty())) return;
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("印刷の結果"));
  auto* v = new QVBoxLayout(&dialog);
  auto* summary = new QLabel(RunSummaryLine(r, problems_) + (outputError.isEmpty() ? QString() : "\n" + outputError));
  summary->setWordWrap(true);
  v->addWidget(summary);
  if (!problems_.empty()) {
    auto* list = new QPlainTextEdit(RunProblemList(problems_));
    list->setReadOnly(true);
    list->setMinimumSize(520, 200);
    v->addWidget(list, 1);
  }
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(ok, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  v->addWidget(ok);
  dialog.exec();
}

PrintRunResult TForm1::StartPrint() {
  PrintRunResult result;
  if (running_) return result;
  if (FileList()->count() == 0) {
    const QString text = QStringLiteral("印刷を行うファイル名を指定して下さい。");
    if (confirm_) QMessageBox::information(this, windowTitle(), text);
    SetStatus(text);
    return result;
  }
  if (!Ask(QStringLiteral("印刷を開始します。よろしいですか？"))) return result;
  ReadControls();
  if (!OutputWritable()) return result;
  if (output_.Pdf && !MakeDevice && QFileInfo::exists(output_.PdfPath) &&
      !Ask(QStringLiteral("「%1」は既にあります。上書きしますか？").arg(output_.PdfPath)))
    return result;
  std::string error;
  std::unique_ptr<PrintDevice> device = MakeDevice ? MakeDevice(error) : DefaultDevice(error);
  if (!device) {
    SetStatus(QStringLiteral("プリンタ「%1」を使えません（%2）。")
                  .arg(output_.Printer, QString::fromStdString(error)));
    return result;
  }
  SetRunning(true);
  EscPressed = false;
  const UnitGval::AbortCheck escape = [this] { return platform::EscapeKeyDown() || EscPressed; };
  std::optional<UnitGval::AbortCheckScope> abortCheck(std::in_place, escape);
  std::vector<std::string> files;
  for (const QString& f : Files()) files.push_back(f.toStdString());
  WindowRunObserver observer(FileList(), status_, progress_, escape);
  progress_->setRange(0, static_cast<int>(files.size()));
  progress_->setValue(0);
  progress_->show();
  PrintRun run(drawing_, *device, settings_, observer);
  run.SetPaperMode(settingsPage_->GetPaperMode());
  result = run.Run(files);
  const util::Status finished = device->Finish();
  problems_ = RunProblems(result.Files, result.Stopped);
  QString outputError;
  if (!finished || result.OutputFailed)
    outputError = output_.Pdf && !MakeDevice
                      ? QStringLiteral("PDFファイル「%1」を書き込めませんでした。").arg(output_.PdfPath)
                      : QStringLiteral("印刷データを送れませんでした（%1）。").arg(Q(result.Error.empty() ? finished.Why() : result.Error));
  progress_->hide();
  abortCheck.reset();
  FileList()->clearSelection();
  SetRunning(false);
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
    return result;
  }
  ReportRun(result, outputError);
  return result;
}

// Fine enough to read texts when zoomed in, small enough for A0.
constexpr int kPreviewDpi = 100;

std::vector<QImage> TForm1::Preview() {
  std::vector<QImage> pages;
  QListWidgetItem* item = FileList()->currentItem();
  if (!item && FileList()->count() > 0) item = FileList()->item(0);
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
  page.Dpi = kPreviewDpi;
  auto device = platform::MakeImagePrintService(page, &pages);
  PrintSettings settings = settings_;
  settings.OneDocument = 0;
  PrintRunObserver quiet;
  TJwwData drawing;
  PrintRun preview(drawing, *device, settings, quiet);
  preview.SetPaperMode(settingsPage_->GetPaperMode());
  preview.Run({item->text().toStdString()});
  device.reset();
  if (!confirm_) return pages;
  PreviewDialog dialog(pages, kPreviewDpi, QStringLiteral("プレビュー：") + QFileInfo(item->text()).fileName(), this);
  dialog.exec();
  return pages;
}
