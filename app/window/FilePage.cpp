#include "app/window/FilePage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "app/window/WindowCommon.h"

FilePage::FilePage(QWidget* parent) : QWidget(parent) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("▼印刷する図面ファイル一覧")), 1);
  addButton_ = new QPushButton(QStringLiteral("追加(&A)"));
  deleteButton_ = new QPushButton(QStringLiteral("削除(&D)"));
  auto* preview = new QPushButton(QStringLiteral("プレビュー(&V)"));
  upButton_ = new QPushButton(QStringLiteral("上へ(&U)"));
  downButton_ = new QPushButton(QStringLiteral("下へ(&N)"));
  upButton_->setToolTip(QStringLiteral("選択した図面を一つ上へ（印刷順を変えます）"));
  downButton_->setToolTip(QStringLiteral("選択した図面を一つ下へ（印刷順を変えます）"));
  for (QPushButton* b : {addButton_, deleteButton_, upButton_, downButton_, preview}) row->addWidget(b);
  v->addLayout(row);
  drawings_ = new QListWidget;
  drawings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The print order is the list's order: drag a drawing to its place. Files
  // dragged in from the file manager pass on to the window.
  drawings_->setDragDropMode(QAbstractItemView::InternalMove);
  drawings_->setDefaultDropAction(Qt::MoveAction);
  drawings_->installEventFilter(this);
  window::Paint(drawings_, window::kListColor);
  v->addWidget(drawings_, 1);
  connect(addButton_, &QPushButton::clicked, this, &FilePage::AddRequested);
  connect(deleteButton_, &QPushButton::clicked, this, &FilePage::DeleteRequested);
  connect(preview, &QPushButton::clicked, this, &FilePage::PreviewRequested);
  connect(upButton_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(downButton_, &QPushButton::clicked, this, [this] { MoveSelected(+1); });
  connect(drawings_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit OpenRequested(item->text()); });
}

void FilePage::SetEditingEnabled(bool enabled) {
  for (QPushButton* b : {addButton_, deleteButton_, upButton_, downButton_}) b->setEnabled(enabled);
  drawings_->setDragDropMode(enabled ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
}

void FilePage::MoveSelected(int step) {
  const int n = drawings_->count();
  std::vector<char> selected(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) selected[static_cast<size_t>(i)] = drawings_->item(i)->isSelected();
  // Walk from the end the block moves towards, so a run of selected rows moves as one.
  for (int k = 0; k < n; ++k) {
    const int i = step < 0 ? k : n - 1 - k, j = i + step;
    if (!selected[static_cast<size_t>(i)] || j < 0 || j >= n || selected[static_cast<size_t>(j)]) continue;
    QListWidgetItem* item = drawings_->takeItem(i);
    drawings_->insertItem(j, item);
    std::swap(selected[static_cast<size_t>(i)], selected[static_cast<size_t>(j)]);
  }
  for (int i = 0; i < n; ++i) drawings_->item(i)->setSelected(selected[static_cast<size_t>(i)]);
}

bool FilePage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == drawings_ && e->type() == QEvent::KeyPress && deleteButton_->isEnabled() &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    emit DeleteRequested();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}
