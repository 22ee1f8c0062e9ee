#pragma once
// Opening a URL with the desktop's handler (the browser for http://, the file manager for smb://).

#include <QString>

class CCommandRunner;

class CUrlOpener {
public:
    virtual ~CUrlOpener() = default;
    /// Hands the URL to the desktop and returns at once; true when the handler started. May be called from
    /// any thread.
    virtual bool OpenUrl(const QString& strUrl) = 0;
};

/// Starts "xdg-open <url>" detached through the command runner.
class CXdgUrlOpener : public CUrlOpener {
public:
    explicit CXdgUrlOpener(CCommandRunner& runner) : m_runner(runner) {}
    bool OpenUrl(const QString& strUrl) override;

private:
    CCommandRunner& m_runner;
};
