// TForm1: where the run prints (the printer dialog's choice), the print run and the preview.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QTreeWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "app/core/PaperSize.h"
#include "app/core/PrintPreparation.h"
#include "app/window/DrawWorker.h"
#include "app/window/FilePage.h"
#include "app/window/PreviewDialog.h"
#include "app/window/PrinterDialog.h"
#include "app/window/SettingsPage.h"
#include "app/window/Unit1.h"
#include "app/window/WindowCommon.h"
#include "platform/PrintService.h"
#include "render/UnitGval.h"

using namespace window;

// The chosen printer or the PDF file: a printer that has gone away is said,
// never replaced by a PDF behind the user's back.
util::Result<std::unique_ptr<PrintDevice>> TForm1::DefaultDevice() {
  if (!output_.Pdf)
    return printers_.Open(PrinterOrDefault(output_.Printer), output_.PrinterPaperChosen ? &output_.Page : nullptr,
                          output_.Properties);
  return std::unique_ptr<PrintDevice>(platform::MakePdfPrintService(output_.PdfPath.toStdString(), output_.Page));
}

std::unique_ptr<PrintDevice> TForm1::RunDevice() {
  if (MakeDevice) return MakeDevice();
  util::Result<std::unique_ptr<PrintDevice>> device = DefaultDevice();
  return device ? std::move(device.Value()) : nullptr;
}

QString TForm1::PrinterOrDefault(const QString& name) const {
  return name.isEmpty() ? printers_.DefaultName() : name;
}

QString TForm1::PrinterProblem(const QString& name) const {
  const QString printer = PrinterOrDefault(name);
  if (printer.isEmpty()) return QStringLiteral("プリンタが設定されていません。「プリンタ設定」でプリンタかPDFファイルを選んで下さい。");
  if (!printers_.Names().contains(printer))
    return QStringLiteral("プリンタ「%1」が見つかりません。「プリンタ設定」で選び直して下さい。").arg(printer);
  return QStringLiteral("プリンタ「%1」を使えません。プリンタの電源と接続を確かめて下さい。").arg(printer);
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
  k.Copies = output_.Properties.Copies;
  k.Duplex = output_.Properties.Duplex;
  k.PaperSource = output_.Properties.PaperSource;
  k.ColorMode = output_.Properties.ColorMode;
  k.PaperMode = output_.PaperChoice == PaperMode::Drawing          ? "drawing"
                : output_.PaperChoice == PaperMode::ReducedToGiven ? "reduced"
                                                                 : "given";
}

void TForm1::RestoreOutput() {
  const SettingsFileExtras::Output& k = extras_.KeptOutput;
  if (!k.Present) return;
  output_.Pdf = k.Pdf;
  // Files of earlier versions name no printer for the default one: the
  // default printer of today, or a PDF when there is none.
  output_.Printer = k.Pdf ? QString() : PrinterOrDefault(Q(k.Printer));
  if (output_.Printer.isEmpty()) output_.Pdf = true;
  if (!k.PdfPath.empty()) output_.PdfPath = Q(k.PdfPath);
  PaperSize paper;
  output_.PrinterPaperChosen = !k.Pdf && ParsePaperSize(k.Paper, paper);
  output_.PaperChoice = k.PaperMode == "drawing"   ? PaperMode::Drawing
                      : k.PaperMode == "reduced" ? PaperMode::ReducedToGiven
                                                 : PaperMode::Given;
  output_.Properties = {k.Copies, k.Duplex, k.PaperSource, k.ColorMode};
  settingsPage_->SetPaperMode(output_.PaperChoice);
  if (!ParsePaperSize(k.Paper, paper)) return;  // the default page, or the printer's own paper
  output_.Paper = QString::fromStdString(k.Paper);
  output_.Page = OrientedPage(paper, k.Landscape, k.Dpi);
}

