#pragma once
// My Storage: release everything the system still holds towards a device, then open its shares in the
// file manager.

#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>

class CCommandRunner;
class CDesktopWindows;
class CMountTable;
class CUrlOpener;

/// The platform services the action uses; tests pass fakes.
struct StorageServices {
    CDesktopWindows* pWindows = nullptr;
    CMountTable* pMounts = nullptr;
    CCommandRunner* pRunner = nullptr;
    CUrlOpener* pOpener = nullptr;
    std::function<void(int nMs)> fnSleep; ///< the pause after each command started
};

/// The Linux services and a real sleep.
StorageServices DefaultStorageServices();

/// The action. Does nothing at all unless the address is a dotted IPv4 address.
void OpenDeviceStorage(const QString& strAddress);
void OpenDeviceStorage(const QString& strAddress, const StorageServices& services);

/// Asks every file-manager window whose title contains the address to close.
void CloseShareWindows(const QString& strAddress, const StorageServices& services);
/// "gio mount -u <location>" for each GVfs SMB mount whose location contains the address; false when the
/// mounts could not be listed.
bool DisconnectNetConnections(const QString& strAddress, const StorageServices& services);
/// "umount <mount point>" for each kernel SMB/CIFS mount whose source contains the address, last mounted
/// first.
void DisconnectMappedDrives(const QString& strAddress, const StorageServices& services);
/// Starts the program detached, then pauses 100 ms; its outcome is not examined.
void RunHiddenCommand(const QString& strProgram, const QStringList& listArgs,
                      const StorageServices& services);
/// Opens the device path with the URL opener on a short-lived detached thread.
void OpenShareAsync(const QString& strSharePath, CUrlOpener* pOpener);

/// The path the open-share thread opens, written before the thread starts.
struct ShareManager {
    std::mutex lock;
    QString strSharePath;
};

/// The process-wide share manager, created on first use.
ShareManager& GetShareManager();

/// The pause after each command started.
constexpr int kCommandPauseMs = 100;
