#pragma once
// One Corvane per user on Linux: the first start holds a lock in the user's runtime folder
// and listens on a local socket there; a later start asks it to show its window and ends,
// before it has touched a device.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>

#include "platform/platform.h"

namespace corvane {

class LocalSingleInstance : public QObject, public SingleInstance {
  Q_OBJECT

 public:
  // `folder` is the user's runtime folder ($XDG_RUNTIME_DIR, or Qt's private fallback).
  // `showRequested`, when set, runs with every ShowRequested.
  explicit LocalSingleInstance(const QString& folder, std::function<void()> showRequested = {},
                               QObject* parent = nullptr);

  bool Claim() override;
  bool AskRunningToShow() override;

 signals:
  void ShowRequested();

 private:
  QString folder_;
  QString socketPath_;
  QLockFile lock_;
  QLocalServer server_;
};

}  // namespace corvane
