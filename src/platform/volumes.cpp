#include "volumes.h"

#include "desktop.h"
#include "filesystem.h"
#include "namecodec.h"
#include "uniquefd.h"

#include <QHash>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

// Reads a whole (small) file; proc and sysfs files report a size of 0, so read to EOF.
bool readAll(const QByteArray& path, QByteArray& out)
{
    UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return false;
    out.clear();
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buf, n);
    }
}

QByteArray canonical(const QByteArray& path)
{
    char buf[PATH_MAX];
    if (!::realpath(path.constData(), buf))
        return QByteArray();
    return QByteArray(buf);
}

// mountinfo writes blank, tab, newline and backslash as \ooo.
QByteArray unescapeOctal(const QByteArray& field)
{
    if (!field.contains('\\'))
        return field;
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], d = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && d >= '0' && d <= '7') {
                out.append(char(((a - '0') << 6) | ((b - '0') << 3) | (d - '0')));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

// udev writes blanks and other unsafe bytes of a label as \xHH.
QByteArray unescapeHex(const QByteArray& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            bool ok = false;
            const int byte = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(byte));
                i += 3;
                continue;
            }
        }
        out.append(name[i]);
    }
    return out;
}

bool isAtOrBelow(const QString& path, const QString& base)
{
    return path == base || (path.startsWith(base) && path.size() > base.size() &&
                            path[base.size()] == QLatin1Char('/'));
}

bool isPseudoFsType(const QString& t)
{
    static const QStringList types = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),         QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("devpts"),        QStringLiteral("devtmpfs"),
        QStringLiteral("securityfs"),  QStringLiteral("debugfs"),       QStringLiteral("tracefs"),
        QStringLiteral("pstore"),      QStringLiteral("bpf"),           QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("mqueue"),        QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),      QStringLiteral("binfmt_misc"),   QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),   QStringLiteral("rpc_pipefs"),    QStringLiteral("nsfs"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.snapfuse"),
    };
    return types.contains(t);
}

bool hasDevice(const QString& device)
{
    return !device.isEmpty() && device != QLatin1String("none");
}

// The drive type from what mountinfo says; listVolumes refines Fixed by sysfs.
DriveType classify(const Volume& v)
{
    if (isNetworkFsType(v.fsType))
        return DriveType::Network;
    if (v.fsType == QLatin1String("iso9660") || v.fsType == QLatin1String("udf") ||
        v.device.startsWith(QLatin1String("/dev/sr")))
        return DriveType::CDROM;
    if (v.fsType == QLatin1String("tmpfs") || v.fsType == QLatin1String("ramfs"))
        return DriveType::RAM;
    if (isAtOrBelow(v.mountPoint, QStringLiteral("/media")) ||
        isAtOrBelow(v.mountPoint, QStringLiteral("/run/media")))
        return DriveType::Removable;
    if (v.device.startsWith(QLatin1String("/dev/")))
        return DriveType::Fixed;
    return DriveType::Unknown;
}

QString fallbackLabel(const Volume& v)
{
    return hasDevice(v.device) ? v.device : v.fsType;
}

bool isWanted(const Volume& v, const QString& home)
{
    if (v.mountPoint == QLatin1String("/"))
        return true;
    if (isPseudoFsType(v.fsType))
        return false;
    for (const char* system : {"/proc", "/sys", "/dev"}) {
        if (isAtOrBelow(v.mountPoint, QLatin1String(system)))
            return false;
    }
    if (isNetworkFsType(v.fsType))
        return true;
    if (isAtOrBelow(v.mountPoint, QStringLiteral("/media")) ||
        isAtOrBelow(v.mountPoint, QStringLiteral("/run/media")) ||
        isAtOrBelow(v.mountPoint, QStringLiteral("/mnt")))
        return true;
    return !home.isEmpty() && home != QLatin1String("/") && isAtOrBelow(v.mountPoint, home);
}

// Labels by canonical device path ("/dev/sdb1" -> "STICK").
QHash<QByteArray, QString> deviceLabels()
{
    QHash<QByteArray, QString> labels;
    const QByteArray dir = "/dev/disk/by-label/";
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return labels;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray device = canonical(dir + name);
        if (!device.isEmpty())
            labels.insert(device, decodeName(unescapeHex(name)));
    }
    ::closedir(d);
    return labels;
}

// Whether the disk of a block device ("sdb1" or "sdb") reports itself removable.
bool isRemovableBlockDevice(const QByteArray& name)
{
    QByteArray value;
    if (!readAll("/sys/block/" + name + "/removable", value)) {
        // A partition: its disk is the parent folder in the device tree.
        const QByteArray node = canonical("/sys/class/block/" + name);
        const qsizetype slash = node.lastIndexOf('/');
        if (slash <= 0 || !readAll(node.left(slash) + "/removable", value))
            return false;
    }
    return value.trimmed() == "1";
}

