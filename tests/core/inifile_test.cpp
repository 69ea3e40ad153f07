#include "core/inifile.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

IniFile parsed(const QByteArray& bytes)
{
    IniFile ini;
    ini.setContent(bytes);
    return ini;
}

QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray out(littleEndian ? "\xFF\xFE" : "\xFE\xFF");
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi);
        out.append(littleEndian ? hi : lo);
    }
    return out;
}

// Fills the file system that holds dir to the last byte.
void fillUp(const QByteArray& dir)
{
    const int fd = ::open((dir + "/filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray chunk(4096, 'f');
    while (::write(fd, chunk.constData(), size_t(chunk.size())) > 0) {
    }
    ::close(fd);
}

} // namespace

TEST(IniFile, MatchesNamesWithoutRegardToCaseOrBlanks)
{
    const IniFile ini = parsed("; Einstellungen\n"
                               "[mainform]\n"
                               "quellbaum = /home/anna/Fotos/  \n"
                               "\t ZIELBAUM=/media/stick/\n"
                               "# Filter=/comment/\n"
                               "ohne Gleichheitszeichen\n"
                               "[ Other ] ; note\n"
                               "Quellbaum=/other/\n"
                               "Leer=\n"
                               "[MainForm]\n"
                               "Filter=*.jpg\n");
    const struct
    {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"MainForm", "Quellbaum", "/home/anna/Fotos/"},
        {"Mainform", "Zielbaum", "/media/stick/"},
        {" MAINFORM ", " quellBAUM ", "/home/anna/Fotos/"},
        {"other", "QUELLBAUM", "/other/"},
        {"Other", "Leer", ""},
        // The first of two sections with one name is the one that counts.
        {"MainForm", "Filter", "<default>"},
        {"MainForm", "ohne Gleichheitszeichen", "<default>"},
        {"Fehlt", "Quellbaum", "<default>"},
        {"Other", "Zielbaum", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                            QStringLiteral("<default>")),
                  QString::fromUtf8(c.expected))
            << c.section << "/" << c.key;
}

TEST(IniFile, SetValueChangesOnlyWhatItMust)
{
    const struct
    {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        // A new file gets the section under the name as first written.
        {"", "MainForm", "Quellbaum", "/a/", "[MainForm]\nQuellbaum=/a/\n"},
        // The key's spelling and the blanks before the value stay.
        {"[A]\r\n  Key = 1 \r\n[B]\r\n", "a", "KEY", "2", "[A]\r\n  Key = 2\r\n[B]\r\n"},
        // An unchanged value leaves the line alone, trailing blanks and all.
        {"[A]\nk = 1  \n", "A", "k", "1", "[A]\nk = 1  \n"},
        // A new key follows the section's last entry, before what leads into the next.
        {"[A]\nx=1\n\n; about B\n[B]\ny=2\n", "a", "k", "v",
         "[A]\nx=1\nk=v\n\n; about B\n[B]\ny=2\n"},
        {"[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        // The file's own line ending; a last line without one stays without.
        {"[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"[A]\nx=1", "A", "k", "v", "[A]\nx=1\nk=v"},
        {"[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v"},
        // Lines before the first section belong to none.
        {"k=1\n", "A", "k", "2", "k=1\n[A]\nk=2\n"},
    };
    for (const auto& c : cases) {
        IniFile ini = parsed(c.before);
        EXPECT_TRUE(ini.setValue(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                 QString::fromUtf8(c.value)));
        EXPECT_EQ(ini.content(), QByteArray(c.after)) << c.before;
        EXPECT_EQ(ini.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key)),
                  QString::fromUtf8(c.value));
    }
}

TEST(IniFile, RefusesWhatALineCannotHold)
{
    const struct
    {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"A", "k", "/a\n[Evil]\nx=1"},
        {"A", "k", "a\rb"},
        {"A\nB", "k", "v"},
        {"A]", "k", "v"},
        {"A", "k=j", "v"},
        {"A", ";k", "v"},
        {"A", "[k", "v"},
        {"A", " ", "v"},
        {"", "k", "v"},
    };
    for (const auto& c : cases) {
        IniFile ini = parsed("[A]\nk=1\n");
        EXPECT_FALSE(ini.setValue(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                  QString::fromUtf8(c.value)))
            << c.section << "/" << c.key << "=" << c.value;
        EXPECT_EQ(ini.content(), QByteArray("[A]\nk=1\n"));
    }
}

TEST(IniFile, SavesInTheEncodingItWasReadIn)
{
    TempDir dir;
    const QString before = QStringLiteral("; Programme\r\n[Vetmark]\r\nÄrger=/home/jörg/ärger\r\n");
    const QString after = before + QStringLiteral("tobrin=/opt/tö/tobrin\r\n");
    const struct
    {
        const char* name;
        IniFile::Encoding encoding;
        std::function<QByteArray(const QString&)> encode;
    } cases[] = {
        {"utf8", IniFile::Encoding::Utf8, [](const QString& t) { return t.toUtf8(); }},
        {"utf8bom", IniFile::Encoding::Utf8Bom,
         [](const QString& t) { return "\xEF\xBB\xBF" + t.toUtf8(); }},
        {"utf16le", IniFile::Encoding::Utf16Le, [](const QString& t) { return utf16(t, true); }},
        {"utf16be", IniFile::Encoding::Utf16Be, [](const QString& t) { return utf16(t, false); }},
    };
    for (const auto& c : cases) {
        const QByteArray path = dir / c.name;
        fixture::writeFile(path, c.encode(before));
        IniFile ini;
        ASSERT_TRUE(ini.load(q(path)));
        EXPECT_EQ(ini.encoding(), c.encoding) << c.name;
        EXPECT_EQ(ini.value(QStringLiteral("VETMARK"), QStringLiteral("ärger")),
                  QStringLiteral("/home/jörg/ärger"))
            << c.name;
        ASSERT_TRUE(ini.setValue(QStringLiteral("vetmark"), QStringLiteral("tobrin"),
                                 QStringLiteral("/opt/tö/tobrin")));
        ASSERT_TRUE(ini.save()) << c.name;
        EXPECT_EQ(fixture::readFile(path), c.encode(after)) << c.name;
    }
}

