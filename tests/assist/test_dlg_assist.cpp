// The main window's assist: the row menu, Ctrl+C and F5, the device tooltip, keyboard selection,
// tab order and screen-reader names. The store is filled directly and the countdown driven by
// OnTimer; no engine is started, so a search sends nothing anywhere.

#include "app/device_store.h"
#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"
#include "app/quarlo_dlg_assist.h"
#include "controls/list_ctrls.h"
#include "discovery/engine.h"
#include "platform/command_runner.h"
#include "platform/desktop_windows.h"
#include "platform/mount_table.h"
#include "platform/url_opener.h"
#include "skin/property_frame.h"
#include "tests/support/recording_url_opener.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int kNeverFires = 24 * 3600 * 1000;

/// A data folder with the skin, made once per process; the English layout unless a test rewrites it.
class CAssistEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(m_dataRoot.isValid());
        qputenv("XDG_DATA_HOME", m_dataRoot.path().toLocal8Bit());
        qputenv("LC_ALL", "en_US.UTF-8");
        int argc = 1;
        char szName[] = "test_dlg_assist";
        char* argv[] = {szName, nullptr};
        CQuarloApp app(argc, argv);
        ASSERT_TRUE(app.PrepareDataFolder());
        // No worker exists and none is made on a search: the window's searches stay silent.
        ASSERT_TRUE(g_searchThreads.empty());
        ASSERT_FALSE(g_bRefreshInterfaces);
    }
    QString LayoutPath() const {
        return m_dataRoot.filePath(QStringLiteral("KIRUNSearchTools/WndLayoutInfo.xml"));
    }

    QTemporaryDir m_dataRoot;
};

CAssistEnvironment* const g_pEnvironment =
    static_cast<CAssistEnvironment*>(::testing::AddGlobalTestEnvironment(new CAssistEnvironment));

/// My Storage's services with nothing to close, unmount or release.
class CNoWindows : public CDesktopWindows {
public:
    std::vector<DesktopWindow> ListTopLevelWindows() override { return {}; }
    void CloseWindow(uint64_t) override {}
};
class CNoMounts : public CMountTable {
public:
    bool GvfsSmbLocations(QStringList& listLocations) override {
        listLocations.clear();
        return true;
    }
    std::vector<KernelMount> KernelSmbMounts() override { return {}; }
};
class CNoCommands : public CCommandRunner {
public:
    bool StartDetached(const QString&, const QStringList&) override { return false; }
    bool RunAndCapture(const QString&, const QStringList&, int, QByteArray&) override { return false; }
};

struct DeviceText {
    const char* pszId;
    const char* pszIP;
    const char* pszHost;
    const char* pszVendor;
    const char* pszVersion;
    const char* pszExtra;
};

// Accepted in this order, so listed last first.
const DeviceText kDevices[] = {
    {"DEV21", "10.0.0.21", "alpha", "VANTRO", "1.0.3", "RD-300 Pro"},
    {"<script>x</script>", "10.0.0.22", "<b>bold</b>", "NEXLA", "<i>2.0</i>", "a&amp;b  <br>c"},
    {"DEV23", "evil.example", "gamma", "ORBIT5", "", ""},
    {"DEV24", "10.0.0.24/../x", "delta", "VANTRO", "3", ""},
};

void Report(const DeviceText& text) {
    DeviceRecord device;
    std::memset(&device, 0, sizeof(device));
    std::snprintf(device.id, sizeof(device.id), "%s", text.pszId);
    std::snprintf(device.ip, sizeof(device.ip), "%s", text.pszIP);
    std::snprintf(device.host, sizeof(device.host), "%s", text.pszHost);
    std::snprintf(device.product, sizeof(device.product), "RD-X");
    std::snprintf(device.vendor, sizeof(device.vendor), "%s", text.pszVendor);
    std::snprintf(device.version, sizeof(device.version), "%s", text.pszVersion);
    std::snprintf(device.extra, sizeof(device.extra), "%s", text.pszExtra);
    device.type = 1;
    std::lock_guard<std::mutex> lock(g_findDeviceMutex);
    OnStoreFindDevice(&device, 0);
}

class DlgAssistTest : public ::testing::Test {
protected:
    void SetUp() override { CreateDialog(); }

