#include "platform/filecopy.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace platform;

namespace {
QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

const QList<QByteArray> AwkwardNames = fixture::awkwardNames();

// Copies as on a file system without unnamed files, for the time of a test.
struct UnnamedCopies
{
    explicit UnnamedCopies(bool enabled) { setUnnamedCopies(enabled); }
    ~UnnamedCopies() { setUnnamedCopies(true); }
};

struct stat statOf(const QByteArray& path)
{
    struct stat st = {};
    ::lstat(path.constData(), &st);
    return st;
}

CopyResult copyTo(const QByteArray& source, const QByteArray& dir, const QByteArray& name,
                  const CopyOptions& options = {}, bool move = false)
{
    const TargetDirectory target = TargetDirectory::open(q(dir));
    return move ? moveInto(source, target, name, options)
                : copyInto(source, target, name, options);
}
} // namespace

TEST(FileCopy, CopiesAwkwardNamesAndSparseFilesExactly)
{
    TempDir src, dst;
    for (const QByteArray& name : AwkwardNames) {
        fixture::writeFile(src / name, "content of " + name);
        ::chmod((src / name).constData(), 0640);
        ASSERT_EQ(copyFile(q(src / name), q(dst / name)), CopyStatus::Ok)
            << name.toHex().constData();
        EXPECT_EQ(fixture::readFile(dst / name), "content of " + name);
    }

    const long long size = (4LL << 30) + 12345;
    fixture::makeSparse(src / "big", size);
    struct timespec times[2] = {{1000, 0}, {1234567890, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (src / "big").constData(), times, 0), 0);
    qint64 lastDone = 0;
    CopyOptions options;
    options.progress = [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, size);
        lastDone = done;
        return true;
    };
    ASSERT_EQ(copyFile(q(src / "big"), q(dst / "big"), options), CopyStatus::Ok);
    EXPECT_EQ(lastDone, size);

    struct stat s, d;
    ASSERT_EQ(::stat((src / "big").constData(), &s), 0);
    ASSERT_EQ(::stat((dst / "big").constData(), &d), 0);
    EXPECT_EQ(d.st_size, size);
    EXPECT_EQ(d.st_mode, s.st_mode);
    EXPECT_EQ(d.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(d.st_mtim.tv_nsec, 123456789);
    EXPECT_LT(d.st_blocks * 512, 64LL << 20) << "holes must stay holes";
    // The marker bytes at the end arrived.
    int fd = ::open((dst / "big").constData(), O_RDONLY);
    char tail[4] = {};
    ASSERT_EQ(::pread(fd, tail, 4, size - 4), 4);
    ::close(fd);
    EXPECT_EQ(QByteArray(tail, 4), "END!");
    // No temporary file stays behind.
    EXPECT_EQ(fixture::names(dst.path()).size(), AwkwardNames.size() + 1);
}

TEST(FileCopy, RefusesAndLeavesEverythingAsItWas)
{
    TempDir dir;
    fixture::writeFile(dir / "src", "new");
    fixture::writeFile(dir / "existing", "old");
    fixture::writeFile(dir / "readonly", "keep");
    ::chmod((dir / "readonly").constData(), 0444);
    fixture::makeDir(dir / "adir");

    struct Case
    {
        const char* source;
        const char* target;
        bool replace;
        CopyStatus expected;
    } cases[] = {
        {"missing", "x", true, CopyStatus::SourceMissing},
        {"adir", "x", true, CopyStatus::SourceUnreadable},
        {"src", "existing", false, CopyStatus::TargetExists},
        {"src", "readonly", true, CopyStatus::TargetReadOnly},
        {"src", "src", true, CopyStatus::SameFile},
        {"src", "adir", true, CopyStatus::TargetIsDirectory},
        {"src", "nodir/x", true, CopyStatus::TargetUnwritable},
    };
    for (const Case& c : cases) {
        CopyOptions options;
        options.replace = c.replace;
        EXPECT_EQ(copyFile(q(dir / c.source), q(dir / c.target), options), c.expected)
            << c.source << " -> " << c.target;
    }
    EXPECT_EQ(fixture::readFile(dir / "src"), "new");
    EXPECT_EQ(fixture::readFile(dir / "existing"), "old");
    EXPECT_EQ(fixture::readFile(dir / "readonly"), "keep");
    EXPECT_EQ(fixture::names(dir.path()),
              (QList<QByteArray>{"adir", "existing", "readonly", "src"}));

    // Replacing is allowed: the old content goes.
    EXPECT_EQ(copyFile(q(dir / "src"), q(dir / "existing")), CopyStatus::Ok);
    EXPECT_EQ(fixture::readFile(dir / "existing"), "new");
}

