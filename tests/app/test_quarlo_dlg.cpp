// The main dialog against a live engine in a private network with two simulated devices:
// the countdown, the list filling newest first, the buttons' states, Log In and My Storage, closing.
// The countdown is driven by calling OnTimer; the real timer is given a period that never fires.

#include "app/device_store.h"
#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"
#include "controls/buttons.h"
#include "controls/list_ctrls.h"
#include "controls/text_ctrls.h"
#include "discovery/engine.h"
#include "platform/url_opener.h"
#include "tests/support/netns.h"
#include "tests/support/recording_url_opener.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr int kNeverFires = 24 * 3600 * 1000;
const char* const kDeviceAddresses[] = {"10.0.0.21", "10.0.0.22"};

/// Every report the engine delivers, by address, with the ports of the workers that reported it.
std::mutex g_reportsLock;
std::map<std::string, std::set<int>> g_reportPorts;

int RecordingFindDevice(const DeviceRecord* record, int nPort) {
    {
        std::lock_guard<std::mutex> lock(g_reportsLock);
        g_reportPorts[std::string(record->ip, strnlen(record->ip, sizeof(record->ip)))].insert(nPort);
    }
    return OnStoreFindDevice(record, nPort);
}

/// The network, the simulated devices, the data folder and the engine: made once per process,
/// because the engine's workers live as long as the process.
class CDialogEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!NetnsAvailable(m_strSkip))
            return;
        m_pNetwork = std::make_unique<CTestNetwork>("appdlg");
        const int nLink = m_pNetwork->AddLink("10.0.0.5/24");
        ASSERT_GE(nLink, 0) << m_pNetwork->Error();
        ASSERT_TRUE(m_dataRoot.isValid());
        for (const char* pszAddress : kDeviceAddresses) {
            const std::string strNs = m_pNetwork->AddDevice(nLink, std::string(pszAddress) + "/24");
            ASSERT_FALSE(strNs.empty()) << m_pNetwork->Error();
            const std::string strSuffix =
                std::string(pszAddress).substr(std::string(pszAddress).rfind('.') + 1);
            const std::string strFile =
                m_dataRoot.filePath(QString::fromStdString("dev" + strSuffix)).toStdString();
            std::ofstream(strFile) << "id=DEV" << strSuffix << " host=vantro-" << strSuffix
                                   << " vendor=VANTRO product=RD-" << strSuffix << " type=1\n";
            m_devices.push_back(m_pNetwork->Start(strNs, {ROAMDOCK_DEVSIM, "--devices", strFile}));
            ASSERT_TRUE(m_devices.back().WaitForLine("ready", 10s)) << m_devices.back().Output();
        }
        ASSERT_TRUE(m_pNetwork->EnterHost()) << m_pNetwork->Error();

        qputenv("XDG_DATA_HOME", m_dataRoot.path().toLocal8Bit());
        qputenv("LC_ALL", "en_US.UTF-8");
        int argc = 1;
        char szName[] = "test_quarlo_dlg";
        char* argv[] = {szName, nullptr};
        CQuarloApp app(argc, argv);
        ASSERT_TRUE(app.PrepareDataFolder());

        StartDeviceStore(GetDeviceStore());
        // Before the first search, so no worker is reading it yet.
        g_pfnFindDevice = RecordingFindDevice;
        m_bReady = true;
    }

    void TearDown() override {
        if (m_bReady)
            ExitSearchDevice();
        for (CNetnsProcess& device : m_devices)
            device.Stop();
        m_devices.clear();
        m_pNetwork.reset();
    }

    bool m_bReady = false;
    std::string m_strSkip;
    QTemporaryDir m_dataRoot;
    std::unique_ptr<CTestNetwork> m_pNetwork;
    std::vector<CNetnsProcess> m_devices;
};

CDialogEnvironment* const g_pEnvironment =
    static_cast<CDialogEnvironment*>(::testing::AddGlobalTestEnvironment(new CDialogEnvironment));

