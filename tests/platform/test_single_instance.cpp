// One copy per user: the lock, the handshake that raises the running copy, and a dead owner's lock.
#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Dir() const { return m_dir.path(); }

    QTemporaryDir m_dir;
};

TEST_F(SingleInstanceTest, SecondStartRaisesTheFirstAndEnds) {
    CLocalInstanceGuard first(QStringLiteral("Vantro Roamdock"), Dir());
    ASSERT_EQ(first.TryStart(), CInstanceGuard::StartFirst);
    QSignalSpy spy(&first, &CInstanceGuard::bringToFront);

    CLocalInstanceGuard second(QStringLiteral("Vantro Roamdock"), Dir());
    EXPECT_EQ(second.TryStart(), CInstanceGuard::StartSignalled);
    // The first copy hears of it through its event loop.
    EXPECT_TRUE(spy.count() > 0 || spy.wait(10000));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(SingleInstanceTest, EverySecondStartRaisesAgain) {
    CLocalInstanceGuard first(QStringLiteral("Vantro Roamdock"), Dir());
    ASSERT_EQ(first.TryStart(), CInstanceGuard::StartFirst);
    QSignalSpy spy(&first, &CInstanceGuard::bringToFront);
    for (int i = 1; i <= 2; ++i) {
        CLocalInstanceGuard later(QStringLiteral("Vantro Roamdock"), Dir());
        EXPECT_EQ(later.TryStart(), CInstanceGuard::StartSignalled);
        while (spy.count() < i && spy.wait(10000)) {
        }
        EXPECT_EQ(spy.count(), i);
    }
}

TEST_F(SingleInstanceTest, NamesAndFoldersAreSeparateInstances) {
    QTemporaryDir otherDir;
    ASSERT_TRUE(otherDir.isValid());
    CLocalInstanceGuard first(QStringLiteral("Vantro Roamdock"), Dir());
    CLocalInstanceGuard otherName(QStringLiteral("Another Product"), Dir());
    CLocalInstanceGuard otherFolder(QStringLiteral("Vantro Roamdock"), otherDir.path());
    EXPECT_EQ(first.TryStart(), CInstanceGuard::StartFirst);
    EXPECT_EQ(otherName.TryStart(), CInstanceGuard::StartFirst);
    EXPECT_EQ(otherFolder.TryStart(), CInstanceGuard::StartFirst);
}

TEST_F(SingleInstanceTest, ReleasedLockLetsTheNextStartRun) {
    {
        CLocalInstanceGuard first(QStringLiteral("Vantro Roamdock"), Dir());
        ASSERT_EQ(first.TryStart(), CInstanceGuard::StartFirst);
    }
    CLocalInstanceGuard next(QStringLiteral("Vantro Roamdock"), Dir());
    EXPECT_EQ(next.TryStart(), CInstanceGuard::StartFirst);
    EXPECT_TRUE(QFile::exists(next.SocketPath()));
    next.Release();
    EXPECT_FALSE(QFile::exists(next.LockPath()));
    EXPECT_FALSE(QFile::exists(next.SocketPath()));
}

TEST_F(SingleInstanceTest, DeadOwnersLockAndSocketAreTakenOver) {
    // A lock and a socket file left behind by a copy that crashed: the pid is of a process that has ended.
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForStarted(10000));
    const qint64 nDeadPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished(10000));
    CLocalInstanceGuard probe(QStringLiteral("Vantro Roamdock"), Dir());
    QFile lock(probe.LockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    // QLockFile's own format: pid, application name, host name.
    lock.write(QByteArray::number(nDeadPid) + "\nroamdock\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    QFile socketFile(probe.SocketPath());
    ASSERT_TRUE(socketFile.open(QIODevice::WriteOnly));
    socketFile.close();

    CLocalInstanceGuard next(QStringLiteral("Vantro Roamdock"), Dir());
    ASSERT_EQ(next.TryStart(), CInstanceGuard::StartFirst);
    // And it listens on the socket path the stale file occupied.
    QSignalSpy spy(&next, &CInstanceGuard::bringToFront);
    CLocalInstanceGuard later(QStringLiteral("Vantro Roamdock"), Dir());
    EXPECT_EQ(later.TryStart(), CInstanceGuard::StartSignalled);
    EXPECT_TRUE(spy.count() > 0 || spy.wait(10000));
}

TEST_F(SingleInstanceTest, LiveOwnerWithoutSocketStillEndsTheSecondStart) {
    // The first copy is still starting (or showing its failure message) and not listening.
    QLockFile held(Dir() + "/Vantro Roamdock.lock");
    ASSERT_TRUE(held.tryLock(0));
    CLocalInstanceGuard second(QStringLiteral("Vantro Roamdock"), Dir());
    EXPECT_EQ(second.TryStart(), CInstanceGuard::StartSignalled);
}

TEST_F(SingleInstanceTest, LockThatCannotBeCreatedFails) {
    CLocalInstanceGuard guard(QStringLiteral("Vantro Roamdock"), Dir() + "/no/such/folder");
    EXPECT_EQ(guard.TryStart(), CInstanceGuard::StartFailed);
}

TEST_F(SingleInstanceTest, OtherMessagesDoNotRaise) {
    CLocalInstanceGuard first(QStringLiteral("Vantro Roamdock"), Dir());
    ASSERT_EQ(first.TryStart(), CInstanceGuard::StartFirst);
    QSignalSpy spy(&first, &CInstanceGuard::bringToFront);

    const QByteArray kMessages[] = {"1125\n", "11240\n", "x1124\n", QByteArray(500, '1'), "1124"};
    for (const QByteArray& message : kMessages) {
        QLocalSocket client;
        client.connectToServer(first.SocketPath());
        ASSERT_TRUE(client.waitForConnected(10000));
        client.write(message);
        ASSERT_TRUE(client.waitForBytesWritten(10000));
        client.disconnectFromServer();
    }
    // A proper message after them is still heard, and it is the only one.
    CLocalInstanceGuard later(QStringLiteral("Vantro Roamdock"), Dir());
    EXPECT_EQ(later.TryStart(), CInstanceGuard::StartSignalled);
    while (spy.count() < 1 && spy.wait(10000)) {
    }
    spy.wait(200); // let anything else that was queued arrive
    EXPECT_EQ(spy.count(), 1);
}

TEST(InstanceGuardDefaultsTest, NamedAfterTheTitle) {
    CLocalInstanceGuard guard;
    EXPECT_TRUE(guard.LockPath().endsWith("/Vantro Roamdock.lock"));
    EXPECT_TRUE(guard.SocketPath().endsWith("/Vantro Roamdock.socket"));
    EXPECT_FALSE(guard.LockPath().startsWith("/Vantro"));
}

} // namespace
