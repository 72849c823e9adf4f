// TForm1: the list of drawings to print (added, found in folders, kept with
// the settings, moved and deleted).
#include "app/window/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QCollator>
#include <QDirIterator>
#include <QMessageBox>
#include <QMimeData>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <cstdio>

#include "app/core/PrintPreparation.h"
#include "app/window/DrawWorker.h"
#include "app/window/FilePage.h"
#include "app/window/LineTypePage.h"
#include "app/window/PenPage.h"
#include "app/window/SettingsPage.h"
#include "app/window/TableSourceRow.h"
#include "app/window/WindowCommon.h"
#include "jww/jwwtype.h"
#include "util/CodePage.h"

using namespace window;


int TForm1::AddFiles(const QStringList& paths) {
  // Paths are kept as the file system spells them (it tells capitals apart);
  // a duplicate ignores letter case. New drawings go to the end: the list's
  // order is the print order.
  const QStringList present = Files();
  QStringList added;
  for (const QString& given : paths) {
    if (given.isEmpty() || !IsJwwPath(given)) continue;
    const QFileInfo info(given);
    if (!info.isFile()) continue;
    const QString path = info.absoluteFilePath();
    auto same = [&path](const QString& p) { return p.compare(path, Qt::CaseInsensitive) == 0; };
    if (std::any_of(present.begin(), present.end(), same) || std::any_of(added.begin(), added.end(), same)) continue;
    filePage_->Append(path);
    added << path;
  }
  if (!added.isEmpty()) ListChanged();
  return static_cast<int>(added.size());
}

QStringList TForm1::DrawingsIn(const QString& folder, bool subfolders) {
  QStringList found;
  QDirIterator it(folder, QDir::Files | QDir::Readable, subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
  while (it.hasNext()) {
    const QString path = it.next();
    if (IsJwwPath(path)) found << path;
  }
  // As a file manager lists them: by folder, then by name.
  QCollator order(QLocale(QLocale::Japanese, QLocale::Japan));
  order.setNumericMode(true);
  std::sort(found.begin(), found.end(), [&order](const QString& a, const QString& b) {
    const int folders = order.compare(QFileInfo(a).absolutePath(), QFileInfo(b).absolutePath());
    return folders != 0 ? folders < 0 : order.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
  });
  return found;
}

QString TForm1::AddPaths(const QStringList& paths) {
  // Folders bring their drawings; anything not added is named with why.
  QStringList drawings, settingsFiles, others, emptyFolders;
  for (const QString& p : paths) {
    const QFileInfo info(p);
    if (info.isDir()) {
      const QStringList in = DrawingsIn(p, filePage_->WithSubfolders());
      if (in.isEmpty()) emptyFolders << info.fileName();
      drawings << in;
    } else if (info.suffix().compare("jwf", Qt::CaseInsensitive) == 0) {
      settingsFiles << info.fileName();
    } else if (IsJwwPath(p) && info.isFile()) {
      drawings << p;
    } else {
      others << info.fileName();
    }
  }
  const int n = AddFiles(drawings);
  QString text = QString::number(n) + QStringLiteral("個のファイルを一覧に追加しました。");
  if (drawings.size() > n) text += QStringLiteral("（%1個は一覧に既にあります）").arg(drawings.size() - n);
  if (!settingsFiles.isEmpty())
    text += QStringLiteral("「%1」はJw_cadの環境設定ファイルです。線色・線幅と線種は各ページの「jwfから読込」で読み込めます。")
                .arg(settingsFiles.join(QStringLiteral("」「")));
  if (!emptyFolders.isEmpty())
    text += QStringLiteral("フォルダ「%1」に図面ファイル(.jww)はありません%2。")
                .arg(emptyFolders.join(QStringLiteral("」「")),
                     filePage_->WithSubfolders() ? QString() : QStringLiteral("（サブフォルダは含めていません）"));
  if (!others.isEmpty())
    text += QStringLiteral("「%1」は図面ファイル(.jww)ではないため追加しませんでした。").arg(others.join(QStringLiteral("」「")));
  SetStatus(text);
  return text;
}

void TForm1::KeepList() {
  extras_.KeptList.clear();
  for (int i = 0; i < FileList()->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = FileList()->topLevelItem(i);
    extras_.KeptList.push_back({Sjis(FilePage::PathOf(item)), DrawingStateWord(FilePage::StateOf(item)),
                                item->data(FilePage::StateColumn, FilePage::kPagesRole).toInt()});
  }
}

// The list as it was left, with each drawing's state: drawings on a folder
// not there today (a network drive) stay listed and say so when printed.
void TForm1::RestoreList() {
  FileList()->clear();
  for (const SettingsFileExtras::Listed& l : extras_.KeptList) {
    const QString path = Q(l.Path);
    if (path.isEmpty() || !IsJwwPath(path)) continue;
    FilePage::SetState(filePage_->Append(path), DrawingStateOf(l.State), l.Pages);
  }
  ListChanged();
}

QString TForm1::DisplayName(const QString& path) const {
  const QString name = QFileInfo(path).fileName();
  for (const QString& other : Files())
    if (other != path && QFileInfo(other).fileName().compare(name, Qt::CaseInsensitive) == 0)
      return QFileInfo(QFileInfo(path).absolutePath()).fileName() + "/" + name;
  return name;
}

void TForm1::ListChanged() {
  QTreeWidget* list = FileList();
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    item->setText(FilePage::NameColumn, DisplayName(FilePage::PathOf(item)));
  }
  UpdateSummary();
}

