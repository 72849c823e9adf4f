#include "app/window/TableSourceRow.h"

#include "app/core/PrintChoices.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

QVBoxLayout* TableSourceRow::LayOutPage(QWidget* page, TableSourceRow* row, QWidget*& editing) {
  auto* v = new QVBoxLayout(page);
  v->addWidget(row);
  editing = new QWidget;
  auto* e = new QVBoxLayout(editing);
  e->setContentsMargins(0, 0, 0, 0);
  v->addWidget(editing, 1);
  return e;
}

TableSourceRow::TableSourceRow(QWidget* parent) : QWidget(parent), source_(new QButtonGroup(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  auto* fromDrawing = new QRadioButton(QString::fromUtf8(kTableSources[0].Label));
  auto* byHand = new QRadioButton(QString::fromUtf8(kTableSources[1].Label));
  source_->addButton(fromDrawing, static_cast<int>(kTableSources[0].Value));
  source_->addButton(byHand, static_cast<int>(kTableSources[1].Value));
  auto* importJww = new QPushButton(QStringLiteral("JWW形式ファイル設定内容を流用"));
  auto* importJwf = new QPushButton(QStringLiteral("JWF環境設定ファイル設定内容を流用"));
  for (QWidget* w : std::initializer_list<QWidget*>{fromDrawing, byHand, importJww, importJwf}) row->addWidget(w);
  connect(importJww, &QPushButton::clicked, this, &TableSourceRow::ImportFromDrawing);
  connect(importJwf, &QPushButton::clicked, this, &TableSourceRow::ImportFromEnvironment);
}

int TableSourceRow::Source() const { return std::max(0, source_->checkedId()); }
void TableSourceRow::SetSource(int source) { source_->button(source == 1 ? 1 : 0)->setChecked(true); }
