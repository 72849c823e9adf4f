#include "app/window/FilePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/WindowCommon.h"

FilePage::FilePage(QWidget* parent) : QWidget(parent) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("▼印刷する図面ファイル一覧")), 1);
  addButton_ = new QPushButton(QStringLiteral("追加(&A)"));
  deleteButton_ = new QPushButton(QStringLiteral("削除(&D)"));
  auto* preview = new QPushButton(QStringLiteral("プレビュー(&V)"));
  row->addWidget(addButton_);
  row->addWidget(deleteButton_);
  row->addWidget(preview);
  v->addLayout(row);
  drawings_ = new QListWidget;
  drawings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  window::Paint(drawings_, window::kListColor);
  v->addWidget(drawings_, 1);
  connect(addButton_, &QPushButton::clicked, this, &FilePage::AddRequested);
  connect(deleteButton_, &QPushButton::clicked, this, &FilePage::DeleteRequested);
  connect(preview, &QPushButton::clicked, this, &FilePage::PreviewRequested);
  connect(drawings_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit OpenRequested(item->text()); });
}

void FilePage::SetEditingEnabled(bool enabled) {
  addButton_->setEnabled(enabled);
  deleteButton_->setEnabled(enabled);
}
