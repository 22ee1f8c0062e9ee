// The start-up: the data folder and its nine files, the localised failure message, the single
// instance, and that nothing else starts when the folder cannot be prepared.

#include "app/quarlo_app.h"
#include "app/quarlo_dlg.h"
#include "discovery/engine.h"
#include "tests/support/netns.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct SkinFile {
    const char* pszType;
    uint16_t nID;
    const char* pszPath; ///< below the data root
};
/// In the order they are written.
const SkinFile kSkinFiles[] = {
    {"XML", 150, "KIRUNSearchTools/WndLayoutInfo.xml"},
    {"BMP", 158, "KIRUNSearchTools/Picture/SearchDevice_BlackGround.bmp"},
    {"PNG", 146, "KIRUNSearchTools/Picture/SearchDevice_BlackGround.png"},
    {"PNG", 139, "KIRUNSearchTools/Picture/Brush.png"},
    {"PNG", 144, "KIRUNSearchTools/Picture/logo.png"},
    {"PNG", 147, "KIRUNSearchTools/Picture/headerbackground.png"},
    {"PNG", 148, "KIRUNSearchTools/Picture/headerclip.png"},
    {"PNG", 141, "KIRUNSearchTools/Picture/close.png"},
    {"PNG", 140, "KIRUNSearchTools/Picture/ButtonMax.png"},
};

QByteArray ReadAll(const QString& strPath) {
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Resource(const char* pszType, uint16_t nID) {
    return ReadAll(QStringLiteral(":/%1/%2").arg(QString::fromLatin1(pszType)).arg(nID));
}

/// The application under test, recording instead of running the dialog unless told otherwise.
class CTestApp : public CQuarloApp {
public:
    CTestApp() : CQuarloApp(m_argc, m_argv) {}
    std::function<void(CQuarloDlg&)> fnRunDialog;
    int m_nDialogRuns = 0;

protected:
    void RunMainDialog(CQuarloDlg& dlg) override {
        ++m_nDialogRuns;
        if (fnRunDialog)
            fnRunDialog(dlg);
    }

private:
    int m_argc = 1;
    char m_szName[16] = "test_quarlo_app";
    char* m_argv[2] = {m_szName, nullptr};
};

/// Each test gets its own data root, runtime directory and locale, and answers the message box.
class QuarloAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dataRoot.isValid() && m_runtimeDir.isValid());
        m_savedEnv = {qgetenv("XDG_DATA_HOME"), qgetenv("XDG_RUNTIME_DIR"), qgetenv("LC_ALL"),
                      qgetenv("HOME")};
        qputenv("XDG_DATA_HOME", m_dataRoot.path().toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", m_runtimeDir.path().toLocal8Bit());
        qputenv("LC_ALL", "en_US.UTF-8");
        SetMessageBoxHook([this](const QString& strText) { m_messages << strText; });
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        const char* const names[] = {"XDG_DATA_HOME", "XDG_RUNTIME_DIR", "LC_ALL", "HOME"};
        for (int i = 0; i < 4; ++i)
            qputenv(names[i], m_savedEnv[i]);
    }
    QString DataPath(const char* pszPath) const { return m_dataRoot.filePath(QString::fromLatin1(pszPath)); }

    /// Runs the whole start-up as main does; the engine's registry tells whether discovery started.
    int RunStartup(CTestApp& app, bool& bDiscoveryStarted) {
        const size_t nWorkersBefore = g_searchThreads.size();
        const FindDeviceCallback pfnBefore = g_pfnFindDevice;
        EXPECT_FALSE(app.InitInstance());
        bDiscoveryStarted = g_searchThreads.size() != nWorkersBefore || g_pfnFindDevice != pfnBefore;
        return app.ExitInstance();
    }

    QTemporaryDir m_dataRoot;
    QTemporaryDir m_runtimeDir;
    std::vector<QByteArray> m_savedEnv;
    QStringList m_messages;
};

TEST_F(QuarloAppTest, WritesTheNineFilesAndReplacesWhatWasThere) {
    // Both folders exist already and every file holds something else.
    ASSERT_TRUE(QDir().mkpath(DataPath("KIRUNSearchTools/Picture")));
    for (const SkinFile& file : kSkinFiles) {
        QFile stale(DataPath(file.pszPath));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray(100000, 'x'));
    }
    CTestApp app;
    ASSERT_TRUE(app.PrepareDataFolder());
    for (const SkinFile& file : kSkinFiles) {
        SCOPED_TRACE(file.pszPath);
        const QByteArray expected = Resource(file.pszType, file.nID);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(ReadAll(DataPath(file.pszPath)), expected) << "shorter content must not leave a tail";
    }
}

