#include "app/qt/InstanceChannel.h"

#include <QLocalSocket>
#include <QTimer>

#include "platform/InstanceLock.h"

namespace vesk {

namespace {

// A request is one short word; anything longer is not one of ours.
constexpr qint64 kMaxRequest = 64;
// A peer that connects and says nothing must not hold a socket for the rest of the run.
constexpr int kRequestTimeoutMs = 5000;
// A live listener accepts at once; a dead socket file refuses at once.
constexpr int kProbeTimeoutMs = 500;

}  // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::acceptPending);
}

QString InstanceChannel::defaultServerPath() {
    const std::string folder = userRuntimeFolder();
    if (folder.empty())
        return {};
    return QString::fromStdString(folder + "/维斯地磅服务.socket");
}

bool InstanceChannel::listen(const QString& serverPath) {
    error_.clear();
    if (serverPath.isEmpty()) {
        error_ = QStringLiteral("no private runtime folder for this user");
        return false;
    }
    // A copy that runs without the lock (the lock could not be made) may be listening here.
    // Asked first, because a listen puts its new socket over whatever file is there, which
    // would leave that copy deaf to every later start.
    QLocalSocket probe;
    probe.connectToServer(serverPath);
    if (probe.waitForConnected(kProbeTimeoutMs)) {
        probe.abort();
        error_ = serverPath + QStringLiteral(": another running copy listens here");
        return false;
    }
    if (server_.listen(serverPath))
        return true;
    // Nobody answers on a socket file left there: a copy that died.
    QLocalServer::removeServer(serverPath);
    return server_.listen(serverPath);
}

QString InstanceChannel::errorString() const {
    return error_.isEmpty() ? server_.errorString() : error_;
}

bool InstanceChannel::send(const QString& serverPath, const char* request, int timeoutMs) {
    if (serverPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(request);
    socket.write("\n");
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

void InstanceChannel::acceptPending() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QByteArray request = socket->readLine(kMaxRequest).trimmed();
            socket->disconnectFromServer();
            if (request == kActivate)
                emit activateRequested();
            else if (request == kRestore)
                emit restoreRequested();
        });
    }
}

}  // namespace vesk
