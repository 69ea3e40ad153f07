#include "filecopy.h"

#include "filesystem.h"
#include "namecodec.h"

#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::atomic<bool> g_unnamedCopies{true};

CopyResult failure(CopyStatus status, int error)
{
    return {status, error, 0, 0};
}

CopyStatus statusForWriteError(int error)
{
    return (error == ENOSPC || error == EDQUOT || error == EFBIG) ? CopyStatus::NoSpace
                                                                  : CopyStatus::TargetUnwritable;
}

bool sameState(const struct stat& a, const struct stat& b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QByteArray temporaryName()
{
    // Short: the final name may already use all 255 bytes.
    return ".tobrin-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".part";
}

// ---- the named temporary of the fallback, removed when a signal ends the process -------

// One copy at a time runs in the process; its temporary is published here for the
// signal handler, which may only use what is async-signal-safe.
volatile sig_atomic_t g_tempArmed = 0;
int g_tempDir = -1;
char g_tempName[64];

void onEndingSignal(int signal)
{
    if (g_tempArmed)
        ::unlinkat(g_tempDir, g_tempName, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

class PublishedTemporary
{
public:
    PublishedTemporary(int dir, const QByteArray& name)
    {
        if (size_t(name.size()) >= sizeof g_tempName)
            return;
        std::memcpy(g_tempName, name.constData(), size_t(name.size()) + 1);
        g_tempDir = dir;
        g_tempArmed = 1;
    }
    ~PublishedTemporary() { g_tempArmed = 0; }
    PublishedTemporary(const PublishedTemporary&) = delete;
    PublishedTemporary& operator=(const PublishedTemporary&) = delete;
};

// ---- reading the source to its end ----------------------------------------------------

constexpr qint64 CopyChunk = 8 << 20;
constexpr size_t BufferSize = 1 << 20;

class DataCopier
{
public:
    DataCopier(int in, int out, qint64 total, const CopyOptions& options)
        : m_in(in), m_out(out), m_total(total), m_options(options)
    {
    }

    // Copies the data to end-of-file, leaving the holes of a sparse file as holes.
    // Returns false on failure or cancel (see error(), sourceFailed(), cancelled()).
    bool run(const struct stat& st)
    {
        qint64 offset = 0;
        if (qint64(st.st_blocks) * 512 < qint64(st.st_size)) {
            // Fewer blocks than bytes: there are holes to skip.
            while (offset < st.st_size) {
                const off_t data = ::lseek(m_in, offset, SEEK_DATA);
                if (data < 0) {
                    if (errno == ENXIO)
                        offset = st.st_size; // only a hole remains
                    break;                   // or no hole support: the rest is data
                }
                off_t hole = ::lseek(m_in, data, SEEK_HOLE);
                if (hole < 0 || hole > st.st_size)
                    hole = st.st_size;
                offset = data;
                bool endOfFile = false;
                if (!copyRange(offset, hole, endOfFile))
                    return false;
                if (endOfFile)
                    break;
            }
        }
        // Up to the size the file reported when it was opened: a file that grows or
        // shrinks meanwhile shows in the comparison afterwards. A pseudo-file reports 0
        // (or a block size it does not fill) and is read to its end.
        bool endOfFile = false;
        if (!copyRange(offset, st.st_size > 0 ? qint64(st.st_size) : -1, endOfFile))
            return false;
        // A hole at the end exists only as the file's length.
        if (offset > m_writtenEnd) {
            if (::ftruncate(m_out, offset) != 0)
                return writeFailed(errno);
            return reportProgress(offset);
        }
        return true;
    }

    int error() const { return m_error; }
    bool sourceFailed() const { return m_sourceFailed; }
    bool cancelled() const { return m_cancelled; }

private:
    // Copies from offset up to limit (-1: to end-of-file); offset follows the copy.
    bool copyRange(qint64& offset, qint64 limit, bool& endOfFile)
    {
        while (limit < 0 || offset < limit) {
            const qint64 want = limit < 0 ? CopyChunk : std::min(limit - offset, CopyChunk);
            ssize_t n;
            if (m_useCopyRange) {
                loff_t inOff = offset, outOff = offset;
                n = ::copy_file_range(m_in, &inOff, m_out, &outOff, size_t(want), 0);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)
                        return writeFailed(errno);
                    // Not supported here, or an error that reading and writing
                    // separately will pin on its side.
                    m_useCopyRange = false;
                    continue;
                }
                if (n == 0 && !m_copiedByRange) {
                    // Pseudo-files of /proc and /sys report nothing to copy_file_range.
                    m_useCopyRange = false;
                    continue;
                }
                m_copiedByRange = m_copiedByRange || n > 0;
            } else {
                if (m_buffer.empty())
                    m_buffer.resize(BufferSize);
                n = ::pread(m_in, m_buffer.data(),
                            size_t(std::min<qint64>(want, qint64(m_buffer.size()))), offset);
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    m_sourceFailed = true;
                    m_error = errno;
                    return false;
                }
                for (ssize_t written = 0; written < n;) {
                    const ssize_t w = ::pwrite(m_out, m_buffer.data() + written,
                                               size_t(n - written), offset + written);
                    if (w < 0 && errno == EINTR)
                        continue;
                    if (w < 0)
                        return writeFailed(errno);
                    written += w;
                }
            }
            if (n == 0) {
                endOfFile = true;
                return true;
            }
            offset += n;
            m_writtenEnd = offset;
            if (!reportProgress(offset))
                return false;
        }
        return true;
    }

    // Progress is the position reached: holes that are skipped count as done.
    bool reportProgress(qint64 position)
    {
        if (m_options.progress && !m_options.progress(position, std::max(position, m_total))) {
            m_cancelled = true;
            m_error = ECANCELED;
            return false;
        }
        return true;
    }

    bool writeFailed(int error)
    {
        m_error = error;
        return false;
    }

    const int m_in;
    const int m_out;
    const qint64 m_total;
    const CopyOptions& m_options;
    bool m_useCopyRange = true;
    bool m_copiedByRange = false;
    std::vector<char> m_buffer;
    qint64 m_writtenEnd = 0;
    int m_error = 0;
    bool m_sourceFailed = false;
    bool m_cancelled = false;
};