void TForm1::UpdateSummary() {
  const int n = FileList()->topLevelItemCount();
  int unfinished = 0;
  for (int i = 0; i < n; ++i) {
    const DrawingState st = FilePage::StateOf(FileList()->topLevelItem(i));
    unfinished += st == DrawingState::NotPrinted || st == DrawingState::PassedOver;
  }
  const QString where = output_.Pdf ? QStringLiteral("PDFファイル「%1」").arg(QFileInfo(output_.PdfPath).fileName())
                                    : QStringLiteral("プリンタ「%1」").arg(PrinterOrDefault(output_.Printer));
  QString paper = output_.Pdf || output_.PrinterPaperChosen
                      ? QStringLiteral("%1 %2").arg(output_.Paper, output_.Page.PaperWidthMm > output_.Page.PaperHeightMm
                                                                       ? QStringLiteral("横")
                                                                       : QStringLiteral("縦"))
                      : QStringLiteral("プリンタの用紙");
  if (output_.Pdf && settingsPage_->GetPaperMode() == PaperMode::Drawing) paper = QStringLiteral("各図面の用紙");
  if (output_.Pdf && settingsPage_->GetPaperMode() == PaperMode::ReducedToGiven) paper += QStringLiteral("に縮小");
  QString text = QStringLiteral("印刷先：%1　用紙：%2　図面：%3個").arg(where, paper).arg(n);
  if (!output_.Pdf && output_.Properties.Copies > 1) text += QStringLiteral("　部数：%1").arg(output_.Properties.Copies);
  if (unfinished > 0) text += QStringLiteral("（未印刷・読み飛ばし %1個）").arg(unfinished);
  filePage_->SetSummary(text);
}

void TForm1::MoveSelected(int step) {
  if (!running_) filePage_->MoveSelected(step);
}

int TForm1::DeleteSelected() {
  const QList<QTreeWidgetItem*> selected = FileList()->selectedItems();
  if (running_ || FileList()->topLevelItemCount() == 0 || selected.isEmpty()) return 0;
  const int n = static_cast<int>(selected.size());
  if (!Ask(QStringLiteral("選択した%1個のファイルを一覧から削除します。よろしいですか？").arg(n))) return 0;
  for (QTreeWidgetItem* item : selected) delete item;
  ListChanged();
  SetStatus(QStringLiteral("%1個のファイルを一覧から削除しました。").arg(n));
  return n;
}
