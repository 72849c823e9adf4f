#include "app/window/FilePage.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/window/WindowCommon.h"

DrawingState DrawingStateOf(const FileRecord& record) {
  switch (record.Status) {
    case FileStatus::Printed: {
      bool lost = !record.Problems.empty();
      for (const PageReport& page : record.Pages)
        for (const PageWarning& w : page.Warnings) lost = lost || LosesContent(w);
      return lost ? DrawingState::Warned : DrawingState::Printed;
    }
    case FileStatus::Damaged:
      return record.Pages.empty() ? DrawingState::PassedOver : DrawingState::Warned;
    case FileStatus::Blank:
    case FileStatus::PassedOver:
      return DrawingState::PassedOver;
    case FileStatus::Stopped:
    case FileStatus::NotReached:
    case FileStatus::NotWritten:
      return DrawingState::NotPrinted;
  }
  return DrawingState::NotPrinted;
}

QString DrawingStateText(DrawingState state, int pages) {
  switch (state) {
    case DrawingState::None:
      return QString();
    case DrawingState::Printed:
      return QStringLiteral("✓ %1ページ").arg(pages);
    case DrawingState::Warned:
      return QStringLiteral("警告 %1ページ").arg(pages);
    case DrawingState::PassedOver:
      return QStringLiteral("読み飛ばし");
    case DrawingState::NotPrinted:
      return QStringLiteral("未印刷");
  }
  return QString();
}

const char* DrawingStateWord(DrawingState state) {
  switch (state) {
    case DrawingState::None:
      return "";
    case DrawingState::Printed:
      return "printed";
    case DrawingState::Warned:
      return "warned";
    case DrawingState::PassedOver:
      return "passed_over";
    case DrawingState::NotPrinted:
      return "not_printed";
  }
  return "";
}

DrawingState DrawingStateOf(const std::string& word) {
  for (DrawingState s : {DrawingState::Printed, DrawingState::Warned, DrawingState::PassedOver, DrawingState::NotPrinted})
    if (word == DrawingStateWord(s)) return s;
  return DrawingState::None;
}

QTreeWidgetItem* FilePage::Append(const QString& path) {
  auto* item = new QTreeWidgetItem(drawings_);
  // Dragged to reorder, never a place to drop onto.
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
  item->setData(NameColumn, kPathRole, path);
  item->setText(NameColumn, QFileInfo(path).fileName());
  item->setToolTip(NameColumn, path);
  item->setText(FolderColumn, QFileInfo(path).absolutePath());
  return item;
}

QString FilePage::PathOf(const QTreeWidgetItem* item) { return item->data(NameColumn, kPathRole).toString(); }

DrawingState FilePage::StateOf(const QTreeWidgetItem* item) {
  return static_cast<DrawingState>(item->data(StateColumn, kStateRole).toInt());
}

void FilePage::SetState(QTreeWidgetItem* item, DrawingState state, int pages, const QString& why) {
  item->setData(StateColumn, kStateRole, static_cast<int>(state));
  item->setData(StateColumn, kPagesRole, pages);
  item->setText(StateColumn, DrawingStateText(state, pages));
  item->setToolTip(StateColumn, why);
  const QColor colour = state == DrawingState::Printed   ? QColor(0, 110, 0)
                        : state == DrawingState::Warned  ? QColor(170, 90, 0)
                        : state == DrawingState::None    ? QColor(0, 0, 0)
                                                         : QColor(190, 0, 0);
  item->setForeground(StateColumn, colour);
}

