// TForm1: the settings files (saved, opened, reset) and the pen and line-type
// tables taken over from drawings and environment files.
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


bool TForm1::SaveSettings(const QString& path) {
  extras_.SettingsFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (QFileInfo(path).suffix().toLower() != "dat") {
    SetStatus(QStringLiteral("設定ファイルの拡張子は「.dat」にして下さい。"));
    return false;
  }
  if (!settingsFile_.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(settingsFile_).absoluteFilePath()) {
    SetStatus(QStringLiteral("このファイル名では設定保存出来ません。設定保存を再度行って下さい。"));
    return false;
  }
  ReadControls();
  SettingsFileExtras extras = extras_;
  extras.Files.clear();
  for (const QString& f : Files()) extras.Files.push_back(Sjis(f));
  const util::Status saved = WriteSettingsFile(path.toStdString(), SettingsForm::User, settings_, extras);
  if (saved)
    SetStatusSjis(SettingsSavedText(true));
  else
    SetStatus(QString::fromStdString(util::Cp932ToUtf8(SettingsSavedText(false))) + QStringLiteral("（") +
              QString::fromStdString(saved.Why()) + QStringLiteral("）"));
  return saved.Ok();
}

bool TForm1::OpenSettings(const QString& path) {
  extras_.SettingsFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (QFileInfo(path).suffix().toLower() != "dat") {
    SetStatus(QStringLiteral("設定ファイルの拡張子は「.dat」にして下さい。"));
    return false;
  }
  if (!settingsFile_.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(settingsFile_).absoluteFilePath()) {
    SetStatus(QStringLiteral("このファイル名では設定を開く事は出来ません。再度行って下さい。"));
    return false;
  }
  SettingsFileExtras extras = extras_;
  const SettingsReadResult r = ReadSettingsFile(path.toStdString(), SettingsForm::User, settings_, extras);
  if (r == SettingsReadResult::Opened || r == SettingsReadResult::Damaged) {
    extras_.DrawingFolder = extras.DrawingFolder;
    extras_.JwwImportFolder = extras.JwwImportFolder;
    extras_.JwfImportFolder = extras.JwfImportFolder;
    FileList()->clear();
    for (const std::string& f : extras.Files) filePage_->Append(Q(f));
    ListChanged();
  }
  SetStatusSjis(SettingsStatusText(r));
  UpdatePrinterInfo();
  ShowSettings();
  return r == SettingsReadResult::Opened;
}

// The options and tables only: the list of drawings stays.
void TForm1::ResetSettings() {
  worker_->RunAndWait([this] { PreparePenAttributes(UnitGraAtt::GraAttribute(), darkBackground_); });
  settings_ = PrintSettings();
  UpdatePrinterInfo();
  ShowSettings();
}

void TForm1::ImportPens(const QString& path) {
  ReadControls();
  const ImportKind kind = ImportKindOf(path.toStdString());
  if (kind == ImportKind::Drawing) extras_.JwwImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (kind == ImportKind::Environment) extras_.JwfImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  std::unique_ptr<PrintDevice> device;
  if (kind == ImportKind::Drawing)
    if (auto chosen = DefaultDevice()) device = std::move(chosen.Value());
  std::optional<ImportResult> result;
  // The pen table is the drawing core's: changed on the drawing thread.
  worker_->RunAndWait([&] { result = ImportPensFrom(path.toStdString(), settings_, UnitGraAtt::GraAttribute(), device.get()); });
  const ImportResult& r = *result;
  if (!r) {
    SetStatus(QStringLiteral("ファイル %1 から線色・線幅設定を読み取れませんでした（設定は変わりません）。").arg(path));
    return;
  }
  if (kind == ImportKind::Drawing) darkBackground_ = r->DarkBackground;
  ShowSettings();
  SetStatusSjis(r->Status);
}

void TForm1::ImportLineTypes(const QString& path) {
  ReadControls();
  const ImportKind kind = ImportKindOf(path.toStdString());
  if (kind == ImportKind::Drawing) extras_.JwwImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  if (kind == ImportKind::Environment) extras_.JwfImportFolder = Sjis(QFileInfo(path).absolutePath() + "/");
  std::optional<ImportResult> result;
  worker_->RunAndWait([&] { result = ImportLineTypesFrom(path.toStdString(), settings_, UnitGraAtt::GraAttribute()); });
  const ImportResult& r = *result;
  if (!r) {
    SetStatus(QStringLiteral("ファイル %1 から線種設定を読み取れませんでした（設定は変わりません）。").arg(path));
    return;
  }
  ShowSettings();
  SetStatusSjis(r->Status);
}
