#pragma once
// The one place where the Linux implementations of the platform services are chosen.
// Each is a process-wide object created on first use and never destroyed: detached worker threads may
// still reach them while the process exits.

#include "platform/command_runner.h"
#include "platform/desktop_windows.h"
#include "platform/mount_table.h"
#include "platform/single_instance.h"
#include "platform/url_opener.h"

#include <memory>

CCommandRunner& SystemCommandRunner();
CUrlOpener& SystemUrlOpener();
CMountTable& SystemMountTable();
CDesktopWindows& SystemDesktopWindows();
/// The single-instance guard of the product title in the user's runtime directory.
std::unique_ptr<CInstanceGuard> CreateInstanceGuard(QObject* pParent = nullptr);