FilePage::FilePage(QWidget* parent) : QWidget(parent) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("▼印刷する図面ファイル一覧")), 1);
  addButton_ = new QPushButton(QStringLiteral("追加(&A)"));
  addFolderButton_ = new QPushButton(QStringLiteral("フォルダ追加(&F)"));
  deleteButton_ = new QPushButton(QStringLiteral("削除(&D)"));
  auto* preview = new QPushButton(QStringLiteral("プレビュー(&V)"));
  upButton_ = new QPushButton(QStringLiteral("上へ(&U)"));
  downButton_ = new QPushButton(QStringLiteral("下へ(&N)"));
  addFolderButton_->setToolTip(QStringLiteral("フォルダの中の図面ファイル(.jww)をすべて追加します"));
  upButton_->setToolTip(QStringLiteral("選択した図面を一つ上へ（印刷順を変えます）"));
  downButton_->setToolTip(QStringLiteral("選択した図面を一つ下へ（印刷順を変えます）"));
  for (QPushButton* b : {addButton_, addFolderButton_, deleteButton_, upButton_, downButton_, preview}) row->addWidget(b);
  v->addLayout(row);
  drawings_ = new QTreeWidget;
  drawings_->setColumnCount(3);
  drawings_->setHeaderLabels({QStringLiteral("図面"), QStringLiteral("状態"), QStringLiteral("フォルダ")});
  drawings_->setRootIsDecorated(false);
  drawings_->setUniformRowHeights(true);
  drawings_->header()->setStretchLastSection(true);
  drawings_->setColumnWidth(NameColumn, 200);
  drawings_->setColumnWidth(StateColumn, 110);
  drawings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The print order is the list's order: drag a drawing to its place (items
  // take no drops, so a drawing never lands inside another). Files dragged
  // in from the file manager pass on to the window.
  drawings_->setDragDropMode(QAbstractItemView::InternalMove);
  drawings_->setDefaultDropAction(Qt::MoveAction);
  drawings_->installEventFilter(this);
  window::Paint(drawings_, window::kListColor);
  v->addWidget(drawings_, 1);
  auto* bottom = new QHBoxLayout;
  subfolders_ = new QCheckBox(QStringLiteral("サブフォルダも含める"));
  subfolders_->setToolTip(QStringLiteral("フォルダを追加・ドロップした時、その中のフォルダの図面も追加します"));
  unfinishedButton_ = new QPushButton(QStringLiteral("未印刷・失敗分を印刷(&R)"));
  unfinishedButton_->setToolTip(QStringLiteral("前回の印刷で印刷されなかった図面（未印刷・読み飛ばし）だけを印刷します"));
  selectedButton_ = new QPushButton(QStringLiteral("選択分を印刷(&L)"));
  selectedButton_->setToolTip(QStringLiteral("一覧で選択した図面だけを印刷します"));
  bottom->addWidget(subfolders_);
  bottom->addStretch(1);
  bottom->addWidget(selectedButton_);
  bottom->addWidget(unfinishedButton_);
  v->addLayout(bottom);
  summary_ = new QLabel;
  summary_->setWordWrap(true);
  window::Paint(summary_, window::kStatusColor);
  v->addWidget(summary_);
  connect(addButton_, &QPushButton::clicked, this, &FilePage::AddRequested);
  connect(addFolderButton_, &QPushButton::clicked, this, &FilePage::AddFolderRequested);
  connect(deleteButton_, &QPushButton::clicked, this, &FilePage::DeleteRequested);
  connect(preview, &QPushButton::clicked, this, &FilePage::PreviewRequested);
  connect(unfinishedButton_, &QPushButton::clicked, this, &FilePage::PrintUnfinishedRequested);
  connect(selectedButton_, &QPushButton::clicked, this, &FilePage::PrintSelectedRequested);
  connect(upButton_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  connect(downButton_, &QPushButton::clicked, this, [this] { MoveSelected(+1); });
  connect(drawings_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { emit OpenRequested(item->data(NameColumn, kPathRole).toString()); });
}

void FilePage::SetEditingEnabled(bool enabled) {
  for (QPushButton* b : {addButton_, addFolderButton_, deleteButton_, upButton_, downButton_, unfinishedButton_,
                         selectedButton_})
    b->setEnabled(enabled);
  drawings_->setDragDropMode(enabled ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
}

bool FilePage::WithSubfolders() const { return subfolders_->isChecked(); }
void FilePage::SetWithSubfolders(bool on) { subfolders_->setChecked(on); }
void FilePage::SetSummary(const QString& text) { summary_->setText(text); }
QString FilePage::Summary() const { return summary_->text(); }

void FilePage::MoveSelected(int step) {
  const int n = drawings_->topLevelItemCount();
  std::vector<char> selected(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) selected[static_cast<size_t>(i)] = drawings_->topLevelItem(i)->isSelected();
  // Walk from the end the block moves towards, so a run of selected rows moves as one.
  for (int k = 0; k < n; ++k) {
    const int i = step < 0 ? k : n - 1 - k, j = i + step;
    if (!selected[static_cast<size_t>(i)] || j < 0 || j >= n || selected[static_cast<size_t>(j)]) continue;
    QTreeWidgetItem* item = drawings_->takeTopLevelItem(i);
    drawings_->insertTopLevelItem(j, item);
    std::swap(selected[static_cast<size_t>(i)], selected[static_cast<size_t>(j)]);
  }
  for (int i = 0; i < n; ++i) drawings_->topLevelItem(i)->setSelected(selected[static_cast<size_t>(i)]);
}

bool FilePage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == drawings_ && e->type() == QEvent::KeyPress && deleteButton_->isEnabled() &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    emit DeleteRequested();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}