// What the pure parse cannot know: the volume label and removable disks.
void refine(Volume& v, const QHash<QByteArray, QString>& labels)
{
    if (!v.device.startsWith(QLatin1String("/dev/")))
        return;
    const QByteArray device = canonical(encodeName(v.device));
    if (device.isEmpty())
        return;
    const auto label = labels.constFind(device);
    if (label != labels.cend() && !label->isEmpty())
        v.label = *label;
    if (v.type == DriveType::Fixed &&
        isRemovableBlockDevice(device.mid(device.lastIndexOf('/') + 1)))
        v.type = DriveType::Removable;
}

QByteArray readMountInfo()
{
    QByteArray content;
    readAll("/proc/self/mountinfo", content);
    return content;
}

QString homeForVolumes()
{
    QString home = homeDir();
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    return home;
}

} // namespace

bool isNetworkFsType(const QString& fsType)
{
    static const QStringList types = {
        QStringLiteral("nfs"),
        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("ncpfs"),
        QStringLiteral("afs"),
        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),
        QStringLiteral("davfs"),
        QStringLiteral("fuse.davfs"),
        QStringLiteral("fuse.sshfs"),
        QStringLiteral("sshfs"),
        QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.rclone"),
        QStringLiteral("fuse.smbnetfs"),
        QStringLiteral("fuse.curlftpfs"),
    };
    return types.contains(fsType);
}

std::vector<Volume> parseMountTable(const QByteArray& content)
{
    std::vector<Volume> table;
    for (const QByteArray& line : content.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - type source superoptions
        if (f.size() < 9)
            continue;
        qsizetype dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (dash + 2 >= f.size())
            continue;
        Volume v;
        v.mountPoint = decodeName(unescapeOctal(f[4]));
        if (!v.mountPoint.startsWith(QLatin1Char('/')))
            continue;
        while (v.mountPoint.size() > 1 && v.mountPoint.endsWith(QLatin1Char('/')))
            v.mountPoint.chop(1);
        v.fsType = decodeName(unescapeOctal(f[dash + 1]));
        v.device = decodeName(unescapeOctal(f[dash + 2]));
        v.label = fallbackLabel(v);
        v.type = classify(v);
        table.push_back(std::move(v));
    }
    return table;
}

std::vector<Volume> parseMountInfo(const QByteArray& content, const QString& home)
{
    QString homeDir = home;
    while (homeDir.size() > 1 && homeDir.endsWith(QLatin1Char('/')))
        homeDir.chop(1);

    // A mount point mounted over shows its topmost mount only.
    std::vector<Volume> table = parseMountTable(content);
    std::vector<Volume> out;
    QHash<QString, size_t> seen;
    for (Volume& v : table) {
        const auto it = seen.constFind(v.mountPoint);
        if (it != seen.cend()) {
            out[*it] = std::move(v);
        } else {
            seen.insert(v.mountPoint, out.size());
            out.push_back(std::move(v));
        }
    }
    std::erase_if(out, [&](const Volume& v) { return !isWanted(v, homeDir); });
    if (!seen.contains(QStringLiteral("/"))) {
        Volume root;
        root.mountPoint = QStringLiteral("/");
        root.type = DriveType::Unknown;
        out.push_back(root);
    }
    std::sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) {
        const bool aRoot = a.mountPoint == QLatin1String("/");
        const bool bRoot = b.mountPoint == QLatin1String("/");
        if (aRoot != bRoot)
            return aRoot;
        return a.mountPoint < b.mountPoint;
    });
    return out;
}

Volume mountForPath(const std::vector<Volume>& table, const QString& path)
{
    Volume best;
    best.type = DriveType::NotExist;
    if (!path.startsWith(QLatin1Char('/')))
        return best;
    qsizetype bestLength = -1;
    for (const Volume& v : table) {
        const bool holds = v.mountPoint == QLatin1String("/") || isAtOrBelow(path, v.mountPoint);
        if (holds && v.mountPoint.size() >= bestLength) {
            best = v;
            bestLength = v.mountPoint.size();
        }
    }
    return best;
}

std::vector<Volume> listVolumes()
{
    std::vector<Volume> volumes = parseMountInfo(readMountInfo(), homeForVolumes());
    const QHash<QByteArray, QString> labels = deviceLabels();
    for (Volume& v : volumes)
        refine(v, labels);
    return volumes;
}

Volume volumeForPath(const QString& path)
{
    Volume v = mountForPath(parseMountTable(readMountInfo()), path);
    if (v.type != DriveType::NotExist)
        refine(v, deviceLabels());
    return v;
}

QString volumeNodeText(const Volume& volume)
{
    return QStringLiteral(" (") + volume.mountPoint + QStringLiteral(")  ") + volume.label;
}

bool volumeReady(const QString& mountPoint)
{
    UniqueFd fd(::open(encodeName(mountPoint).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return false;
    struct statvfs vfs;
    return ::fstatvfs(fd.get(), &vfs) == 0;
}

bool volumeSizes(const QString& path, qint64& totalBytes, qint64& freeBytes)
{
    return diskSpace(path, totalBytes, freeBytes);
}

} // namespace platform
