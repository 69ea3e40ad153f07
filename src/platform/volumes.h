#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The "drives" of the computer level: the mounted volumes a user cares about, read
// from /proc/self/mountinfo.
namespace platform {

enum class DriveType
{
    Unknown,
    NotExist,
    Removable,
    Fixed,
    Network,
    CDROM,
    RAM
};

struct Volume
{
    QString mountPoint; // no trailing "/", except for the root "/"
    QString device;     // the mount source as mountinfo gives it ("/dev/sdb1", "//srv/share")
    QString fsType;     // "ext4", "vfat", "nfs4", "fuse.sshfs", ...
    QString label;      // volume label, else the device, else the file system type
    DriveType type = DriveType::Unknown;
};

// The volumes shown under "Computer": "/" first, then every mount under /media,
// /run/media, /mnt and the user's home, and every network file system, ordered by
// mount point. Pseudo and system mounts are left out; a mount point mounted over
// counts once, with its topmost mount. Labels come from /dev/disk/by-label, and
// block devices that report themselves removable in /sys/block are Removable.
std::vector<Volume> listVolumes();

// The pure part of listVolumes: parses the mountinfo text and selects and orders the
// volumes for the given home folder. Labels are the device or the file system type,
// and the drive type follows from file system type, device name and mount point only.
// "/" is always part of the result, even when the text lacks it.
std::vector<Volume> parseMountInfo(const QByteArray& content, const QString& home);

// Every mount of the mountinfo text in its order, unfiltered (octal escapes decoded).
std::vector<Volume> parseMountTable(const QByteArray& content);

// The mount that holds path within the table: the longest mount point that equals path
// or is a whole-component prefix of it, compared exactly; of equal mount points the last
// (topmost) one. A path that is not absolute gives a Volume of type NotExist.
Volume mountForPath(const std::vector<Volume>& table, const QString& path);

// mountForPath over every mount of /proc/self/mountinfo, with the label and drive type
// listVolumes would give it.
Volume volumeForPath(const QString& path);

// A drive node's text: " (" + mount point + ")  " + label.
QString volumeNodeText(const Volume& volume);

// Whether the volume's root can be opened and its file system answers statvfs.
bool volumeReady(const QString& mountPoint);

// Size and free space (for the user, f_bavail) of the file system holding path, in bytes.
bool volumeSizes(const QString& path, qint64& totalBytes, qint64& freeBytes);

// Whether a mountinfo file system type is a network file system.
bool isNetworkFsType(const QString& fsType);

} // namespace platform
