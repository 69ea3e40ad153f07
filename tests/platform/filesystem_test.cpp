#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QMap>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {
QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

const QList<QByteArray> AwkwardNames = fixture::awkwardNames();
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

TEST(FileSystem, ListFoldersGivesFoldersAndLinksToThemOnly)
{
    TempDir dir;
    fixture::makeDir(dir / "sub");
    fixture::writeFile(dir / "file", "x");
    ASSERT_EQ(::symlink("sub", (dir / "link-to-sub").constData()), 0);
    ASSERT_EQ(::symlink("file", (dir / "link-to-file").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", (dir / "dangling").constData()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").constData(), 0644), 0);
    fixture::makeDir(dir / ".hidden-sub");

    QMap<QByteArray, FileInfo> byName;
    ASSERT_TRUE(
        listFolders(q(dir.path()), [&](FileInfo& e) { byName.insert(encodeName(e.name), e); }));
    EXPECT_EQ(byName.keys(), (QList<QByteArray>{".hidden-sub", "link-to-sub", "sub"}));
    EXPECT_EQ(byName[".hidden-sub"].attributes, quint32(AttrDirectory | AttrHidden));
    EXPECT_TRUE(byName["link-to-sub"].isLink);
    EXPECT_FALSE(listFolders(q(dir / "missing"), [](FileInfo&) {}));
}

// A folder larger than one batch of the listing, whose lookups are shared between two
// threads: every entry once, with its own name, size and attributes; the folders alone
// when only folders are asked for.
TEST(FileSystem, LargeFolderListsEveryEntryWithItsOwnFacts)
{
    TempDir dir(QByteArrayLiteral("/tmp/")); // open to the unprivileged user below
    const int files = 9000, folders = 12;
    for (int i = 0; i < files; ++i) {
        const QByteArray name = (i % 7 == 0 ? "." : "") + QByteArray::number(i);
        const int fd = ::open((dir / name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, i), 0);
        ::close(fd);
    }
    for (int i = 0; i < folders; ++i)
        fixture::makeDir(dir / ("dir" + QByteArray::number(i)));

    int seen = 0, mismatches = 0;
    ASSERT_TRUE(listDirectory(q(dir.path()), [&](FileInfo& e) {
        ++seen;
        const QByteArray name = encodeName(e.name);
        if (name.startsWith("dir")) {
            mismatches += !e.isDir();
            return;
        }
        const bool hidden = name.startsWith('.');
        const qint64 number = (hidden ? name.mid(1) : name).toLongLong();
        mismatches += e.size != number || hidden != (number % 7 == 0) ||
                      bool(e.attributes & AttrHidden) != hidden;
    }));
    EXPECT_EQ(seen, files + folders);
    EXPECT_EQ(mismatches, 0);

    int foldersSeen = 0;
    ASSERT_TRUE(listFolders(q(dir.path()), [&](FileInfo& e) { foldersSeen += e.isDir(); }));
    EXPECT_EQ(foldersSeen, folders);

    // Where no thread can be started (a process limit), this thread looks at it all.
    ::chmod(dir.path().constData(), 0755);
    EXPECT_EQ(fixture::asUnprivileged([&] {
                  struct rlimit old;
                  ::getrlimit(RLIMIT_NPROC, &old);
                  const struct rlimit none = {1, old.rlim_max};
                  ::setrlimit(RLIMIT_NPROC, &none);
                  int listed = 0;
                  listDirectory(q(dir.path()), [&](FileInfo&) { ++listed; });
                  ::setrlimit(RLIMIT_NPROC, &old);
                  return listed == files + folders ? 0 : 1;
              }),
              0);
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