    void CreateDialog() {
        m_pDlg = std::make_unique<CQuarloDlg>();
        m_pDlg->SetSearchTimerPeriod(kNeverFires);
        m_pDlg->SetUrlOpener(&m_opener);
        StorageServices services;
        services.pWindows = &m_windows;
        services.pMounts = &m_mounts;
        services.pRunner = &m_runner;
        services.pOpener = &m_opener;
        services.fnSleep = [](int) {};
        m_pDlg->SetStorageServices(services);
        m_pDlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pDlg.get()));
        m_pDlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_pDlg.get()));
        ASSERT_TRUE(m_pDlg->AreControlsReady());
        // The window attaches its own; a dialog built before that existed gets one here.
        m_pAssist = m_pDlg->findChild<CQuarloDlgAssist*>();
        if (!m_pAssist)
            m_pAssist = AttachDlgAssist(*m_pDlg);
        ASSERT_NE(m_pAssist, nullptr);
    }

    /// The four devices in the list, as the countdown's first tick shows them.
    void ListDevices() {
        for (const DeviceText& device : kDevices)
            Report(device);
        m_pDlg->OnTimer(SEARCH_TIMER_ID);
        ASSERT_EQ(List()->topLevelItemCount(), static_cast<int>(std::size(kDevices)));
    }
    /// The rest of the countdown: Refresh is enabled again.
    void FinishSearch() {
        while (m_pDlg->IsSearchTimerActive())
            m_pDlg->OnTimer(SEARCH_TIMER_ID);
    }

    CStandardListCtrl* List() const {
        return qobject_cast<CStandardListCtrl*>(m_pDlg->FindListCtrl(IDC_DEVICE_LIST));
    }
    QWidget* Button(int nCtrlID) const { return m_pDlg->FindButtonCtrl(nCtrlID); }
    int RowOf(const char* pszIP) const {
        for (int nRow = 0; nRow < List()->topLevelItemCount(); ++nRow) {
            if (List()->topLevelItem(nRow)->text(DEVICE_COLUMN_IP) == QString::fromUtf8(pszIP))
                return nRow;
        }
        ADD_FAILURE() << "no row for " << pszIP;
        return 0;
    }
    QPoint RowCenter(int nRow) const { return List()->visualItemRect(List()->topLevelItem(nRow)).center(); }

    /// A right click as the window system reports it: press, then the context-menu request.
    void RightClick(const QPoint& ptViewport) {
        QWidget* pViewport = List()->viewport();
        QTest::mousePress(pViewport, Qt::RightButton, Qt::NoModifier, ptViewport);
        QContextMenuEvent event(QContextMenuEvent::Mouse, ptViewport, pViewport->mapToGlobal(ptViewport));
        QApplication::sendEvent(pViewport, &event);
        QTest::mouseRelease(pViewport, Qt::RightButton, Qt::NoModifier, ptViewport);
    }

    bool LogInAndStorageEnabled() const {
        return Button(IDC_LOGIN_BUTTON)->isEnabled() && Button(IDC_STORAGE_BUTTON)->isEnabled();
    }

    void TearDown() override {
        if (m_pAssist && m_pAssist->RowMenu())
            m_pAssist->RowMenu()->hide();
        QToolTip::hideText();
        m_pDlg.reset();
        ClearDevices(GetDeviceStore());
    }

    CRecordingUrlOpener m_opener;
    CNoWindows m_windows;
    CNoMounts m_mounts;
    CNoCommands m_runner;
    std::unique_ptr<CQuarloDlg> m_pDlg;
    CQuarloDlgAssist* m_pAssist = nullptr;
};

// ---- The row menu ----

struct MenuCase {
    const char* pszName;
    const char* pszIP;
    bool bActionsEnabled;
};

class DlgAssistMenuTest : public DlgAssistTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(DlgAssistMenuTest, RightClickSelectsTheRowAndEnablesWhatWouldAct) {
    ListDevices();
    // Another row is selected first; the click must make the clicked row the only selection.
    List()->topLevelItem(RowOf("10.0.0.21") == 0 ? 1 : 0)->setSelected(true);
    const int nRow = RowOf(GetParam().pszIP);
    RightClick(RowCenter(nRow));

