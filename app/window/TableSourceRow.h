// The row over both table pages: take the table from each drawing or set it
// by hand below, and the two buttons that fill the table from a drawing
// (.jww) or an environment file (.jwf).
#pragma once

#include <QWidget>

class QButtonGroup;
class QPushButton;

class TableSourceRow : public QWidget {
  Q_OBJECT
 public:
  explicit TableSourceRow(QWidget* parent = nullptr);
  int Source() const;  // 0 from each drawing, 1 the table below
  void SetSource(int source);

 signals:
  void ImportFromDrawing();
  void ImportFromEnvironment();

 private:
  QButtonGroup* source_;
};
