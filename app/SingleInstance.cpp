#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <unistd.h>

#include <algorithm>

#include "platform/Trace.h"
#include "resources/MainWindowTexts.h"

namespace quillstar {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShownAnswer[] = "shown\n";
constexpr int kConnectAttemptMs = 200;
constexpr int kRetryPauseMs = 50;
constexpr int kReadRequestMs = 2000;

// The user's private runtime folder; other users can neither take the name
// nor listen in.
QString InstanceFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), serverPath_(QDir(InstanceFolder()).filePath(name)), lock_(serverPath_ + QStringLiteral(".lock"))
{
    // Only a lock whose process has gone is stale, however long it is held.
    lock_.setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Answer);
}

QString SingleInstance::DefaultName()
{
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(mainwindow::kInstanceName)).arg(getuid());
}

bool SingleInstance::Claim()
{
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError)
            return false;
        // Without a usable runtime folder the program runs unguarded rather
        // than not at all.
        Trace("SingleInstance: cannot create the lock %s\n", qPrintable(lock_.fileName()));
        return true;
    }
    // The lock is ours, so a socket left there belongs to a program that ended.
    QLocalServer::removeServer(serverPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(serverPath_))
        Trace("SingleInstance: cannot listen at %s\n", qPrintable(serverPath_));
    return true;
}

bool SingleInstance::AskRunningToShow(int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    // The running program may not be listening yet when both start together.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverPath_);
        if (socket.waitForConnected(kConnectAttemptMs)) {
            socket.write(kShowRequest);
            socket.flush();
            while (socket.bytesAvailable() < qint64(sizeof(kShownAnswer) - 1) &&
                   socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            }
            return socket.readAll() == kShownAnswer;
        }
        QThread::msleep(kRetryPauseMs);
    }
    return false;
}

void SingleInstance::Answer()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A request is one short line; whoever sends anything else is ignored.
        const auto readRequest = [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kShowRequest) {
                socket->write(kShownAnswer);
                socket->flush();
                emit ShowRequested();
            }
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        QTimer::singleShot(kReadRequestMs, socket, [socket] { socket->abort(); });
        readRequest();
    }
}

}  // namespace quillstar
