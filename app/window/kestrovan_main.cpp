// kestrovan: the desktop window.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include "app/window/Unit1.h"
#include "jww/jwwtype.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kestrovan"));
  QApplication::setApplicationDisplayName(QStringLiteral("JWW図面ファイル連続印刷 Kestrovan"));
  QStringList files;
  QString screenshots;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--screenshots" && i + 1 < args.size())
      screenshots = args[++i];  // writes a picture of every page and exits
    else
      files << args[i];
  }
  const QString settings =
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kestrovan/kestrovan.dat";
  TForm1 window(files, settings);
  window.show();
  if (!screenshots.isEmpty()) {
    QTimer::singleShot(500, [&] {
      QDir().mkpath(screenshots);
      for (int p = 0; p < window.Pages()->count(); ++p) {
        window.Pages()->setCurrentIndex(p);
        QApplication::processEvents();
        window.grab().save(screenshots + QString("/page-%1.png").arg(p + 1));
      }
      window.Pages()->setCurrentIndex(0);
      app.quit();
    });
  }
  const int code = app.exec();
  jwwtype::RemoveTempFolder();
  return code;
}
