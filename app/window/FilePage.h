// The "ファイル指定" page: the list of drawings to print, with each drawing's
// state after the last run, and its buttons.
#pragma once

#include <QWidget>
#include <string>

#include "app/core/FileOutcome.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// A drawing's state in the list after the run that last printed it.
enum class DrawingState { None, Printed, Warned, PassedOver, NotPrinted };
// A drawing's state from its run's record: printed whole, printed with a
// warning (damaged, cut short, content lost on a page), passed over (also
// when it had nothing to print), or not printed (stopped, not reached, not written).
DrawingState DrawingStateOf(const FileRecord& record);
// "✓ 2ページ", "警告 1ページ", "読み飛ばし", "未印刷"; empty for None.
QString DrawingStateText(DrawingState state, int pages);
// The word the window's settings file keeps for it, and back.
const char* DrawingStateWord(DrawingState state);
DrawingState DrawingStateOf(const std::string& word);

class FilePage : public QWidget {
  Q_OBJECT
 public:
  // The list's columns.
  enum Column { NameColumn, StateColumn, FolderColumn };
  // Where an item keeps its drawing's path and its state.
  static constexpr int kPathRole = Qt::UserRole, kStateRole = Qt::UserRole + 1, kPagesRole = Qt::UserRole + 2;

  explicit FilePage(QWidget* parent = nullptr);
  QTreeWidget* List() const { return drawings_; }
  // A new row for a drawing, placed at the end.
  QTreeWidgetItem* Append(const QString& path);
  static QString PathOf(const QTreeWidgetItem* item);
  static DrawingState StateOf(const QTreeWidgetItem* item);
  // `why`: shown when the pointer rests on the state.
  static void SetState(QTreeWidgetItem* item, DrawingState state, int pages, const QString& why = QString());
  // Adding and removing drawings; the list itself stays readable.
  void SetEditingEnabled(bool enabled);
  // Moves the selected drawings one place up (step -1) or down (+1), keeping them selected.
  void MoveSelected(int step);
  // Whether a folder added or dropped brings its subfolders' drawings too.
  bool WithSubfolders() const;
  void SetWithSubfolders(bool on);
  // The first page's summary beside the start button: destination, paper, drawings.
  void SetSummary(const QString& text);
  QString Summary() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 signals:
  void AddRequested();
  void AddFolderRequested();
  void DeleteRequested();
  void PreviewRequested();
  void PrintUnfinishedRequested();
  void PrintSelectedRequested();
  void OpenRequested(const QString& path);

 private:
  QTreeWidget* drawings_;
  QCheckBox* subfolders_;
  QLabel* summary_;
  QPushButton *addButton_, *addFolderButton_, *deleteButton_, *upButton_, *downButton_, *unfinishedButton_,
      *selectedButton_;
};
