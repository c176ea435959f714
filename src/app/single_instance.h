#pragma once
// One Corvane per user: the first start holds a lock in the user's runtime folder and
// listens on a local socket there; a later start asks it to show its window and ends,
// before it has touched a device.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace corvane {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `folder` is the user's runtime folder ($XDG_RUNTIME_DIR, or Qt's private fallback).
  explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

  // True when no other instance runs: this one then takes the lock and listens for
  // later starts. False when another instance holds the lock. Where no lock can be
  // made at all (the folder is not writable), it says so on standard error and returns
  // true: the program runs, unguarded.
  bool Claim();

  // Asks the running instance to show its window; false when it cannot be reached.
  bool AskRunningToShow();

 signals:
  void ShowRequested();

 private:
  QString folder_;
  QString socketPath_;
  QLockFile lock_;
  QLocalServer server_;
};

}  // namespace corvane
