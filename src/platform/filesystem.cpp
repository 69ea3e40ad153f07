#include "filesystem.h"

#include "namecodec.h"
#include "uniquefd.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
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

// Splits an encoded path into its directory (opened) and last component.
struct DirAndName
{
    UniqueFd dir;
    QByteArray name;
};

bool openParent(const QByteArray& path, DirAndName& out)
{
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    if (slash < 0 || p == "/") {
        errno = EINVAL;
        return false;
    }
    const QByteArray dir = slash == 0 ? QByteArray("/") : p.left(slash);
    out.name = p.mid(slash + 1);
    out.dir.reset(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return out.dir.valid();
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
    UniqueFd fd(::open(encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        return failed();
    DIR* d = ::fdopendir(fd.get());
    if (!d)
        return failed();
    const int dfd = fd.release(); // closedir closes it from here on
    while (dirent* e = ::readdir(d)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        FileInfo info;
        info.name = decodeName(n, qsizetype(std::strlen(n)));
        if (statAt(dfd, n, info))
            out.push_back(std::move(info));
    }
    ::closedir(d);
    return succeeded();
}

bool walkDirectory(const QString& dir,
                   const std::function<bool(const QString& name, EntryKind kind)>& visit)
{
    const int fd = ::open(encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        go = visit(decodeName(n, qsizetype(std::strlen(n))), kind);
    }
    ::closedir(d);
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

// ---- copying ---------------------------------------------------------------

namespace {
constexpr qint64 CopyChunk = 8 << 20;
constexpr size_t BufferSize = 1 << 20;

// Copies [offset, offset + length) from in to out at the same offsets.
// Returns 0 or an errno value; -1 means cancelled.
int copyRange(int in, int out, qint64 offset, qint64 length, qint64& done, qint64 total,
              const CopyOptions& options, bool& useCopyRange, std::vector<char>& buffer)
{
    while (length > 0) {
        const qint64 want = std::min(length, CopyChunk);
        ssize_t n = -1;
        if (useCopyRange) {
            loff_t inOff = offset, outOff = offset;
            n = ::copy_file_range(in, &inOff, out, &outOff, size_t(want), 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                          errno == EOPNOTSUPP || errno == EBADF)) {
                useCopyRange = false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
        } else {
            if (buffer.empty())
                buffer.resize(BufferSize);
            n = ::pread(in, buffer.data(), size_t(std::min<qint64>(want, qint64(buffer.size()))),
                        offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return errno;
            ssize_t written = 0;
            while (written < n) {
                const ssize_t w =
                    ::pwrite(out, buffer.data() + written, size_t(n - written), offset + written);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    return errno;
                written += w;
            }
        }
        if (n == 0)
            break; // the file shrank while copying
        offset += n;
        length -= n;
        done += n;
        if (options.progress && !options.progress(done, total))
            return -1;
    }
    return 0;
}

// Copies the data regions, leaving holes as holes; returns 0, an errno or -1.
int copyData(int in, int out, qint64 size, const CopyOptions& options)
{
    bool useCopyRange = true;
    std::vector<char> buffer;
    qint64 done = 0;
    qint64 pos = 0;
    while (pos < size) {
        off_t data = ::lseek(in, pos, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break;  // only a hole remains
            data = pos; // no hole support: treat the rest as data
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0 || hole > size)
            hole = size;
        if (const int rc =
                copyRange(in, out, data, hole - data, done, size, options, useCopyRange, buffer))
            return rc;
        pos = hole;
    }
    if (::ftruncate(out, size) != 0)
        return errno;
    if (options.progress && done < size && !options.progress(size, size))
        return -1;
    return 0;
}

CopyStatus statusForWriteError(int error)
{
    return (error == ENOSPC || error == EDQUOT || error == EFBIG) ? CopyStatus::NoSpace
                                                                  : CopyStatus::TargetUnwritable;
}
} // namespace

CopyStatus copyFile(const QString& source, const QString& target, const CopyOptions& options)
{
    UniqueFd in(::open(encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!in) {
        t_lastError = errno;
        return errno == ENOENT ? CopyStatus::SourceMissing : CopyStatus::SourceUnreadable;
    }
    struct stat src;
    if (::fstat(in.get(), &src) != 0 || !S_ISREG(src.st_mode)) {
        t_lastError = S_ISDIR(src.st_mode) ? EISDIR : errno;
        return CopyStatus::SourceUnreadable;
    }

    DirAndName dst;
    if (!openParent(encodeName(target), dst)) {
        t_lastError = errno;
        return CopyStatus::TargetUnwritable;
    }
    const int dir = dst.dir.get();
    const char* name = dst.name.constData();
    struct stat existing;
    if (::fstatat(dir, name, &existing, 0) == 0) {
        if (existing.st_dev == src.st_dev && existing.st_ino == src.st_ino) {
            t_lastError = EINVAL;
            return CopyStatus::SameFile;
        }
        if (S_ISDIR(existing.st_mode)) {
            t_lastError = EISDIR;
            return CopyStatus::TargetIsDirectory;
        }
        if (!options.replace) {
            t_lastError = EEXIST;
            return CopyStatus::TargetExists;
        }
        if (!(existing.st_mode & S_IWUSR)) {
            t_lastError = EACCES;
            return CopyStatus::TargetReadOnly;
        }
    }

    // A short temporary name: the final name may already use all 255 bytes.
    QByteArray temp;
    UniqueFd out;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        temp =
            ".tobrin-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".part";
        out.reset(::openat(dir, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!out && errno != EEXIST)
            break;
    }
    if (!out) {
        t_lastError = errno;
        return statusForWriteError(errno);
    }

    auto discard = [&](CopyStatus status, int error) {
        out.reset();
        ::unlinkat(dir, temp.constData(), 0);
        t_lastError = error;
        return status;
    };

    const int rc = copyData(in.get(), out.get(), qint64(src.st_size), options);
    if (rc == -1)
        return discard(CopyStatus::Cancelled, ECANCELED);
    if (rc != 0) {
        // A read error is the source's fault, anything else the target's.
        struct stat again;
        if (::fstat(in.get(), &again) != 0 || rc == EIO)
            return discard(CopyStatus::SourceUnreadable, rc);
        return discard(statusForWriteError(rc), rc);
    }
    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    if (::fchmod(out.get(), src.st_mode & 07777) != 0 || ::futimens(out.get(), times) != 0)
        return discard(CopyStatus::TargetUnwritable, errno);
    if (::close(out.get()) != 0) {
        const int error = errno;
        (void)out.release();
        return discard(statusForWriteError(error), error);
    }
    (void)out.release();

    if (options.replace) {
        if (::renameat(dir, temp.constData(), dir, name) != 0)
            return discard(CopyStatus::TargetUnwritable, errno);
    } else if (::renameat2(dir, temp.constData(), dir, name, RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return discard(CopyStatus::TargetExists, error);
        if (error != EINVAL || ::linkat(dir, temp.constData(), dir, name, 0) != 0)
            return discard(error == EINVAL && errno == EEXIST ? CopyStatus::TargetExists
                                                              : CopyStatus::TargetUnwritable,
                           errno);
        ::unlinkat(dir, temp.constData(), 0);
    }
    t_lastError = 0;
    return CopyStatus::Ok;
}

QString copyStatusText(CopyStatus status)
{
    switch (status) {
    case CopyStatus::Ok:
        return QStringLiteral("kopiert");
    case CopyStatus::SourceMissing:
        return QStringLiteral("Quelldatei nicht gefunden");
    case CopyStatus::SourceUnreadable:
        return QStringLiteral("Quelldatei kann nicht gelesen werden");
    case CopyStatus::TargetExists:
        return QStringLiteral("Zieldatei existiert bereits");
    case CopyStatus::TargetReadOnly:
        return QStringLiteral("Zieldatei ist schreibgeschützt");
    case CopyStatus::TargetIsDirectory:
        return QStringLiteral("Am Ziel steht ein Ordner gleichen Namens");
    case CopyStatus::SameFile:
        return QStringLiteral("Quelle und Ziel sind dieselbe Datei");
    case CopyStatus::NoSpace:
        return QStringLiteral("Nicht genügend Speicherplatz am Ziel");
    case CopyStatus::TargetUnwritable:
        return QStringLiteral("Ziel kann nicht geschrieben werden");
    case CopyStatus::Cancelled:
        return QStringLiteral("Abgebrochen");
    }
    return {};
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