// ---- the source ----------------------------------------------------------------------

// The opened source, with its read-only lifted for as long as this lives when asked.
class Source
{
public:
    CopyResult open(const QByteArray& p, bool liftReadOnly)
    {
        // Never open anything but a regular file: opening a device can act (a tape
        // rewinds, a watchdog starts), opening a pipe waits for a writer.
        struct stat st;
        if (::stat(p.constData(), &st) != 0)
            return failure(errno == ENOENT ? CopyStatus::SourceMissing
                                           : CopyStatus::SourceUnreadable,
                           errno);
        if (!S_ISREG(st.st_mode))
            return failure(CopyStatus::SourceUnreadable, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        m_fd.reset(::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!m_fd)
            return failure(errno == ENOENT ? CopyStatus::SourceMissing
                                           : CopyStatus::SourceUnreadable,
                           errno);
        if (::fstat(m_fd.get(), &m_before) != 0)
            return failure(CopyStatus::SourceUnreadable, errno);
        if (m_before.st_dev != st.st_dev || m_before.st_ino != st.st_ino)
            return failure(CopyStatus::SourceChanged, 0);
        m_mode = m_before.st_mode;
        if (liftReadOnly && !(m_mode & S_IWUSR) &&
            ::fchmod(m_fd.get(), (m_mode | S_IWUSR) & 07777) == 0) {
            m_lifted = true;
            ::fstat(m_fd.get(), &m_before); // the change time moved
        }
        return {};
    }
    ~Source()
    {
        // Put back through the descriptor: the file it points to, wherever it is now.
        if (m_lifted)
            ::fchmod(m_fd.get(), m_mode & 07777);
    }

    int fd() const { return m_fd.get(); }
    const struct stat& before() const { return m_before; }
    quint32 originalMode() const { return m_mode; }
    bool unchanged() const
    {
        struct stat now;
        return ::fstat(m_fd.get(), &now) == 0 && sameState(m_before, now);
    }

private:
    UniqueFd m_fd;
    struct stat m_before = {};
    quint32 m_mode = 0;
    bool m_lifted = false;
};

// What is under the target name now; Ok when it may be written.
CopyResult checkTarget(int dir, const char* name, const struct stat& source,
                       const CopyOptions& options, bool& present)
{
    struct stat st;
    present = false;
    if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? CopyResult{} : failure(CopyStatus::TargetUnwritable, errno);
    present = true;
    if (st.st_dev == source.st_dev && st.st_ino == source.st_ino)
        return failure(CopyStatus::SameFile, EINVAL);
    if (S_ISDIR(st.st_mode))
        return failure(CopyStatus::TargetIsDirectory, EISDIR);
    if (!options.replace)
        return failure(CopyStatus::TargetExists, EEXIST);
    // A symbolic link there is replaced itself, never written through.
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR))
        return failure(CopyStatus::TargetReadOnly, EACCES);
    if (options.mayReplace && !options.mayReplace(st.st_dev, st.st_ino))
        return failure(CopyStatus::TargetTaken, EEXIST);
    return {};
}

