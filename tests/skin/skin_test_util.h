#pragma once
// Layout documents and a private data root for the skin tests.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

/// Points SharedDataRoot() ($XDG_DATA_HOME) at a fresh temporary folder for its lifetime.
class ScopedDataRoot {
public:
    ScopedDataRoot();
    ~ScopedDataRoot();
    ScopedDataRoot(const ScopedDataRoot&) = delete;
    ScopedDataRoot& operator=(const ScopedDataRoot&) = delete;

    QString Path() const { return m_dir.path(); }
    /// Writes `content` to Path() + `strRelPath`, creating folders; false on failure.
    bool Write(const QString& strRelPath, const QByteArray& content) const;

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_oldValue;
};

/// A layout file as the shipped ones are written: byte-order mark, declaration, CR LF line ends,
/// `strBody` inside the WindowInformation element (its "\n" become CR LF).
QByteArray LayoutDocument(const QString& strBody);

/// A CtrlInfo element with every attribute, the values of the shipped Log In button but for these three.
QString CtrlInfoElement(int nCtrlID, const QString& strClass, const QString& strText);
