// Starting programs without a shell: detached, and run with captured output under a bounded wait.
#include "platform/command_runner.h"
#include "platform/url_opener.h"

#include "tests/platform/fake_command_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

/// Waits, with a generous deadline, for a file a detached program writes.
bool WaitForFile(const QString& strPath) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (QFileInfo::exists(strPath))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ProcessCommandRunnerTest, CaptureKeepsArgumentsWhole) {
    CProcessCommandRunner runner;
    QByteArray output;
    // Shell syntax in an argument is passed on as text, never expanded.
    ASSERT_TRUE(runner.RunAndCapture("printf", {"[%s][%s]", "a b; echo x", "$(id)"}, 10000, output));
    EXPECT_EQ(output, QByteArray("[a b; echo x][$(id)]"));
}

TEST(ProcessCommandRunnerTest, CaptureFailsOnNonZeroExit) {
    CProcessCommandRunner runner;
    QByteArray output = "stale";
    EXPECT_FALSE(runner.RunAndCapture("false", {}, 10000, output));
    EXPECT_TRUE(output.isEmpty());
}

TEST(ProcessCommandRunnerTest, CaptureFailsForMissingProgram) {
    CProcessCommandRunner runner;
    QByteArray output;
    EXPECT_FALSE(runner.RunAndCapture("roamdock-no-such-program", {}, 10000, output));
}

TEST(ProcessCommandRunnerTest, CaptureGivesUpOnAHangingProgram) {
    CProcessCommandRunner runner;
    QByteArray output;
    EXPECT_FALSE(runner.RunAndCapture("sleep", {"30"}, 200, output));
}

TEST(ProcessCommandRunnerTest, CaptureGetsNoStandardInput) {
    CProcessCommandRunner runner;
    QByteArray output;
    // cat would wait forever on an inherited terminal; on /dev/null it ends at once with nothing.
    ASSERT_TRUE(runner.RunAndCapture("cat", {}, 10000, output));
    EXPECT_TRUE(output.isEmpty());
}

TEST(ProcessCommandRunnerTest, DetachedStartRunsWithoutShell) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CProcessCommandRunner runner;
    const QString strOdd = dir.filePath("a b;touch c");
    ASSERT_TRUE(runner.StartDetached("touch", {strOdd}));
    ASSERT_TRUE(WaitForFile(strOdd));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("c")));
}

TEST(ProcessCommandRunnerTest, DetachedStartHasNullStreamsAndOwnSession) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CProcessCommandRunner runner;
    const QString strOut = dir.filePath("streams");
    // The shell reports its own descriptors and session before it redirects anything.
    const QString strScript =
        QStringLiteral("i=$(readlink /proc/$$/fd/0); o=$(readlink /proc/$$/fd/1); "
                       "e=$(readlink /proc/$$/fd/2); s=$(ps -o sid= -p $$ | tr -d ' '); "
                       "[ \"$s\" != \"$2\" ] && n=own || n=shared; "
                       "printf '%s %s %s %s' \"$i\" \"$o\" \"$e\" \"$n\" > \"$1.tmp\"; "
                       "mv \"$1.tmp\" \"$1\"");
    ASSERT_TRUE(runner.StartDetached("sh", {"-c", strScript, "sh", strOut, QString::number(getsid(0))}));
    ASSERT_TRUE(WaitForFile(strOut));
    QFile file(strOut);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("/dev/null /dev/null /dev/null own"));
}

TEST(ProcessCommandRunnerTest, DetachedStartOfMissingProgramFails) {
    CProcessCommandRunner runner;
    EXPECT_FALSE(runner.StartDetached("roamdock-no-such-program", {}));
}

// ---- the URL opener's command line

TEST(XdgUrlOpenerTest, StartsXdgOpenWithTheUrlAsOneArgument) {
    CRecordingCommandRunner runner;
    CXdgUrlOpener opener(runner);
    EXPECT_TRUE(opener.OpenUrl("smb://10.0.0.2/"));
    const auto vecCalls = runner.Calls();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_TRUE(vecCalls[0].bDetached);
    EXPECT_EQ(vecCalls[0].listArgv, (QStringList{"xdg-open", "smb://10.0.0.2/"}));
}

TEST(XdgUrlOpenerTest, RefusesWhatXdgOpenWouldReadAsAnOption) {
    CRecordingCommandRunner runner;
    CXdgUrlOpener opener(runner);
    EXPECT_FALSE(opener.OpenUrl("--manual"));
    EXPECT_FALSE(opener.OpenUrl(""));
    EXPECT_TRUE(runner.Calls().empty());
}

TEST(XdgUrlOpenerTest, ReportsAFailedStart) {
    CRecordingCommandRunner runner;
    runner.m_bStartResult = false;
    CXdgUrlOpener opener(runner);
    EXPECT_FALSE(opener.OpenUrl("http://10.0.0.2"));
}

} // namespace
