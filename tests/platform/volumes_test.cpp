#include "platform/namecodec.h"
#include "platform/volumes.h"
#include "testenv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A machine with the usual system mounts, a stick, a CD, network shares and a few
// mounts in places nobody browses. "/" is not the first line on purpose.
const QByteArray MountInfo =
    "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
    "22 26 0:21 / /sys rw,relatime - sysfs sysfs rw\n"
    "23 26 0:6 / /dev rw,relatime - devtmpfs udev rw,size=8k\n"
    "25 23 0:23 / /dev/pts rw - devpts devpts rw,mode=600\n"
    "30 22 0:27 / /sys/fs/cgroup rw shared:4 - cgroup2 cgroup2 rw\n"
    "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "40 26 0:40 / /run rw shared:5 - tmpfs tmpfs rw\n"
    "41 40 0:41 / /run/user/1000 rw shared:6 - tmpfs tmpfs rw\n"
    "42 26 8:17 / /media/anna/USB\\040STICK rw shared:7 - vfat /dev/sdb1 rw\n"
    "43 26 0:50 / /mnt/nas rw - nfs4 nas:/export rw\n"
    "44 26 0:51 / /srv/share rw master:3 - cifs //server/share rw\n"
    "45 26 8:3 / /home/anna rw - ext4 /dev/sda3 rw\n"
    "46 45 0:52 / /home/anna/.cache rw - tmpfs tmpfs rw\n"
    "47 26 7:0 / /snap/core/123 ro - squashfs /dev/loop0 ro\n"
    "48 41 0:53 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "49 26 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "50 26 8:33 / /run/media/anna/Backup rw - ext4 /dev/sdc1 rw\n"
    "51 26 8:49 / /opt/data rw - ext4 /dev/sdd1 rw\n"
    "52 26 8:65 / /mnt/tab\\011and\\134back rw - ext4 /dev/sde1 rw\n"
    "53 26 8:81 / /mnt/disk rw - ext4 /dev/sdf1 rw\n"
    "54 53 8:97 / /mnt/disk rw - xfs /dev/sdg1 rw\n"
    "55 26 0:54 / /mnt/ram rw - ramfs none rw\n"
    "56 26 0:55 / /mnt/chroot/proc rw - proc proc rw\n"
    "57 45 0:56 / /home/anna/sshfs rw - fuse.sshfs anna@host:/data rw\n";

struct Expected
{
    const char* mountPoint;
    const char* device;
    const char* fsType;
    const char* label;
    DriveType type;
};

} // namespace

TEST(Volumes, ParsesMountInfoIntoTheDrivesAUserCaresAbout)
{
    const Expected expected[] = {
        {"/", "/dev/sda2", "ext4", "/dev/sda2", DriveType::Fixed},
        {"/home/anna", "/dev/sda3", "ext4", "/dev/sda3", DriveType::Fixed},
        {"/home/anna/.cache", "tmpfs", "tmpfs", "tmpfs", DriveType::RAM},
        {"/home/anna/sshfs", "anna@host:/data", "fuse.sshfs", "anna@host:/data",
         DriveType::Network},
        {"/media/anna/USB STICK", "/dev/sdb1", "vfat", "/dev/sdb1", DriveType::Removable},
        {"/media/cdrom", "/dev/sr0", "iso9660", "/dev/sr0", DriveType::CDROM},
        {"/mnt/disk", "/dev/sdg1", "xfs", "/dev/sdg1", DriveType::Fixed}, // the topmost mount
        {"/mnt/nas", "nas:/export", "nfs4", "nas:/export", DriveType::Network},
        {"/mnt/ram", "none", "ramfs", "ramfs", DriveType::RAM},
        {"/mnt/tab\tand\\back", "/dev/sde1", "ext4", "/dev/sde1", DriveType::Fixed},
        {"/run/media/anna/Backup", "/dev/sdc1", "ext4", "/dev/sdc1", DriveType::Removable},
        {"/run/user/1000/gvfs", "gvfsd-fuse", "fuse.gvfsd-fuse", "gvfsd-fuse", DriveType::Network},
        {"/srv/share", "//server/share", "cifs", "//server/share", DriveType::Network},
    };
    const std::vector<Volume> volumes = parseMountInfo(MountInfo, QStringLiteral("/home/anna/"));
    QStringList got;
    for (const Volume& v : volumes)
        got << v.mountPoint;
    ASSERT_EQ(volumes.size(), std::size(expected)) << got.join(QLatin1Char('|')).toStdString();
    for (size_t i = 0; i < volumes.size(); ++i) {
        SCOPED_TRACE(expected[i].mountPoint);
        EXPECT_EQ(volumes[i].mountPoint, QString::fromUtf8(expected[i].mountPoint));
        EXPECT_EQ(volumes[i].device, QString::fromUtf8(expected[i].device));
        EXPECT_EQ(volumes[i].fsType, QString::fromUtf8(expected[i].fsType));
        EXPECT_EQ(volumes[i].label, QString::fromUtf8(expected[i].label));
        EXPECT_EQ(volumes[i].type, expected[i].type);
    }
    EXPECT_EQ(volumeNodeText(volumes[4]), QStringLiteral(" (/media/anna/USB STICK)  /dev/sdb1"));
    EXPECT_EQ(volumeNodeText(volumes[0]), QStringLiteral(" (/)  /dev/sda2"));
}

