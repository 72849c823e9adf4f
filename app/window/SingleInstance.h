// One window per user: a program started with drawings while the window is
// open hands them to it ("open with" on a second drawing adds it to the
// list) and ends, through a local socket only this user can reach.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name`: the socket's name; DefaultName() is this user's.
  explicit SingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);
  static QString DefaultName();

  // True when a running window took `files` (then this program ends).
  bool HandOver(const QStringList& files, int timeoutMs = 3000);
  // Becomes the window others hand their drawings to.
  bool Listen();

 signals:
  // Drawings handed over by a program started later (absolute paths).
  void FilesArrived(const QStringList& files);

 private:
  void Receive();

  QString name_;
  QLocalServer* server_ = nullptr;
};
