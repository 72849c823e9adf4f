// The "線　種" page: where the line types come from, the mm per dot when a
// drawing's line types are taken over, and the line-type table (amplitude,
// count, up to 32 pattern elements for 50 line types).
#pragma once

#include <QWidget>

#include "app/core/PrintSettings.h"

class QLineEdit;
class QTableWidget;
class TableSourceRow;

class LineTypePage : public QWidget {
  Q_OBJECT
 public:
  explicit LineTypePage(QWidget* parent = nullptr);
  void Show(const PrintSettings& s);
  void Read(PrintSettings& s) const;
  void SetTableEnabled(bool enabled);

  TableSourceRow* SourceRow() const { return sourceRow_; }
  QTableWidget* Table() const { return lineTypeTable_; }

 private:
  TableSourceRow* sourceRow_;
  QWidget* editing_;
  QLineEdit* mmPerDot_;
  QTableWidget* lineTypeTable_;
};
