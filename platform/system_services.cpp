#include "platform/system_services.h"

CCommandRunner& SystemCommandRunner() {
    static CCommandRunner* const s_pRunner = new CProcessCommandRunner;
    return *s_pRunner;
}

CUrlOpener& SystemUrlOpener() {
    static CUrlOpener* const s_pOpener = new CXdgUrlOpener(SystemCommandRunner());
    return *s_pOpener;
}

CMountTable& SystemMountTable() {
    static CMountTable* const s_pMounts = new CLinuxMountTable(SystemCommandRunner());
    return *s_pMounts;
}

CDesktopWindows& SystemDesktopWindows() {
    static CDesktopWindows* const s_pWindows = new CX11DesktopWindows;
    return *s_pWindows;
}

std::unique_ptr<CInstanceGuard> CreateInstanceGuard(QObject* pParent) {
    return std::make_unique<CLocalInstanceGuard>(QString::fromUtf8(kProductTitle), QString(), pParent);
}
