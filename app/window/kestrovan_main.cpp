// kestrovan: the desktop window.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include "app/window/Unit1.h"
#include "jww/jwwtype.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kestrovan"));
  QApplication::setApplicationVersion(QStringLiteral(KESTROVAN_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("kestrovan"));

  // The window speaks Japanese whatever the locale, and so do Qt's own
  // dialogs and buttons (Yes/No, file dialogs, the colour picker).
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Jw_cad図面ファイル(.jww)を連続して印刷します。"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                       QStringLiteral("各ページの画像をフォルダに保存して終了します。"),
                                       QStringLiteral("フォルダ"));
  parser.addOption(screenshots);
  parser.addPositionalArgument(QStringLiteral("図面"), QStringLiteral("一覧に入れる図面ファイル(.jww)"),
                               QStringLiteral("[図面.jww …]"));
  parser.process(app);  // --help and --version print and exit here
  const QString shots = parser.value(screenshots);

  const QString settings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kestrovan/kestrovan.dat";
  TForm1 window(parser.positionalArguments(), settings);
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
