#include "filesystem.h"

#include "namecodec.h"
#include "uniquefd.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {
thread_local int t_lastError = 0;

bool failed()
{
    t_lastError = errno;
    return false;
}

bool succeeded()
{
    t_lastError = 0;
    return true;
}

qint64 nanos(const struct timespec& ts)
{
    return qint64(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

void fill(FileInfo& info, const struct stat& st, bool isLink)
{
    info.mode = st.st_mode;
    info.isLink = isLink;
    info.size = S_ISDIR(st.st_mode) ? 0 : qint64(st.st_size);
    info.mtimeNs = nanos(st.st_mtim);
    info.device = st.st_dev;
    info.inode = st.st_ino;
    info.owner = st.st_uid;
    info.group = st.st_gid;
    info.atimeNs = nanos(st.st_atim);
    info.attributes = attributesFor(st.st_mode, info.name);
}

// Follows the link; a dangling link is described by the link itself.
bool statAt(int dirfd, const char* name, FileInfo& info)
{
    struct stat st;
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISLNK(st.st_mode)) {
        fill(info, st, false);
        return true;
    }
    struct stat target;
    if (::fstatat(dirfd, name, &target, 0) == 0)
        fill(info, target, true);
    else
        fill(info, st, true);
    return true;
}

} // namespace

int lastError()
{
    return t_lastError;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

quint32 attributesFor(quint32 mode, const QString& name)
{
    quint32 a = 0;
    if (!(mode & S_IWUSR))
        a |= AttrReadOnly;
    if (name.startsWith(QLatin1Char('.')))
        a |= AttrHidden;
    if (S_ISDIR(mode))
        a |= AttrDirectory;
    else if (!S_ISREG(mode) && !S_ISLNK(mode))
        a |= AttrSystem;
    return a;
}

bool listDirectory(const QString& dir, std::vector<FileInfo>& out)
{
    return listDirectory(dir, [&out](FileInfo& info) { out.push_back(std::move(info)); });
}

namespace {

// Names read but not yet looked at; a large folder is taken in batches of these.
struct PendingEntry
{
    QByteArray name;
    FileInfo info;
    bool found = false;
};

// A batch that two threads look at together, each taking the next entries nobody has
// taken yet.
struct Batch
{
    std::vector<PendingEntry> entries;
    std::atomic<std::size_t> next = 0;
};

void statShare(int dirfd, bool foldersOnly, Batch& batch)
{
    constexpr std::size_t Step = 16;
    const std::size_t size = batch.entries.size();
    for (std::size_t from; (from = batch.next.fetch_add(Step, std::memory_order_relaxed)) < size;) {
        for (std::size_t i = from; i < std::min(from + Step, size); ++i) {
            PendingEntry& entry = batch.entries[i];
            entry.info.name = decodeName(entry.name); // the attributes depend on it
            entry.found = statAt(dirfd, entry.name.constData(), entry.info) &&
                          (!foldersOnly || entry.info.isDir());
        }
    }
}

// Lists dir in batches. Most of a listing's time is the kernel's lookup of each entry:
// in a large folder a second thread looks at the entries of one batch while this one
// reads the next batch and hands the last one to visit, and this one joins in for
// what is left of the batch. visit sees the entries in the order they were read, and
// only on this thread.
bool listEntries(const QString& dir, bool foldersOnly,
                 const std::function<void(FileInfo& info)>& visit)
{
    UniqueFd fd(::open(encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return failed();
    DIR* d = ::fdopendir(fd.get());
    if (!d)
        return failed();
    const int dfd = fd.release(); // closedir closes it from here on
    constexpr std::size_t BatchSize = 4096;
    constexpr std::size_t WorthASecondThread = 1024;
    const bool twoCores = std::thread::hardware_concurrency() >= 2;
    auto read = [&](Batch& batch) {
        batch.entries.clear();
        batch.next = 0;
        while (batch.entries.size() < BatchSize) {
            const dirent* e = ::readdir(d);
            if (!e)
                break;
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            if (foldersOnly && e->d_type != DT_DIR && e->d_type != DT_LNK &&
                e->d_type != DT_UNKNOWN)
                continue;
            batch.entries.push_back({QByteArray(n), {}, false});
        }
        return !batch.entries.empty();
    };
    std::thread helper;
    auto share = [&](Batch& batch) {
        if (!twoCores || batch.entries.size() < WorthASecondThread)
            return;
        try {
            helper = std::thread(statShare, dfd, foldersOnly, std::ref(batch));
        } catch (const std::system_error&) {
            // No thread to be had (a process limit): this one looks at all of it.
        }
    };
    Batch batches[2];
    int current = 0;
    bool more = read(batches[current]);
    share(batches[current]);
    while (more) {
        Batch& batch = batches[current];
        Batch& following = batches[current ^ 1];
        more = read(following);
        statShare(dfd, foldersOnly, batch);
        if (helper.joinable())
            helper.join();
        if (more)
            share(following);
        for (PendingEntry& entry : batch.entries)
            if (entry.found)
                visit(entry.info);
        current ^= 1;
    }
    if (helper.joinable())
        helper.join();
    ::closedir(d);
    return succeeded();
}

} // namespace

bool listDirectory(const QString& dir, const std::function<void(FileInfo& info)>& visit)
{
    return listEntries(dir, false, visit);
}

bool listFolders(const QString& dir, const std::function<void(FileInfo& info)>& visit)
{
    return listEntries(dir, true, visit);
}

bool walkDirectoryBytes(
    const QByteArray& dir,
    const std::function<bool(const char* name, qsizetype length, EntryKind kind)>& visit)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failed();
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return failed();
    }
    bool go = true;
    while (go) {
        dirent* e = ::readdir(d);
        if (!e)
            break;
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        EntryKind kind = EntryKind::Other;
        unsigned char type = e->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(fd, n, &st, 0) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            else
                type = DT_UNKNOWN;
        }
        if (type == DT_DIR)
            kind = EntryKind::Directory;
        else if (type == DT_REG)
            kind = EntryKind::File;
        go = visit(n, qsizetype(std::strlen(n)), kind);
    }
    ::closedir(d);
    return succeeded();
}

