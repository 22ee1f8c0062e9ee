#pragma once
// A URL opener for tests: it records what the window would have opened instead of starting a browser.

#include "platform/url_opener.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

class CRecordingUrlOpener : public CUrlOpener {
public:
    bool OpenUrl(const QString& strUrl) override {
        QMutexLocker lock(&m_mutex);
        m_urls << strUrl;
        return true;
    }
    /// Opened on the storage action's own thread too, hence the lock.
    QStringList Urls() {
        QMutexLocker lock(&m_mutex);
        return m_urls;
    }

private:
    QMutex m_mutex;
    QStringList m_urls;
};
