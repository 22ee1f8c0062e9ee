// My Storage over fake windows, mount tables and commands: what is closed and run, in which order, with
// the pauses between, and the share opened last on its own thread.
#include "app/storage_action.h"

#include "platform/command_runner.h"
#include "platform/desktop_windows.h"
#include "platform/mount_table.h"
#include "platform/url_opener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

/// Everything the action does, in order, as text: "close <id>", "run <argv>", "sleep <ms>", "open <url>".
class CEventLog {
public:
    void Add(const std::string& strEvent) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_vecEvents.push_back(strEvent);
        m_changed.notify_all();
    }
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_vecEvents;
    }
    /// Waits, with a generous deadline, until nCount events starting with strPrefix were logged.
    bool WaitFor(const std::string& strPrefix, size_t nCount = 1) {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::seconds(20), [&] {
            size_t n = 0;
            for (const std::string& strEvent : m_vecEvents)
                n += strEvent.rfind(strPrefix, 0) == 0 ? 1 : 0;
            return n >= nCount;
        });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_vecEvents;
};

class CFakeWindows : public CDesktopWindows {
public:
    explicit CFakeWindows(CEventLog& log) : m_log(log) {}
    std::vector<DesktopWindow> ListTopLevelWindows() override {
        ++m_nListCalls;
        return m_vecWindows;
    }
    void CloseWindow(uint64_t nId) override { m_log.Add("close " + std::to_string(nId)); }

    std::vector<DesktopWindow> m_vecWindows;
    int m_nListCalls = 0;

private:
    CEventLog& m_log;
};

class CFakeMounts : public CMountTable {
public:
    bool GvfsSmbLocations(QStringList& listLocations) override {
        ++m_nListCalls;
        listLocations = m_bGvfsListed ? m_listGvfs : QStringList();
        return m_bGvfsListed;
    }
    std::vector<KernelMount> KernelSmbMounts() override {
        ++m_nListCalls;
        return m_vecKernel;
    }

    QStringList m_listGvfs;
    bool m_bGvfsListed = true;
    std::vector<KernelMount> m_vecKernel;
    int m_nListCalls = 0;
};

class CLoggingRunner : public CCommandRunner {
public:
    explicit CLoggingRunner(CEventLog& log) : m_log(log) {}
    bool StartDetached(const QString& strProgram, const QStringList& listArgs) override {
        m_log.Add(("run " + (QStringList{strProgram} + listArgs).join(QLatin1Char('|'))).toStdString());
        return m_bStarts;
    }
    bool RunAndCapture(const QString& strProgram, const QStringList&, int, QByteArray&) override {
        m_log.Add("capture " + strProgram.toStdString());
        return false;
    }
    bool m_bStarts = true;

private:
    CEventLog& m_log;
};

class CLoggingOpener : public CUrlOpener {
public:
    explicit CLoggingOpener(CEventLog& log) : m_log(log) {}
    bool OpenUrl(const QString& strUrl) override {
        m_log.Add("open " + strUrl.toStdString());
        return true;
    }

private:
    CEventLog& m_log;
};

DesktopWindow Window(uint64_t nId, const char* szInstance, const char* szClass, const char* szTitle) {
    DesktopWindow wnd;
    wnd.nId = nId;
    wnd.strInstance = QString::fromUtf8(szInstance);
    wnd.strClass = QString::fromUtf8(szClass);
    wnd.strTitle = QString::fromUtf8(szTitle);
    return wnd;
}

KernelMount Mount(const char* szSource, const char* szPoint) {
    return {QString::fromUtf8(szSource), QString::fromUtf8(szPoint), QStringLiteral("cifs")};
}

class StorageActionTest : public ::testing::Test {
protected:
    StorageActionTest() : m_windows(m_log), m_runner(m_log), m_opener(m_log) {
        m_services.pWindows = &m_windows;
        m_services.pMounts = &m_mounts;
        m_services.pRunner = &m_runner;
        m_services.pOpener = &m_opener;
        m_services.fnSleep = [this](int nMs) { m_log.Add("sleep " + std::to_string(nMs)); };
    }

    /// Runs the action and waits for its share thread to open something.
    std::vector<std::string> RunAndWaitForOpen(const char* szAddress) {
        OpenDeviceStorage(QString::fromUtf8(szAddress), m_services);
        EXPECT_TRUE(m_log.WaitFor("open "));
        return m_log.Events();
    }

    CEventLog m_log;
    CFakeWindows m_windows;
    CFakeMounts m_mounts;
    CLoggingRunner m_runner;
    CLoggingOpener m_opener;
    StorageServices m_services;
};

TEST_F(StorageActionTest, ReleasesEverythingHeldTowardsTheDeviceThenOpensIt) {
    m_windows.m_vecWindows = {
        Window(11, "org.gnome.Nautilus", "org.gnome.Nautilus", "share on 10.0.0.2"),
        Window(12, "gedit", "Gedit", "notes on 10.0.0.2"),
        Window(13, "nemo", "Nemo", "docs on 10.0.0.3"),
        Window(14, "thunar", "Thunar", "user on 10.0.0.20 - File Manager"),
    };
    m_mounts.m_listGvfs = {"smb://10.0.0.2/share/", "smb://10.0.0.3/docs/",
                           "smb://WORKGROUP;user@10.0.0.20/user/"};
    m_mounts.m_vecKernel = {Mount("//10.0.0.9/backup", "/mnt/backup"),
                            Mount("//10.0.0.2/share", "/mnt/nas share")};

    const std::vector<std::string> vecExpected = {
        "close 11",
        "close 14",
        "run gio|mount|-u|smb://10.0.0.2/share/",
        "sleep 100",
        "run gio|mount|-u|smb://WORKGROUP;user@10.0.0.20/user/",
        "sleep 100",
        "run umount|/mnt/nas share",
        "sleep 100",
        "open smb://10.0.0.2/",
    };
    EXPECT_EQ(RunAndWaitForOpen("10.0.0.2"), vecExpected);
}