bool walkDirectory(const QString& dir,
                   const std::function<bool(const QString& name, EntryKind kind)>& visit)
{
    return walkDirectoryBytes(encodeName(dir),
                              [&visit](const char* name, qsizetype length, EntryKind kind) {
                                  return visit(decodeName(name, length), kind);
                              });
}

bool directoryIdentity(const QByteArray& dir, quint64& device, quint64& inode)
{
    struct stat st;
    if (::stat(dir.constData(), &st) != 0)
        return failed();
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return failed();
    }
    device = st.st_dev;
    inode = st.st_ino;
    return succeeded();
}

bool statPath(const QString& path, FileInfo& info)
{
    const QByteArray p = encodeName(path);
    info.name = fileName(path);
    if (!statAt(AT_FDCWD, p.constData(), info))
        return failed();
    return succeeded();
}

bool lstatPath(const QString& path, FileInfo& info)
{
    struct stat st;
    if (::lstat(encodeName(path).constData(), &st) != 0)
        return failed();
    info.name = fileName(path);
    fill(info, st, S_ISLNK(st.st_mode));
    return succeeded();
}

bool exists(const QString& path)
{
    struct stat st;
    return ::lstat(encodeName(path).constData(), &st) == 0;
}

bool isDirectory(const QString& path)
{
    struct stat st;
    return ::stat(encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(encodeName(a).constData(), &sa) == 0 &&
           ::stat(encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

QString userName(quint32 uid)
{
    std::vector<char> buf(16384);
    struct passwd pw;
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString groupName(quint32 gid)
{
    std::vector<char> buf(16384);
    struct group gr;
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &gr, buf.data(), buf.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

bool makeDirectory(const QString& path)
{
    if (::mkdir(encodeName(path).constData(), 0777) != 0)
        return failed();
    return succeeded();
}

bool makePath(const QString& path)
{
    QByteArray p = encodeName(path);
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    struct stat st;
    if (::stat(p.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return succeeded();
        errno = ENOTDIR;
        return failed();
    }
    // Create from the first missing component on.
    for (qsizetype i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '/')
            continue;
        const QByteArray part = p.left(i);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return failed();
    }
    if (::stat(p.constData(), &st) != 0)
        return failed();
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return failed();
    }
    return succeeded();
}

bool renamePath(const QString& from, const QString& to, bool replace)
{
    const QByteArray f = encodeName(from);
    const QByteArray t = encodeName(to);
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), flags) == 0)
        return succeeded();
    if (!replace && errno == EINVAL) {
        // File systems without RENAME_NOREPLACE: a hard link refuses existing names too.
        if (::link(f.constData(), t.constData()) == 0) {
            ::unlink(f.constData());
            return succeeded();
        }
    }
    return failed();
}

bool removeFile(const QString& path)
{
    if (::unlink(encodeName(path).constData()) != 0)
        return failed();
    return succeeded();
}

bool removeDirectory(const QString& path)
{
    if (::rmdir(encodeName(path).constData()) != 0)
        return failed();
    return succeeded();
}

namespace {
bool removeTreeAt(int dirfd, const char* name)
{
    struct stat st;
    if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirfd, name, 0) == 0;
    const int fd = ::openat(dirfd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        ok = removeTreeAt(fd, n) && ok;
    }
    ::closedir(d);
    return ::unlinkat(dirfd, name, AT_REMOVEDIR) == 0 && ok;
}
} // namespace

bool removeTree(const QString& path)
{
    QByteArray p = encodeName(path);
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    if (!removeTreeAt(AT_FDCWD, p.constData()))
        return failed();
    return succeeded();
}

bool setMode(const QString& path, quint32 mode)
{
    if (::chmod(encodeName(path).constData(), mode & 07777) != 0)
        return failed();
    return succeeded();
}

bool diskSpace(const QString& path, qint64& total, qint64& available)
{
    struct statvfs vfs;
    if (::statvfs(encodeName(path).constData(), &vfs) != 0) {
        total = available = -1;
        return failed();
    }
    total = qint64(vfs.f_blocks) * qint64(vfs.f_frsize);
    available = qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    return succeeded();
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString parentPath(const QString& path)
{
    const QString p = withoutTrailingSlash(path);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return p.left(slash + 1);
}

QString fileName(const QString& path)
{
    const QString p = withoutTrailingSlash(path);
    if (p == QLatin1String("/"))
        return p;
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace platform
