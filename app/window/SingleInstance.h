// One window per user: a program started with drawings while the window is
// open hands them to it ("open with" on a second drawing adds it to the
// list) and ends. They meet at a local socket in a folder only this user
// can enter, and each checks that the other is this user before a path
// crosses. A lock beside the socket says a window is alive, so a window
// that is busy for a while is waited for, never replaced.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `folder` holds the socket and its lock; DefaultFolder() is this user's.
  explicit SingleInstance(const QString& folder = DefaultFolder(), QObject* parent = nullptr);
  ~SingleInstance() override;
  // This user's own folder for them: the session's runtime folder, else
  // one made (0700) in the temporary folder and checked to be this user's
  // alone. Empty when there is none such (another user made it first).
  static QString DefaultFolder();

  enum class Start {
    HandedOver,  // a window open took the files: this program ends
    Listening,   // no window was open: this one is it now
    Busy,        // a window is open but did not answer in time
    Alone,       // no folder of this user's, or no socket could be made there
  };
  // Hands `files` to the window already open, waiting up to `waitMs` while
  // it is busy, or becomes that window when none is alive.
  Start Begin(const QStringList& files, int waitMs = 15000);
  // After Busy: the files were sent and the window takes them when it can.
  bool Delivered() const { return delivered_; }

  // One hand-over to a window listening: true when it took `files`.
  bool HandOver(const QStringList& files, int timeoutMs = 3000);
  // Becomes the window others hand their drawings to; false while another
  // window is alive.
  bool Listen();

 signals:
  // Drawings handed over by a program started later (absolute paths).
  void FilesArrived(const QStringList& files);

 private:
  enum class Sent { Taken, NoAnswer, NotConnected };
  Sent Send(const QStringList& files, int timeoutMs);
  // True when no window is alive: the lock is then this program's.
  bool TakeLock();
  void Receive();

  QString folder_, name_;
  int lockFd_ = -1;
  bool delivered_ = false;
  QLocalServer* server_ = nullptr;
};
