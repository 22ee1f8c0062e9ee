#pragma once
// One running copy per user: a lock file held for the program's life and a local socket on which a later
// start asks the running copy to come to the front.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

/// The product title: names the lock and the socket, and is the main window's title.
extern const char* const kProductTitle;

/// The message a second start sends to the running copy.
constexpr int WM_BRING_TO_FRONT = 1124;

class CInstanceGuard : public QObject {
    Q_OBJECT
public:
    enum EStart {
        StartFirst,     ///< this copy runs; later starts are signalled through bringToFront()
        StartSignalled, ///< another copy runs and was asked to come to the front; end without a window
        StartFailed,    ///< the lock could not be created; end without a message
    };

    using QObject::QObject;
    /// Takes the lock or signals its live holder.
    virtual EStart TryStart() = 0;
    /// Stops listening and gives the lock up.
    virtual void Release() = 0;

signals:
    /// A later start sent WM_BRING_TO_FRONT.
    void bringToFront();
};

/// QLockFile "<dir>/<name>.lock" and QLocalServer "<dir>/<name>.socket" in the user's runtime directory.
/// A lock left by a dead process is taken over.
class CLocalInstanceGuard : public CInstanceGuard {
    Q_OBJECT
public:
    /// strDir empty: the user's runtime directory, else the temporary directory.
    explicit CLocalInstanceGuard(const QString& strName = QString::fromUtf8(kProductTitle),
                                 const QString& strDir = QString(), QObject* pParent = nullptr);
    ~CLocalInstanceGuard() override;

    EStart TryStart() override;
    void Release() override;

    QString LockPath() const;
    QString SocketPath() const;

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* pSocket);
    bool SignalRunningCopy();

    QString m_strName;
    QString m_strDir;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
};