// Owner, group, extended attributes and ACLs of a moved file, as far as permitted.
// True when owner and group are both kept.
bool keepOwnership(int in, int out, const struct stat& st)
{
    bool kept = ::fchown(out, st.st_uid, st.st_gid) == 0;
    if (!kept)
        (void)::fchown(out, uid_t(-1), st.st_gid);
    // After the owner: changing it drops file capabilities.
    const ssize_t size = ::flistxattr(in, nullptr, 0);
    if (size > 0) {
        std::vector<char> names(static_cast<size_t>(size));
        const ssize_t got = ::flistxattr(in, names.data(), names.size());
        std::vector<char> value;
        for (ssize_t i = 0; i < got; i += ssize_t(std::strlen(names.data() + i)) + 1) {
            const char* name = names.data() + i;
            const ssize_t length = ::fgetxattr(in, name, nullptr, 0);
            if (length < 0)
                continue;
            value.resize(size_t(length) + 1);
            const ssize_t n = ::fgetxattr(in, name, value.data(), value.size());
            if (n >= 0)
                (void)::fsetxattr(out, name, value.data(), size_t(n), 0);
        }
    }
    return kept;
}

// ---- the target ----------------------------------------------------------------------

// A file being written for the target name: unnamed until place() gives it the name.
class PendingCopy
{
public:
    PendingCopy(int dir, QByteArray name) : m_dir(dir), m_name(std::move(name)) {}
    ~PendingCopy()
    {
        if (!m_temp.isEmpty())
            ::unlinkat(m_dir, m_temp.constData(), 0);
    }
    PendingCopy(const PendingCopy&) = delete;
    PendingCopy& operator=(const PendingCopy&) = delete;

