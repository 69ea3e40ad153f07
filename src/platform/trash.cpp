#include "trash.h"

#include "wholefile.h"

#include "desktop.h"
#include "filesystem.h"
#include "namecodec.h"
#include "uniquefd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int MaxNameBytes = NAME_MAX;
const QByteArray InfoSuffix = ".trashinfo";

// Where an item goes.
struct TrashPlace
{
    QByteArray dir;      // the trash folder that holds files/ and info/
    QByteArray topdir;   // the volume's top folder; empty for the home trash
    QByteArray itemPath; // the item's path as the .trashinfo records it (not yet encoded)
};

// What we know about the item.
struct Item
{
    QByteArray path;   // absolute, without trailing "/"
    QByteArray name;   // last component
    QByteArray parent; // canonical path of the folder holding it
    dev_t device = 0;  // device of that folder: the file system rename works in
};

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray join(const QByteArray& dir, const QByteArray& name)
{
    return dir.endsWith('/') ? QByteArray(dir + name) : QByteArray(dir + '/' + name);
}

bool isAtOrBelow(const QByteArray& path, const QByteArray& base)
{
    if (base == "/")
        return path.startsWith('/');
    return path == base || (path.startsWith(base) && path[base.size()] == '/');
}

QByteArray canonical(const QByteArray& path)
{
    char buf[PATH_MAX];
    if (!::realpath(path.constData(), buf))
        return QByteArray();
    return QByteArray(buf);
}

bool describeItem(const QString& path, Item& item)
{
    item.path = encodeName(path);
    while (item.path.size() > 1 && item.path.endsWith('/'))
        item.path.chop(1);
    if (!item.path.startsWith('/') || item.path == "/") {
        errno = EINVAL;
        return false;
    }
    struct stat st;
    if (::lstat(item.path.constData(), &st) != 0)
        return false;
    item.name = item.path.mid(item.path.lastIndexOf('/') + 1);
    item.parent = canonical(parentOf(item.path));
    if (item.parent.isEmpty() || ::stat(item.parent.constData(), &st) != 0)
        return false;
    item.device = st.st_dev;
    return true;
}

// The device a folder has, or will have once created: that of its nearest existing
// ancestor.
bool deviceOfFolder(QByteArray dir, dev_t& device)
{
    struct stat st;
    while (::stat(dir.constData(), &st) != 0) {
        if (errno != ENOENT || dir == "/")
            return false;
        dir = parentOf(dir);
    }
    device = st.st_dev;
    return true;
}

bool isMountRoot(const QByteArray& dir)
{
    struct statx stx;
    if (::statx(AT_FDCWD, dir.constData(), 0, STATX_BASIC_STATS, &stx) != 0)
        return false;
    return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
           (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// The top folder of the file system holding the (canonical) folder dir.
QByteArray topdirOf(QByteArray dir, dev_t device)
{
    while (dir != "/" && !isMountRoot(dir)) {
        const QByteArray up = parentOf(dir);
        struct stat st;
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        dir = up;
    }
    return dir;
}

// A trash folder is usable when it is a directory we may write in, or, when missing,
// when it can be made: in check mode its nearest existing ancestor must be writable,
// otherwise it is created with mode 0700. Volume trash folders must be real
// directories of ours, not links someone else put there.
bool usableFolder(const QByteArray& dir, bool create, bool strict)
{
    struct stat st;
    if ((strict ? ::lstat(dir.constData(), &st) : ::stat(dir.constData(), &st)) == 0) {
        if (!S_ISDIR(st.st_mode) || (strict && st.st_uid != ::getuid())) {
            errno = ENOTDIR;
            return false;
        }
        return ::access(dir.constData(), W_OK | X_OK) == 0;
    }
    if (errno != ENOENT)
        return false;
    if (create) {
        if (::mkdir(dir.constData(), 0700) == 0)
            return true;
        return errno == EEXIST && usableFolder(dir, false, strict);
    }
    QByteArray up = parentOf(dir);
    while (::stat(up.constData(), &st) != 0) {
        if (errno != ENOENT || up == "/")
            return false;
        up = parentOf(up);
    }
    return S_ISDIR(st.st_mode) && ::access(up.constData(), W_OK | X_OK) == 0;
}

bool usableTrash(const QByteArray& dir, bool create, bool strict)
{
    return usableFolder(dir, create, strict) && usableFolder(dir + "/files", create, strict) &&
           usableFolder(dir + "/info", create, strict);
}

enum class Home
{
    OtherDevice,
    Usable,
    Unusable
};

// An item on the home trash's file system goes there or nowhere.
Home homeTrash(const Item& item, bool create, TrashPlace& place)
{
    const QByteArray data = encodeName(dataHome());
    const QByteArray dir = join(data, "Trash");
    dev_t device = 0;
    if (!deviceOfFolder(dir, device) || device != item.device)
        return Home::OtherDevice;
    if (create && !makePath(decodeName(data)))
        return Home::Unusable;
    if (!usableTrash(dir, create, false))
        return Home::Unusable;
    place.dir = dir;
    place.topdir.clear();
    place.itemPath = item.path;
    return Home::Usable;
}

bool volumeTrash(const Item& item, bool create, TrashPlace& place)
{
    const QByteArray topdir = topdirOf(item.parent, item.device);
    const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
    place.topdir = topdir;
    const QByteArray full = join(item.parent, item.name);
    place.itemPath = topdir == "/" ? full.mid(1) : full.mid(topdir.size() + 1);

    // A shared .Trash counts only as a real directory with the sticky bit; anything
    // else could be a trap laid by another user.
    const QByteArray shared = join(topdir, ".Trash");
    struct stat st;
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        place.dir = join(shared, uid);
        if (usableTrash(place.dir, create, true))
            return true;
    }
    place.dir = join(topdir, ".Trash-" + uid);
    return usableTrash(place.dir, create, true);
}

bool findTrash(const Item& item, bool create, TrashPlace& place)
{
    switch (homeTrash(item, create, place)) {
    case Home::Usable:
        break;
    case Home::Unusable:
        return false;
    case Home::OtherDevice:
        if (!volumeTrash(item, create, place))
            return false;
        break;
    }
    // Deleting inside a trash means deleting for good.
    const QByteArray trash = canonical(place.dir);
    if (!trash.isEmpty() && isAtOrBelow(join(item.parent, item.name), trash)) {
        errno = EINVAL;
        return false;
    }
    return true;
}

// Percent-encodes a path's bytes, keeping the unreserved characters of RFC 2396
// (letters, digits and -_.!~*'()) and "/".
QByteArray encodePath(const QByteArray& path)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(path.size() * 3 / 2);
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || std::strchr("-_.!~*'()/", c) != nullptr;
        if (keep && c != 0) {
            out.append(char(c));
        } else {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 15]);
        }
    }
    return out;
}