TEST(IniFile, KeepsBytesThatAreNotUtf8)
{
    TempDir dir;
    const QByteArray path = dir / "latin1.ini";
    fixture::writeFile(path, "[A]\nname=Gr\xF6\xDF"
                             "e\n; K\xE4se\n");
    IniFile ini;
    ASSERT_TRUE(ini.load(q(path)));
    EXPECT_EQ(ini.value(QStringLiteral("a"), QStringLiteral("NAME")), q("Gr\xF6\xDF"
                                                                        "e"));
    ASSERT_TRUE(ini.setValue(QStringLiteral("A"), QStringLiteral("pfad"), q("/home/\xE9t\xE9/")));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(fixture::readFile(path), "[A]\nname=Gr\xF6\xDF"
                                       "e\npfad=/home/\xE9t\xE9/\n; K\xE4se\n");

    IniFile again;
    ASSERT_TRUE(again.load(q(path)));
    EXPECT_EQ(again.value(QStringLiteral("A"), QStringLiteral("pfad")), q("/home/\xE9t\xE9/"));
}

TEST(IniFile, SaveCreatesNewFilesAndKeepsModeAndLinks)
{
    TempDir dir;
    IniFile created;
    ASSERT_TRUE(created.load(q(dir / "new.ini")));
    EXPECT_EQ(
        created.value(QStringLiteral("MainForm"), QStringLiteral("Filter"), QStringLiteral("*.*")),
        QStringLiteral("*.*"));
    created.setValue(QStringLiteral("MainForm"), QStringLiteral("Quellbaum"),
                     QStringLiteral("/a/"));
    created.setValue(QStringLiteral("Mainform"), QStringLiteral("Filter"), QStringLiteral("*.*"));
    ASSERT_TRUE(created.save());
    EXPECT_EQ(fixture::readFile(dir / "new.ini"), "[MainForm]\nQuellbaum=/a/\nFilter=*.*\n");

    // A private file stays private, and a link keeps pointing at the real file.
    fixture::makeDir(dir / "real");
    fixture::writeFile(dir / "real/secret.ini", "[A]\nk=1\n");
    ::chmod((dir / "real/secret.ini").constData(), 0600);
    ASSERT_EQ(::symlink("real/secret.ini", (dir / "link.ini").constData()), 0);
    IniFile linked;
    ASSERT_TRUE(linked.load(q(dir / "link.ini")));
    linked.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    ASSERT_TRUE(linked.save());
    struct stat st;
    ASSERT_EQ(::lstat((dir / "link.ini").constData(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat((dir / "real/secret.ini").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(fixture::readFile(dir / "real/secret.ini"), "[A]\nk=2\n");
    EXPECT_EQ(fixture::names(dir / "real"), QList<QByteArray>{"secret.ini"});
}

TEST(IniFile, WhatCannotBeReadIsNeverReplaced)
{
    TempDir dir;
    fixture::makeDir(dir / "folder.ini");
    IniFile ini;
    EXPECT_FALSE(ini.load(q(dir / "folder.ini")));
    EXPECT_TRUE(ini.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(ini.save());
    EXPECT_TRUE(fixture::names(dir / "folder.ini").isEmpty());
}

TEST(IniFile, FailedSaveLeavesTheOldFile)
{
    TempDir dir;
    // A directory that does not exist: nothing appears anywhere.
    IniFile nowhere;
    ASSERT_TRUE(nowhere.load(q(dir / "fehlt/x.ini")));
    nowhere.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_FALSE(nowhere.save());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(fixture::names(dir.path()).isEmpty());

    const QByteArray mount = dir / "small";
    if (!fixture::mountTmpfs(mount, "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    const QByteArray path = mount + "/x.ini";
    const QByteArray old = "; alt\n[A]\nk=alt\n";
    fixture::writeFile(path, old);

    // A full disk: the write fails after the temporary file was made.
    fillUp(mount);
    IniFile full;
    ASSERT_TRUE(full.load(q(path)));
    full.setValue(QStringLiteral("A"), QStringLiteral("k"), QString(64 * 1024, QLatin1Char('n')));
    EXPECT_FALSE(full.save());
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(fixture::readFile(path), old);
    EXPECT_EQ(fixture::names(mount), (QList<QByteArray>{"filler", "x.ini"}));

    // A read-only file system.
    ::unlink((mount + "/filler").constData());
    ASSERT_EQ(::mount("tmpfs", mount.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    IniFile readOnly;
    ASSERT_TRUE(readOnly.load(q(path)));
    readOnly.setValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("neu"));
    EXPECT_FALSE(readOnly.save());
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(fixture::readFile(path), old);
    fixture::unmount(mount);
}
