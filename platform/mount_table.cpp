#include "platform/mount_table.h"

#include "platform/command_runner.h"

#include <QFile>
#include <QList>

QStringList ParseGioMountList(const QString& strText) {
    static const QLatin1String kArrow(" -> ");
    QStringList listLocations;
    const QStringList listLines = strText.split(QLatin1Char('\n'));
    for (const QString& strRawLine : listLines) {
        const QString strLine = strRawLine.trimmed();
        if (!strLine.startsWith(QLatin1String("Mount(")))
            continue;
        const int nHead = strLine.indexOf(QLatin1String("): "));
        if (nHead < 0)
            continue;
        // The name may itself contain " -> "; the location is a URI without blanks, so it follows the last.
        const int nArrow = strLine.lastIndexOf(kArrow);
        if (nArrow < nHead)
            continue;
        const QString strLocation = strLine.mid(nArrow + kArrow.size());
        if (strLocation.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive) && strLocation.size() > 6)
            listLocations.append(strLocation);
    }
    return listLocations;
}

QString DecodeMountInfoField(const QByteArray& field) {
    QByteArray decoded;
    decoded.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const char ch = field[i];
        if (ch == '\\' && i + 3 < field.size()) {
            const char c1 = field[i + 1], c2 = field[i + 2], c3 = field[i + 3];
            const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
            if (isOctal(c1) && isOctal(c2) && isOctal(c3) && c1 <= '3') {
                decoded.append(static_cast<char>((c1 - '0') * 64 + (c2 - '0') * 8 + (c3 - '0')));
                i += 3;
                continue;
            }
        }
        decoded.append(ch);
    }
    return QString::fromUtf8(decoded);
}

std::vector<KernelMount> ParseMountInfo(const QByteArray& data) {
    // id parent major:minor root mount-point options [optional fields...] - fstype source super-options
    std::vector<KernelMount> vecMounts;
    const QList<QByteArray> listLines = data.split('\n');
    for (const QByteArray& line : listLines) {
        const QList<QByteArray> listFields = line.simplified().split(' ');
        int nDash = -1;
        for (int i = 6; i < listFields.size(); ++i) {
            if (listFields[i] == "-") {
                nDash = i;
                break;
            }
        }
        if (nDash < 0 || nDash + 2 >= listFields.size())
            continue;
        const QByteArray& fsType = listFields[nDash + 1];
        if (fsType != "cifs" && fsType != "smb3")
            continue;
        KernelMount mount;
        mount.strFsType = QString::fromLatin1(fsType);
        mount.strMountPoint = DecodeMountInfoField(listFields[4]);
        mount.strSource = DecodeMountInfoField(listFields[nDash + 2]);
        // The mount point is handed to umount: only an absolute path, never something read as an option.
        if (!mount.strMountPoint.startsWith(QLatin1Char('/')))
            continue;
        vecMounts.push_back(mount);
    }
    return vecMounts;
}

bool CLinuxMountTable::GvfsSmbLocations(QStringList& listLocations) {
    listLocations.clear();
    QByteArray output;
    if (!m_runner.RunAndCapture(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-l")},
                                kGioTimeoutMs, output))
        return false;
    listLocations = ParseGioMountList(QString::fromUtf8(output));
    return true;
}

std::vector<KernelMount> CLinuxMountTable::KernelSmbMounts() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A proc file reports no size: read until it ends.
    return ParseMountInfo(file.readAll());
}
