#include "platform/namecodec.h"
#include "platform/treesize.h"
#include "testenv.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::treeSize;

namespace {
QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}
} // namespace

// Sizes of files, sparse files counted by their apparent size, links of every kind.
TEST(TreeSize, CountsEachFileOnceAndFollowsNoLink)
{
    TempDir dir;
    const QByteArray t = dir / "t";
    fixture::makeDir(t);
    EXPECT_EQ(treeSize(q(t)).bytes, 0);

    fixture::makeDir(t + "/a");
    fixture::makeDir(t + "/a/b");
    fixture::writeFile(t + "/empty", "");
    fixture::writeFile(t + "/a/one", "1");
    fixture::writeFile(t + "/a/b/k", QByteArray(1023, 'k'));
    const long long big = 5LL << 30;
    fixture::makeSparse(t + "/a/sparse", big);
    // A second name of the same file, a link to a file, a link back up (a loop when
    // followed) and a dangling link count nothing more.
    ASSERT_EQ(::link((t + "/a/b/k").constData(), (t + "/hard").constData()), 0);
    ASSERT_EQ(::symlink("a/one", (t + "/soft").constData()), 0);
    ASSERT_EQ(::symlink("../..", (t + "/a/b/up").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", (t + "/dangling").constData()), 0);

    const long long expected = 1 + 1023 + big;
    for (int threads : {1, 2, 4, 0}) {
        const platform::TreeSize s = treeSize(q(t) + QStringLiteral("/"), threads);
        EXPECT_EQ(s.bytes, expected) << threads;
        EXPECT_EQ(s.files, 4) << threads;
        EXPECT_EQ(s.folders, 3) << threads;
    }
    // A folder that is not there, or a file, counts nothing.
    EXPECT_EQ(treeSize(q(t + "/missing")).bytes, 0);
    EXPECT_EQ(treeSize(q(t + "/a/one")).bytes, 0);
}

// A folder mounted inside itself is entered once, so the walk ends.
TEST(TreeSize, BindMountLoopEnds)
{
    TempDir dir;
    const QByteArray t = dir / "t";
    fixture::makeDir(t);
    fixture::makeDir(t + "/inner");
    fixture::writeFile(t + "/f", QByteArray(100, 'f'));
    if (::mount(t.constData(), (t + "/inner").constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not allowed here";
    const platform::TreeSize s = treeSize(q(t), 4);
    ::umount((t + "/inner").constData());
    EXPECT_EQ(s.bytes, 100);
}

// A folder that cannot be read counts 0 bytes; the rest is counted.
TEST(TreeSize, UnreadableFolderCountsNothing)
{
    TempDir dir("/tmp/"); // a place the unprivileged user can reach
    const QByteArray t = dir / "t";
    fixture::makeDir(t);
    fixture::makeDir(t + "/closed");
    fixture::writeFile(t + "/closed/x", QByteArray(50, 'x'));
    fixture::writeFile(t + "/open", QByteArray(7, 'o'));
    ::chmod((t + "/closed").constData(), 0);
    ::chmod(dir.path().constData(), 0755);
    ::chmod(t.constData(), 0755);
    const int rc = fixture::asUnprivileged([&] {
        const platform::TreeSize s = treeSize(q(t));
        return s.bytes == 7 && s.unreadable == 1 ? 0 : 1;
    });
    ::chmod((t + "/closed").constData(), 0755);
    EXPECT_EQ(rc, 0);
}

// Where no thread can be started (a process limit), the walk goes on in this one.
TEST(TreeSize, NoThreadsToBeHad)
{
    TempDir dir("/tmp/"); // a place the unprivileged user can reach
    const QByteArray t = dir / "t";
    for (const char* sub : {"", "/a", "/b", "/a/c"})
        fixture::makeDir(t + sub);
    for (const char* file : {"/a/x", "/b/y", "/a/c/z"})
        fixture::writeFile(t + file, QByteArray(10, 'f'));
    ::chmod(dir.path().constData(), 0755);
    const int rc = fixture::asUnprivileged([&] {
        struct rlimit old;
        ::getrlimit(RLIMIT_NPROC, &old);
        const struct rlimit none = {1, old.rlim_max};
        ::setrlimit(RLIMIT_NPROC, &none);
        const platform::TreeSize s = treeSize(q(t), 4);
        ::setrlimit(RLIMIT_NPROC, &old);
        return s.bytes == 30 ? 0 : 1;
    });
    EXPECT_EQ(rc, 0);
}
