// Which desktop windows My Storage closes, and the X11 listing and closing under a private Xvfb.
#include "platform/desktop_windows.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

// ---- the matching rule

struct MatchCase {
    const char* szName;
    const char* szInstance;
    const char* szClass;
    const char* szTitle;
    const char* szText;
    bool bCloses;
};

class FileManagerMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(FileManagerMatchTest, ClosesOnlyFileManagersShowingTheText) {
    const MatchCase& c = GetParam();
    DesktopWindow wnd;
    wnd.nId = 7;
    wnd.strInstance = QString::fromUtf8(c.szInstance);
    wnd.strClass = QString::fromUtf8(c.szClass);
    wnd.strTitle = QString::fromUtf8(c.szTitle);
    EXPECT_EQ(FileManagerWindowShows(wnd, QString::fromUtf8(c.szText)), c.bCloses);
}

const MatchCase kMatchCases[] = {
    {"Nautilus", "org.gnome.Nautilus", "org.gnome.Nautilus", "share on 10.0.0.2", "10.0.0.2", true},
    {"NautilusOldClass", "nautilus", "Nautilus", "10.0.0.2", "10.0.0.2", true},
    {"Nemo", "nemo", "Nemo", "share on 10.0.0.2", "10.0.0.2", true},
    {"Caja", "caja", "Caja", "10.0.0.2", "10.0.0.2", true},
    {"Thunar", "thunar", "Thunar", "share on 10.0.0.2 - File Manager", "10.0.0.2", true},
    {"Dolphin", "dolphin", "dolphin", "share on 10.0.0.2 \xE2\x80\x94 Dolphin", "10.0.0.2", true},
    {"PcmanfmUpper", "PCMANFM", "PCManFM", "10.0.0.2", "10.0.0.2", true},
    {"MatchOnInstanceOnly", "nemo", "SomethingElse", "10.0.0.2", "10.0.0.2", true},
    {"MatchOnClassOnly", "", "Thunar", "10.0.0.2", "10.0.0.2", true},
    {"LongerAddressAlsoMatches", "nautilus", "Nautilus", "share on 10.0.0.20", "10.0.0.2", true},
    {"OtherHost", "nautilus", "Nautilus", "share on 10.0.0.3", "10.0.0.2", false},
    {"NotAFileManager", "gedit", "Gedit", "notes about 10.0.0.2", "10.0.0.2", false},
    {"BrowserShowingDevice", "Navigator", "firefox", "http://10.0.0.2/ - Mozilla Firefox", "10.0.0.2", false},
    {"ClassOnlyContainsName", "nautilus-helper", "NautilusHelper", "10.0.0.2", "10.0.0.2", false},
    {"NoClass", "", "", "10.0.0.2", "10.0.0.2", false},
    {"EmptyText", "nautilus", "Nautilus", "Home", "", false},
};

INSTANTIATE_TEST_SUITE_P(Table, FileManagerMatchTest, ::testing::ValuesIn(kMatchCases),
                         [](const ::testing::TestParamInfo<MatchCase>& info) { return info.param.szName; });

// ---- without a display nothing is listed or closed

TEST(X11WithoutDisplayTest, UnreachableDisplayListsNothing) {
    CX11DesktopWindows windows(QStringLiteral(":4242"));
    EXPECT_TRUE(windows.ListTopLevelWindows().empty());
    windows.CloseWindow(1); // must return quietly
}

TEST(X11WithoutDisplayTest, UnsetDisplayListsNothing) {
    const bool bHad = qEnvironmentVariableIsSet("DISPLAY");
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    CX11DesktopWindows windows;
    EXPECT_TRUE(windows.ListTopLevelWindows().empty());
    if (bHad)
        qputenv("DISPLAY", saved);
}

// ---- a private X server: the test plays the window manager, setting _NET_CLIENT_LIST itself and taking
// the root window's redirect so that it receives what is sent to the window manager.

class XvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char szXvfb[] = "Xvfb", szFd[] = "-displayfd", sz3[] = "3", szNoListen[] = "-nolisten",
             szTcp[] = "tcp", szScreen[] = "-screen", sz0[] = "0", szSize[] = "320x240x24";
        char* argv[] = {szXvfb, szFd, sz3, szNoListen, szTcp, szScreen, sz0, szSize, nullptr};
        const int nSpawn = posix_spawnp(&s_nPid, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (nSpawn != 0) {
            s_nPid = 0;
            close(fds[0]);
            return;
        }
        // Xvfb writes the display number it chose once it accepts clients.
        std::string strNumber;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd pfd{fds[0], POLLIN, 0};
            if (poll(&pfd, 1, 200) <= 0)
                continue;
            char ch = 0;
            if (read(fds[0], &ch, 1) != 1 || ch == '\n')
                break;
            strNumber += ch;
        }
        close(fds[0]);
        if (!strNumber.empty())
            s_strDisplay = ":" + strNumber;
    }

    static void TearDownTestSuite() {
        if (s_nPid > 0) {
            kill(s_nPid, SIGTERM);
            waitpid(s_nPid, nullptr, 0);
            s_nPid = 0;
        }
    }

    void SetUp() override {
        if (s_strDisplay.empty())
            GTEST_SKIP() << "Xvfb could not be started";
        m_pDisplay = XOpenDisplay(s_strDisplay.c_str());
        ASSERT_NE(m_pDisplay, nullptr);
        m_root = DefaultRootWindow(m_pDisplay);
    }

    void TearDown() override {
        if (!m_pDisplay)
            return;
        XDeleteProperty(m_pDisplay, m_root, Intern("_NET_CLIENT_LIST"));
        XCloseDisplay(m_pDisplay);
    }

    Atom Intern(const char* szName) { return XInternAtom(m_pDisplay, szName, False); }

    Window MakeWindow(const char* szInstance, const char* szClass) {
        const Window wnd = XCreateSimpleWindow(m_pDisplay, m_root, 0, 0, 10, 10, 0, 0, 0);
        if (szInstance) {
            XClassHint hint{};
            std::string strInstance = szInstance, strClass = szClass;
            hint.res_name = strInstance.data();
            hint.res_class = strClass.data();
            XSetClassHint(m_pDisplay, wnd, &hint);
        }
        return wnd;
    }

    void SetNetWmName(Window wnd, const char* szUtf8) {
        XChangeProperty(m_pDisplay, wnd, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(szUtf8), static_cast<int>(strlen(szUtf8)));
    }

    void SetClientList(const std::vector<Window>& vecWindows) {
        std::vector<long> vecIds(vecWindows.begin(), vecWindows.end());
        XChangeProperty(m_pDisplay, m_root, Intern("_NET_CLIENT_LIST"), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(vecIds.data()),
                        static_cast<int>(vecIds.size()));
        XSync(m_pDisplay, False);
    }

    CX11DesktopWindows Windows() const { return CX11DesktopWindows(QString::fromStdString(s_strDisplay)); }

    static pid_t s_nPid;
    static std::string s_strDisplay;
    Display* m_pDisplay = nullptr;
    Window m_root = 0;
};

pid_t XvfbTest::s_nPid = 0;
std::string XvfbTest::s_strDisplay;

TEST_F(XvfbTest, ListsClientWindowsWithClassAndTitle) {
    const Window nautilus = MakeWindow("org.gnome.Nautilus", "org.gnome.Nautilus");
    SetNetWmName(nautilus, "share on 10.0.0.2 \xE2\x80\x93 \xE6\x96\x87\xE4\xBB\xB6");
    XStoreName(m_pDisplay, nautilus, "legacy title");
    const Window dolphin = MakeWindow("dolphin", "Dolphin");
    XStoreName(m_pDisplay, dolphin, "Caf\xE9 10.0.0.3 - Dolphin"); // STRING is Latin-1
    const Window untitled = MakeWindow(nullptr, nullptr);
    const Window gone = MakeWindow("nemo", "Nemo");
    MakeWindow("thunar", "Thunar"); // not a client: left out of the list
    XDestroyWindow(m_pDisplay, gone);
    SetClientList({nautilus, gone, dolphin, untitled});

    CX11DesktopWindows windows = Windows();
    const std::vector<DesktopWindow> vecWindows = windows.ListTopLevelWindows();
    ASSERT_EQ(vecWindows.size(), 4u);
    EXPECT_EQ(vecWindows[0].nId, nautilus);
    EXPECT_EQ(vecWindows[0].strInstance, "org.gnome.Nautilus");
    EXPECT_EQ(vecWindows[0].strTitle,
              QString::fromUtf8("share on 10.0.0.2 \xE2\x80\x93 \xE6\x96\x87\xE4\xBB\xB6"));
    // A window destroyed meanwhile reads as empty instead of ending the process.
    EXPECT_EQ(vecWindows[1].nId, gone);
    EXPECT_TRUE(vecWindows[1].strClass.isEmpty());
    EXPECT_TRUE(vecWindows[1].strTitle.isEmpty());
    EXPECT_EQ(vecWindows[2].strInstance, "dolphin");
    EXPECT_EQ(vecWindows[2].strClass, "Dolphin");
    EXPECT_EQ(vecWindows[2].strTitle, QString::fromUtf8("Caf\xC3\xA9 10.0.0.3 - Dolphin"));
    EXPECT_TRUE(vecWindows[3].strClass.isEmpty());
    EXPECT_TRUE(vecWindows[3].strTitle.isEmpty());
}

TEST_F(XvfbTest, WithoutClientListNothingIsListed) {
    MakeWindow("nautilus", "Nautilus");
    XSync(m_pDisplay, False);
    CX11DesktopWindows windows = Windows();
    EXPECT_TRUE(windows.ListTopLevelWindows().empty());
}

TEST_F(XvfbTest, CloseSendsNetCloseWindowToTheRoot) {
    const Window target = MakeWindow("nautilus", "Nautilus");
    XSelectInput(m_pDisplay, m_root, SubstructureRedirectMask);
    XSync(m_pDisplay, False);

    CX11DesktopWindows windows = Windows();
    windows.CloseWindow(target);

    bool bReceived = false;
    XEvent event{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!bReceived && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(m_pDisplay)) {
            pollfd pfd{ConnectionNumber(m_pDisplay), POLLIN, 0};
            poll(&pfd, 1, 100);
            continue;
        }
        XNextEvent(m_pDisplay, &event);
        bReceived = event.type == ClientMessage;
    }
    ASSERT_TRUE(bReceived);
    EXPECT_EQ(event.xclient.message_type, Intern("_NET_CLOSE_WINDOW"));
    EXPECT_EQ(event.xclient.window, target);
    EXPECT_EQ(event.xclient.format, 32);
    EXPECT_EQ(event.xclient.data.l[1], 2); // a request on the user's behalf
    XSelectInput(m_pDisplay, m_root, NoEventMask);
}

} // namespace