TEST_F(QuarloAppTest, AnUnwritableCloseImageStopsBeforeTheButtonImage) {
    ASSERT_TRUE(QDir().mkpath(DataPath("KIRUNSearchTools/Picture/close.png"))); // a folder in its way
    CTestApp app;
    bool bDiscoveryStarted = false;
    EXPECT_EQ(RunStartup(app, bDiscoveryStarted), 1) << "a failed start-up must not look like success";
    EXPECT_EQ(m_messages, QStringList{"Failed to create the configuration file!"});
    EXPECT_FALSE(bDiscoveryStarted);
    EXPECT_EQ(app.m_nDialogRuns, 0);
    for (const SkinFile& file : kSkinFiles) {
        if (QByteArray(file.pszPath).endsWith("close.png"))
            break;
        SCOPED_TRACE(file.pszPath);
        EXPECT_EQ(ReadAll(DataPath(file.pszPath)), Resource(file.pszType, file.nID));
    }
    EXPECT_FALSE(QFileInfo::exists(DataPath("KIRUNSearchTools/Picture/ButtonMax.png")));
}

TEST_F(QuarloAppTest, AFreshAccountGetsItsPrivateDataDirectory) {
    const QString strRoot = DataPath("home/.local/share");
    qputenv("XDG_DATA_HOME", strRoot.toLocal8Bit());
    CTestApp app;
    ASSERT_TRUE(app.PrepareDataFolder());
    EXPECT_EQ(ReadAll(strRoot + "/KIRUNSearchTools/Picture/ButtonMax.png"), Resource("PNG", 140));
    EXPECT_EQ(QFileInfo(strRoot).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions())
        << "a data directory we create is private";
}

TEST_F(QuarloAppTest, AnExistingDataRootKeepsItsPermissions) {
    const QFileDevice::Permissions perms =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
        QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(m_dataRoot.path(), perms));
    CTestApp app;
    ASSERT_TRUE(app.PrepareDataFolder());
    EXPECT_EQ(QFileInfo(m_dataRoot.path()).permissions() &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
              perms);
}

TEST_F(QuarloAppTest, WithoutADataRootNothingIsWritten) {
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    CTestApp app;
    EXPECT_FALSE(app.PrepareDataFolder()) << "must not fall back to the file system root";
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml")));
}

struct LanguageCase {
    const char* pszName;
    const char* pszLocale;
    uint16_t nLayoutID;
    const char* pszMessage;
};

class QuarloAppLanguageTest : public QuarloAppTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(QuarloAppLanguageTest, WritesTheLanguagesLayout) {
    qputenv("LC_ALL", GetParam().pszLocale);
    CTestApp app;
    ASSERT_TRUE(app.PrepareDataFolder());
    EXPECT_EQ(ReadAll(DataPath("KIRUNSearchTools/WndLayoutInfo.xml")), Resource("XML", GetParam().nLayoutID));
}