DeviceRecord MakeDevice(const char* pszId, const char* pszIP, int nType = 1) {
    DeviceRecord device;
    std::memset(&device, 0, sizeof(device));
    std::snprintf(device.id, sizeof(device.id), "%s", pszId);
    std::snprintf(device.ip, sizeof(device.ip), "%s", pszIP);
    std::snprintf(device.host, sizeof(device.host), "host-%s", pszId);
    std::snprintf(device.product, sizeof(device.product), "RD-X");
    std::snprintf(device.vendor, sizeof(device.vendor), "VANTRO");
    device.type = nType;
    return device;
}

/// As a discovery worker would hand it over.
void Report(const DeviceRecord& device) {
    std::lock_guard<std::mutex> lock(g_findDeviceMutex);
    OnStoreFindDevice(&device, 0);
}

QStringList StoreAddresses() {
    QStringList list;
    for (const DeviceRecord& device : CopyDevices(GetDeviceStore()))
        list << QString::fromLocal8Bit(device.ip,
                                       static_cast<qsizetype>(strnlen(device.ip, sizeof(device.ip))));
    return list;
}

class QuarloDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!g_pEnvironment->m_strSkip.empty())
            GTEST_SKIP() << "needs a private network: " << g_pEnvironment->m_strSkip;
        ASSERT_TRUE(g_pEnvironment->m_bReady) << "the test network could not be set up";
        m_pDlg = std::make_unique<CQuarloDlg>();
        m_pDlg->SetSearchTimerPeriod(kNeverFires);
        m_pDlg->SetUrlOpener(&m_opener);
    }

    /// Shows the dialog, which loads the layout and starts the first search.
    void ShowDialog() {
        m_pDlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pDlg.get()));
        ASSERT_TRUE(m_pDlg->AreControlsReady());
    }

    CStandardListCtrl* List() const {
        return qobject_cast<CStandardListCtrl*>(m_pDlg->FindListCtrl(IDC_DEVICE_LIST));
    }
    QWidget* Button(int nCtrlID) const { return m_pDlg->FindButtonCtrl(nCtrlID); }
    QWidget* Status() const { return m_pDlg->FindStaticCtrl(IDC_SEARCH_STATUS); }
    QString StatusText() const {
        auto* pFrame = dynamic_cast<CBasicPropertyFrame*>(Status());
        return pFrame && pFrame->m_strCaption ? *pFrame->m_strCaption : QString();
    }

    QStringList RowAddresses() const {
        QStringList list;
        for (int nRow = 0; nRow < List()->topLevelItemCount(); ++nRow)
            list << List()->topLevelItem(nRow)->text(DEVICE_COLUMN_IP);
        return list;
    }

    /// Waits until both simulated devices are in the store; the countdown gives them ten seconds.
    void WaitForDevices() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            const QStringList stored = StoreAddresses();
            if (stored.contains(kDeviceAddresses[0]) && stored.contains(kDeviceAddresses[1]))
                return;
            std::this_thread::sleep_for(20ms);
        }
        FAIL() << "the simulated devices were not found; store holds: "
               << StoreAddresses().join(", ").toStdString();
    }

    void ClickRow(int nRow) {
        QTreeWidgetItem* pItem = List()->topLevelItem(nRow);
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(pItem).center());
    }
    void DoubleClickRow(int nRow) {
        QTreeWidgetItem* pItem = List()->topLevelItem(nRow);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(pItem).center());
    }
    void ClickEmptySpace() {
        const QRect rcView = List()->viewport()->rect();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(20, rcView.bottom() - 3));
    }
    int RowOf(const QString& strIP) const { return static_cast<int>(RowAddresses().indexOf(strIP)); }

    /// Runs the rest of the countdown up to and including its last tick.
    void FinishSearch() {
        while (m_pDlg->IsSearchTimerActive())
            m_pDlg->OnTimer(SEARCH_TIMER_ID);
    }

    CRecordingUrlOpener m_opener;
    std::unique_ptr<CQuarloDlg> m_pDlg;
};

