#pragma once
// The SMB mounts the system holds: GVfs mounts of the desktop session and kernel SMB/CIFS mounts.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class CCommandRunner;

/// One kernel SMB/CIFS mount from /proc/self/mountinfo, escapes decoded.
struct KernelMount {
    QString strSource;     ///< what was mounted, for example "//10.0.0.2/share"
    QString strMountPoint; ///< an absolute path
    QString strFsType;     ///< "cifs" or "smb3"
};

/// The smb:// locations of the mounts listed by "gio mount -l", in listed order.
/// Each mount line reads "Mount(N): <name> -> <location>", indented when it belongs to a volume.
QStringList ParseGioMountList(const QString& strText);

/// The cifs and smb3 mounts of a mountinfo text, in listed order; malformed lines are skipped.
std::vector<KernelMount> ParseMountInfo(const QByteArray& data);

/// Decodes the octal escapes (\040 blank, \011 tab, \012 newline, \134 backslash) of a mountinfo field.
QString DecodeMountInfoField(const QByteArray& field);

class CMountTable {
public:
    virtual ~CMountTable() = default;
    /// The smb:// locations of the session's GVfs mounts; false when they cannot be listed.
    virtual bool GvfsSmbLocations(QStringList& listLocations) = 0;
    /// The kernel SMB/CIFS mounts visible to this process; empty when they cannot be read.
    virtual std::vector<KernelMount> KernelSmbMounts() = 0;
};

/// Reads "gio mount -l" (bounded wait) and /proc/self/mountinfo.
class CLinuxMountTable : public CMountTable {
public:
    explicit CLinuxMountTable(CCommandRunner& runner) : m_runner(runner) {}
    bool GvfsSmbLocations(QStringList& listLocations) override;
    std::vector<KernelMount> KernelSmbMounts() override;

    /// How long "gio mount -l" may take before it is given up.
    static constexpr int kGioTimeoutMs = 5000;

private:
    CCommandRunner& m_runner;
};