    EXPECT_EQ(m_pDlg->GetSelectedRow(), nRow);
    EXPECT_EQ(List()->selectedItems().size(), 1);
    EXPECT_TRUE(LogInAndStorageEnabled()) << "the buttons follow as after a click";
    EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled()) << "the search still runs";

    QMenu* pMenu = m_pAssist->RowMenu();
    ASSERT_TRUE(pMenu->isVisible());
    const QList<QAction*> actions = pMenu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Log In"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("My Storage"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Copy IP Address"));
    for (QAction* pAction : actions)
        EXPECT_EQ(pAction->isEnabled(), GetParam().bActionsEnabled) << pAction->text().toStdString();
}

const MenuCase kMenuCases[] = {
    {"DottedAddress", "10.0.0.21", true},
    {"HostNameInsteadOfAddress", "evil.example", false},
    {"AddressWithTrailingText", "10.0.0.24/../x", false},
};

INSTANTIATE_TEST_SUITE_P(Rows, DlgAssistMenuTest, ::testing::ValuesIn(kMenuCases),
                         [](const ::testing::TestParamInfo<MenuCase>& info) { return info.param.pszName; });

TEST_F(DlgAssistTest, RightClickOnEmptySpaceShowsNoMenuAndTheButtonsFollowTheSelection) {
    ListDevices();
    RightClick(RowCenter(1));
    ASSERT_TRUE(LogInAndStorageEnabled());
    m_pAssist->RowMenu()->hide();
    RightClick(QPoint(5, List()->viewport()->height() - 3));
    EXPECT_FALSE(m_pAssist->RowMenu()->isVisible());
    // Whatever the list makes of the click, Log In and My Storage never act on a row not selected.
    EXPECT_EQ(LogInAndStorageEnabled(), m_pDlg->GetSelectedRow() != -1);
}

TEST_F(DlgAssistTest, TheMenuKeyOpensTheMenuForTheSelectedRowOnly) {
    ListDevices();
    const auto pressMenuKey = [this] {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), List()->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(List(), &event);
    };
    pressMenuKey();
    EXPECT_FALSE(m_pAssist->RowMenu()->isVisible()) << "no row is selected";

    QTest::keyClick(List(), Qt::Key_Down);
    pressMenuKey();
    ASSERT_TRUE(m_pAssist->RowMenu()->isVisible());
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 0);
    EXPECT_FALSE(m_pAssist->CopyAction()->isEnabled()) << "the newest row's address is 10.0.0.24/../x";
}

enum class MenuAction { LogIn, MyStorage, Copy };
struct ActionCase {
    const char* pszName;
    MenuAction action;
    const char* pszUrl; // what reaches the URL opener, or nullptr
    const char* pszClipboard;
};

class DlgAssistActionTest : public DlgAssistTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(DlgAssistActionTest, ActsOnTheClickedRow) {
    ListDevices();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    RightClick(RowCenter(RowOf("10.0.0.21")));
    ASSERT_TRUE(m_pAssist->RowMenu()->isVisible());
    QAction* const pActions[] = {m_pAssist->LogInAction(), m_pAssist->StorageAction(),
                                 m_pAssist->CopyAction()};
    pActions[static_cast<int>(GetParam().action)]->trigger();