// As root too: the copy runs as an unprivileged user then.
TEST(FileCopy, UnreadableSourceLeavesNothing)
{
    TempDir dir(QByteArrayLiteral("/tmp/"));
    ::chmod(dir.path().constData(), 0777);
    fixture::writeFile(dir / "secret", "x");
    ::chmod((dir / "secret").constData(), 0);
    EXPECT_EQ(fixture::asUnprivileged([&] {
                  return int(copyFile(q(dir / "secret"), q(dir / "copy")));
              }),
              int(CopyStatus::SourceUnreadable));
    EXPECT_FALSE(fixture::exists(dir / "copy"));
}

// While it is written the copy has no name (or, where the file system has no unnamed
// files, a hidden temporary one); a cancel leaves nothing either way.
TEST(FileCopy, InvisibleUntilCompleteAndCancelLeavesNothing)
{
    TempDir dir;
    fixture::writeFile(dir / "src", QByteArray(20 << 20, 'a'));
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named temporary");
        UnnamedCopies mode(unnamed);
        QList<QByteArray> during;
        CopyOptions options;
        options.progress = [&](qint64, qint64) {
            during = fixture::names(dir.path());
            return false;
        };
        EXPECT_EQ(copyFile(q(dir / "src"), q(dir / "dst"), options), CopyStatus::Cancelled);
        EXPECT_EQ(fixture::names(dir.path()), QList<QByteArray>{"src"});
        ASSERT_EQ(during.size(), unnamed ? 1 : 2);
        if (!unnamed) {
            EXPECT_TRUE(during[0].startsWith(".tobrin-")) << during[0].constData();
        }
    }
}