TEST_F(QuarloDlgTest, StartsEmptyAndFillsDuringTheCountdown) {
    ShowDialog();
    EXPECT_EQ(List()->topLevelItemCount(), 0) << "the first Refresh empties what the store held";
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Vantro Roamdock"));

    WaitForDevices();
    EXPECT_EQ(List()->topLevelItemCount(), 0) << "rows appear only at a countdown tick";
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    QStringList newestFirst = StoreAddresses();
    std::reverse(newestFirst.begin(), newestFirst.end());
    EXPECT_EQ(RowAddresses(), newestFirst);
    const QTreeWidgetItem* pFirst = List()->topLevelItem(0);
    EXPECT_EQ(pFirst->text(DEVICE_COLUMN_NAME), "vantro-" + pFirst->text(DEVICE_COLUMN_IP).section('.', 3));
    EXPECT_EQ(pFirst->text(DEVICE_COLUMN_TYPE), "RD-" + pFirst->text(DEVICE_COLUMN_IP).section('.', 3));
}

TEST_F(QuarloDlgTest, CountsTenToOneAndHidesTheStatusAtTheTenthTick) {
    ShowDialog();
    const QString strWait = QStringLiteral("Searching new devices,please wait");
    EXPECT_EQ(StatusText(), strWait + " 10s...");
    EXPECT_TRUE(Status()->isVisible());
    EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled()) << "Refresh is disabled during the search";
    EXPECT_FALSE(Button(IDC_LOGIN_BUTTON)->isEnabled());
    EXPECT_FALSE(Button(IDC_STORAGE_BUTTON)->isEnabled());
    EXPECT_TRUE(Button(IDC_CLOSE_BUTTON)->isEnabled());

    m_pDlg->OnTimer(SEARCH_TIMER_ID + 1);
    EXPECT_EQ(StatusText(), strWait + " 10s...") << "another timer id is not a tick";

    for (int nTick = 1; nTick <= 9; ++nTick) {
        m_pDlg->OnTimer(SEARCH_TIMER_ID);
        EXPECT_EQ(StatusText(), QStringLiteral("%1 %2s...").arg(strWait).arg(10 - nTick)) << "tick " << nTick;
        EXPECT_TRUE(Status()->isVisible()) << "tick " << nTick;
        EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled()) << "tick " << nTick;
        EXPECT_TRUE(m_pDlg->IsSearchTimerActive()) << "tick " << nTick;
    }
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    EXPECT_FALSE(Status()->isVisible());
    EXPECT_TRUE(Button(IDC_REFRESH_BUTTON)->isEnabled());
    EXPECT_FALSE(m_pDlg->IsSearchTimerActive());
    EXPECT_EQ(m_pDlg->GetTick(), 1);
}

TEST_F(QuarloDlgTest, ListsNewestFirstWhenFillingAndWhenAdding) {
    ShowDialog();
    WaitForDevices();
    Report(MakeDevice("A", "10.0.0.101"));
    Report(MakeDevice("B", "10.0.0.102"));
    Report(MakeDevice("C", "10.0.0.103"));
    m_pDlg->OnTimer(SEARCH_TIMER_ID); // fills the empty list
    QStringList expected = StoreAddresses();
    std::reverse(expected.begin(), expected.end());
    ASSERT_EQ(RowAddresses(), expected);
    EXPECT_EQ(RowAddresses().mid(0, 3), (QStringList{"10.0.0.103", "10.0.0.102", "10.0.0.101"}));

    Report(MakeDevice("D", "10.0.0.104"));
    Report(MakeDevice("E", "10.0.0.105"));
    m_pDlg->OnTimer(SEARCH_TIMER_ID); // adds to the rows it has
    EXPECT_EQ(RowAddresses(), QStringList({"10.0.0.105", "10.0.0.104"}) + expected);
}

