#pragma once
// The program's start and end: one copy per user, the skin written into the data folder, discovery
// started before the window and stopped when the window has closed.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QApplication;
class CQuarloDlg;
class CInstanceGuard;

/// Below SharedDataRoot(): the layout file's folder and the images' folder.
constexpr char kDataFolder[] = "/KIRUNSearchTools";
constexpr char kPictureFolder[] = "/KIRUNSearchTools/Picture";

/// The start-up's only message box (one OK button). Tests install a hook that answers it; an empty
/// hook restores the real box.
using MessageBoxHook = std::function<void(const QString& strText)>;
void SetMessageBoxHook(MessageBoxHook pfnHook);
void ShowMessageBox(const QString& strText);

/// "Failed to create the configuration file!" in the language of a language code (1 to 13).
QString GetConfigFailureMessage(int nLanguageCode);
/// The layout resource written for a language code: 149, 150 or 151.
uint16_t GetLayoutResourceID(int nLanguageCode);

/// Writes the resource ":/<strType>/<nResourceID>" to `strPath`, creating or truncating the file.
/// False for an empty path, a missing resource, or a file that cannot be written completely.
bool ExtractResourceToFile(uint16_t nResourceID, const QString& strType, const QString& strPath);

class CQuarloApp {
public:
    /// Creates the QApplication unless one exists already (tests make their own).
    CQuarloApp(int& argc, char** argv);
    virtual ~CQuarloApp();
    CQuarloApp(const CQuarloApp&) = delete;
    CQuarloApp& operator=(const CQuarloApp&) = delete;

    /// The whole run: single instance, data folder, discovery, the dialog. Always false, so that the
    /// caller goes on to ExitInstance.
    bool InitInstance();
    /// Stops discovery and releases the single-instance lock; the process's exit code.
    int ExitInstance();

    /// Creates the data and picture folders when missing and writes the layout and the eight images,
    /// in order; stops at the first failure.
    bool PrepareDataFolder();

protected:
    /// Runs the main dialog modally; tests override it to drive the window.
    virtual void RunMainDialog(CQuarloDlg& dlg);

private:
    std::unique_ptr<QApplication> m_pApplication;
    std::unique_ptr<CInstanceGuard> m_hInstanceMutex;
    /// Non-zero when the start-up failed before the window, so scripts can tell.
    int m_nExitCode = 0;
};
