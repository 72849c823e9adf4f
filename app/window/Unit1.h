// TForm1: the program's one window. It assembles the four pages (the list of
// drawings, the options, the pen and the line-type tables), runs the
// commands of its buttons, and the print run. Its code is in Unit1.cpp
// (pages, settings and list commands) and Unit1Print.cpp (output choice,
// print run, preview).
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/core/PrintRun.h"
#include "app/core/PrintSettings.h"
#include "app/core/SettingsFile.h"
#include "app/window/RunReport.h"
#include "jww/jwwunit.h"
#include "render/PrintDevice.h"

class FilePage;
class LineTypePage;
class PenPage;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class SettingsPage;

// Where the window prints: a CUPS queue (empty name: the default printer)
// or a PDF file with its page.
struct OutputChoice {
  bool Pdf = true;
  QString Printer;
  QString PdfPath;
  QString Paper = QStringLiteral("A3");  // its name as chosen; Page holds its size and orientation
  PageSetup Page;
  bool PrinterPaperChosen = false;  // a printer is asked for Page; else it prints on its own paper
  PaperMode PaperChoice = PaperMode::Given;  // PDF only: each drawing's sheet, or reduced onto Page
};

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // `settingsFile`: the default settings file (window form) read at start and
  // written at close; `confirm`: ask the user's questions (tests answer yes).
  TForm1(const QStringList& commandLineFiles, const QString& settingsFile, bool confirm = true);
  ~TForm1() override;

  // Commands, as the buttons run them (paths given instead of dialogs).
  int AddFiles(const QStringList& paths);          // returns how many were added
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
  PrintRunResult StartPrint();
  void ReadControls();
  void ShowSettings();
  void SetOutput(const OutputChoice& output);
  void OpenInJwCad(const QString& path);
  void About();
  // The pages the current drawing of the list would print, at screen
  // resolution, shown in a dialog (returned, not shown, without confirm).
  std::vector<QImage> Preview();

  // What tests look at.
  QStringList Files() const;
  QString StatusText() const;
  QString PrinterInfoText() const;
  // What went wrong in the last run, a drawing each.
  const std::vector<RunProblem>& LastRunProblems() const { return problems_; }
  PrintSettings& Settings() { return settings_; }
  QListWidget* FileList() const;
  QTableWidget* PenGrid() const;
  QTableWidget* LineTypeGrid() const;
  QTabWidget* Pages() const { return pages_; }
  QLineEdit* BulkColorEdit() const;
  QLineEdit* BulkWidthEdit() const;
  QLineEdit* BulkRadiusEdit() const;
  // The device a print run uses; tests put in a recording one.
  std::function<std::unique_ptr<PrintDevice>(std::string& error)> MakeDevice;
  // Set when Esc was pressed while the window handled events, or when the
  // window is closed during a run: the run stops at the next check.
  bool EscPressed = false;

  static QColor SwatchColor(const QString& code);

 protected:
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
  std::unique_ptr<PrintDevice> DefaultDevice(std::string& error);
  void PrinterSetup();
  QString ChooseFile(const std::string& sjisFolder, const QString& filter);
  bool OutputWritable();
  void KeepOutput();     // into the extras written at close
  void RestoreOutput();  // from the extras read at start
  void ReportRun(const PrintRunResult& r, const QString& outputError);
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
  bool closeAfterRun_ = false;  // closed during a run: close once it has stopped

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
