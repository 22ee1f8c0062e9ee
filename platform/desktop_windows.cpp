#include "platform/desktop_windows.h"

#include <QByteArray>
#include <QtGlobal>

// Xlib last: its macros (None, Bool, Status, ...) clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

bool IsFileManagerWindow(const DesktopWindow& wnd) {
    static const char* const kFileManagers[] = {
        "nautilus", "org.gnome.nautilus", "nemo", "caja", "thunar", "dolphin", "pcmanfm"};
    for (const char* szName : kFileManagers) {
        const QLatin1String strName(szName);
        if (wnd.strInstance.compare(strName, Qt::CaseInsensitive) == 0 ||
            wnd.strClass.compare(strName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool FileManagerWindowShows(const DesktopWindow& wnd, const QString& strText) {
    return !strText.isEmpty() && IsFileManagerWindow(wnd) &&
           wnd.strTitle.contains(strText, Qt::CaseSensitive);
}

namespace {

/// A window may vanish while it is being read; Xlib's default handler would end the process for that.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

/// Opens the display for one call with errors ignored; closes it and restores the handler on the way out.
class CXSession {
public:
    explicit CXSession(const QString& strDisplay) {
        const QByteArray name = strDisplay.toLocal8Bit();
        if (strDisplay.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        m_pDisplay = XOpenDisplay(strDisplay.isEmpty() ? nullptr : name.constData());
        if (m_pDisplay)
            m_pfnPrevious = XSetErrorHandler(IgnoreXError);
    }
    ~CXSession() {
        if (!m_pDisplay)
            return;
        XSync(m_pDisplay, False);
        XSetErrorHandler(m_pfnPrevious);
        XCloseDisplay(m_pDisplay);
    }
    CXSession(const CXSession&) = delete;
    CXSession& operator=(const CXSession&) = delete;

    Display* display() const { return m_pDisplay; }

private:
    Display* m_pDisplay = nullptr;
    XErrorHandler m_pfnPrevious = nullptr;
};

/// A whole property of the given type and format, or nothing.
bool ReadProperty(Display* pDisplay, Window wnd, Atom property, Atom type, int nFormat, QByteArray& outData,
                  unsigned long& nItems) {
    Atom actualType = 0;
    int nActualFormat = 0;
    unsigned long nAfter = 0;
    unsigned char* pData = nullptr;
    nItems = 0;
    if (XGetWindowProperty(pDisplay, wnd, property, 0, 1 << 20, False, type, &actualType, &nActualFormat,
                           &nItems, &nAfter, &pData) != Success)
        return false;
    bool bOk = pData && actualType == type && nActualFormat == nFormat;
    if (bOk) {
        // Xlib hands format-32 items back as longs.
        const unsigned long nItemSize =
            nFormat == 32 ? sizeof(long) : static_cast<unsigned long>(nFormat / 8);
        outData = QByteArray(reinterpret_cast<const char*>(pData), static_cast<int>(nItems * nItemSize));
    }
    if (pData)
        XFree(pData);
    return bOk;
}

QString ReadTitle(Display* pDisplay, Window wnd) {
    QByteArray data;
    unsigned long nItems = 0;
    const Atom netWmName = XInternAtom(pDisplay, "_NET_WM_NAME", False);
    const Atom utf8String = XInternAtom(pDisplay, "UTF8_STRING", False);
    if (ReadProperty(pDisplay, wnd, netWmName, utf8String, 8, data, nItems))
        return QString::fromUtf8(data);
    XTextProperty text{};
    QString strTitle;
    if (XGetWMName(pDisplay, wnd, &text) && text.value) {
        char** ppList = nullptr;
        int nCount = 0;
        if (Xutf8TextPropertyToTextList(pDisplay, &text, &ppList, &nCount) >= Success && ppList && nCount > 0)
            strTitle = QString::fromUtf8(ppList[0]);
        if (ppList)
            XFreeStringList(ppList);
        // Without a usable locale Xlib may refuse the conversion; a plain STRING is Latin-1 anyway.
        if (strTitle.isEmpty() && text.encoding == XA_STRING && text.format == 8)
            strTitle =
                QString::fromLatin1(reinterpret_cast<const char*>(text.value), static_cast<int>(text.nitems));
        XFree(text.value);
    }
    return strTitle;
}

} // namespace

std::vector<DesktopWindow> CX11DesktopWindows::ListTopLevelWindows() {
    std::vector<DesktopWindow> vecWindows;
    CXSession session(m_strDisplay);
    Display* pDisplay = session.display();
    if (!pDisplay)
        return vecWindows;
    const Window root = DefaultRootWindow(pDisplay);
    QByteArray data;
    unsigned long nItems = 0;
    if (!ReadProperty(pDisplay, root, XInternAtom(pDisplay, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, data,
                      nItems))
        return vecWindows;
    const auto* pIds = reinterpret_cast<const unsigned long*>(data.constData());
    for (unsigned long i = 0; i < nItems; ++i) {
        DesktopWindow wnd;
        wnd.nId = pIds[i];
        XClassHint hint{};
        if (XGetClassHint(pDisplay, pIds[i], &hint)) {
            wnd.strInstance = QString::fromLocal8Bit(hint.res_name);
            wnd.strClass = QString::fromLocal8Bit(hint.res_class);
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        wnd.strTitle = ReadTitle(pDisplay, pIds[i]);
        vecWindows.push_back(wnd);
    }
    return vecWindows;
}

void CX11DesktopWindows::CloseWindow(uint64_t nId) {
    CXSession session(m_strDisplay);
    Display* pDisplay = session.display();
    if (!pDisplay || nId == 0)
        return;
    const Window root = DefaultRootWindow(pDisplay);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(nId);
    event.xclient.message_type = XInternAtom(pDisplay, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2; // source: a pager or other direct user action
    XSendEvent(pDisplay, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(pDisplay);
}