TEST_F(QuarloDlgTest, ADeviceReportedByTwoWorkersIsListedOnce) {
    ShowDialog();
    WaitForDevices();
    // Every worker's answers have arrived well within the search's ten seconds.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    auto reportedTwice = [] {
        std::lock_guard<std::mutex> lock(g_reportsLock);
        const auto it = g_reportPorts.find(kDeviceAddresses[0]);
        return it != g_reportPorts.end() && it->second.size() >= 2;
    };
    while (!reportedTwice() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(reportedTwice()) << "the device should answer more than one worker";

    for (int nTick = 0; nTick < 3; ++nTick)
        m_pDlg->OnTimer(SEARCH_TIMER_ID);
    const QStringList rows = RowAddresses();
    EXPECT_EQ(rows.count(kDeviceAddresses[0]), 1);
    EXPECT_EQ(rows.count(kDeviceAddresses[1]), 1);
    EXPECT_EQ(QSet<QString>(rows.begin(), rows.end()).size(), rows.size());
}

TEST_F(QuarloDlgTest, ADeviceThatSaysGoodbyeKeepsItsRowUntilTheNextRefresh) {
    ShowDialog();
    WaitForDevices();
    Report(MakeDevice("BYE", "10.0.0.120"));
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    ASSERT_GE(RowOf("10.0.0.120"), 0);

    Report(MakeDevice("BYE", "10.0.0.120", 4));
    ASSERT_FALSE(StoreAddresses().contains("10.0.0.120")) << "the store drops the device at once";
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    EXPECT_GE(RowOf("10.0.0.120"), 0) << "the row stays while the search runs";
    FinishSearch();
    EXPECT_GE(RowOf("10.0.0.120"), 0) << "and after it";

    m_pDlg->OnRefresh();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    WaitForDevices();
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    EXPECT_EQ(RowOf("10.0.0.120"), -1);
    EXPECT_GE(RowOf(kDeviceAddresses[0]), 0);
}

TEST_F(QuarloDlgTest, AClickOnARowEnablesLogInAndMyStorageAClickOnEmptySpaceDisablesThem) {
    ShowDialog();
    WaitForDevices();
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    ASSERT_EQ(List()->topLevelItemCount(), 2);

    ClickRow(1);
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 1);
    EXPECT_TRUE(Button(IDC_LOGIN_BUTTON)->isEnabled());
    EXPECT_TRUE(Button(IDC_STORAGE_BUTTON)->isEnabled());
    EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled()) << "the search still runs";

    ClickEmptySpace();
    EXPECT_EQ(m_pDlg->GetSelectedRow(), -1);
    EXPECT_FALSE(Button(IDC_LOGIN_BUTTON)->isEnabled());
    EXPECT_FALSE(Button(IDC_STORAGE_BUTTON)->isEnabled());

    ClickRow(0);
    FinishSearch();
    EXPECT_TRUE(Button(IDC_LOGIN_BUTTON)->isEnabled()) << "the end of the search leaves them as they were";
    EXPECT_TRUE(Button(IDC_REFRESH_BUTTON)->isEnabled());
    QTest::mouseClick(Button(IDC_REFRESH_BUTTON), Qt::LeftButton);
    EXPECT_FALSE(Button(IDC_LOGIN_BUTTON)->isEnabled()) << "Refresh empties the list";
    EXPECT_FALSE(Button(IDC_STORAGE_BUTTON)->isEnabled());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
}

enum class OpenAction { DoubleClickRow, LogInButton, MyStorageButton };
struct OpenCase {
    const char* pszName;
    OpenAction action;
    const char* pszAddress;  ///< the row's address text
    const char* pszExpected; ///< what reaches the URL opener; null: nothing may
};

class QuarloDlgOpenTest : public QuarloDlgTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(QuarloDlgOpenTest, OpensOnlyTheSelectedRowsAddress) {
    const OpenCase& test = GetParam();
    ShowDialog();
    StorageServices services; // no windows to close, no mounts to release
    services.pOpener = &m_opener;
    services.fnSleep = [](int) {};
    m_pDlg->SetStorageServices(services);

    Report(MakeDevice("OPEN1", "10.0.0.150"));
    Report(MakeDevice("OPEN2", test.pszAddress));
    Report(MakeDevice("OPEN3", "10.0.0.160"));
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    const int nRow = RowOf(QString::fromUtf8(test.pszAddress));
    ASSERT_GE(nRow, 0);

