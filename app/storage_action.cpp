#include "app/storage_action.h"

#include "platform/command_runner.h"
#include "platform/desktop_windows.h"
#include "platform/ipv4_address.h"
#include "platform/mount_table.h"
#include "platform/system_services.h"
#include "platform/url_opener.h"

#include <chrono>
#include <system_error>
#include <thread>

StorageServices DefaultStorageServices() {
    StorageServices services;
    services.pWindows = &SystemDesktopWindows();
    services.pMounts = &SystemMountTable();
    services.pRunner = &SystemCommandRunner();
    services.pOpener = &SystemUrlOpener();
    services.fnSleep = [](int nMs) { std::this_thread::sleep_for(std::chrono::milliseconds(nMs)); };
    return services;
}

void OpenDeviceStorage(const QString& strAddress) {
    OpenDeviceStorage(strAddress, DefaultStorageServices());
}

void OpenDeviceStorage(const QString& strAddress, const StorageServices& services) {
    // The address comes from the network: only a plain IPv4 address is ever matched, passed on or opened.
    if (!IsDottedIPv4(strAddress))
        return;
    const QString strDevicePath = QStringLiteral("smb://") + strAddress + QLatin1Char('/');
    CloseShareWindows(strAddress, services);
    DisconnectNetConnections(strAddress, services);
    DisconnectMappedDrives(strAddress, services);
    OpenShareAsync(strDevicePath, services.pOpener);
}

void CloseShareWindows(const QString& strAddress, const StorageServices& services) {
    if (!services.pWindows)
        return;
    for (const DesktopWindow& wnd : services.pWindows->ListTopLevelWindows()) {
        if (FileManagerWindowShows(wnd, strAddress))
            services.pWindows->CloseWindow(wnd.nId);
    }
}

bool DisconnectNetConnections(const QString& strAddress, const StorageServices& services) {
    if (!services.pMounts)
        return false;
    QStringList listLocations;
    if (!services.pMounts->GvfsSmbLocations(listLocations))
        return false;
    for (const QString& strLocation : listLocations) {
        // A substring match, as for the drive step: 10.0.0.2 also releases 10.0.0.20.
        if (strLocation.contains(strAddress))
            RunHiddenCommand(QStringLiteral("gio"),
                             {QStringLiteral("mount"), QStringLiteral("-u"), strLocation}, services);
    }
    return true;
}

void DisconnectMappedDrives(const QString& strAddress, const StorageServices& services) {
    if (!services.pMounts)
        return;
    const std::vector<KernelMount> vecMounts = services.pMounts->KernelSmbMounts();
    std::vector<KernelMount> vecMatched;
    for (const KernelMount& mount : vecMounts) {
        if (mount.strSource.contains(strAddress))
            vecMatched.push_back(mount);
    }
    // Last mounted first, so a mount stacked on another is released before the one beneath it.
    for (auto it = vecMatched.rbegin(); it != vecMatched.rend(); ++it) {
        if (!it->strMountPoint.isEmpty())
            RunHiddenCommand(QStringLiteral("umount"), {it->strMountPoint}, services);
    }
}

void RunHiddenCommand(const QString& strProgram, const QStringList& listArgs,
                      const StorageServices& services) {
    if (services.pRunner)
        services.pRunner->StartDetached(strProgram, listArgs);
    if (services.fnSleep)
        services.fnSleep(kCommandPauseMs);
}

ShareManager& GetShareManager() {
    // Never destroyed: an open-share thread may still hold it while the process exits.
    static ShareManager* const s_pManager = new ShareManager;
    return *s_pManager;
}

namespace {

void OpenShareThreadProc(ShareManager* pManager, CUrlOpener* pOpener) {
    QString strPath;
    {
        std::lock_guard<std::mutex> guard(pManager->lock);
        strPath = pManager->strSharePath;
    }
    pOpener->OpenUrl(strPath);
}

} // namespace

void OpenShareAsync(const QString& strSharePath, CUrlOpener* pOpener) {
    if (!pOpener)
        return;
    ShareManager& manager = GetShareManager();
    std::lock_guard<std::mutex> guard(manager.lock);
    manager.strSharePath = strSharePath;
    try {
        std::thread(OpenShareThreadProc, &manager, pOpener).detach();
    } catch (const std::system_error&) {
        // No thread, no share window; the action stays silent.
    }
}