    if (GetParam().pszUrl) {
        // My Storage opens from a thread of its own.
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (m_opener.Urls().isEmpty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(m_opener.Urls(), QStringList{QString::fromUtf8(GetParam().pszUrl)});
    } else {
        EXPECT_TRUE(m_opener.Urls().isEmpty());
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(GetParam().pszClipboard));
}

const ActionCase kActionCases[] = {
    {"LogInOpensTheBrowser", MenuAction::LogIn, "http://10.0.0.21", "before"},
    {"MyStorageOpensTheShares", MenuAction::MyStorage, "smb://10.0.0.21/", "before"},
    {"CopyPutsTheAddressOnTheClipboard", MenuAction::Copy, nullptr, "10.0.0.21"},
};

INSTANTIATE_TEST_SUITE_P(Actions, DlgAssistActionTest, ::testing::ValuesIn(kActionCases),
                         [](const ::testing::TestParamInfo<ActionCase>& info) { return info.param.pszName; });

/// Menu texts in the layout's language: a layout written before the dialog is made.
struct LanguageCase {
    const char* pszName;
    int nLayoutID;
    const char* pszDropCaptions; // a button caption emptied in the layout, or nullptr
    const char* pszLogIn;
    const char* pszStorage;
};

class DlgAssistLanguageTest : public DlgAssistTest, public ::testing::WithParamInterface<LanguageCase> {
protected:
    void SetUp() override {
        const LanguageCase& c = GetParam();
        ASSERT_TRUE(ExtractResourceToFile(static_cast<uint16_t>(c.nLayoutID), QStringLiteral("XML"),
                                          g_pEnvironment->LayoutPath()));
        if (c.pszDropCaptions) {
            QFile file(g_pEnvironment->LayoutPath());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            QString strText = QString::fromUtf8(file.readAll());
            file.close();
            for (const char* pszCaption : {c.pszDropCaptions, "My Storage"}) {
                const QString strFrom = QStringLiteral("CtrlText=\"%1\"").arg(QString::fromUtf8(pszCaption));
                ASSERT_TRUE(strText.contains(strFrom));
                strText.replace(strFrom, QStringLiteral("CtrlText=\"\""));
            }
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(strText.toUtf8());
        }
        DlgAssistTest::SetUp();
    }
    void TearDown() override {
        DlgAssistTest::TearDown();
        ExtractResourceToFile(150, QStringLiteral("XML"), g_pEnvironment->LayoutPath());
    }
};

TEST_P(DlgAssistLanguageTest, MenuSpeaksTheLayoutsLanguage) {
    ListDevices();
    RightClick(RowCenter(RowOf("10.0.0.21")));
    ASSERT_TRUE(m_pAssist->RowMenu()->isVisible());
    EXPECT_EQ(m_pAssist->LogInAction()->text(), QString::fromUtf8(GetParam().pszLogIn));
    EXPECT_EQ(m_pAssist->StorageAction()->text(), QString::fromUtf8(GetParam().pszStorage));
    EXPECT_EQ(m_pAssist->CopyAction()->text(), QStringLiteral("Copy IP Address"));
}

const LanguageCase kLanguageCases[] = {
    {"English", 150, nullptr, "Log In", "My Storage"},
    {"SimplifiedChinese", 149, nullptr, "登 陆", "我的存储"},
    {"TraditionalChinese", 151, nullptr, "登 錄", "我的儲存"},
    {"CaptionsMissingFallBackToEnglish", 150, "Log In", "Log In", "My Storage"},
};

INSTANTIATE_TEST_SUITE_P(Layouts, DlgAssistLanguageTest, ::testing::ValuesIn(kLanguageCases),
                         [](const ::testing::TestParamInfo<LanguageCase>& info) {
                             return info.param.pszName;
                         });

// ---- Shortcuts ----

struct CopyCase {
    const char* pszName;
    const char* pszSelectedIP;
    bool bFocusOnButton;
    const char* pszClipboard;
};

class DlgAssistCopyTest : public DlgAssistTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(DlgAssistCopyTest, CtrlCCopiesTheSelectedAddress) {
    ListDevices();
    FinishSearch();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    if (GetParam().pszSelectedIP) {
        List()->setCurrentItem(List()->topLevelItem(RowOf(GetParam().pszSelectedIP)));
        m_pDlg->SetUiState(CQuarloDlg::UiRowSelected);
    }
    QWidget* pFocus = GetParam().bFocusOnButton ? Button(IDC_REFRESH_BUTTON) : static_cast<QWidget*>(List());
    pFocus->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), pFocus);
    QTest::keyClick(pFocus, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(GetParam().pszClipboard));
}

const CopyCase kCopyCases[] = {
    // The list would copy the current cell's text (the host name) on its own.
    {"FocusInTheList", "10.0.0.21", false, "10.0.0.21"},
    {"FocusOnAButton", "10.0.0.21", true, "10.0.0.21"},
    {"NoRowSelected", nullptr, false, "before"},
    {"NotAnAddress", "evil.example", false, "before"},
};

INSTANTIATE_TEST_SUITE_P(Cases, DlgAssistCopyTest, ::testing::ValuesIn(kCopyCases),
                         [](const ::testing::TestParamInfo<CopyCase>& info) { return info.param.pszName; });

TEST_F(DlgAssistTest, F5RefreshesOnlyWhileRefreshIsEnabled) {
    ListDevices();
    // During the search Refresh is disabled: F5 leaves the countdown and the rows alone.
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    const int nTick = m_pDlg->GetTick();
    QTest::keyClick(List(), Qt::Key_F5);
    EXPECT_EQ(m_pDlg->GetTick(), nTick);
    EXPECT_EQ(List()->topLevelItemCount(), static_cast<int>(std::size(kDevices)));

    FinishSearch();
    ASSERT_TRUE(Button(IDC_REFRESH_BUTTON)->isEnabled());
    QTest::keyClick(List(), Qt::Key_F5);
    EXPECT_TRUE(m_pDlg->IsSearchTimerActive());
    EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled());
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(CopyDevices(GetDeviceStore()).empty());
}

