#include "core/filecollector.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// The names of a directory in the order the file system enumerates them.
QStringList enumerated(const QString& dir, platform::EntryKind kind)
{
    QStringList names;
    platform::walkDirectory(dir, [&](const QString& name, platform::EntryKind k) {
        if (k == kind)
            names.append(name);
        return true;
    });
    return names;
}

QStringList search(const QByteArray& dir, const QString& mask)
{
    QStringList found;
    SucheDateien(q(dir), mask, found, false);
    return found;
}

// a/x.txt, a/b/{y.txt, z.doc}, a/c/w.txt, plus more files and folders so that the
// enumeration order is not the creation order.
class Collector : public ::testing::Test
{
protected:
    void SetUp() override
    {
        a = tmp / "a/";
        fixture::makeDir(a.chopped(1));
        for (const char* d : {"b", "c", "d", "e"})
            fixture::makeDir(a + d);
        for (const char* f : {"x.txt", "b/y.txt", "b/z.doc", "c/w.txt", "m.txt", "d/k.TXT",
                              "e/n.txt", "e/o.txt", "e/p.txt"})
            fixture::writeFile(a + f, f);
    }

    TempDir tmp;
    QByteArray a;
};

} // namespace

// A directory's own matching files first, in enumeration order, then each
// subdirectory completely, depth first, in enumeration order; z.doc is not taken.
TEST_F(Collector, FilesFirstThenSubdirectoriesInEnumerationOrder)
{
    QStringList expected;
    std::function<void(const QString&)> walk = [&](const QString& dir) {
        for (const QString& name : enumerated(dir, platform::EntryKind::File))
            if (name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
                expected.append(dir + name);
        for (const QString& name : enumerated(dir, platform::EntryKind::Directory))
            walk(dir + name + QLatin1Char('/'));
    };
    walk(q(a));
    ASSERT_EQ(expected.size(), 8);

    EXPECT_EQ(search(a, QStringLiteral("*.txt")), expected);
    // Without the trailing "/" the paths come out the same.
    EXPECT_EQ(search(a.chopped(1), QStringLiteral("*.txt")), expected);
    // Searching twice without emptying appends everything again.
    QStringList twice = search(a, QStringLiteral("*.txt"));
    SucheDateien(q(a), QStringLiteral("*.txt"), twice, false);
    EXPECT_EQ(twice, expected + expected);
    SucheDateien(q(a), QStringLiteral("*.txt"), twice, true);
    EXPECT_EQ(twice, expected);
}

// What the one mask takes: hidden files and folders, ";" as an ordinary character,
// nothing for the empty mask, bytes that are not UTF-8 unchanged.
TEST_F(Collector, MaskCases)
{
    fixture::makeDir(a + ".hidden");
    fixture::writeFile(a + ".hidden/h.txt", "h");
    fixture::writeFile(a + ".dot.txt", "d");
    fixture::writeFile(a + "e/a.txt;b.doc", "s");
    fixture::writeFile(a + "e/caf\xe9.txt", "c");

    struct Case
    {
        const char* mask;
        QList<QByteArray> expected; // relative to a, in any order
    } const cases[] = {
        {"*.txt;*.doc", {"e/a.txt;b.doc"}},
        {"", {}},
        {".*", {".dot.txt"}},
        {"h.txt", {".hidden/h.txt"}},
        {"caf?.TXT", {"e/caf\xe9.txt"}},
        {"?.doc", {"b/z.doc"}},
    };
    for (const Case& c : cases) {
        QStringList found = search(a, q(c.mask));
        QStringList expected;
        for (const QByteArray& rel : c.expected)
            expected.append(q(a + rel));
        found.sort();
        expected.sort();
        EXPECT_EQ(found, expected) << "mask " << c.mask;
    }
    // The raw byte survives the trip: the path encodes back to the name on disk.
    const QStringList raw = search(a, QStringLiteral("caf*"));
    ASSERT_EQ(raw.size(), 1);
    EXPECT_EQ(platform::encodeName(raw.first()), a + "e/caf\xe9.txt");
    EXPECT_TRUE(fixture::exists(platform::encodeName(raw.first())));
}

// Links back to a directory on the walk are not followed (each real file once, the walk
// ends); a link to a directory elsewhere is entered under its own path, once.
TEST_F(Collector, LinksToDirectories)
{
    ASSERT_EQ(::symlink(a.chopped(1).constData(), (a + "loop").constData()), 0);
    ASSERT_EQ(::symlink("..", (a + "b/up").constData()), 0);
    ASSERT_EQ(::symlink("../../a", (a + "c/again").constData()), 0);
    const QByteArray outside = tmp / "outside";
    fixture::makeDir(outside);
    fixture::writeFile(outside + "/far.txt", "f");
    ASSERT_EQ(::symlink(outside.constData(), (a + "d/far").constData()), 0);

    QStringList found = search(a, QStringLiteral("*.txt"));
    found.sort();
    QStringList expected;
    for (const char* rel :
         {"x.txt", "m.txt", "b/y.txt", "c/w.txt", "d/k.TXT", "e/n.txt", "e/o.txt", "e/p.txt"})
        expected.append(q(a + rel));
    expected.append(q(a + "d/far/far.txt"));
    expected.sort();
    EXPECT_EQ(found, expected);
}

// The command line's streaming walk finds the same paths in the same order, as bytes,
// whether a name is ASCII or not, with links and masks of every kind.
TEST_F(Collector, StreamingWalkAgreesWithTheList)
{
    ASSERT_EQ(::symlink(a.chopped(1).constData(), (a + "loop").constData()), 0);
    ASSERT_EQ(::symlink("../c", (a + "b/toc").constData()), 0);
    fixture::writeFile(a + "caf\xe9.TXT", "latin1");
    fixture::writeFile(a + "b/\xc3\xa4rger.txt", "utf8");
    for (const char* mask : {"*.txt", "*", "?.txt", "*R*", "\xc3\xa4*", "none", ""}) {
        SCOPED_TRACE(mask);
        const QString m = QString::fromUtf8(mask);
        QStringList streamed;
        EXPECT_TRUE(SucheDateienStream(a.chopped(1), m, [&](const QByteArray& path) {
            streamed.append(q(path));
        }));
        EXPECT_EQ(streamed, search(a, m));
    }
    EXPECT_FALSE(SucheDateienStream(tmp / "missing", QStringLiteral("*"), [](const QByteArray&) {}));
}

// Two links per level to the next level, forty levels deep: 2^40 paths, but each real
// directory is walked once, so each file is found once and the search ends.
TEST_F(Collector, EachDirectoryOnceHoweverManyLinksLeadThere)
{
    const QByteArray base = tmp / "deep/";
    fixture::makeDir(base.chopped(1));
    QByteArray level = base;
    for (int i = 0; i < 40; ++i) {
        fixture::makeDir(level + "d");
        fixture::writeFile(level + "f.txt", "f");
        ASSERT_EQ(::symlink("d", (level + "l1").constData()), 0);
        ASSERT_EQ(::symlink("d", (level + "l2").constData()), 0);
        level += "d/";
    }
    EXPECT_EQ(search(base, QStringLiteral("*.txt")).size(), 40);
}

// Without recursion only the directory itself; a missing or empty directory gives
// nothing; leeren empties the list first.
TEST_F(Collector, FlatAndNothing)
{
    QStringList found{QStringLiteral("old")};
    Durchsuche(q(a), QStringLiteral("*.txt"), found, false, false);
    found.sort();
    EXPECT_EQ(found, (QStringList{q(a + "m.txt"), q(a + "x.txt"), QStringLiteral("old")}));

    EXPECT_FALSE(Durchsuche(q(tmp / "missing"), QStringLiteral("*.*"), found, true, true));
    EXPECT_TRUE(found.isEmpty());
    found.append(QStringLiteral("old"));
    EXPECT_FALSE(Durchsuche(QString(), QStringLiteral("*.*"), found, false, true));
    EXPECT_FALSE(Durchsuche(q(a + "x.txt"), QStringLiteral("*.*"), found, false, true));
    EXPECT_EQ(found, QStringList{QStringLiteral("old")});
    EXPECT_TRUE(Durchsuche(q(a + "e"), QStringLiteral("none"), found, false, true));
}
