#include "wholefile.h"

#include "namecodec.h"
#include "uniquefd.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
// Keeps errno across the clean-up that follows a failure.
class ErrnoGuard
{
public:
    ErrnoGuard() : m_saved(errno) {}
    ~ErrnoGuard() { errno = m_saved; }
    ErrnoGuard(const ErrnoGuard&) = delete;
    ErrnoGuard& operator=(const ErrnoGuard&) = delete;

private:
    int m_saved;
};

} // namespace

bool readWholeFile(const QString& path, QByteArray& out)
{
    out.clear();
    // O_NONBLOCK only matters for a FIFO, whose open would otherwise wait for a writer.
    UniqueFd fd(::open(encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        ErrnoGuard keep;
        fd.reset();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        fd.reset();
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ErrnoGuard keep;
            fd.reset();
            return false;
        }
        if (n == 0)
            break;
        data.append(buf, n);
    }
    out = std::move(data);
    return true;
}

bool writeFileAtomically(const QString& path, const QByteArray& data)
{
    QByteArray target = encodeName(path);
    struct stat st;
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replacing the link itself would cut the user's link to the real file.
        if (char* real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dirPath = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : target.left(slash);
    const QByteArray name = target.mid(slash + 1);
    if (name.isEmpty()) {
        errno = EISDIR;
        return false;
    }
    UniqueFd dir(::open(dirPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return false;

    const bool replacing = ::fstatat(dir.get(), name.constData(), &st, 0) == 0;
    if (replacing && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }

    // A short name: the final name may already use all 255 bytes.
    QByteArray temp;
    UniqueFd out;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        temp =
            ".tobrin-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        out.reset(
            ::openat(dir.get(), temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!out && errno != EEXIST)
            break;
    }
    if (!out)
        return false;

    auto discard = [&] {
        ErrnoGuard keep;
        out.reset();
        ::unlinkat(dir.get(), temp.constData(), 0);
        return false;
    };

    if (!writeAll(out.get(), data))
        return discard();
    if (replacing) {
        // Keeps the owner where we may (root editing a user's file); anyone else cannot
        // and leaves the file as theirs.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
            ::fchown(out.get(), st.st_uid, st.st_gid) != 0 && errno != EPERM)
            return discard();
        if (::fchmod(out.get(), st.st_mode & 07777) != 0)
            return discard();
    }
    if (::fsync(out.get()) != 0)
        return discard();
    if (::close(out.release()) != 0) {
        ErrnoGuard keep;
        ::unlinkat(dir.get(), temp.constData(), 0);
        return false;
    }
    if (::renameat(dir.get(), temp.constData(), dir.get(), name.constData()) != 0) {
        ErrnoGuard keep;
        ::unlinkat(dir.get(), temp.constData(), 0);
        return false;
    }
    // Makes the rename itself durable; the new content is in place either way.
    ::fsync(dir.get());
    return true;
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool writeFileInPlace(const QString& path, const QByteArray& data)
{
    UniqueFd fd(
        ::open(encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd)
        return false;
    const bool ok = writeAll(fd.get(), data);
    return ::close(fd.release()) == 0 && ok;
}

} // namespace platform