TEST_F(StorageActionTest, NothingHeldOpensAtOnce) {
    m_mounts.m_listGvfs = {"smb://10.0.0.3/docs/"};
    m_mounts.m_vecKernel = {Mount("//10.0.0.9/backup", "/mnt/backup")};
    EXPECT_EQ(RunAndWaitForOpen("192.168.1.5"), std::vector<std::string>{"open smb://192.168.1.5/"});
}

TEST_F(StorageActionTest, KernelMountsAreReleasedLastMountedFirst) {
    m_mounts.m_vecKernel = {Mount("//10.0.0.2/share", "/mnt/share"), Mount("//10.0.0.9/x", "/mnt/x"),
                            Mount("//10.0.0.2/share/sub", "/mnt/share/sub")};
    const std::vector<std::string> vecExpected = {
        "run umount|/mnt/share/sub", "sleep 100", "run umount|/mnt/share", "sleep 100",
        "open smb://10.0.0.2/",
    };
    EXPECT_EQ(RunAndWaitForOpen("10.0.0.2"), vecExpected);
}

TEST_F(StorageActionTest, UnlistableGvfsMountsStillLeaveTheOtherSteps) {
    m_mounts.m_bGvfsListed = false;
    m_mounts.m_vecKernel = {Mount("//10.0.0.2/share", "/mnt/share")};
    EXPECT_FALSE(DisconnectNetConnections("10.0.0.2", m_services));
    const std::vector<std::string> vecExpected = {"run umount|/mnt/share", "sleep 100",
                                                  "open smb://10.0.0.2/"};
    EXPECT_EQ(RunAndWaitForOpen("10.0.0.2"), vecExpected);
}

TEST_F(StorageActionTest, FailedCommandsAreIgnoredAndStillSpaced) {
    m_runner.m_bStarts = false;
    m_mounts.m_listGvfs = {"smb://10.0.0.2/a/", "smb://10.0.0.2/b/"};
    const std::vector<std::string> vecExpected = {
        "run gio|mount|-u|smb://10.0.0.2/a/",
        "sleep 100",
        "run gio|mount|-u|smb://10.0.0.2/b/",
        "sleep 100",
        "open smb://10.0.0.2/",
    };
    EXPECT_EQ(RunAndWaitForOpen("10.0.0.2"), vecExpected);
}

TEST_F(StorageActionTest, SecondClickRunsEveryStepAgain) {
    m_windows.m_vecWindows = {Window(21, "nautilus", "Nautilus", "10.0.0.2")};
    OpenDeviceStorage("10.0.0.2", m_services);
    OpenDeviceStorage("10.0.0.2", m_services);
    ASSERT_TRUE(m_log.WaitFor("open ", 2));
    std::vector<std::string> vecEvents = m_log.Events();
    EXPECT_EQ(std::count(vecEvents.begin(), vecEvents.end(), "close 21"), 2);
    EXPECT_EQ(std::count(vecEvents.begin(), vecEvents.end(), "open smb://10.0.0.2/"), 2);
}

// ---- addresses that are not plain IPv4 never reach a window, a command or the opener

class StorageActionRefusalTest : public StorageActionTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(StorageActionRefusalTest, DoesNothingAtAll) {
    m_windows.m_vecWindows = {Window(31, "nautilus", "Nautilus", GetParam())};
    m_mounts.m_listGvfs = {QStringLiteral("smb://") + QString::fromUtf8(GetParam()) + "/share/"};
    m_mounts.m_vecKernel = {Mount("//10.0.0.2/share", "/mnt/share")};
    {
        std::lock_guard<std::mutex> guard(GetShareManager().lock);
        GetShareManager().strSharePath = "untouched";
    }
    OpenDeviceStorage(QString::fromUtf8(GetParam()), m_services);
    EXPECT_EQ(m_windows.m_nListCalls, 0);
    EXPECT_EQ(m_mounts.m_nListCalls, 0);
    EXPECT_TRUE(m_log.Events().empty());
    // No share thread was started: the path it would open was never written.
    std::lock_guard<std::mutex> guard(GetShareManager().lock);
    EXPECT_EQ(GetShareManager().strSharePath, "untouched");
}

INSTANTIATE_TEST_SUITE_P(Table, StorageActionRefusalTest,
                         ::testing::Values("10.0.0.2; rm -rf ~", "", "1.2.3", "256.1.1.1", "10.0.0.2/share",
                                           "-u", "10.0.0.2 ", "010.0.0.2"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string strName;
                             for (const char* p = info.param; *p; ++p)
                                 strName += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return std::to_string(info.index) + "_" + strName;
                         });

TEST(StorageServicesTest, DefaultServicesAreComplete) {
    const StorageServices services = DefaultStorageServices();
    EXPECT_NE(services.pWindows, nullptr);
    EXPECT_NE(services.pMounts, nullptr);
    EXPECT_NE(services.pRunner, nullptr);
    EXPECT_NE(services.pOpener, nullptr);
    EXPECT_TRUE(static_cast<bool>(services.fnSleep));
}

} // namespace
