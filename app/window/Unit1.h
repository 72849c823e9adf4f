// TForm1: the program's one window — the list of drawings, the settings
// pages, the pen and line-type tables, and the print run.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QImage>
#include <vector>
#include <functional>
#include <memory>

#include "app/core/PrintRun.h"
#include "app/core/PrintSettings.h"
#include "app/core/SettingsFile.h"
#include "jww/jwwunit.h"
#include "render/PrintDevice.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

// Where the window prints: a CUPS queue (empty name: the default printer)
// or a PDF file with its page.
struct OutputChoice {
  bool Pdf = true;
  QString Printer;
  QString PdfPath;
  PageSetup Page;
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
  // The pages the current drawing of the list would print, at screen
  // resolution, shown in a dialog (returned, not shown, without confirm).
  std::vector<QImage> Preview();

  // What tests look at.
  QStringList Files() const;
  QString StatusText() const;
  QString PrinterInfoText() const;
  PrintSettings& Settings() { return settings_; }
  QListWidget* FileList() const { return list_; }
  QTableWidget* PenGrid() const { return sg01_; }
  QTableWidget* LineTypeGrid() const { return sg02_; }
  QTabWidget* Pages() const { return pages_; }
  QLineEdit* BulkColorEdit() const { return edit7_; }
  QLineEdit* BulkWidthEdit() const { return edit8_; }
  QLineEdit* BulkRadiusEdit() const { return edit9_; }
  // The device a print run uses; tests put in a recording one.
  std::function<std::unique_ptr<PrintDevice>(std::string& error)> MakeDevice;
  // Set when Esc was pressed while the window handled events.
  bool EscPressed = false;

  static QColor SwatchColor(const QString& code);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QWidget* BuildFilePage();
  QWidget* BuildSettingsPage();
  QWidget* BuildPenPage();
  QWidget* BuildLineTypePage();
  void FillGrids();
  void ShowTables();
  void ReadTables();
  void RepaintSwatches();
  void UpdatePrinterInfo();
  void SetStatus(const QString& text);
  void SetStatusSjis(const std::string& sjis);
  bool Ask(const QString& question);
  std::unique_ptr<PrintDevice> DefaultDevice(std::string& error);
  void PrinterSetup();
  void PickColor(QLabel* swatch, QLineEdit* edit);

  QString settingsFile_;
  bool confirm_;
  TJwwData drawing_;
  PrintSettings settings_;
  SettingsFileExtras extras_;
  OutputChoice output_;
  bool darkBackground_ = false;
  bool running_ = false;

  QTabWidget* pages_ = nullptr;
  QListWidget* list_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* printerInfo_ = nullptr;
  QButtonGroup* method_ = nullptr;
  QLineEdit *scale_ = nullptr, *offsetX_ = nullptr, *offsetY_ = nullptr, *rotation_ = nullptr;
  QCheckBox *mono_ = nullptr, *whiteNormal_ = nullptr, *whiteSxf_ = nullptr, *perGroup_ = nullptr,
            *oneDocument_ = nullptr, *auxLines_ = nullptr;
  QSpinBox *monoThreshold_ = nullptr, *normalThreshold_ = nullptr, *sxfThreshold_ = nullptr;
  QComboBox* commonGroup_ = nullptr;
  QButtonGroup *displayOnly_ = nullptr, *order_ = nullptr, *penSource_ = nullptr, *lineTypeSource_ = nullptr;
  QLabel* displayOnlySwatch_ = nullptr;
  QLabel* bulkSwatch_ = nullptr;
  QLineEdit *edit7_ = nullptr, *edit8_ = nullptr, *edit9_ = nullptr, *edit10_ = nullptr;
  QTableWidget *sg01_ = nullptr, *sg02_ = nullptr;
  QPushButton* button12_ = nullptr;
};