// ---- The tooltip ----

/// The tip as Qt's tip label shows it: rich text when it looks like rich text, else plain.
QString ShownTipText(const QString& strTip) {
    QTextDocument doc;
    if (Qt::mightBeRichText(strTip))
        doc.setHtml(strTip);
    else
        doc.setPlainText(strTip);
    return doc.toPlainText();
}

QString RequestTip(QWidget* pViewport, const QPoint& pt) {
    QToolTip::hideText();
    QHelpEvent event(QEvent::ToolTip, pt, pViewport->mapToGlobal(pt));
    QApplication::sendEvent(pViewport, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

struct TipCase {
    const char* pszName;
    const char* pszIP;
    const char* pszShown;
};

class DlgAssistTipTest : public DlgAssistTest, public ::testing::WithParamInterface<TipCase> {};

TEST_P(DlgAssistTipTest, RowTipShowsTheDetailsAsPlainText) {
    ListDevices();
    const QString strTip = RequestTip(List()->viewport(), RowCenter(RowOf(GetParam().pszIP)));
    ASSERT_FALSE(strTip.isEmpty());
    EXPECT_EQ(ShownTipText(strTip), QString::fromUtf8(GetParam().pszShown));
    // Also read as rich text, which a tip becomes as soon as any part looks like markup, nothing
    // of the device's text is taken for markup.
    QTextDocument doc;
    doc.setHtml(strTip);
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8(GetParam().pszShown));
}

const TipCase kTipCases[] = {
    {"AllFields", "10.0.0.21", "Vendor: VANTRO\nFirmware: 1.0.3\nDetail: RD-300 Pro\nID: DEV21"},
    {"MarkupLookingDeviceText", "10.0.0.22",
     "Vendor: NEXLA\nFirmware: <i>2.0</i>\nDetail: a&amp;b  <br>c\nID: <script>x</script>"},
    {"EmptyFieldsLeftOut", "evil.example", "Vendor: ORBIT5\nID: DEV23"},
};

INSTANTIATE_TEST_SUITE_P(Rows, DlgAssistTipTest, ::testing::ValuesIn(kTipCases),
                         [](const ::testing::TestParamInfo<TipCase>& info) { return info.param.pszName; });

TEST_F(DlgAssistTest, NoTipOnEmptySpaceOrForADeviceTheStoreNoLongerHolds) {
    ListDevices();
    EXPECT_TRUE(RequestTip(List()->viewport(), QPoint(5, List()->viewport()->height() - 3)).isEmpty());
    // The device said goodbye: its row stays until the next Refresh, its details are gone.
    RemoveDeviceById(GetDeviceStore(), "DEV21");
    EXPECT_TRUE(RequestTip(List()->viewport(), RowCenter(RowOf("10.0.0.21"))).isEmpty());
    EXPECT_FALSE(RequestTip(List()->viewport(), RowCenter(RowOf("10.0.0.22"))).isEmpty());
}

// ---- Keyboard ----

TEST_F(DlgAssistTest, ArrowKeysSelectRowsAndUpdateTheButtonsAsAClickWould) {
    ListDevices();
    ASSERT_EQ(QApplication::focusWidget(), List()) << "the list has the focus when the window opens";
    ASSERT_FALSE(LogInAndStorageEnabled());

    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 0);
    EXPECT_TRUE(LogInAndStorageEnabled());
    EXPECT_FALSE(Button(IDC_REFRESH_BUTTON)->isEnabled()) << "the search still runs";

    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 1);
    QTest::keyClick(List(), Qt::Key_Up);
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 0);

    // Ctrl+Space takes the row out of the selection: nothing selected, as a click on empty space.
    QTest::keyClick(List(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(m_pDlg->GetSelectedRow(), -1);
    EXPECT_FALSE(LogInAndStorageEnabled());
}

TEST_F(DlgAssistTest, ASelectionMadeByTheProgramLeavesTheButtonsAlone) {
    ListDevices();
    List()->setCurrentItem(List()->topLevelItem(1));
    EXPECT_EQ(m_pDlg->GetSelectedRow(), 1);
    EXPECT_FALSE(LogInAndStorageEnabled());
}

struct FocusCase {
    const char* pszName;
    bool bSearchDone;
    bool bRowSelected;
    std::vector<int> tabOrder; // control ids reached by Tab from the list, ending back at the list
};

class DlgAssistFocusTest : public DlgAssistTest, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(DlgAssistFocusTest, TabVisitsTheListAndTheEnabledButtons) {
    ListDevices();
    if (GetParam().bSearchDone)
        FinishSearch();
    if (GetParam().bRowSelected)
        QTest::keyClick(List(), Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), List());
    for (int nCtrlID : GetParam().tabOrder) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* pExpected = nCtrlID == IDC_DEVICE_LIST ? static_cast<QWidget*>(List()) : Button(nCtrlID);
        ASSERT_EQ(QApplication::focusWidget(), pExpected) << "expected control " << nCtrlID;
    }
}

