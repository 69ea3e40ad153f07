#include "testenv.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mount.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
[[noreturn]] void fail(const char* what, const QByteArray& path)
{
    throw std::runtime_error(std::string(what) + " " + path.toStdString() + ": " +
                             std::strerror(errno));
}
} // namespace

TempDir::TempDir()
{
    QByteArray base = testHome() + "tmp/";
    ::mkdir(base.constData(), 0700);
    QByteArray templ = base + "t.XXXXXX";
    if (!::mkdtemp(templ.data()))
        fail("mkdtemp", templ);
    m_path = templ + "/";
}

TempDir::TempDir(const QByteArray& parent)
{
    QByteArray templ = parent + "tobrin-t.XXXXXX";
    if (!::mkdtemp(templ.data()))
        fail("mkdtemp", templ);
    m_path = templ + "/";
}

TempDir::~TempDir()
{
    fixture::removeTree(m_path.chopped(1));
}

namespace fixture {

void writeFile(const QByteArray& path, const QByteArray& content)
{
    int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("open", path);
    qsizetype done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n <= 0) {
            ::close(fd);
            fail("write", path);
        }
        done += n;
    }
    ::close(fd);
}

QByteArray readFile(const QByteArray& path)
{
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("open", path);
    QByteArray out;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, n);
    ::close(fd);
    return out;
}

void makeDir(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0755) != 0 && errno != EEXIST)
        fail("mkdir", path);
}

bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

void makeSparse(const QByteArray& path, long long size)
{
    int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("open", path);
    if (::ftruncate(fd, size) != 0) {
        ::close(fd);
        fail("ftruncate", path);
    }
    const char marker[] = "END!";
    if (::pwrite(fd, marker, 4, size - 4) != 4) {
        ::close(fd);
        fail("pwrite", path);
    }
    ::close(fd);
}

void removeTree(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.constData(), 0700);
        for (const QByteArray& n : names(path))
            removeTree(path + "/" + n);
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

QList<QByteArray> names(const QByteArray& dir)
{
    QList<QByteArray> out;
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return out;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            out.append(QByteArray(e->d_name));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

bool mountTmpfs(const QByteArray& dir, const char* size)
{
    makeDir(dir);
    QByteArray opts = QByteArray("size=") + size;
    return ::mount("tmpfs", dir.constData(), "tmpfs", 0, opts.constData()) == 0;
}

void unmount(const QByteArray& dir)
{
    ::umount2(dir.constData(), MNT_DETACH);
}

QList<QByteArray> awkwardNames()
{
    return {
        QByteArray("latin1-\xe4\xf6\xfc.txt"),     // ISO-8859-1, not UTF-8
        QByteArray("mixed-\xc3\xa4-\xff\xfe.bin"), // valid UTF-8 next to invalid bytes
        QByteArray("line\nbreak.txt"),             // a newline in the name
        QByteArray("truncated-\xe2\x82.txt"),      // a cut-off UTF-8 sequence
        QByteArray("surrogate-\xed\xa0\x80.txt"),  // an encoded surrogate (invalid UTF-8)
        QByteArray("emoji-\xf0\x9f\x98\x80.txt"),  // four-byte UTF-8
        QByteArray(255, 'n'),                      // the longest name allowed
        QByteArray(127, 'x') + QByteArray(64, '\xe4'),
    };
}

int asUnprivileged(const std::function<int()>& work)
{
    if (::geteuid() != 0)
        return work();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(work());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace fixture