    switch (test.action) {
    case OpenAction::DoubleClickRow:
        DoubleClickRow(nRow);
        break;
    case OpenAction::LogInButton:
        ClickRow(nRow);
        QTest::mouseClick(Button(IDC_LOGIN_BUTTON), Qt::LeftButton);
        break;
    case OpenAction::MyStorageButton:
        ClickRow(nRow);
        QTest::mouseClick(Button(IDC_STORAGE_BUTTON), Qt::LeftButton);
        break;
    }
    ASSERT_EQ(m_pDlg->GetSelectedRow(), nRow);
    if (test.pszExpected) {
        // My Storage opens from a thread of its own.
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (m_opener.Urls().isEmpty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(m_opener.Urls(), QStringList{QString::fromUtf8(test.pszExpected)});
    } else {
        std::this_thread::sleep_for(200ms);
        EXPECT_TRUE(m_opener.Urls().isEmpty()) << m_opener.Urls().join(", ").toStdString();
    }
}

const OpenCase kOpenCases[] = {
    {"DoubleClickOpensTheBrowser", OpenAction::DoubleClickRow, "10.0.0.155", "http://10.0.0.155"},
    {"LogInOpensTheBrowser", OpenAction::LogInButton, "10.0.0.155", "http://10.0.0.155"},
    {"MyStorageOpensTheShares", OpenAction::MyStorageButton, "10.0.0.155", "smb://10.0.0.155/"},
    {"DoubleClickIgnoresAnAddressWithTrailingText", OpenAction::DoubleClickRow, "10.0.0.155/../x", nullptr},
    {"LogInIgnoresAShellLikeAddress", OpenAction::LogInButton, "10.0.0.155;reboot", nullptr},
    {"MyStorageIgnoresAHostName", OpenAction::MyStorageButton, "evil.example", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Actions, QuarloDlgOpenTest, ::testing::ValuesIn(kOpenCases),
                         [](const ::testing::TestParamInfo<OpenCase>& info) { return info.param.pszName; });

enum class CloseAction { CloseButton, Escape, Enter, KeypadEnter };
struct CloseCase {
    const char* pszName;
    CloseAction action;
    QDialog::DialogCode result;
};

class QuarloDlgCloseTest : public QuarloDlgTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(QuarloDlgCloseTest, EndsTheDialog) {
    ShowDialog();
    // Keys reach the list first, as they would with the focus in it.
    switch (GetParam().action) {
    case CloseAction::CloseButton:
        QTest::mouseClick(Button(IDC_CLOSE_BUTTON), Qt::LeftButton);
        break;
    case CloseAction::Escape:
        QTest::keyClick(List(), Qt::Key_Escape);
        break;
    case CloseAction::Enter:
        QTest::keyClick(List(), Qt::Key_Return);
        break;
    case CloseAction::KeypadEnter:
        QTest::keyClick(List(), Qt::Key_Enter, Qt::KeypadModifier);
        break;
    }
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), GetParam().result);
}

const CloseCase kCloseCases[] = {
    {"CloseButton", CloseAction::CloseButton, QDialog::Rejected},
    {"Escape", CloseAction::Escape, QDialog::Rejected},
    {"Enter", CloseAction::Enter, QDialog::Accepted},
    {"KeypadEnter", CloseAction::KeypadEnter, QDialog::Accepted},
};

INSTANTIATE_TEST_SUITE_P(Ways, QuarloDlgCloseTest, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return info.param.pszName; });

