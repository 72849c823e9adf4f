// The row over both table pages: take the table from each drawing or set it
// by hand below, and the two buttons that fill the table from a drawing
// (.jww) or an environment file (.jwf).
#pragma once

#include <QWidget>

class QButtonGroup;
class QPushButton;
class QVBoxLayout;

class TableSourceRow : public QWidget {
  Q_OBJECT
 public:
  explicit TableSourceRow(QWidget* parent = nullptr);
  // A table page: `row` on top and an editing area below it filling the
  // rest; returns the editing area's layout (without margins).
  static QVBoxLayout* LayOutPage(QWidget* page, TableSourceRow* row, QWidget*& editing);

  int Source() const;  // 0 from each drawing, 1 the table below
  void SetSource(int source);

 signals:
  void ImportFromDrawing();
  void ImportFromEnvironment();

 private:
  QButtonGroup* source_;
};