const FocusCase kFocusCases[] = {
    {"AllButtonsEnabled",
     true,
     true,
     {IDC_LOGIN_BUTTON, IDC_REFRESH_BUTTON, IDC_STORAGE_BUTTON, IDC_CLOSE_BUTTON, IDC_DEVICE_LIST}},
    {"SearchingWithARowSelected",
     false,
     true,
     {IDC_LOGIN_BUTTON, IDC_STORAGE_BUTTON, IDC_CLOSE_BUTTON, IDC_DEVICE_LIST}},
    {"SearchingWithNothingSelected", false, false, {IDC_CLOSE_BUTTON, IDC_DEVICE_LIST}},
};

INSTANTIATE_TEST_SUITE_P(States, DlgAssistFocusTest, ::testing::ValuesIn(kFocusCases),
                         [](const ::testing::TestParamInfo<FocusCase>& info) { return info.param.pszName; });

TEST_F(DlgAssistTest, SpacePressesTheFocusedButton) {
    ListDevices();
    QTest::keyClick(List(), Qt::Key_Down); // the newest row: 10.0.0.24/../x is not opened
    QTest::keyClick(List(), Qt::Key_Down);
    QTest::keyClick(List(), Qt::Key_Down);
    QTest::keyClick(List(), Qt::Key_Down);
    ASSERT_EQ(List()->topLevelItem(m_pDlg->GetSelectedRow())->text(DEVICE_COLUMN_IP),
              QStringLiteral("10.0.0.21"));
    QTest::keyClick(List(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Button(IDC_LOGIN_BUTTON));
    QTest::keyClick(Button(IDC_LOGIN_BUTTON), Qt::Key_Space);
    EXPECT_EQ(m_opener.Urls(), QStringList{QStringLiteral("http://10.0.0.21")});
}

TEST_F(DlgAssistTest, KeyboardFocusOnAButtonIsVisibleOnlyAfterTab) {
    ListDevices();
    FinishSearch();
    QWidget* pRefresh = Button(IDC_REFRESH_BUTTON);
    const QImage unfocused = pRefresh->grab().toImage();
    pRefresh->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(pRefresh->grab().toImage(), unfocused) << "focus given without the keyboard shows nothing";
    List()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(List(), Qt::Key_Tab); // Log In is disabled: Refresh is next
    ASSERT_EQ(QApplication::focusWidget(), pRefresh);
    EXPECT_NE(pRefresh->grab().toImage(), unfocused);
}

struct CloseCase {
    const char* pszName;
    Qt::Key key;
    QDialog::DialogCode result;
};

class DlgAssistCloseTest : public DlgAssistTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(DlgAssistCloseTest, EscapeAndEnterStillEndTheDialogFromTheList) {
    ListDevices();
    QTest::keyClick(List(), Qt::Key_Down);
    QTest::keyClick(List(), GetParam().key);
    EXPECT_FALSE(m_pDlg->isVisible());
    EXPECT_EQ(m_pDlg->result(), GetParam().result);
    EXPECT_TRUE(m_opener.Urls().isEmpty());
}

const CloseCase kCloseCases[] = {
    {"Escape", Qt::Key_Escape, QDialog::Rejected},
    {"Enter", Qt::Key_Return, QDialog::Accepted},
};

INSTANTIATE_TEST_SUITE_P(Keys, DlgAssistCloseTest, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return info.param.pszName; });