TEST(FileCopy, FullDiskLeavesNoFileAndKeepsTheSource)
{
    TempDir dir;
    const QByteArray mount = dir / "small";
    if (!fixture::mountTmpfs(mount, "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    fixture::writeFile(dir / "src", QByteArray(3 << 20, 's'));
    fixture::writeFile(mount + "/old", "old");

    EXPECT_EQ(copyFile(q(dir / "src"), q(mount + "/big")), CopyStatus::NoSpace);
    EXPECT_EQ(copyFile(q(dir / "src"), q(mount + "/old")), CopyStatus::NoSpace);
    EXPECT_EQ(fixture::names(mount), QList<QByteArray>{"old"});
    EXPECT_EQ(fixture::readFile(mount + "/old"), "old");
    EXPECT_EQ(fixture::readFile(dir / "src").size(), 3 << 20);
    fixture::unmount(mount);
}


// A source written to while it is copied: cut short, grown, or rewritten in place. The
// copy fails and leaves nothing; a move across file systems keeps its source.
TEST(FileCopy, SourceThatChangesWhileCopiedFails)
{
    TempDir dir;
    const QByteArray mount = dir / "other";
    const bool mounted = fixture::mountTmpfs(mount, "64m");
    const QByteArray content(12 << 20, 'c'); // two chunks: the change comes between them
    const struct
    {
        const char* what;
        std::function<void(int fd)> change;
    } cases[] = {
        {"cut short", [](int fd) { (void)::ftruncate(fd, 1000); }},
        {"grown", [](int fd) { (void)::pwrite(fd, "tail", 4, 12 << 20); }},
        {"rewritten in place", [](int fd) { (void)::pwrite(fd, "X", 1, 5); }},
    };
    for (const auto& c : cases) {
        for (const bool move : {false, true}) {
            if (move && !mounted)
                continue;
            SCOPED_TRACE(std::string(c.what) + (move ? " (move)" : " (copy)"));
            fixture::writeFile(dir / "src", content);
            CopyOptions options;
            bool changed = false;
            options.progress = [&](qint64, qint64) {
                if (!changed) {
                    const int fd = ::open((dir / "src").constData(), O_WRONLY);
                    c.change(fd);
                    ::close(fd);
                    changed = true;
                }
                return true;
            };
            const QByteArray target = move ? mount : dir / "dst";
            fixture::makeDir(dir / "dst");
            const CopyResult r = copyTo(dir / "src", target, "f", options, move);
            EXPECT_EQ(r.status, CopyStatus::SourceChanged);
            EXPECT_EQ(copyStatusText(r.status), QStringLiteral("Quelle hat sich beim Kopieren geändert"));
            EXPECT_TRUE(fixture::names(target).isEmpty());
            EXPECT_TRUE(fixture::exists(dir / "src"));
        }
    }
    if (mounted)
        fixture::unmount(mount);
}

// Pseudo-files report a size of 0 or 4096 whatever they hold: the copy reads to the end.
TEST(FileCopy, PseudoFilesAreCopiedToTheirEnd)
{
    TempDir dir;
    for (const QByteArray& path : {QByteArray("/proc/version"),
                                   QByteArray("/sys/devices/system/cpu/possible")}) {
        if (!fixture::exists(path))
            continue;
        SCOPED_TRACE(path.constData());
        const QByteArray copy = dir / path.mid(path.lastIndexOf('/') + 1);
        ASSERT_EQ(copyFile(q(path), q(copy)), CopyStatus::Ok);
        const QByteArray expected = fixture::readFile(path);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(fixture::readFile(copy), expected);
    }
}

// Set-user-ID and set-group-ID never go to a copy with another owner; a move keeps
// owner, group, all mode bits and extended attributes, as mv does.
TEST(FileCopy, SetIdBitsOwnerAndAttributes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs root";
    TempDir dir;
    const QByteArray mount = dir / "other";
    if (!fixture::mountTmpfs(mount, "4m"))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    fixture::writeFile(dir / "prog", "#!/bin/sh\n");
    ASSERT_EQ(::chown((dir / "prog").constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((dir / "prog").constData(), 06755), 0);
    fixture::writeFile(dir / "private", "data");
    ASSERT_EQ(::chown((dir / "private").constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((dir / "private").constData(), 0640), 0);
    const bool xattrs = ::setxattr((dir / "private").constData(), "user.tag", "v", 1, 0) == 0;

    ASSERT_EQ(copyTo(dir / "prog", mount, "copy").status, CopyStatus::Ok);
    EXPECT_EQ(statOf(mount + "/copy").st_mode & 07777, 0755u);
    EXPECT_EQ(statOf(mount + "/copy").st_uid, 0u);

    ASSERT_EQ(copyTo(dir / "prog", mount, "prog", {}, true).status, CopyStatus::Ok);
    EXPECT_EQ(statOf(mount + "/prog").st_mode & 07777, 06755u);
    EXPECT_EQ(statOf(mount + "/prog").st_uid, 65534u);
    EXPECT_EQ(statOf(mount + "/prog").st_gid, 65534u);

    ASSERT_EQ(copyTo(dir / "private", mount, "private", {}, true).status, CopyStatus::Ok);
    EXPECT_EQ(statOf(mount + "/private").st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(mount + "/private").st_uid, 65534u);
    char value[8] = {};
    if (xattrs) {
        EXPECT_EQ(::getxattr((mount + "/private").constData(), "user.tag", value, sizeof value), 1);
        EXPECT_EQ(value[0], 'v');
    }
    fixture::unmount(mount);
}

// A move whose source cannot be removed takes its copy back, also where it replaced a
// file: the target is exactly as before and the source stays.
TEST(FileCopy, MoveThatCannotRemoveItsSourceTakesTheCopyBack)
{
    TempDir dir(QByteArrayLiteral("/tmp/"));
    ::chmod(dir.path().constData(), 0777);
    const QByteArray mount = dir / "other";
    if (!fixture::mountTmpfs(mount, "4m"))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    ::chmod(mount.constData(), 0777);
    fixture::makeDir(dir / "src");
    fixture::writeFile(dir / "src/f", "new");
    ::chmod((dir / "src/f").constData(), 0666);
    ::chmod((dir / "src").constData(), 0555);
    const int rc = fixture::asUnprivileged([&] {
        fixture::writeFile(mount + "/old", "old");
        const CopyResult fresh = copyTo(dir / "src/f", mount, "fresh", {}, true);
        const CopyResult replacing = copyTo(dir / "src/f", mount, "old", {}, true);
        return int(fresh.status) * 16 + int(replacing.status);
    });
    EXPECT_EQ(rc, int(CopyStatus::SourceNotRemovable) * 17);
    EXPECT_EQ(fixture::names(mount), QList<QByteArray>{"old"});
    EXPECT_EQ(fixture::readFile(mount + "/old"), "old");
    EXPECT_EQ(fixture::readFile(dir / "src/f"), "new");
    ::chmod((dir / "src").constData(), 0755);
    fixture::unmount(mount);
}

// A symbolic link under the target name is replaced, never written through; folders
// are entered without following links.
TEST(FileCopy, LinksAtTheTargetAreNeverFollowed)
{
    TempDir dir;
    fixture::makeDir(dir / "t");
    fixture::makeDir(dir / "elsewhere");
    fixture::writeFile(dir / "elsewhere/victim", "keep");
    fixture::writeFile(dir / "src", "new");
    ASSERT_EQ(::symlink((dir / "elsewhere/victim").constData(), (dir / "t/f").constData()), 0);
    ASSERT_EQ(::symlink((dir / "elsewhere").constData(), (dir / "t/sub").constData()), 0);
    fixture::writeFile(dir / "t/file", "x");

    ASSERT_EQ(copyTo(dir / "src", dir / "t", "f").status, CopyStatus::Ok);
    EXPECT_EQ(fixture::readFile(dir / "elsewhere/victim"), "keep");
    EXPECT_TRUE(S_ISREG(statOf(dir / "t/f").st_mode));
    EXPECT_EQ(fixture::readFile(dir / "t/f"), "new");

    const TargetDirectory t = TargetDirectory::open(q(dir / "t"));
    const TargetDirectory link = t.enter("sub");
    EXPECT_FALSE(link.valid());
    EXPECT_EQ(link.error(), ELOOP);
    const TargetDirectory file = t.enter("file");
    EXPECT_FALSE(file.valid());
    EXPECT_EQ(file.error(), ENOTDIR);
    const TargetDirectory made = t.enter("made");
    EXPECT_TRUE(made.valid());
    EXPECT_TRUE(S_ISDIR(statOf(dir / "t/made").st_mode));
    EXPECT_EQ(fixture::names(dir / "elsewhere"), QList<QByteArray>{"victim"});
}

// Where the named temporary is used, SIGTERM in the middle of a file removes it before
// the process ends.
TEST(FileCopy, SignalRemovesTheNamedTemporary)
{
    TempDir dir;
    fixture::writeFile(dir / "src", QByteArray(20 << 20, 's'));
    fixture::makeDir(dir / "t");
    const pid_t pid = ::fork();
    if (pid == 0) {
        setUnnamedCopies(false);
        installTemporaryCleanup();
        CopyOptions options;
        options.progress = [](qint64, qint64) {
            ::raise(SIGTERM);
            return true;
        };
        copyFile(q(dir / "src"), q(dir / "t/f"), options);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(fixture::names(dir / "t").isEmpty());
}
