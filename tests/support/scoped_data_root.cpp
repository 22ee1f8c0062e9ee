#include "tests/support/scoped_data_root.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ScopedDataRoot::ScopedDataRoot() {
    if (qEnvironmentVariableIsSet("XDG_DATA_HOME"))
        m_oldValue = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
}

ScopedDataRoot::~ScopedDataRoot() {
    if (m_oldValue)
        qputenv("XDG_DATA_HOME", *m_oldValue);
    else
        qunsetenv("XDG_DATA_HOME");
}

bool ScopedDataRoot::Write(const QString& strRelPath, const QByteArray& content) const {
    const QString strPath = Path(strRelPath);
    if (!QDir().mkpath(QFileInfo(strPath).absolutePath()))
        return false;
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}
