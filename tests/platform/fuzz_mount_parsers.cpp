// The mount-table parsers under libFuzzer: share names in both texts come from the devices.
#include "platform/ipv4_address.h"
#include "platform/mount_table.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const QByteArray data(reinterpret_cast<const char*>(pData), static_cast<int>(nSize));
    for (const KernelMount& mount : ParseMountInfo(data)) {
        // What reaches umount is always an absolute path of a SMB mount.
        if (!mount.strMountPoint.startsWith(QLatin1Char('/')) ||
            (mount.strFsType != QLatin1String("cifs") && mount.strFsType != QLatin1String("smb3")))
            std::abort();
    }
    for (const QString& strLocation : ParseGioMountList(QString::fromUtf8(data))) {
        if (!strLocation.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive))
            std::abort();
    }
    DecodeMountInfoField(data);
    IsDottedIPv4(QString::fromUtf8(data));
    return 0;
}