void TForm1::UpdatePrinterInfo() {
  settingsPage_->SetPaperForPdf(output_.Pdf);
  UpdateSummary();
  std::unique_ptr<PrintDevice> device = RunDevice();
  if (!device) {
    settingsPage_->SetPrinterText(QStringLiteral("プリンタ名：") + PrinterOrDefault(output_.Printer) +
                                  QStringLiteral("（使えません）\r\n") + PrinterProblem(output_.Printer));
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
  PrinterDialog dialog(output_, printers_.Names(), output_.Pdf ? QString() : PrinterOrDefault(output_.Printer), this);
  if (dialog.exec() != QDialog::Accepted) return;
  SetOutput(dialog.Chosen());
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

std::unique_ptr<QDialog> TForm1::RunSummaryDialog(const PrintRunResult& r, const QString& outputError) {
  auto dialog = std::make_unique<QDialog>(this);
  dialog->setWindowTitle(QStringLiteral("印刷の結果"));
  auto* v = new QVBoxLayout(dialog.get());
  auto* summary = new QLabel(RunSummaryLine(r) + (outputError.isEmpty() ? QString() : "\n" + outputError));
  summary->setWordWrap(true);
  v->addWidget(summary);
  if (!problems_.empty()) {
    auto* list = new QPlainTextEdit(RunProblemList(problems_));
    list->setReadOnly(true);
    list->setMinimumSize(520, 200);
    v->addWidget(list, 1);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  // The PDF just written, and its folder, a click away.
  if (output_.Pdf && !MakeDevice && outputError.isEmpty() && r.Counts().Pages > 0 && QFileInfo::exists(output_.PdfPath)) {
    const QString pdf = QFileInfo(output_.PdfPath).absoluteFilePath();
    auto* open = buttons->addButton(QStringLiteral("PDFを開く(&P)"), QDialogButtonBox::ActionRole);
    auto* folder = buttons->addButton(QStringLiteral("フォルダを開く(&F)"), QDialogButtonBox::ActionRole);
    connect(open, &QPushButton::clicked, dialog.get(), [this, pdf] { OpenUrl(QUrl::fromLocalFile(pdf)); });
    connect(folder, &QPushButton::clicked, dialog.get(),
            [this, pdf] { OpenUrl(QUrl::fromLocalFile(QFileInfo(pdf).absolutePath())); });
  }
  connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
  v->addWidget(buttons);
  return dialog;
}

void TForm1::ReportRun(const PrintRunResult& r, const QString& outputError) {
  SetStatus(outputError.isEmpty() ? RunSummaryLine(r) : outputError);
  const bool wrotePdf = output_.Pdf && !MakeDevice && r.Counts().Pages > 0;
  // While the quit question is open the status bar says it: no second dialog over it.
  if (!confirm_ || askingToClose_ || (!NeedsAttention(problems_) && outputError.isEmpty() && !wrotePdf)) return;
  RunSummaryDialog(r, outputError)->exec();
}

bool TForm1::StartPrint(PrintWhich which) {
  if (running_) return false;
  // The drawings of this run, in the list's order.
  std::vector<QTreeWidgetItem*> items;
  for (int i = 0; i < FileList()->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = FileList()->topLevelItem(i);
    const DrawingState state = FilePage::StateOf(item);
    if (which == PrintWhich::All || (which == PrintWhich::Selected && item->isSelected()) ||
        (which == PrintWhich::Unfinished && state != DrawingState::Printed && state != DrawingState::Warned))
      items.push_back(item);
  }
  if (items.empty()) {
    const QString text = FileList()->topLevelItemCount() == 0 ? QStringLiteral("印刷を行うファイル名を指定して下さい。")
                         : which == PrintWhich::Selected   ? QStringLiteral("印刷する図面を一覧で選択して下さい。")
                                                           : QStringLiteral("未印刷・読み飛ばしの図面はありません。");
    if (confirm_) QMessageBox::information(this, windowTitle(), text);
    SetStatus(text);
    return false;
  }
  ReadControls();
  if (!OutputWritable()) return false;
  // One question, which also says when an earlier PDF is replaced.
  const bool replaces = output_.Pdf && !MakeDevice && QFileInfo::exists(output_.PdfPath);
  const QString what = which == PrintWhich::All ? QString()
                      : QStringLiteral("（%1個の図面）").arg(items.size());
  if (!Ask(replaces ? QStringLiteral("「%1」は既にあります。上書きして印刷を開始しますか？%2").arg(output_.PdfPath, what)
                    : QStringLiteral("印刷を開始します。よろしいですか？%1").arg(what)))
    return false;
  std::unique_ptr<PrintDevice> device = RunDevice();
  if (!device) {
    SetStatus(PrinterProblem(output_.Printer));
    return false;
  }
  stop_ = false;
  SetRunning(true);
  std::vector<std::string> files;
  for (QTreeWidgetItem* item : items) files.push_back(FilePage::PathOf(item).toStdString());
  runItems_ = items;
  auto showFile = [this](size_t i) {
    if (i >= runItems_.size()) return;
    FileList()->clearSelection();
    runItems_[i]->setSelected(true);
    runItems_[i]->setText(FilePage::StateColumn, QStringLiteral("印刷中…"));
    FileList()->scrollToItem(runItems_[i]);
  };
  runObserver_ = std::make_unique<WindowRunObserver>(showFile, status_, progress_, [this] { return stop_.load(); });
  // Each drawing's state as soon as it is done with.
  runObserver_->FileDone = [this](size_t i, const FileRecord& record) {
    if (i < runItems_.size()) ShowOutcome(runItems_[i], record);
  };
  runForwarder_ = std::make_unique<ForwardingRunObserver>(this, runObserver_.get(), &stop_);
  runDevice_ = std::move(device);
  progress_->setRange(0, static_cast<int>(files.size()));
  progress_->setValue(0);
  progress_->show();
  auto result = std::make_shared<PrintRunResult>();
  worker_->Post(
      [this, files, settings = settings_, mode = settingsPage_->GetPaperMode(), result] {
        // Inside a page the draw pass asks too, so Esc acts within a page.
        UnitGval::AbortCheckScope abortCheck([this] { return stop_.load(); });
        PrintRun run(drawing_, *runDevice_, settings, *runForwarder_);
        run.SetPaperMode(mode);
        *result = run.Run(files);
      },
      [this, result] {
        lastResult_ = *result;
        RunEnded();
      });
  return true;
}

void TForm1::RunEnded() {
  const PrintRunResult& result = lastResult_;
  problems_ = RunProblems(result.Files, result.Stopped);
  QString outputError;
  if (result.OutputFailed)
    outputError = output_.Pdf && !MakeDevice
                      ? QStringLiteral("PDFファイル「%1」を書き込めませんでした。").arg(output_.PdfPath)
                      : QStringLiteral("印刷データを送れませんでした（%1）。").arg(Q(result.Error));
  // Each drawing's state in the list, from the run's record of it.
  for (size_t i = 0; i < runItems_.size() && i < result.Files.size(); ++i) ShowOutcome(runItems_[i], result.Files[i]);
  runItems_.clear();
  runDevice_.reset();
  runForwarder_.reset();
  runObserver_.reset();
  ListChanged();
  progress_->hide();
  FileList()->clearSelection();
  SetRunning(false);
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
    emit RunFinished();
    return;
  }
  ReportRun(result, outputError);
  emit RunFinished();
}

void TForm1::ShowOutcome(QTreeWidgetItem* item, const FileRecord& record) {
  QStringList why;
  for (const std::string& line : words::FileLines(record)) why << QString::fromStdString(line);
  FilePage::SetState(item, DrawingStateOf(record), static_cast<int>(record.Pages.size()), why.join("\n"));
}

void TForm1::StopRun() {
  if (!running_ || stop_.exchange(true)) return;
  SetStatus(QStringLiteral("印刷を中止しています…"));
}

// Fine enough to read texts when zoomed in, small enough for A0.
constexpr int kPreviewDpi = 100;


std::function<void()> TForm1::PreviewJob(const QString& path, PreviewPages* out) {
  ReadControls();
  PageSetup page = output_.Page;
  if (!output_.Pdf) {  // the printer's paper, as far as it tells
    if (const auto device = DefaultDevice()) {
      page.PaperWidthMm = device.Value()->PageWidthMm();
      page.PaperHeightMm = device.Value()->PageHeightMm();
    }
  }
  page.Dpi = kPreviewDpi;
  PrintSettings settings = settings_;
  settings.OneDocument = false;
  return [page, settings, mode = settingsPage_->GetPaperMode(), file = path.toStdString(), out] {
    std::vector<QImage> images;
    PrintRunResult result;
    {
      auto device = platform::MakeImagePrintService(page, &images);
      TJwwData drawing;
      PrintRunObserver quiet;
      PrintRun preview(drawing, *device, settings, quiet);
      preview.SetPaperMode(mode);
      result = preview.Run({file});
    }
    // Under each page: what the drawing lost as a whole, then the page's own warnings and notes.
    QStringList whole;
    for (const RunProblem& p : RunProblems(result.Files, false))
      if (p.What != RunProblem::PageWarning && p.What != RunProblem::PageNote)
        whole << QStringLiteral("【警告】") + QString::fromStdString(p.Text);
    const std::vector<PageReport> reports = result.Files.empty() ? std::vector<PageReport>() : result.Files[0].Pages;
    out->clear();
    for (size_t i = 0; i < images.size(); ++i) {
      QStringList lines = whole;
      if (i < reports.size())
        for (const PageWarning& w : reports[i].Warnings) {
          const QString text = PageWarningText(w);
          if (!text.isEmpty()) lines << (LosesContent(w) ? QStringLiteral("【警告】") : QStringLiteral("【注記】")) + text;
        }
      out->push_back({images[i], lines});
    }
  };
}

PreviewPages TForm1::PreviewPagesOf(int row) {
  PreviewPages pages;
  const QStringList files = Files();
  if (row < 0 || row >= files.size()) return pages;
  worker_->RunAndWait(PreviewJob(files[row], &pages));
  return pages;
}

std::vector<QImage> TForm1::Preview() {
  std::vector<QImage> images;
  const QStringList files = Files();
  if (files.isEmpty() || previewPending_) return images;
  const int row = std::max(0, FileList()->currentIndex().row());
  if (!confirm_) {
    for (const PreviewPage& p : PreviewPagesOf(row)) images.push_back(p.Image);
    return images;
  }
  // Drawn on the drawing thread, after the run in progress if there is one:
  // the window stays live meanwhile.
  auto pages = std::make_shared<PreviewPages>();
  previewPending_ = true;
  if (running_) SetStatus(QStringLiteral("印刷が終わるとプレビューを表示します。"));
  worker_->Post(PreviewJob(files[row], pages.get()), [this, pages, row, files] {
    previewPending_ = false;
    if (!isVisible()) return;
    QStringList names;
    for (const QString& f : files) names << DisplayName(f);
    PreviewDialog dialog(std::move(*pages), kPreviewDpi, QStringLiteral("プレビュー"), this);
    dialog.SetDrawings(names, row, [this](int i) { return PreviewPagesOf(i); });
    dialog.exec();
  });
  return images;
}
