#include "platform/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

const char* const kProductTitle = "Vantro Roamdock";

namespace {

/// What a second start writes: the message number as text, one line.
QByteArray BringToFrontLine() {
    return QByteArray::number(WM_BRING_TO_FRONT) + '\n';
}

/// Nothing longer than this is kept from a client that sends no newline.
constexpr int kMaxPendingBytes = 64;
constexpr int kClientTimeoutMs = 2000;

} // namespace

CLocalInstanceGuard::CLocalInstanceGuard(const QString& strName, const QString& strDir, QObject* pParent)
    : CInstanceGuard(pParent), m_strName(strName), m_strDir(strDir) {
    if (m_strDir.isEmpty())
        m_strDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_strDir.isEmpty())
        m_strDir = QDir::tempPath();
}

CLocalInstanceGuard::~CLocalInstanceGuard() {
    Release();
}

QString CLocalInstanceGuard::LockPath() const {
    return m_strDir + QLatin1Char('/') + m_strName + ".lock";
}

QString CLocalInstanceGuard::SocketPath() const {
    return m_strDir + QLatin1Char('/') + m_strName + ".socket";
}

CInstanceGuard::EStart CLocalInstanceGuard::TryStart() {
    if (m_pLock)
        return StartFirst;
    auto pLock = std::make_unique<QLockFile>(LockPath());
    // Only a dead owner makes the lock stale, however long a live copy has been running.
    pLock->setStaleLockTime(0);
    if (!pLock->tryLock(0)) {
        if (pLock->error() != QLockFile::LockFailedError)
            return StartFailed;
        SignalRunningCopy();
        // The running copy may not be listening yet; this copy ends either way.
        return StartSignalled;
    }
    m_pLock = std::move(pLock);

    // A socket file left by a copy that died is ours to remove now that we hold the lock.
    QLocalServer::removeServer(SocketPath());
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CLocalInstanceGuard::OnNewConnection);
    // Without the socket this copy still runs; a later start then just ends.
    m_pServer->listen(SocketPath());
    return StartFirst;
}

void CLocalInstanceGuard::Release() {
    if (m_pServer) {
        m_pServer->close();
        delete m_pServer;
        m_pServer = nullptr;
    }
    if (m_pLock) {
        m_pLock->unlock();
        m_pLock.reset();
    }
}

void CLocalInstanceGuard::OnNewConnection() {
    while (QLocalSocket* pSocket = m_pServer->nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { OnReadyRead(pSocket); });
        // Data may have arrived with the connection.
        if (pSocket->bytesAvailable() > 0)
            OnReadyRead(pSocket);
    }
}

void CLocalInstanceGuard::OnReadyRead(QLocalSocket* pSocket) {
    while (pSocket->canReadLine()) {
        const QByteArray line = pSocket->readLine(kMaxPendingBytes + 1);
        if (line == BringToFrontLine())
            emit bringToFront();
    }
    if (pSocket->bytesAvailable() > kMaxPendingBytes)
        pSocket->abort();
}

bool CLocalInstanceGuard::SignalRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(SocketPath(), QIODevice::WriteOnly);
    if (!socket.waitForConnected(kClientTimeoutMs))
        return false;
    socket.write(BringToFrontLine());
    const bool bSent = socket.waitForBytesWritten(kClientTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kClientTimeoutMs);
    return bSent;
}