TEST_P(QuarloAppLanguageTest, ShowsTheLanguagesMessageWhenTheFolderCannotBeMadeAndStartsNothing) {
    qputenv("LC_ALL", GetParam().pszLocale);
    // A data root below a plain file can never be created.
    QFile blocker(DataPath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", DataPath("blocker/share").toLocal8Bit());
    CTestApp app;
    bool bDiscoveryStarted = false;
    EXPECT_EQ(RunStartup(app, bDiscoveryStarted), 1);
    EXPECT_EQ(m_messages, QStringList{QString::fromUtf8(GetParam().pszMessage)});
    EXPECT_FALSE(bDiscoveryStarted);
    EXPECT_EQ(app.m_nDialogRuns, 0) << "no window after the message";
}

const char kEnglish[] = "Failed to create the configuration file!";
const LanguageCase kLanguageCases[] = {
    {"English", "en_US.UTF-8", 150, kEnglish},
    {"Posix", "C", 150, kEnglish},
    {"SimplifiedChineseHongKong", "zh_HK.UTF-8", 149, "创建配置文件失败!"},
    {"SimplifiedChinese", "zh_CN.UTF-8", 149, "创建配置文件失败!"},
    {"TraditionalChinese", "zh_TW.UTF-8", 151, "創建配置文件失敗!"},
    {"Japanese", "ja_JP.UTF-8", 150, "設定ファイルの作成に失敗しました!"},
    {"GermanSwiss", "de_CH.UTF-8", 150, "Erstellung Konfigurationsdatei fehlgeschlagen!"},
    {"French", "fr_FR.UTF-8", 150, "La création du fichier de configuration a échoué!"},
    {"Portuguese", "pt_BR.UTF-8", 150, "Falha ao criar ficheiro config!"},
    {"SpanishSpain", "es_ES.UTF-8", 150, "Error al crear el archivo de configuración!"},
    {"SpanishPeru", "es_PE.UTF-8", 150, kEnglish},
    {"Italian", "it_IT.UTF-8", 150, "Impossibile creare il file di configurazione!"},
    {"Russian", "ru_RU.UTF-8", 150, kEnglish},
    {"Korean", "ko_KR.UTF-8", 150, kEnglish},
    {"Dutch", "nl_NL.UTF-8", 150, kEnglish},
    {"Polish", "pl_PL.UTF-8", 150, kEnglish},
};

INSTANTIATE_TEST_SUITE_P(Locales, QuarloAppLanguageTest, ::testing::ValuesIn(kLanguageCases),
                         [](const ::testing::TestParamInfo<LanguageCase>& info) {
                             return info.param.pszName;
                         });

struct ExtractCase {
    const char* pszName;
    const char* pszType;
    uint16_t nID;
    const char* pszTarget; ///< below the data root; empty: the empty path
    bool bResult;
};

class ExtractResourceTest : public QuarloAppTest, public ::testing::WithParamInterface<ExtractCase> {};

TEST_P(ExtractResourceTest, WritesTheResourceOrFails) {
    const ExtractCase& test = GetParam();
    CTestApp app; // registers the resources
    const QString strTarget = *test.pszTarget ? DataPath(test.pszTarget) : QString();
    EXPECT_EQ(ExtractResourceToFile(test.nID, QString::fromLatin1(test.pszType), strTarget), test.bResult);
    if (test.bResult) {
        EXPECT_EQ(ReadAll(strTarget), Resource(test.pszType, test.nID));
    } else if (!strTarget.isEmpty()) {
        EXPECT_FALSE(QFileInfo::exists(strTarget));
    }
}

const ExtractCase kExtractCases[] = {
    {"WritesAPicture", "PNG", 146, "out.png", true},
    {"WritesALayoutOfAnotherLanguage", "XML", 159, "out.xml", true},
    {"EmptyPath", "XML", 150, "", false},
    {"UnknownId", "XML", 152, "out.xml", false},
    {"WrongType", "PNG", 158, "out.bmp", false},
    {"FolderMissing", "PNG", 146, "no/such/out.png", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ExtractResourceTest, ::testing::ValuesIn(kExtractCases),
                         [](const ::testing::TestParamInfo<ExtractCase>& info) {
                             return info.param.pszName;
                         });

/// The program started a second time, in the same session, raises the running window and ends.
TEST_F(QuarloAppTest, ASecondStartRaisesTheRunningWindowAndEnds) {
    std::string strWhy;
    if (!NetnsAvailable(strWhy))
        GTEST_SKIP() << "the running copy searches; needs a private network: " << strWhy;
    CTestNetwork network("appstart");
    ASSERT_GE(network.AddLink("10.0.0.5/24"), 0) << network.Error();
    ASSERT_TRUE(network.EnterHost()) << network.Error();

    QTemporaryDir secondData;
    ASSERT_TRUE(secondData.isValid());
    std::optional<int> nSecondExit;
    bool bRaised = false;
    QRect rcBefore, rcAfter;

    CTestApp app;
    app.fnRunDialog = [&](CQuarloDlg& dlg) {
        dlg.SetSearchTimerPeriod(24 * 3600 * 1000);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        dlg.move(40, 30);
        QWidget other;
        other.setGeometry(0, 0, 100, 100);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        rcBefore = dlg.geometry();

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), secondData.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(ROAMDOCK_PROGRAM), {});
        ASSERT_TRUE(second.waitForStarted(10000));
        // The running copy answers from its event loop, so keep it turning while the second ends.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (second.state() != QProcess::NotRunning && std::chrono::steady_clock::now() < deadline) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            second.waitForFinished(20);
        }
        if (second.state() == QProcess::NotRunning && second.exitStatus() == QProcess::NormalExit)
            nSecondExit = second.exitCode();
        else
            second.kill();
        bRaised = QTest::qWaitForWindowActive(&dlg, 5000);
        rcAfter = dlg.geometry();
        dlg.reject();
    };
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ExitInstance(), 0);

    ASSERT_EQ(app.m_nDialogRuns, 1);
    ASSERT_TRUE(nSecondExit.has_value()) << "the second copy did not end by itself";
    EXPECT_EQ(*nSecondExit, 0);
    EXPECT_TRUE(bRaised) << "the running window comes to the front";
    EXPECT_EQ(rcAfter, rcBefore) << "without moving or resizing";
    EXPECT_TRUE(QDir(secondData.path()).isEmpty()) << "the second copy writes no files";
}

} // namespace
