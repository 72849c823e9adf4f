// The "線色・線幅" page: where the pens come from, the bulk input for the
// selected rows, and the pen table (colour code, swatch, width, point radius
// for the 265 pens).
#pragma once

#include <QWidget>

#include "app/core/PrintSettings.h"

class QLabel;
class QLineEdit;
class QTableWidget;
class TableSourceRow;

class PenPage : public QWidget {
  Q_OBJECT
 public:
  explicit PenPage(QWidget* parent = nullptr);
  void Show(const PrintSettings& s);
  void Read(PrintSettings& s) const;
  void SetTableEnabled(bool enabled);

  // The bulk input onto the selected rows.
  void BulkColor();
  void BulkWidth();
  void BulkPointRadius();

  static QColor SwatchColor(const QString& code);
  TableSourceRow* SourceRow() const { return sourceRow_; }
  QTableWidget* Table() const { return penTable_; }
  QLineEdit* BulkColorEdit() const { return bulkColorCode_; }
  QLineEdit* BulkWidthEdit() const { return bulkWidth_; }
  QLineEdit* BulkRadiusEdit() const { return bulkPointRadius_; }

 private:
  void RepaintSwatches();

  TableSourceRow* sourceRow_;
  QWidget* editing_;
  QLabel* bulkColorSwatch_;
  QLineEdit *bulkColorCode_, *bulkWidth_, *bulkPointRadius_;
  QTableWidget* penTable_;
};
