#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QMap>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {
QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

// Names that must survive every operation byte for byte.
const QList<QByteArray> AwkwardNames = {
    QByteArray("latin1-\xe4\xf6\xfc.txt"),     // ISO-8859-1, not UTF-8
    QByteArray("mixed-\xc3\xa4-\xff\xfe.bin"), // valid UTF-8 next to invalid bytes
    QByteArray("line\nbreak.txt"),             // a newline in the name
    QByteArray("truncated-\xe2\x82.txt"),      // a cut-off UTF-8 sequence
    QByteArray("surrogate-\xed\xa0\x80.txt"),  // an encoded surrogate (invalid UTF-8)
    QByteArray("emoji-\xf0\x9f\x98\x80.txt"),  // four-byte UTF-8
    QByteArray(255, 'n'),                      // the longest name allowed
    QByteArray(127, 'x') + QByteArray(64, '\xe4'),
};
} // namespace

TEST(NameCodec, RoundTripsEveryByteString)
{
    for (const QByteArray& name : AwkwardNames)
        EXPECT_EQ(encodeName(decodeName(name)), name) << name.toHex().constData();
    // Every single byte and every pair of bytes.
    for (int a = 1; a < 256; ++a) {
        const QByteArray one(1, char(a));
        ASSERT_EQ(encodeName(decodeName(one)), one);
        for (int b = 0x80; b < 256; b += 7) {
            const QByteArray two = one + char(b);
            ASSERT_EQ(encodeName(decodeName(two)), two);
        }
    }
}

TEST(NameCodec, DecodesValidUtf8AsText)
{
    EXPECT_EQ(decodeName("Gr\xc3\xb6\xc3\x9f"
                         "e"),
              QStringLiteral("Größe"));
    EXPECT_FALSE(hasRawBytes(decodeName("Gr\xc3\xb6\xc3\x9f"
                                        "e")));
    const QString raw = decodeName("a\xe4"
                                   "b");
    EXPECT_EQ(raw.size(), 3);
    EXPECT_TRUE(hasRawBytes(raw));
    // Distinct byte strings stay distinct texts.
    EXPECT_NE(decodeName("\xc3\xa4"), decodeName("\xe4"));
}

