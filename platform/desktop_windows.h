#pragma once
// The desktop's top-level windows, as far as the windowing system lets a client see and close them.

#include <QString>
#include <cstdint>
#include <vector>

/// One top-level client window.
struct DesktopWindow {
    uint64_t nId = 0;    ///< the windowing system's id
    QString strInstance; ///< first WM_CLASS string
    QString strClass;    ///< second WM_CLASS string
    QString strTitle;    ///< _NET_WM_NAME, else WM_NAME
};

/// True when either WM_CLASS string names a known file manager (Nautilus, Nemo, Caja, Thunar, Dolphin,
/// PCManFM), compared without regard to case.
bool IsFileManagerWindow(const DesktopWindow& wnd);

/// True when the window belongs to a file manager and its title contains the text (case-sensitive).
bool FileManagerWindowShows(const DesktopWindow& wnd, const QString& strText);

class CDesktopWindows {
public:
    virtual ~CDesktopWindows() = default;
    /// The top-level client windows; empty where they cannot be listed (Wayland, no display).
    virtual std::vector<DesktopWindow> ListTopLevelWindows() = 0;
    /// Asks the window to close; does not wait for it.
    virtual void CloseWindow(uint64_t nId) = 0;
};

/// X11 through Xlib: _NET_CLIENT_LIST to list, _NET_CLOSE_WINDOW to the root window to close. Opens the
/// display named by DISPLAY (or the one given) for each call; without a display it lists nothing.
class CX11DesktopWindows : public CDesktopWindows {
public:
    CX11DesktopWindows() = default;
    explicit CX11DesktopWindows(const QString& strDisplay) : m_strDisplay(strDisplay) {}
    std::vector<DesktopWindow> ListTopLevelWindows() override;
    void CloseWindow(uint64_t nId) override;

private:
    QString m_strDisplay; ///< empty: DISPLAY
};
