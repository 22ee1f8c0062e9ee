#include "app/quarlo_app.h"

#include "app/device_store.h"
#include "app/quarlo_dlg.h"
#include "discovery/engine.h"
#include "platform/data_folder.h"
#include "platform/language.h"
#include "platform/system_services.h"
#include "resources/resources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>

namespace {

MessageBoxHook& MessageBoxHookSlot() {
    static MessageBoxHook s_pfnHook;
    return s_pfnHook;
}

/// The eight images, in the order they are written after the layout file.
struct SkinImage {
    const char* pszType;
    uint16_t nResourceID;
    const char* pszFileName;
};
constexpr SkinImage kSkinImages[] = {
    {"BMP", 158, "/SearchDevice_BlackGround.bmp"},
    {"PNG", 146, "/SearchDevice_BlackGround.png"},
    {"PNG", 139, "/Brush.png"},
    {"PNG", 144, "/logo.png"},
    {"PNG", 147, "/headerbackground.png"},
    {"PNG", 148, "/headerclip.png"},
    {"PNG", 141, "/close.png"},
    {"PNG", 140, "/ButtonMax.png"},
};

/// Only the last level is created: the data root itself must exist.
bool EnsureFolder(const QString& strPath) {
    if (QFileInfo(strPath).isDir())
        return true;
    return QDir().mkdir(strPath);
}

} // namespace

void SetMessageBoxHook(MessageBoxHook pfnHook) {
    MessageBoxHookSlot() = std::move(pfnHook);
}

void ShowMessageBox(const QString& strText) {
    if (MessageBoxHookSlot()) {
        MessageBoxHookSlot()(strText);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProductTitle), strText, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString GetConfigFailureMessage(int nLanguageCode) {
    switch (nLanguageCode) {
    case 2:
        return QStringLiteral("创建配置文件失败!");
    case 3:
        return QStringLiteral("創建配置文件失敗!");
    case 4:
        return QStringLiteral("設定ファイルの作成に失敗しました!");
    case 5:
        return QStringLiteral("Erstellung Konfigurationsdatei fehlgeschlagen!");
    case 6:
        return QStringLiteral("La création du fichier de configuration a échoué!");
    case 9:
        return QStringLiteral("Falha ao criar ficheiro config!");
    case 10:
        return QStringLiteral("Error al crear el archivo de configuración!");
    case 11:
        return QStringLiteral("Impossibile creare il file di configurazione!");
    default:
        return QStringLiteral("Failed to create the configuration file!");
    }
}

uint16_t GetLayoutResourceID(int nLanguageCode) {
    switch (nLanguageCode) {
    case 2:
        return 149;
    case 3:
        return 151;
    default:
        return 150;
    }
}

bool ExtractResourceToFile(uint16_t nResourceID, const QString& strType, const QString& strPath) {
    if (strPath.isEmpty())
        return false;
    QFile resource(QStringLiteral(":/%1/%2").arg(strType, QString::number(nResourceID)));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = resource.readAll();
    QFile target(strPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool bWritten = target.write(data) == data.size();
    target.close();
    return bWritten && target.error() == QFileDevice::NoError;
}

CQuarloApp::CQuarloApp(int& argc, char** argv) {
    if (!QCoreApplication::instance())
        m_pApplication = std::make_unique<QApplication>(argc, argv);
    InitRoamdockResources();
}

CQuarloApp::~CQuarloApp() = default;

bool CQuarloApp::InitInstance() {
    QGuiApplication::setDesktopFileName(QStringLiteral("roamdock"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ICON/128")));

    m_hInstanceMutex = CreateInstanceGuard();
    const CInstanceGuard::EStart start = m_hInstanceMutex->TryStart();
    if (start == CInstanceGuard::StartFailed) {
        m_nExitCode = 1;
        return false;
    }
    // Another copy runs and has been asked to come to the front: end without a window or a message.
    if (start == CInstanceGuard::StartSignalled)
        return false;

    if (!PrepareDataFolder()) {
        ShowMessageBox(GetConfigFailureMessage(GetLanguageCode()));
        m_nExitCode = 1;
        return false;
    }

    // Discovery runs before the window exists; the store keeps what arrives until the list reads it.
    StartDeviceStore(GetDeviceStore());

    CQuarloDlg dlg;
    QObject::connect(m_hInstanceMutex.get(), &CInstanceGuard::bringToFront, &dlg,
                     &CQuarloDlg::OnBringToFront);
    RunMainDialog(dlg);
    return false;
}

void CQuarloApp::RunMainDialog(CQuarloDlg& dlg) {
    dlg.exec();
}

int CQuarloApp::ExitInstance() {
    // Nothing to stop when discovery never started: the engine has no workers then.
    ExitSearchDevice();
    if (m_hInstanceMutex)
        m_hInstanceMutex->Release();
    m_hInstanceMutex.reset();
    return m_nExitCode;
}

bool CQuarloApp::PrepareDataFolder() {
    const QString strRoot = SharedDataRoot();
    // Without a data root there is nowhere of our own to write; never fall back to the file system root.
    if (strRoot.isEmpty())
        return false;
    // The user's data directory may not exist yet on a fresh account; it is created as the XDG
    // base directory rules ask (mode 0700), and only the two folders below it are ours.
    if (!QFileInfo(strRoot).isDir()) {
        if (!QDir().mkpath(strRoot))
            return false;
        QFile::setPermissions(strRoot,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    const QString strDataFolder = strRoot + QString::fromLatin1(kDataFolder);
    const QString strPictureFolder = strRoot + QString::fromLatin1(kPictureFolder);
    if (!EnsureFolder(strDataFolder))
        return false;
    if (!EnsureFolder(strPictureFolder))
        return false;

    if (!ExtractResourceToFile(GetLayoutResourceID(GetLanguageCode()), QStringLiteral("XML"),
                               strDataFolder + QStringLiteral("/WndLayoutInfo.xml")))
        return false;
    for (const SkinImage& image : kSkinImages) {
        if (!ExtractResourceToFile(image.nResourceID, QString::fromLatin1(image.pszType),
                                   strPictureFolder + QString::fromLatin1(image.pszFileName)))
            return false;
    }
    return true;
}