TEST_F(QuarloDlgTest, BringToFrontKeepsPlaceSizeAndMinimisedState) {
    ShowDialog();
    m_pDlg->move(40, 30);
    QWidget other;
    other.setGeometry(0, 0, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    const QRect rcBefore = m_pDlg->geometry();
    m_pDlg->OnBringToFront();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
    EXPECT_EQ(m_pDlg->geometry(), rcBefore);

    m_pDlg->showMinimized();
    QApplication::processEvents();
    m_pDlg->OnBringToFront();
    QApplication::processEvents();
    EXPECT_TRUE(m_pDlg->isMinimized());
}

/// A layout file changed for one test and put back afterwards.
class QuarloDlgLayoutTest : public QuarloDlgTest {
protected:
    void RewriteLayout(const QString& strFrom, const QString& strTo) {
        QFile file(LayoutPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString strText = QString::fromUtf8(file.readAll());
        file.close();
        ASSERT_TRUE(strText.contains(strFrom));
        strText.replace(strFrom, strTo);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(strText.toUtf8());
    }
    void TearDown() override {
        if (g_pEnvironment->m_bReady) {
            ExtractResourceToFile(150, QStringLiteral("XML"), LayoutPath());
        }
    }
    static QString LayoutPath() {
        return g_pEnvironment->m_dataRoot.filePath(QStringLiteral("KIRUNSearchTools/WndLayoutInfo.xml"));
    }
};

TEST_F(QuarloDlgLayoutTest, TheTitleIsTheProductsWhateverTheLayoutSays) {
    RewriteLayout(QStringLiteral("DialogText=\"Vantro Roamdock\""),
                  QStringLiteral("DialogText=\"Other Title\""));
    ShowDialog();
    EXPECT_EQ(m_pDlg->windowTitle(), QStringLiteral("Vantro Roamdock"));
    EXPECT_EQ(m_pDlg->m_strCaption.value_or(QString()), QStringLiteral("Other Title"))
        << "the layout still applied its caption";
}

TEST_F(QuarloDlgLayoutTest, WithoutAllSixControlsNoSearchStarts) {
    RewriteLayout(QStringLiteral("CtrlID=\"2109\""), QStringLiteral("CtrlID=\"2119\""));
    m_pDlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pDlg.get()));
    EXPECT_FALSE(m_pDlg->AreControlsReady());
    EXPECT_FALSE(m_pDlg->IsSearchTimerActive());
    EXPECT_EQ(List()->headerItem()->text(DEVICE_COLUMN_IP), QString()) << "the list is not set up";
    EXPECT_FALSE(Status()->isVisible()) << "state 0 still applies to the controls that exist";
    m_pDlg->OnLogIn();
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    EXPECT_TRUE(m_opener.Urls().isEmpty());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
}

TEST_F(QuarloDlgTest, TheDeviceListIsSetUpFromTheLayout) {
    ShowDialog();
    CStandardListCtrl* pList = List();
    ASSERT_EQ(pList->columnCount(), 3);
    EXPECT_EQ(pList->headerItem()->text(0), QStringLiteral("Host Name"));
    EXPECT_EQ(pList->headerItem()->text(1), QStringLiteral("IP Address"));
    EXPECT_EQ(pList->headerItem()->text(2), QStringLiteral("Devcie Type"));
    EXPECT_EQ(pList->columnWidth(0), 96);
    EXPECT_EQ(pList->columnWidth(1), 122);
    EXPECT_EQ(pList->columnWidth(2), 88);
    CStandardHeaderCtrl* pHeader = pList->GetHeaderCtrl();
    ASSERT_NE(pHeader, nullptr);
    EXPECT_FLOAT_EQ(pHeader->HeaderHeightScale, 0.9f);
    EXPECT_EQ(pHeader->m_nDividerWidth, 1) << "headerclip.png is 1 x 12";
    EXPECT_EQ(pHeader->m_nImageWidth, 249) << "headerbackground.png is 249 x 17";
    EXPECT_EQ(pHeader->m_clrCaption, 0xFFF4F5F7u);
    EXPECT_EQ(pHeader->m_captionFont->pixelSize(), 12);

    // Grid lines under the rows, in the report view's light grey.
    Report(MakeDevice("GRID", "10.0.0.170"));
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    ASSERT_GE(RowOf("10.0.0.170"), 0);
    const QRect rcRow = pList->visualItemRect(pList->topLevelItem(RowOf("10.0.0.170")));
    const QImage view = pList->viewport()->grab().toImage();
    const qreal dpr = view.devicePixelRatio();
    EXPECT_EQ(view.pixel(QPoint(rcRow.left() + 40, rcRow.bottom()) * dpr), kGridLineColor);
    EXPECT_NE(view.pixel(QPoint(rcRow.left() + 40, rcRow.bottom() - 2) * dpr), kGridLineColor);
}

} // namespace
