#include "platform/data_folder.h"

#include <QDir>
#include <QtGlobal>

QString SharedDataRoot() {
    const QString strXdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!strXdg.isEmpty())
        return strXdg;
    const QString strHome = qEnvironmentVariable("HOME");
    if (strHome.isEmpty())
        return QString();
    return strHome + QStringLiteral("/.local/share");
}
