#include "app/window/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace {

// Paths are sent as UTF-8 lines; a hand-over larger than this is not ours.
constexpr qint64 kMostBytes = 4 * 1024 * 1024;

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

QString SingleInstance::DefaultName() {
  // In the user's own runtime folder when there is one, else a name with the user's id.
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime + QStringLiteral("/kestrovan-window");
  return QStringLiteral("kestrovan-window-%1").arg(static_cast<qulonglong>(getuid()));
}

bool SingleInstance::HandOver(const QStringList& files, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray message;
  for (const QString& f : files) message += QFileInfo(f).absoluteFilePath().toUtf8() + '\n';
  message += '\n';  // the end, also of an empty hand-over (just show the window)
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The window says it has them, so a hand-over is never lost between two programs.
  if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.readAll().startsWith("ok");
}

bool SingleInstance::Listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // A socket left by a window that ended without closing it.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
  }
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Receive);
  return true;
}

void SingleInstance::Receive() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() > kMostBytes) return socket->abort();
      const QByteArray all = socket->peek(socket->bytesAvailable());
      if (!all.endsWith("\n\n") && all != "\n") return;  // more to come
      socket->readAll();
      QStringList files;
      for (const QByteArray& line : all.split('\n'))
        if (!line.isEmpty()) files << QString::fromUtf8(line);
      socket->write("ok\n");
      socket->flush();
      emit FilesArrived(files);
    });
  }
}
