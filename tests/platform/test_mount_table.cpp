// Reading the SMB mounts: "gio mount -l" output and /proc/self/mountinfo, both as pure parsers.
#include "platform/mount_table.h"

#include "tests/platform/fake_command_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Found by argument-dependent lookup, so beside KernelMount in the global namespace.
void PrintTo(const KernelMount& m, std::ostream* pOut) {
    *pOut << "{" << m.strSource.toStdString() << " at " << m.strMountPoint.toStdString() << " ("
          << m.strFsType.toStdString() << ")}";
}

bool operator==(const KernelMount& a, const KernelMount& b) {
    return a.strSource == b.strSource && a.strMountPoint == b.strMountPoint && a.strFsType == b.strFsType;
}

namespace {

// ---- gio mount -l

struct GioCase {
    const char* szName;
    const char* szText;
    std::vector<const char*> vecLocations;
};

class GioMountListTest : public ::testing::TestWithParam<GioCase> {};

TEST_P(GioMountListTest, ListsSmbLocations) {
    QStringList listExpected;
    for (const char* sz : GetParam().vecLocations)
        listExpected.append(QString::fromUtf8(sz));
    EXPECT_EQ(ParseGioMountList(QString::fromUtf8(GetParam().szText)), listExpected);
}

// Indentation as gio prints it: drives at 0, their volumes at 2, volume mounts at 4, and the mounts
// without a volume (where GVfs network mounts appear) at 0 again.
const char kDesktopSession[] = "Drive(0): Samsung SSD 860 EVO 500GB\n"
                               "  Type: GProxyDrive (GProxyVolumeMonitorUDisks2)\n"
                               "  Volume(0): Data\n"
                               "    Type: GProxyVolume (GProxyVolumeMonitorUDisks2)\n"
                               "    Mount(0): Data -> file:///media/user/Data\n"
                               "      Type: GProxyMount (GProxyVolumeMonitorUDisks2)\n"
                               "Volume(0): nas\n"
                               "  Type: GProxyVolume (GProxyVolumeMonitorGoa)\n"
                               "  Mount(0): music on nas -> smb://nas/music/\n"
                               "    Type: GProxyMount (GProxyVolumeMonitorGoa)\n"
                               "Mount(0): share on 10.0.0.2 -> smb://10.0.0.2/share/\n"
                               "  Type: GDaemonMount\n"
                               "Mount(1): sftp as user on 10.0.0.2 -> sftp://user@10.0.0.2/\n"
                               "  Type: GDaemonMount\n"
                               "Mount(2): user on 10.0.0.20 -> smb://WORKGROUP;user@10.0.0.20/user/\n"
                               "  Type: GDaemonMount\n"
                               "Mount(3): docs on 10.0.0.3 -> smb://10.0.0.3/docs/\n"
                               "  Type: GDaemonMount\n";

const GioCase kGioCases[] = {
    {"Empty", "", {}},
    {"DesktopSession",
     kDesktopSession,
     {"smb://nas/music/", "smb://10.0.0.2/share/", "smb://WORKGROUP;user@10.0.0.20/user/",
      "smb://10.0.0.3/docs/"}},
    {"WithoutTypeLines",
     "Mount(0): a on 10.0.0.2 -> smb://10.0.0.2/a/\nMount(1): b on 10.0.0.2 -> smb://10.0.0.2/b/\n",
     {"smb://10.0.0.2/a/", "smb://10.0.0.2/b/"}},
    {"ArrowInName",
     "Mount(0): x -> y on 10.0.0.5 -> smb://10.0.0.5/x%20-%3E%20y/\n",
     {"smb://10.0.0.5/x%20-%3E%20y/"}},
    {"NoFinalNewline", "Mount(0): share on 10.0.0.2 -> smb://10.0.0.2/share/", {"smb://10.0.0.2/share/"}},
    {"CarriageReturns",
     "Mount(0): share on 10.0.0.2 -> smb://10.0.0.2/share/\r\n",
     {"smb://10.0.0.2/share/"}},
    {"OtherSchemesOnly", "Mount(0): root -> file:///\nMount(1): ftp -> ftp://10.0.0.2/\n", {}},
    {"NameMentionsSmbButLocationDoesNot", "Mount(0): smb://10.0.0.2/ copy -> file:///home/u/smb\n", {}},
    {"TypeLineWithArrowIgnored", "  Type: smb -> smb://10.0.0.2/x/\n", {}},
    {"NoArrow", "Mount(0): smb://10.0.0.2/share/\n", {}},
    {"SchemeOnly", "Mount(0): odd -> smb://\n", {}},
    {"ErrorText", "gio: Operation not supported\n", {}},
};

INSTANTIATE_TEST_SUITE_P(Table, GioMountListTest, ::testing::ValuesIn(kGioCases),
                         [](const ::testing::TestParamInfo<GioCase>& info) { return info.param.szName; });

// ---- mountinfo

struct MountInfoCase {
    const char* szName;
    const char* szText;
    std::vector<KernelMount> vecMounts;
};

class MountInfoTest : public ::testing::TestWithParam<MountInfoCase> {};

TEST_P(MountInfoTest, ListsSmbMounts) {
    EXPECT_EQ(ParseMountInfo(QByteArray(GetParam().szText)), GetParam().vecMounts);
}

KernelMount Mount(const char* szSource, const char* szPoint, const char* szType) {
    return {QString::fromUtf8(szSource), QString::fromUtf8(szPoint), QString::fromUtf8(szType)};
}

const char kMachine[] =
    "21 27 0:20 / /proc rw,relatime - proc proc rw\n"
    "27 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
    "60 30 0:48 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:120 - fuse.gvfsd-fuse gvfsd-fuse "
    "rw,user_id=1000,group_id=1000\n"
    "105 27 0:52 / /mnt/nas\\040share rw,relatime shared:60 - cifs //10.0.0.2/share "
    "rw,vers=3.1.1,cache=strict,username=guest,addr=10.0.0.2,soft,nounix,serverino\n"
    "106 27 0:53 / /mnt/other rw,relatime - cifs //10.0.0.9/a rw,vers=3.0,addr=10.0.0.9\n"
    "107 27 0:54 / /media/docs rw,relatime shared:61 master:7 - smb3 //10.0.0.20/docs rw,vers=3.1.1\n"
    "108 27 0:55 / /mnt/nfs rw,relatime - nfs 10.0.0.2:/export rw,vers=4.2,addr=10.0.0.2\n";

const MountInfoCase kMountInfoCases[] = {
    {"Empty", "", {}},
    {"Machine",
     kMachine,
     {Mount("//10.0.0.2/share", "/mnt/nas share", "cifs"), Mount("//10.0.0.9/a", "/mnt/other", "cifs"),
      Mount("//10.0.0.20/docs", "/media/docs", "smb3")}},
    {"EscapesInSourceAndPoint",
     "110 27 0:60 / /mnt/a\\011b\\012c\\134d rw - cifs //10.0.0.2/my\\040share rw\n",
     {Mount("//10.0.0.2/my share", "/mnt/a\tb\nc\\d", "cifs")}},
    {"Utf8MountPoint",
     "111 27 0:61 / /mnt/\xE6\x96\x87\xE4\xBB\xB6 rw - cifs //10.0.0.2/s rw\n",
     {Mount("//10.0.0.2/s", "/mnt/\xE6\x96\x87\xE4\xBB\xB6", "cifs")}},
    {"NoDash", "112 27 0:62 / /mnt/x rw cifs //10.0.0.2/s rw\n", {}},
    {"DashWithoutSource", "113 27 0:63 / /mnt/x rw - cifs\n", {}},
    {"TooFewFields", "114 27 - cifs //10.0.0.2/s rw\n", {}},
    {"RelativeMountPointRefused", "115 27 0:64 / -f rw - cifs //10.0.0.2/s rw\n", {}},
    {"SmbfsIsNotKernelCifs", "116 27 0:65 / /mnt/y rw - smbfs //10.0.0.2/s rw\n", {}},
    {"CifsAsSourceOfOtherType", "117 27 0:66 / /mnt/z rw - fuse cifs rw\n", {}},
};

INSTANTIATE_TEST_SUITE_P(Table, MountInfoTest, ::testing::ValuesIn(kMountInfoCases),
                         [](const ::testing::TestParamInfo<MountInfoCase>& info) {
                             return info.param.szName;
                         });

struct EscapeCase {
    const char* szName;
    const char* szField;
    const char* szDecoded;
};

class MountInfoEscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(MountInfoEscapeTest, DecodesOctalEscapes) {
    EXPECT_EQ(DecodeMountInfoField(QByteArray(GetParam().szField)).toStdString(), GetParam().szDecoded);
}

const EscapeCase kEscapeCases[] = {
    {"Plain", "/mnt/a", "/mnt/a"},
    {"Blank", "/mnt/a\\040b", "/mnt/a b"},
    {"Backslash", "\\134\\134", "\\\\"},
    {"AtEnd", "/mnt/a\\040", "/mnt/a "},
    {"TruncatedEscapeKept", "/mnt/a\\04", "/mnt/a\\04"},
    {"LoneBackslashKept", "/mnt/a\\", "/mnt/a\\"},
    {"NotOctalKept", "/mnt/a\\089", "/mnt/a\\089"},
    {"OutOfByteRangeKept", "/mnt/a\\777", "/mnt/a\\777"},
};

INSTANTIATE_TEST_SUITE_P(Table, MountInfoEscapeTest, ::testing::ValuesIn(kEscapeCases),
                         [](const ::testing::TestParamInfo<EscapeCase>& info) { return info.param.szName; });

// ---- the Linux table over a recording runner: what is run for the GVfs list, and its failure.

TEST(LinuxMountTableTest, AsksGioWithBoundedWait) {
    CRecordingCommandRunner runner;
    runner.m_captureOutput = kDesktopSession;
    CLinuxMountTable table(runner);
    QStringList listLocations;
    ASSERT_TRUE(table.GvfsSmbLocations(listLocations));
    EXPECT_EQ(listLocations.size(), 4);
    const auto vecCalls = runner.Calls();
    ASSERT_EQ(vecCalls.size(), 1u);
    EXPECT_FALSE(vecCalls[0].bDetached);
    EXPECT_EQ(vecCalls[0].listArgv, (QStringList{"gio", "mount", "-l"}));
    EXPECT_GT(vecCalls[0].nTimeoutMs, 0);
}

TEST(LinuxMountTableTest, GioFailureListsNothing) {
    CRecordingCommandRunner runner;
    runner.m_bCaptureResult = false;
    CLinuxMountTable table(runner);
    QStringList listLocations{"stale"};
    EXPECT_FALSE(table.GvfsSmbLocations(listLocations));
    EXPECT_TRUE(listLocations.isEmpty());
}

} // namespace
