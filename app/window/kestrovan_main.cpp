// kestrovan: the desktop window.
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>

#include "app/window/SingleInstance.h"
#include "app/window/Unit1.h"
#include "app/window/WindowCommon.h"
#include "jww/jwwtype.h"

namespace {

const char kHelp[] =
    "使い方: kestrovan [図面.jww …]\n"
    "\n"
    "Jw_cadの図面ファイル(.jww)をまとめてプリンタやPDFファイルに印刷するウィンドウを開きます。\n"
    "指定した図面は印刷する図面の一覧に追加されます。ウィンドウが既に開いている時は、\n"
    "そのウィンドウの一覧に追加します。\n"
    "\n"
    "オプション:\n"
    "  -h, --help     この説明を表示して終了します\n"
    "  -v, --version  バージョンを表示して終了します\n"
    "\n"
    "画面を使わずに印刷する時は kestrovan-print を使って下さい（kestrovan-print --help）。\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is needed: these work without a display.
  QStringList files;
  QString shots;  // for making the README's pictures: each page's image into a folder, then end
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help")) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (!std::strcmp(a, "-v") || !std::strcmp(a, "--version")) {
      std::printf("kestrovan %s\n", KESTROVAN_VERSION);
      return 0;
    }
    if (!std::strcmp(a, "--screenshots") && i + 1 < argc) {
      shots = QString::fromLocal8Bit(argv[++i]);
      continue;
    }
    if (a[0] == '-' && a[1] != '\0') {
      std::fprintf(stderr, "kestrovan: 「%s」というオプションはありません（kestrovan --help で説明を表示します）\n", a);
      return 2;
    }
    files << QString::fromLocal8Bit(a);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kestrovan"));
  QApplication::setApplicationVersion(QStringLiteral(KESTROVAN_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("kestrovan"));
  QApplication::setWindowIcon(window::AppIcon());

  // A window already open takes the drawings, and this program ends; one
  // that is busy is waited for a while, then said to be busy.
  SingleInstance instance;
  if (shots.isEmpty()) {
    switch (instance.Begin(files)) {
      case SingleInstance::Start::HandedOver:
        return 0;
      case SingleInstance::Start::Busy: {
        const QString text = instance.Delivered()
                                 ? QStringLiteral("開いているウィンドウが応答しません。図面は、ウィンドウが応答できるようになると一覧に追加されます。")
                                 : QStringLiteral("開いているウィンドウが応答しません。しばらく待ってから、もう一度開いて下さい。");
        std::fprintf(stderr, "kestrovan: %s\n", text.toUtf8().constData());
        if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
          QMessageBox::warning(nullptr, QStringLiteral("Kestrovan"), text);
        return 1;
      }
      case SingleInstance::Start::Alone:
        std::fprintf(stderr, "kestrovan: 他の図面を開いた時にこのウィンドウへ渡す準備ができませんでした（%s）\n",
                     SingleInstance::DefaultFolder().isEmpty() ? "一時フォルダに他のユーザーのフォルダがあります"
                                                               : "ソケットを作れません");
        break;
      case SingleInstance::Start::Listening:
        break;
    }
  }

  // The window speaks Japanese whatever the locale, and so do Qt's own
  // dialogs and buttons (Yes/No, file dialogs, the colour picker).
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  const QString settings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kestrovan/kestrovan.dat";
  TForm1 window(files, settings);
  QObject::connect(&instance, &SingleInstance::FilesArrived, &window, [&window](const QStringList& more) {
    if (!more.isEmpty()) window.AddPaths(more);
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.raise();
    window.activateWindow();
  });
  window.show();
  if (!shots.isEmpty()) {
    QTimer::singleShot(500, [&] {
      QDir().mkpath(shots);
      for (int p = 0; p < window.Pages()->count(); ++p) {
        window.Pages()->setCurrentIndex(p);
        QApplication::processEvents();
        window.grab().save(shots + QString("/page-%1.png").arg(p + 1));
      }
      window.Pages()->setCurrentIndex(0);
      app.quit();
    });
  }
  const int code = app.exec();
  jwwtype::RemoveTempFolder();
  return code;
}