// ---- Screen readers ----

QString AccessibleName(QWidget* pWnd) {
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pWnd);
    return pIface ? pIface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

struct NameCase {
    const char* pszName;
    int nCtrlID;
    QAccessible::Role role;
    const char* pszAccessibleName;
};

class DlgAssistNameTest : public DlgAssistTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(DlgAssistNameTest, ControlIsNamedByItsCaption) {
    const NameCase& c = GetParam();
    QWidget* pWnd = m_pDlg->FindButtonCtrl(c.nCtrlID);
    if (!pWnd)
        pWnd = m_pDlg->FindStaticCtrl(c.nCtrlID);
    if (!pWnd)
        pWnd = m_pDlg->FindListCtrl(c.nCtrlID);
    ASSERT_NE(pWnd, nullptr);
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(pWnd);
    ASSERT_NE(pIface, nullptr);
    EXPECT_EQ(pIface->role(), c.role);
    EXPECT_EQ(pIface->text(QAccessible::Name), QString::fromUtf8(c.pszAccessibleName));
}

const NameCase kNameCases[] = {
    {"LogIn", IDC_LOGIN_BUTTON, QAccessible::Button, "Log In"},
    {"Refresh", IDC_REFRESH_BUTTON, QAccessible::Button, "Refresh"},
    {"MyStorage", IDC_STORAGE_BUTTON, QAccessible::Button, "My Storage"},
    {"CloseButtonWithoutCaption", IDC_CLOSE_BUTTON, QAccessible::Button, "Close"},
    {"Title", 2102, QAccessible::StaticText, "Vantro Roamdock"},
    {"ListCaption", 2104, QAccessible::StaticText, "Device List"},
    {"DeviceList", IDC_DEVICE_LIST, QAccessible::Tree, "Device List"},
};

INSTANTIATE_TEST_SUITE_P(Controls, DlgAssistNameTest, ::testing::ValuesIn(kNameCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.pszName; });

TEST_F(DlgAssistTest, TheListExposesItsColumnTitlesAndCellsAsText) {
    ListDevices();
    QApplication::processEvents(); // the rows are laid out
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(List());
    ASSERT_NE(pIface, nullptr);
    QAccessibleTableInterface* pTable = pIface->tableInterface();
    ASSERT_NE(pTable, nullptr);
    ASSERT_EQ(pTable->columnCount(), 3);
    EXPECT_EQ(pTable->columnDescription(0), QStringLiteral("Host Name"));
    EXPECT_EQ(pTable->columnDescription(1), QStringLiteral("IP Address"));
    EXPECT_EQ(pTable->columnDescription(2), QStringLiteral("Devcie Type"));
    // A device's markup-looking name is read as the characters it is.
    QAccessibleInterface* pCell = pTable->cellAt(RowOf("10.0.0.22"), DEVICE_COLUMN_NAME);
    ASSERT_NE(pCell, nullptr);
    EXPECT_EQ(pCell->text(QAccessible::Name), QStringLiteral("<b>bold</b>"));
}

TEST_F(DlgAssistTest, TheStatusLineIsNamedByItsCurrentText) {
    QWidget* pStatus = m_pDlg->FindStaticCtrl(IDC_SEARCH_STATUS);
    ASSERT_NE(pStatus, nullptr);
    EXPECT_EQ(AccessibleName(pStatus), QStringLiteral("Searching new devices,please wait 10s..."));
    m_pDlg->OnTimer(SEARCH_TIMER_ID);
    EXPECT_EQ(AccessibleName(pStatus), QStringLiteral("Searching new devices,please wait 9s..."));
}

TEST_F(DlgAssistTest, AScreenReaderCanPressAButton) {
    ListDevices();
    QTest::keyClick(List(), Qt::Key_Down);
    const int nRow = RowOf("10.0.0.21");
    List()->setCurrentItem(List()->topLevelItem(nRow));
    m_pDlg->SetUiState(CQuarloDlg::UiRowSelected);
    QAccessibleInterface* pIface = QAccessible::queryAccessibleInterface(Button(IDC_LOGIN_BUTTON));
    ASSERT_NE(pIface, nullptr);
    ASSERT_NE(pIface->actionInterface(), nullptr);
    pIface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(m_opener.Urls(), QStringList{QStringLiteral("http://10.0.0.21")});
}

} // namespace
