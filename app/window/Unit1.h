// TForm1: the program's one window. It assembles the four pages (the list of
// drawings, the options, the pen and the line-type tables), runs the
// commands of its buttons, and the print run. Its code is in Unit1.cpp
// (pages, settings and list commands) and Unit1Print.cpp (output choice,
// print run, preview).
#pragma once

#include <QImage>
#include <QMainWindow>
#include <atomic>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/core/PrintRun.h"
#include "app/core/PrintSettings.h"
#include "app/core/SettingsFile.h"
#include "app/window/PreviewDialog.h"
#include "app/window/PrinterDialog.h"
#include "app/window/Printers.h"
#include "app/window/RunReport.h"
#include "jww/jwwunit.h"
#include "render/PrintDevice.h"
#include "util/Status.h"

class DrawWorker;
class FilePage;
class LineTypePage;
class PenPage;
class QDialog;
class QLabel;
class QUrl;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class SettingsPage;

// Which drawings of the list a run prints.
enum class PrintWhich { All, Selected, Unfinished };

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // `settingsFile`: the default settings file (window form) read at start and
  // written at close; `confirm`: ask the user's questions (tests answer yes);
  // `printers`: the printers the window offers.
  TForm1(const QStringList& commandLineFiles, const QString& settingsFile, bool confirm = true,
         PrinterCatalog printers = SystemPrinters());
  ~TForm1() override;

  // Commands, as the buttons run them (paths given instead of dialogs).
  int AddFiles(const QStringList& paths);          // returns how many were added
  // Drawings, folders (their drawings, with the subfolders' when chosen) and
  // anything else dropped or chosen: what was not added is said, with why.
  // Returns the status line.
  QString AddPaths(const QStringList& paths);
  // The drawings of a folder, by folder and name.
  static QStringList DrawingsIn(const QString& folder, bool subfolders);
  int DeleteSelected();                            // returns how many were deleted
  void MoveSelected(int step);                     // -1 up, +1 down: the print order
  bool SaveSettings(const QString& path);
  bool OpenSettings(const QString& path);
  void ResetSettings();
  void ImportPens(const QString& path);
  void ImportLineTypes(const QString& path);
  void BulkColor();
  void BulkWidth();
  void BulkPointRadius();
  // Starts the print run on the drawing thread; false when it did not start
  // (nothing to print, the question answered no, no printer). The window
  // stays live meanwhile; RunFinished() comes when the run has ended.
  bool StartPrint(PrintWhich which = PrintWhich::All);
  bool Running() const { return running_; }
  const PrintRunResult& LastRunResult() const { return lastResult_; }
  void ReadControls();
  void ShowSettings();
  void SetOutput(const OutputChoice& output);
  void OpenInJwCad(const QString& path);
  void About();
  // The pages the current drawing of the list would print, at screen
  // resolution, shown in a dialog (returned, not shown, without confirm).
  // Drawn on the drawing thread, after a run in progress.
  std::vector<QImage> Preview();
  // The pages (and their warnings) drawing `row` of the list would print.
  PreviewPages PreviewPagesOf(int row);
  // How the list names a drawing: its file name, with its folder when
  // another drawing of the list has the same name.
  QString DisplayName(const QString& path) const;
  // The one thread that draws (runs, previews, pen imports).
  DrawWorker& Worker() { return *worker_; }

  // What tests look at.
  QStringList Files() const;
  QString StatusText() const;
  QString PrinterInfoText() const;
  // Every question asked so far, answered or not.
  const QStringList& Asked() const { return asked_; }
  // What went wrong in the last run, a drawing each.
  const std::vector<RunProblem>& LastRunProblems() const { return problems_; }
  PrintSettings& Settings() { return settings_; }
  QTreeWidget* FileList() const;
  FilePage* FilesPage() const { return filePage_; }
  QTableWidget* PenGrid() const;
  QTableWidget* LineTypeGrid() const;
  QTabWidget* Pages() const { return pages_; }
  QLineEdit* BulkColorEdit() const;
  QLineEdit* BulkWidthEdit() const;
  QLineEdit* BulkRadiusEdit() const;
  // The device a print run uses; tests put in a recording one.
  std::function<std::unique_ptr<PrintDevice>()> MakeDevice;
  // Asks the run in progress to stop (Esc in the window, or closing it).
  void StopRun();

  static QColor SwatchColor(const QString& code);

 signals:
  void RunFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ConnectPages();
  void UpdatePrinterInfo();
  void SetStatus(const QString& text);
  void SetStatusSjis(const std::string& sjis);
  bool Ask(const QString& question);
  util::Result<std::unique_ptr<PrintDevice>> DefaultDevice();
  // MakeDevice's device, else the default one; null when there is none.
  std::unique_ptr<PrintDevice> RunDevice();
  void PrinterSetup();
  QString ChooseFile(const std::string& sjisFolder, const QString& filter);
  bool OutputWritable();
  void KeepOutput();     // into the extras written at close
  void RestoreOutput();  // from the extras read at start
  std::function<void()> PreviewJob(const QString& path, PreviewPages* out);
  // After the list changed: names where two share one, the summary line.
  void ListChanged();
  void UpdateSummary();
  QString KeepDamagedSettingsAside();
  void KeepList();
  void RestoreList();
  void ReportRun(const PrintRunResult& r, const QString& outputError);
 public:
  // The dialog after a run: the summary, what went wrong, and for a PDF
  // "PDFを開く" and "フォルダを開く" (through OpenUrl).
  std::unique_ptr<QDialog> RunSummaryDialog(const PrintRunResult& r, const QString& outputError);
  std::function<void(const QUrl&)> OpenUrl;

 private:
  // On the window's thread once the drawing thread has finished the run.
  void RunEnded();
  // A drawing's state in the list from the run's record of it.
  void ShowOutcome(QTreeWidgetItem* item, const FileRecord& record);
  // The printer named, or when none is, the default one; empty without printers.
  QString PrinterOrDefault(const QString& name) const;
  // Why a printer cannot be used, in the user's words.
  QString PrinterProblem(const QString& name) const;
  // During a run nothing that changes the settings or the list can be used.
  void SetRunning(bool running);

  QString settingsFile_;
  bool confirm_;
  TJwwData drawing_;
  PrintSettings settings_;
  SettingsFileExtras extras_;
  OutputChoice output_;
  bool darkBackground_ = false;
  bool running_ = false;
  bool previewPending_ = false;
  bool askingToClose_ = false;  // the quit question of a run is open
  QStringList asked_;
  bool closeAfterRun_ = false;  // closed during a run: close once it has stopped
  std::atomic<bool> stop_{false};  // read by the drawing thread
  PrinterCatalog printers_;
  DrawWorker* worker_ = nullptr;
  // The run in progress: its device and listener live until it has ended.
  std::unique_ptr<PrintDevice> runDevice_;
  std::unique_ptr<WindowRunObserver> runObserver_;
  std::unique_ptr<PrintRunObserver> runForwarder_;
  PrintRunResult lastResult_;
  std::vector<QTreeWidgetItem*> runItems_;  // the run's drawings in the list

  QTabWidget* pages_ = nullptr;
  FilePage* filePage_ = nullptr;
  SettingsPage* settingsPage_ = nullptr;
  PenPage* penPage_ = nullptr;
  LineTypePage* lineTypePage_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;  // "n / N" during a run
  std::vector<RunProblem> problems_;
  QPushButton *startButton_ = nullptr, *saveButton_ = nullptr, *openButton_ = nullptr, *resetButton_ = nullptr;
};
