// The "プリンタ設定" dialog: where the window prints (a printer queue or a PDF
// file), the paper asked for, the copies, and the printer's own properties
// through Qt's printer dialog, all kept with the output choice.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include "app/core/PrintSettings.h"
#include "app/window/Printers.h"
#include "render/PrintDevice.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Where the window prints: a CUPS queue by name, or a PDF file with its page.
struct OutputChoice {
  bool Pdf = true;
  QString Printer;
  QString PdfPath;
  QString Paper = QStringLiteral("A3");  // its name as chosen; Page holds its size and orientation
  PageSetup Page;
  bool PrinterPaperChosen = false;  // a printer is asked for Page; else it prints on its own paper
  PaperMode PaperChoice = PaperMode::Given;  // PDF only: each drawing's sheet, or reduced onto Page
  PrinterProperties Properties;  // a printer's: 部数, two-sided, tray
};

class PrinterDialog : public QDialog {
  Q_OBJECT
 public:
  // `printers`: the queues to offer; `current`: the printer the output names
  // (its default when it names none), offered also when it has gone away.
  PrinterDialog(const OutputChoice& output, const QStringList& printers, const QString& current,
                QWidget* parent = nullptr);
  // The output as the dialog sets it; a paper it cannot read leaves the page
  // as it was.
  OutputChoice Chosen() const;

 private:
  bool PdfChosen() const;
  void EnableForChoice();
  void BrowsePdf();
  void OwnProperties();

  OutputChoice output_;
  PrinterProperties properties_;
  QComboBox* printer_;
  QLineEdit* path_;
  QPushButton* browse_;
  QComboBox* paper_;
  QCheckBox* landscape_;
  QSpinBox* dpi_;
  QSpinBox* copies_;
  QPushButton* ownSettings_;
};
