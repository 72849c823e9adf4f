// The "ファイル指定" page: the list of drawings to print and its buttons.
#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

class FilePage : public QWidget {
  Q_OBJECT
 public:
  explicit FilePage(QWidget* parent = nullptr);
  QListWidget* List() const { return drawings_; }
  // Adding and removing drawings; the list itself stays readable.
  void SetEditingEnabled(bool enabled);
  // Moves the selected drawings one place up (step -1) or down (+1), keeping them selected.
  void MoveSelected(int step);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 signals:
  void AddRequested();
  void DeleteRequested();
  void PreviewRequested();
  void OpenRequested(const QString& path);

 private:
  QListWidget* drawings_;
  QPushButton *addButton_, *deleteButton_, *upButton_, *downButton_;
};