QByteArray deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    const size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return QByteArray(buf, qsizetype(n));
}

// The n-th candidate name (n = 1: the name itself, then "name.2", ...), cut so that
// name + ".trashinfo" still fits the file system's name limit. The cut does not split
// a UTF-8 sequence.
QByteArray candidateName(const QByteArray& name, int n)
{
    const QByteArray suffix = n == 1 ? QByteArray() : QByteArray("." + QByteArray::number(n));
    qsizetype room = MaxNameBytes - InfoSuffix.size() - suffix.size();
    if (name.size() <= room)
        return name + suffix;
    while (room > 0 && (static_cast<unsigned char>(name[room]) & 0xC0) == 0x80)
        --room;
    return name.left(room) + suffix;
}

void removeKeepingErrno(const QByteArray& path)
{
    const int saved = errno;
    ::unlink(path.constData());
    errno = saved;
}

} // namespace

bool canTrash(const QString& path)
{
    Item item;
    TrashPlace place;
    return describeItem(path, item) && findTrash(item, false, place);
}

bool moveToTrash(const QString& path, QString* trashedFile)
{
    Item item;
    TrashPlace place;
    if (!describeItem(path, item) || !findTrash(item, true, place))
        return false;

    const QByteArray info = "[Trash Info]\nPath=" + encodePath(place.itemPath) +
                            "\nDeletionDate=" + deletionDate() + "\n";
    const QByteArray filesDir = place.dir + "/files/";
    const QByteArray infoDir = place.dir + "/info/";
    for (int n = 1; n < 1000000; ++n) {
        const QByteArray name = candidateName(item.name, n);
        const QByteArray infoPath = infoDir + name + InfoSuffix;
        // The .trashinfo reserves the name: whoever creates it first owns the entry.
        UniqueFd fd(::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const QByteArray target = filesDir + name;
        struct stat st;
        if (::lstat(target.constData(), &st) == 0) { // left behind without its .trashinfo
            fd.reset();
            removeKeepingErrno(infoPath);
            continue;
        }
        const bool written = writeAll(fd.get(), info);
        const int writeError = errno;
        fd.reset();
        if (!written) {
            errno = writeError;
            removeKeepingErrno(infoPath);
            return false;
        }
        if (!renamePath(decodeName(item.path), decodeName(target), false)) {
            const bool taken = errno == EEXIST;
            removeKeepingErrno(infoPath);
            if (taken)
                continue;
            return false;
        }
        if (trashedFile)
            *trashedFile = decodeName(target);
        return true;
    }
    errno = EEXIST;
    return false;
}

} // namespace platform