    int create()
    {
        if (g_unnamedCopies.load(std::memory_order_relaxed)) {
            m_fd.reset(::openat(m_dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
            if (m_fd)
                return 0;
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                return errno;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray temp = temporaryName();
            m_fd.reset(::openat(m_dir, temp.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
            if (m_fd) {
                m_temp = temp;
                m_published.emplace(m_dir, m_temp);
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    int fd() const { return m_fd.get(); }

    // Gives the complete file its name: without replacing when present is false (a name
    // taken meanwhile then fails with EEXIST unless replace allows taking its place),
    // else in place of what is there. With keepDisplaced the replaced file is kept under
    // a temporary name until commit() or rollback(), so that a move can still be taken
    // back. Returns 0 or an errno value.
    int place(bool present, bool replace, bool keepDisplaced)
    {
        if (!present) {
            const int error = m_temp.isEmpty() ? linkUnnamed(m_name) : renameWithoutReplacing();
            if (error != EEXIST || !replace)
                return error;
        }
        if (m_temp.isEmpty()) {
            // Unnamed: a temporary name first, so that the replacing rename is atomic.
            int error = EEXIST;
            for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
                m_temp = temporaryName();
                error = linkUnnamed(m_temp);
            }
            if (error != 0) {
                m_temp.clear();
                return error;
            }
        }
        if (keepDisplaced && ::renameat2(m_dir, m_temp.constData(), m_dir, m_name.constData(),
                                         RENAME_EXCHANGE) == 0) {
            m_displaced = m_temp; // now holds the file that was there
            forgetTemporary();
            return 0;
        }
        if (::renameat(m_dir, m_temp.constData(), m_dir, m_name.constData()) != 0)
            return errno;
        forgetTemporary();
        return 0;
    }

    // Closes the file; errors that a file system reports only now count. A named
    // temporary is closed before it gets its name, so that such an error keeps it
    // from ever being seen; an unnamed file needs its descriptor to be linked.
    int close()
    {
        if (!m_fd)
            return 0;
        const int fd = m_fd.release();
        return ::close(fd) == 0 ? 0 : errno;
    }
    bool named() const { return !m_temp.isEmpty(); }

    // The placed copy stays; a file it replaced goes.
    void commit()
    {
        if (!m_displaced.isEmpty())
            ::unlinkat(m_dir, m_displaced.constData(), 0);
        m_displaced.clear();
    }

    // Takes the placed copy away again and puts back what was there.
    void rollback(const struct stat& copy)
    {
        if (!m_displaced.isEmpty() &&
            ::renameat2(m_dir, m_displaced.constData(), m_dir, m_name.constData(),
                        RENAME_EXCHANGE) == 0) {
            ::unlinkat(m_dir, m_displaced.constData(), 0);
            m_displaced.clear();
            return;
        }
        struct stat st;
        if (::fstatat(m_dir, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            st.st_dev == copy.st_dev && st.st_ino == copy.st_ino)
            ::unlinkat(m_dir, m_name.constData(), 0);
    }

private:
    int renameWithoutReplacing()
    {
        if (::renameat2(m_dir, m_temp.constData(), m_dir, m_name.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL)
                return errno;
            // File systems without RENAME_NOREPLACE: a hard link refuses existing names.
            if (::linkat(m_dir, m_temp.constData(), m_dir, m_name.constData(), 0) != 0)
                return errno;
            ::unlinkat(m_dir, m_temp.constData(), 0);
        }
        forgetTemporary();
        return 0;
    }

    void forgetTemporary()
    {
        m_published.reset();
        m_temp.clear();
    }

    int linkUnnamed(const QByteArray& name)
    {
        // Linking the descriptor itself saves a walk through /proc per file; kernels
        // before 6.10 allow it only with CAP_DAC_READ_SEARCH and say ENOENT otherwise,
        // which is remembered, so that they are asked once per process.
        static std::atomic<bool> emptyPathRefused = false;
        if (!emptyPathRefused.load(std::memory_order_relaxed)) {
            if (::linkat(m_fd.get(), "", m_dir, name.constData(), AT_EMPTY_PATH) == 0)
                return 0;
            if (errno != ENOENT && errno != EPERM && errno != EINVAL)
                return errno;
            emptyPathRefused.store(true, std::memory_order_relaxed);
        }
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", m_fd.get());
        if (::linkat(AT_FDCWD, path, m_dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        return errno;
    }

    const int m_dir;
    const QByteArray m_name;
    UniqueFd m_fd;
    QByteArray m_temp;      // the copy's current temporary name, if any
    QByteArray m_displaced; // the replaced file, kept until commit or rollback
    std::optional<PublishedTemporary> m_published;
};

enum class Purpose
{
    Copy,
    Move // the copy stands in for the source: owner, group and attributes are kept
};

// Copies the opened source under dir/name. For a move the placed copy stays pending:
// the caller commits or rolls it back once it knows whether the source could go.
CopyResult copyOpened(const Source& source, int dir, const QByteArray& name,
                      const CopyOptions& options, Purpose purpose, PendingCopy& pending,
                      struct stat& written)
{
    const struct stat& st = source.before();
    bool present = false;
    if (CopyResult check = checkTarget(dir, name.constData(), st, options, present); !check.ok())
        return check;
    if (const int error = pending.create())
        return failure(statusForWriteError(error), error);
    const int out = pending.fd();

    DataCopier data(source.fd(), out, qint64(st.st_size), options);
    if (!data.run(st)) {
        if (data.cancelled())
            return failure(CopyStatus::Cancelled, ECANCELED);
        if (data.sourceFailed())
            return failure(CopyStatus::SourceUnreadable, data.error());
        return failure(statusForWriteError(data.error()), data.error());
    }
    if (!source.unchanged())
        return failure(CopyStatus::SourceChanged, 0);

    const bool keepIds = purpose == Purpose::Move && keepOwnership(source.fd(), out, st);
    // Set-user-ID and set-group-ID only go with the owner and group they were given for.
    const mode_t mode = source.originalMode() & (keepIds ? 07777 : 01777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out, mode) != 0 || ::futimens(out, times) != 0 || ::fstat(out, &written) != 0)
        return failure(CopyStatus::TargetUnwritable, errno);

    if (pending.named()) {
        if (const int error = pending.close())
            return failure(statusForWriteError(error), error);
    }
    if (const int error = pending.place(present, options.replace, purpose == Purpose::Move)) {
        if (error == EEXIST)
            return failure(CopyStatus::TargetExists, error);
        return failure(statusForWriteError(error), error);
    }
    if (const int error = pending.close()) {
        pending.rollback(written);
        return failure(statusForWriteError(error), error);
    }
    return {CopyStatus::Ok, 0, quint64(written.st_dev), quint64(written.st_ino)};
}

} // namespace

QString copyStatusText(CopyStatus status, int error)
{
    switch (status) {
    case CopyStatus::Ok:
        return QStringLiteral("kopiert");
    case CopyStatus::SourceMissing:
        return QStringLiteral("Quelldatei nicht gefunden");
    case CopyStatus::SourceUnreadable:
        if (error == EISDIR || error == EINVAL)
            return QStringLiteral("Keine gewöhnliche Datei");
        return error ? errorText(error) : QStringLiteral("Quelldatei kann nicht gelesen werden");
    case CopyStatus::SourceChanged:
        return QStringLiteral("Quelle hat sich beim Kopieren geändert");
    case CopyStatus::SourceNotRemovable:
        return QStringLiteral("Quelle kann nicht entfernt werden: ") + errorText(error);
    case CopyStatus::TargetExists:
        return QStringLiteral("Datei existiert bereits");
    case CopyStatus::TargetReadOnly:
        return QStringLiteral("Ziel ist schreibgeschützt");
    case CopyStatus::TargetIsDirectory:
        return QStringLiteral("Am Ziel steht ein Ordner gleichen Namens");
    case CopyStatus::TargetTaken:
        return QStringLiteral("Am Ziel liegt schon eine Datei aus dieser Übertragung");
    case CopyStatus::TargetPathIsLink:
        return QStringLiteral("Ein Ordner im Zielpfad ist eine symbolische Verknüpfung");
    case CopyStatus::SameFile:
        return QStringLiteral("Quelle und Ziel sind dieselbe Datei");
    case CopyStatus::NoSpace:
        return QStringLiteral("Kein Speicherplatz am Ziel");
    case CopyStatus::TargetUnwritable:
        return error ? errorText(error) : QStringLiteral("Ziel kann nicht geschrieben werden");
    case CopyStatus::Cancelled:
        return QStringLiteral("Abgebrochen");
    }
    return {};
}

TargetDirectory TargetDirectory::open(const QString& path)
{
    return TargetDirectory(
        ::open(encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

TargetDirectory TargetDirectory::enter(const QByteArray& step) const
{
    constexpr int flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(m_fd.get(), step.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        if (::mkdirat(m_fd.get(), step.constData(), 0777) == 0 || errno == EEXIST)
            fd = ::openat(m_fd.get(), step.constData(), flags);
    }
    if (fd < 0 && errno == ENOTDIR) {
        // O_PATH with O_NOFOLLOW opens nothing on a link and says "not a directory".
        struct stat st;
        if (::fstatat(m_fd.get(), step.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(st.st_mode))
            errno = ELOOP;
        else
            errno = ENOTDIR;
    }
    return TargetDirectory(fd);
}

CopyResult copyInto(const QByteArray& source, const TargetDirectory& dir, const QByteArray& name,
                    const CopyOptions& options)
{
    Source in;
    if (CopyResult opened = in.open(source, options.liftReadOnly); !opened.ok())
        return opened;
    PendingCopy pending(dir.fd(), name);
    struct stat written;
    return copyOpened(in, dir.fd(), name, options, Purpose::Copy, pending, written);
}

CopyResult moveInto(const QByteArray& path, const TargetDirectory& dir, const QByteArray& name,
                    const CopyOptions& options)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return failure(errno == ENOENT ? CopyStatus::SourceMissing : CopyStatus::SourceUnreadable,
                       errno);
    const bool isLink = S_ISLNK(st.st_mode);
    if (!isLink && !S_ISREG(st.st_mode))
        return failure(CopyStatus::SourceUnreadable, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);

    if (!isLink) {
        // Within one file system: a rename. Read-only is lifted through a descriptor,
        // so that it is put back on the file wherever the rename took it.
        Source lifted;
        if (options.liftReadOnly && !(st.st_mode & S_IWUSR))
            (void)lifted.open(path, true);
        // Usually nothing is there yet: one call, and it never replaces anything.
        if (::renameat2(AT_FDCWD, path.constData(), dir.fd(), name.constData(),
                        RENAME_NOREPLACE) == 0)
            return {CopyStatus::Ok, 0, quint64(st.st_dev), quint64(st.st_ino)};
        int error = errno;
        if (error == EEXIST) {
            bool present = false;
            if (CopyResult check = checkTarget(dir.fd(), name.constData(), st, options, present);
                !check.ok())
                return check;
            if (::renameat(AT_FDCWD, path.constData(), dir.fd(), name.constData()) == 0)
                return {CopyStatus::Ok, 0, quint64(st.st_dev), quint64(st.st_ino)};
            error = errno;
        }
        if (error == ENOENT)
            return failure(CopyStatus::SourceMissing, error);
        // EINVAL: no RENAME_NOREPLACE here; copying and removing is slower but as safe.
        if (error != EXDEV && error != EINVAL)
            return failure(statusForWriteError(error), error);
    }

    // Another file system, or a link whose file is what the list means: copy, and remove
    // the source only once the copy is complete under its final name and the source is
    // still what was copied.
    Source in;
    if (CopyResult opened = in.open(path, options.liftReadOnly); !opened.ok())
        return opened;
    PendingCopy pending(dir.fd(), name);
    struct stat written;
    const CopyResult copied = copyOpened(in, dir.fd(), name, options,
                                         isLink ? Purpose::Copy : Purpose::Move, pending, written);
    if (!copied.ok())
        return copied;

    // The name must still lead to the file that was copied.
    struct stat now;
    const bool same = ::stat(path.constData(), &now) == 0 && now.st_dev == in.before().st_dev &&
                      now.st_ino == in.before().st_ino;
    if (!same || !in.unchanged()) {
        pending.rollback(written);
        return failure(CopyStatus::SourceChanged, 0);
    }
    if (::unlink(path.constData()) != 0 && errno != ENOENT) {
        const int error = errno;
        pending.rollback(written);
        return failure(CopyStatus::SourceNotRemovable, error);
    }
    pending.commit();
    return copied;
}

CopyStatus copyFile(const QString& source, const QString& target, const CopyOptions& options)
{
    const TargetDirectory dir = TargetDirectory::open(parentPath(target));
    if (!dir.valid())
        return CopyStatus::TargetUnwritable;
    return copyInto(encodeName(source), dir, encodeName(fileName(target)), options).status;
}

void installTemporaryCleanup()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action = {};
        action.sa_handler = onEndingSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void setUnnamedCopies(bool enabled)
{
    g_unnamedCopies = enabled;
}

} // namespace platform
