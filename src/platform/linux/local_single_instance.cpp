#include "platform/linux/local_single_instance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <cstdio>

namespace corvane {

LocalSingleInstance::LocalSingleInstance(const QString& folder,
                                         std::function<void()> showRequested, QObject* parent)
    : QObject(parent),
      folder_(folder),
      socketPath_(folder + QStringLiteral("/corvane.socket")),
      lock_(folder + QStringLiteral("/corvane.lock")) {
  // A lock is stale only when its process is gone, however long it has been held.
  lock_.setStaleLockTime(0);
  if (showRequested) connect(this, &LocalSingleInstance::ShowRequested, this, std::move(showRequested));
}

bool LocalSingleInstance::Claim() {
  if (!lock_.tryLock(0)) {
    if (lock_.error() == QLockFile::LockFailedError) return false;
    std::fprintf(stderr,
                 "corvane: cannot make the lock %s/corvane.lock (%s); a second start will not "
                 "find this one\n",
                 qPrintable(folder_), lock_.error() == QLockFile::PermissionError
                                          ? "no permission"
                                          : "unknown error");
    return true;
  }
  // A socket left by an instance that crashed would stop the listen.
  QLocalServer::removeServer(socketPath_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      peer->disconnectFromServer();
      emit ShowRequested();
    }
  });
  // Without the socket this instance still runs; later starts only cannot reach it.
  server_.listen(socketPath_);
  return true;
}

bool LocalSingleInstance::AskRunningToShow() {
  // The running instance may have taken the lock a moment ago and not listen yet.
  QDeadlineTimer deadline(3000);
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (socket.waitForConnected(500)) {
      socket.disconnectFromServer();
      return true;
    }
    QThread::msleep(100);
  }
  return false;
}

}  // namespace corvane
