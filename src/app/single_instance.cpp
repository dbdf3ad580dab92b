#include "app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace cm {

SingleInstance::SingleInstance(const std::filesystem::path& dataFolder, QObject* parent)
    : QObject(parent), m_name(serverName(dataFolder)) {}

QString SingleInstance::serverName(const std::filesystem::path& dataFolder) {
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(dataFolder, ec);
    if (ec) canonical = dataFolder;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(canonical.string()), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("chronomate-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.left(24)));
}

bool SingleInstance::askToRaise(const std::filesystem::path& dataFolder, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName(dataFolder));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaiseRequest);
    socket.write("\n");
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return sent;
}

bool SingleInstance::listen(std::function<void()> onRaise) {
    m_onRaise = std::move(onRaise);
    m_server = new QLocalServer(this);
    m_server->setObjectName("singleInstanceServer");
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the folder's lock, so a socket left by a crashed run is stale.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    if (socket->readLine().trimmed() == kRaiseRequest && m_onRaise) m_onRaise();
            });
        }
    });
    return true;
}

}  // namespace cm
