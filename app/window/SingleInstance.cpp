#include "app/window/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

// Paths are sent as UTF-8 lines; a hand-over larger than this is not ours.
constexpr qint64 kMostBytes = 4 * 1024 * 1024;

// A folder only this user can enter: theirs, a real folder (no link), and
// closed to the group and others.
bool OwnPrivateFolder(const QByteArray& path) {
  struct stat st;
  return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

// The program at the other end of a connected local socket is this user's.
bool PeerIsThisUser(qintptr fd) {
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return fd >= 0 && ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == ::geteuid();
}

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), folder_(folder), name_(folder.isEmpty() ? QString() : folder + "/kestrovan-window") {}

SingleInstance::~SingleInstance() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

QString SingleInstance::DefaultFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && OwnPrivateFolder(QFile::encodeName(runtime))) return runtime;
  // Without one (a login over ssh, some desktops), a folder of this user's
  // own in the temporary folder; one another user made first is never used.
  const QString own = QDir::tempPath() + QStringLiteral("/kestrovan-window.%1").arg(static_cast<qulonglong>(::geteuid()));
  const QByteArray path = QFile::encodeName(own);
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return QString();
  struct stat st;
  if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077))
    ::chmod(path.constData(), 0700);  // made with a wider umask by an older program of ours
  return OwnPrivateFolder(path) ? own : QString();
}

bool SingleInstance::TakeLock() {
  if (lockFd_ >= 0) return true;
  if (folder_.isEmpty()) return false;
  const QByteArray lock = QFile::encodeName(name_ + ".lock");
  const int fd = ::open(lock.constData(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lockFd_ = fd;
  return true;
}

SingleInstance::Start SingleInstance::Begin(const QStringList& files, int waitMs) {
  delivered_ = false;
  if (folder_.isEmpty()) return Start::Alone;
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    if (TakeLock()) return Listen() ? Start::Listening : Start::Alone;
    // A window is alive: it takes the files, or it is busy (or still
    // starting, its socket not made yet) and is waited for.
    const Sent sent = Send(files, static_cast<int>(std::max<qint64>(waitMs - waited.elapsed(), 100)));
    if (sent == Sent::Taken) return Start::HandedOver;
    if (sent == Sent::NoAnswer) {
      delivered_ = true;
      return Start::Busy;
    }
    if (waited.elapsed() >= waitMs) return Start::Busy;
    QThread::msleep(100);
  }
}

bool SingleInstance::HandOver(const QStringList& files, int timeoutMs) {
  return Send(files, timeoutMs) == Sent::Taken;
}

SingleInstance::Sent SingleInstance::Send(const QStringList& files, int timeoutMs) {
  if (name_.isEmpty()) return Sent::NotConnected;
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(timeoutMs)) return Sent::NotConnected;
  // Not a path is sent to a program of another user.
  if (!PeerIsThisUser(socket.socketDescriptor())) return Sent::NotConnected;
  QByteArray message;
  for (const QString& f : files) message += QFileInfo(f).absoluteFilePath().toUtf8() + '\n';
  message += '\n';  // the end, also of an empty hand-over (just show the window)
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return Sent::NoAnswer;
  // The window says it has them, so a hand-over is never lost between two programs.
  if (!socket.waitForReadyRead(timeoutMs)) return Sent::NoAnswer;
  return socket.readAll().startsWith("ok") ? Sent::Taken : Sent::NoAnswer;
}

bool SingleInstance::Listen() {
  // Only the window alive holds the lock: a socket found here without it
  // was left by a window that ended without closing it.
  if (!TakeLock()) return false;
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(name_);
  if (!server_->listen(name_)) return false;
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Receive);
  return true;
}

void SingleInstance::Receive() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!PeerIsThisUser(socket->socketDescriptor())) {
      socket->abort();
      continue;
    }
    auto take = [this, socket] {
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
    };
    connect(socket, &QLocalSocket::readyRead, this, take);
    take();  // what came before the connection was taken up
  }
}
