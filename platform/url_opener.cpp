#include "platform/url_opener.h"

#include "platform/command_runner.h"

bool CXdgUrlOpener::OpenUrl(const QString& strUrl) {
    // A leading dash would be read as an option of xdg-open.
    if (strUrl.isEmpty() || strUrl.startsWith(QLatin1Char('-')))
        return false;
    return m_runner.StartDetached(QStringLiteral("xdg-open"), {strUrl});
}