TEST(Volumes, RootComesFirstEvenWhenMountInfoLacksIt)
{
    const QByteArray content = "60 1 8:1 / /mnt/b rw - ext4 /dev/sdb1 rw\n"
                               "61 1 8:2 / /mnt/a rw - ext4 /dev/sda1 rw\n"
                               "garbage line\n"
                               "\n";
    const std::vector<Volume> volumes = parseMountInfo(content, QStringLiteral("/home/x"));
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].mountPoint, QStringLiteral("/"));
    EXPECT_EQ(volumes[1].mountPoint, QStringLiteral("/mnt/a"));
    EXPECT_EQ(volumes[2].mountPoint, QStringLiteral("/mnt/b"));
}

TEST(Volumes, MountPointsThatAreNotUtf8KeepTheirBytes)
{
    const QByteArray content = "26 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
                               "42 26 8:17 / /media/caf\xe9\\040x rw - vfat /dev/sdb1 rw\n";
    const std::vector<Volume> volumes = parseMountInfo(content, QStringLiteral("/home/x"));
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(encodeName(volumes[1].mountPoint), QByteArray("/media/caf\xe9 x"));
}

TEST(Volumes, MountForPathTakesTheLongestWholeComponentPrefix)
{
    const std::vector<Volume> table = parseMountTable(MountInfo);
    const struct
    {
        const char* path;
        const char* mountPoint;
        const char* fsType;
    } cases[] = {
        {"/home/anna/Fotos/a.jpg", "/home/anna", "ext4"},
        {"/home/anna", "/home/anna", "ext4"},
        {"/home/anna/", "/home/anna", "ext4"},
        {"/home/anna/.cache/x", "/home/anna/.cache", "tmpfs"},
        {"/home/annabelle/x", "/", "ext4"}, // not a component boundary
        {"/Home/anna/x", "/", "ext4"},      // case matters
        {"/mnt/disk/a", "/mnt/disk", "xfs"},
        {"/media/anna/USB STICK/DCIM", "/media/anna/USB STICK", "vfat"},
        {"/proc/self", "/proc", "proc"}, // all mounts count here
        {"/", "/", "ext4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Volume v = mountForPath(table, QString::fromUtf8(c.path));
        EXPECT_EQ(v.mountPoint, QString::fromUtf8(c.mountPoint));
        EXPECT_EQ(v.fsType, QString::fromUtf8(c.fsType));
    }
    EXPECT_EQ(mountForPath(table, QStringLiteral("relative/path")).type, DriveType::NotExist);
    EXPECT_EQ(mountForPath(table, QString()).type, DriveType::NotExist);
}

TEST(Volumes, NetworkFileSystemTypes)
{
    for (const char* t : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "davfs", "fuse.gvfsd-fuse"})
        EXPECT_TRUE(isNetworkFsType(QString::fromLatin1(t))) << t;
    for (const char* t : {"ext4", "tmpfs", "vfat", "fuse", "fuseblk", "NFS", ""})
        EXPECT_FALSE(isNetworkFsType(QString::fromLatin1(t))) << t;
}

TEST(Volumes, TheRunningSystemHasAReadyRoot)
{
    const std::vector<Volume> volumes = listVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().mountPoint, QStringLiteral("/"));
    EXPECT_FALSE(volumes.front().label.isEmpty());
    EXPECT_TRUE(volumeReady(QStringLiteral("/")));
    EXPECT_FALSE(volumeReady(QStringLiteral("/no/such/volume")));
    qint64 total = 0, free = 0;
    ASSERT_TRUE(volumeSizes(QStringLiteral("/"), total, free));
    EXPECT_GT(total, 0);
    EXPECT_LE(free, total);
}

TEST(Volumes, AMountInTheHomeIsListedAndHoldsItsPaths)
{
    // The test home lies below HOME, so a mount in it belongs to the drives.
    TempDir tmp;
    const QByteArray dir = tmp / "ram";
    if (!fixture::mountTmpfs(dir, "1M"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    const QString mountPoint = decodeName(dir);

    const std::vector<Volume> volumes = listVolumes();
    const auto it = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const Volume& v) { return v.mountPoint == mountPoint; });
    const bool listed = it != volumes.end();
    const Volume held = volumeForPath(mountPoint + QStringLiteral("/sub/file"));
    qint64 total = 0, free = 0;
    const bool sized = volumeSizes(mountPoint, total, free);
    fixture::unmount(dir);

    ASSERT_TRUE(listed);
    EXPECT_EQ(it->type, DriveType::RAM);
    EXPECT_EQ(it->fsType, QStringLiteral("tmpfs"));
    EXPECT_EQ(held.mountPoint, mountPoint);
    ASSERT_TRUE(sized);
    EXPECT_EQ(total, 1024 * 1024);
}
