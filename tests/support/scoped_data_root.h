#pragma once
// A private SharedDataRoot for one test: the program's data folder and every layout path land there.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

/// Points $XDG_DATA_HOME at a fresh temporary folder for its lifetime; the previous value comes back.
class ScopedDataRoot {
public:
    ScopedDataRoot();
    ~ScopedDataRoot();
    ScopedDataRoot(const ScopedDataRoot&) = delete;
    ScopedDataRoot& operator=(const ScopedDataRoot&) = delete;

    /// The root followed by `strRelPath`, written with "/".
    QString Path(const QString& strRelPath = QString()) const { return m_dir.path() + strRelPath; }
    /// Writes `content` to Path(`strRelPath`), creating folders; false on failure.
    bool Write(const QString& strRelPath, const QByteArray& content) const;

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_oldValue;
};
