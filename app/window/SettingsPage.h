// The "設　定" page: where the run prints (the printer line and its set-up
// button), how each drawing is placed, the colour rules, pages per layer
// group, display-only layers, auxiliary lines and the print order.
#pragma once

#include <QWidget>

#include "app/core/DrawingPaper.h"
#include "app/core/PrintSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class SettingsPage : public QWidget {
  Q_OBJECT
 public:
  explicit SettingsPage(QWidget* parent = nullptr);
  void Show(const PrintSettings& s);
  void Read(PrintSettings& s) const;
  void SetPrinterText(const QString& text);
  QString PrinterText() const;
  // The options only: the printer line stays readable during a run.
  void SetOptionsEnabled(bool enabled);
  // 用紙: the paper given, each drawing's own sheet, or each drawing reduced
  // onto the paper given; the choice is for PDF output only.
  void SetPaperMode(PaperMode mode);
  void SetPaperForPdf(bool pdf);
  // The choice in effect: the paper given unless the output is a PDF.
  PaperMode GetPaperMode() const;

 signals:
  void PrinterSetupRequested();

 private:
  QLabel* printerLine_;
  QPushButton* printerSetupButton_;
  QWidget* options_;
  QButtonGroup* placement_;
  QLineEdit *scale_, *offsetX_, *offsetY_, *rotation_;
  QCheckBox *monochrome_, *whiteToBlackNormal_, *whiteToBlackSxf_, *pagePerLayerGroup_, *oneDocument_, *auxLines_,
            *followDrawing_;  // 図面の印刷設定に従う
  QSpinBox *monoThreshold_, *normalWhiteThreshold_, *sxfWhiteThreshold_;
  QComboBox* commonLayerGroup_;
  QButtonGroup *displayOnlyMode_, *printOrder_;
  QLabel* displayOnlyColorSwatch_;
  QComboBox* paperMode_;
  bool paperForPdf_ = true;
};