TEST(FileSystem, ListsAwkwardNamesWithExactSizes)
{
    TempDir dir;
    for (const QByteArray& name : AwkwardNames)
        fixture::writeFile(dir / name, name);
    fixture::makeSparse(dir / "big.sparse", 5LL << 30);
    fixture::makeDir(dir / "sub");
    ASSERT_EQ(::symlink("sub", (dir / "link-to-sub").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").constData()), 0);
    fixture::writeFile(dir / ".hidden", "h");

    std::vector<FileInfo> entries;
    ASSERT_TRUE(listDirectory(q(dir.path()), entries));
    QMap<QByteArray, FileInfo> byName;
    for (const FileInfo& e : entries)
        byName.insert(encodeName(e.name), e);

    ASSERT_EQ(byName.size(), AwkwardNames.size() + 5);
    for (const QByteArray& name : AwkwardNames) {
        ASSERT_TRUE(byName.contains(name)) << name.toHex().constData();
        EXPECT_EQ(byName[name].size, name.size());
        EXPECT_EQ(byName[name].attributes, 0u);
    }
    EXPECT_EQ(byName["big.sparse"].size, 5LL << 30);
    EXPECT_EQ(byName["sub"].attributes, quint32(AttrDirectory));
    EXPECT_EQ(byName["link-to-sub"].attributes, quint32(AttrDirectory));
    EXPECT_TRUE(byName["link-to-sub"].isLink);
    EXPECT_TRUE(byName["dangling"].isLink);
    EXPECT_FALSE(byName["dangling"].isDir());
    EXPECT_EQ(byName[".hidden"].attributes, quint32(AttrHidden));
}

TEST(FileSystem, AttributesFollowModeAndName)
{
    struct Case
    {
        quint32 mode;
        const char* name;
        quint32 expected;
    } cases[] = {
        {S_IFREG | 0644, "a.txt", 0},
        {S_IFREG | 0444, "a.txt", AttrReadOnly},
        {S_IFREG | 0644, ".profile", AttrHidden},
        {S_IFDIR | 0555, ".cache", AttrDirectory | AttrHidden | AttrReadOnly},
        {S_IFIFO | 0644, "fifo", AttrSystem},
        {S_IFCHR | 0666, "null", AttrSystem},
        {S_IFSOCK | 0755, "sock", AttrSystem},
    };
    for (const Case& c : cases)
        EXPECT_EQ(attributesFor(c.mode, QString::fromLatin1(c.name)), c.expected) << c.name;
}

TEST(FileSystem, UnreadableOrMissingDirectoryListsNothing)
{
    TempDir dir;
    std::vector<FileInfo> entries;
    EXPECT_FALSE(listDirectory(q(dir / "missing"), entries));
    EXPECT_TRUE(entries.empty());
    fixture::writeFile(dir / "file", "x");
    EXPECT_FALSE(listDirectory(q(dir / "file"), entries));
}

TEST(FileSystem, MakePathRenameAndRemove)
{
    TempDir dir;
    const QString deep = q(dir / "a/b\xe4/c");
    ASSERT_TRUE(makePath(deep));
    EXPECT_TRUE(isDirectory(deep));
    EXPECT_TRUE(makePath(deep + QLatin1Char('/'))); // exists already: fine
    fixture::writeFile(dir / "file", "x");
    EXPECT_FALSE(makePath(q(dir / "file/sub")));

    fixture::writeFile(dir / "one", "1");
    fixture::writeFile(dir / "two", "2");
    EXPECT_FALSE(renamePath(q(dir / "one"), q(dir / "two"), false));
    EXPECT_EQ(lastError(), EEXIST);
    EXPECT_EQ(fixture::readFile(dir / "two"), "2");
    EXPECT_TRUE(renamePath(q(dir / "one"), q(dir / "two"), true));
    EXPECT_EQ(fixture::readFile(dir / "two"), "1");
    // Only the letter case changes: a real rename here.
    EXPECT_TRUE(renamePath(q(dir / "two"), q(dir / "Two"), false));
    EXPECT_EQ(fixture::names(dir.path()), (QList<QByteArray>{"Two", "a", "file"}));

    EXPECT_TRUE(removeTree(q(dir / "a")));
    EXPECT_FALSE(exists(q(dir / "a")));
    EXPECT_TRUE(removeFile(q(dir / "Two")));
    EXPECT_FALSE(removeFile(q(dir / "Two")));
    EXPECT_EQ(lastError(), ENOENT);
}

TEST(FileSystem, PathTextHelpers)
{
    EXPECT_EQ(parentPath(QStringLiteral("/a/b/c")), QStringLiteral("/a/b/"));
    EXPECT_EQ(parentPath(QStringLiteral("/a/b/")), QStringLiteral("/a/"));
    EXPECT_EQ(parentPath(QStringLiteral("/a")), QStringLiteral("/"));
    EXPECT_EQ(fileName(QStringLiteral("/a/b/c.txt")), QStringLiteral("c.txt"));
    EXPECT_EQ(fileName(QStringLiteral("/a/b/")), QStringLiteral("b"));
    EXPECT_EQ(fileName(QStringLiteral("/")), QStringLiteral("/"));
}

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
        EXPECT_EQ(copyFile(q(dir / c.source), q(dir / c.target), CopyOptions{c.replace, {}}),
                  c.expected)
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

TEST(FileCopy, UnreadableSourceLeavesNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempDir dir;
    fixture::writeFile(dir / "secret", "x");
    ::chmod((dir / "secret").constData(), 0);
    EXPECT_EQ(copyFile(q(dir / "secret"), q(dir / "copy")), CopyStatus::SourceUnreadable);
    EXPECT_FALSE(fixture::exists(dir / "copy"));
}

TEST(FileCopy, CancelLeavesNothing)
{
    TempDir dir;
    fixture::writeFile(dir / "src", QByteArray(20 << 20, 'a'));
    CopyOptions options;
    options.progress = [](qint64, qint64) { return false; };
    EXPECT_EQ(copyFile(q(dir / "src"), q(dir / "dst"), options), CopyStatus::Cancelled);
    EXPECT_EQ(fixture::names(dir.path()), QList<QByteArray>{"src"});
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

TEST(FileSystem, DiskSpaceOfAMountedFileSystem)
{
    TempDir dir;
    const QByteArray mount = dir / "small";
    if (!fixture::mountTmpfs(mount, "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    qint64 total = 0, available = 0;
    ASSERT_TRUE(diskSpace(q(mount), total, available));
    EXPECT_EQ(total, 1 << 20);
    EXPECT_LE(available, total);
    fixture::unmount(mount);
    EXPECT_FALSE(diskSpace(q(dir / "missing"), total, available));
    EXPECT_EQ(total, -1);
}
