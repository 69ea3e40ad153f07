#include "platform/namecodec.h"
#include "platform/trash.h"
#include "testenv.h"

#include <QDateTime>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

int modeOf(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool isLink(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Every test gets a home trash of its own: XDG_DATA_HOME points at a folder that does
// not exist yet, on the same file system as the items.
class Trash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_tmp / "data/share");
        m_trash = m_tmp / "data/share/Trash/";
        fixture::makeDir(m_tmp / "items");
        m_items = m_tmp / "items/";
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_savedDataHome); }

    // The .trashinfo of an entry with its DeletionDate line checked and cut out.
    QByteArray infoWithoutDate(const QByteArray& trashDir, const QByteArray& entry)
    {
        const QByteArray info = fixture::readFile(trashDir + "info/" + entry + ".trashinfo");
        static const QRegularExpression date(
            QStringLiteral("\nDeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n$"));
        const QRegularExpressionMatch m = date.match(QString::fromLatin1(info));
        EXPECT_TRUE(m.hasMatch()) << info.constData();
        if (!m.hasMatch())
            return info;
        const QDateTime when = QDateTime::fromString(m.captured(1), Qt::ISODate);
        EXPECT_LE(qAbs(when.secsTo(QDateTime::currentDateTime())), 120) << info.constData();
        return info.left(m.capturedStart());
    }

    TempDir m_tmp;
    QByteArray m_savedDataHome;
    QByteArray m_trash;
    QByteArray m_items;
};

} // namespace

TEST_F(Trash, AFileGoesIntoANewHomeTrashWithItsInfo)
{
    fixture::writeFile(m_items + "brief.txt", "Hallo");
    QString trashed;
    ASSERT_TRUE(moveToTrash(q(m_items + "brief.txt"), &trashed));

    EXPECT_FALSE(fixture::exists(m_items + "brief.txt"));
    EXPECT_EQ(trashed, q(m_trash + "files/brief.txt"));
    EXPECT_EQ(fixture::readFile(m_trash + "files/brief.txt"), QByteArray("Hallo"));
    EXPECT_EQ(infoWithoutDate(m_trash, "brief.txt"), "[Trash Info]\nPath=" + m_items + "brief.txt");
    // The data folder did not exist; the trash folders are private.
    EXPECT_EQ(modeOf(m_trash.chopped(1)), 0700);
    EXPECT_EQ(modeOf(m_trash + "files"), 0700);
    EXPECT_EQ(modeOf(m_trash + "info"), 0700);
}

TEST_F(Trash, AFolderTreeGoesWholeAndLinksAreNotFollowed)
{
    fixture::makeDir(m_items + "Ordner");
    fixture::makeDir(m_items + "Ordner/sub");
    fixture::writeFile(m_items + "Ordner/sub/a.txt", "a");
    fixture::writeFile(m_items + "outside.txt", "stays");
    ASSERT_EQ(::symlink(QByteArray(m_items + "outside.txt").constData(),
                        QByteArray(m_items + "Ordner/link").constData()),
              0);
    ASSERT_EQ(::symlink(QByteArray(m_items + "Ordner").constData(),
                        QByteArray(m_items + "dirlink").constData()),
              0);

    // A link to a folder goes as the link; the folder stays.
    ASSERT_TRUE(moveToTrash(q(m_items + "dirlink/")));
    EXPECT_TRUE(isLink(m_trash + "files/dirlink"));
    EXPECT_TRUE(fixture::exists(m_items + "Ordner/sub/a.txt"));

    ASSERT_TRUE(moveToTrash(q(m_items + "Ordner")));
    EXPECT_FALSE(fixture::exists(m_items + "Ordner"));
    EXPECT_EQ(fixture::readFile(m_trash + "files/Ordner/sub/a.txt"), QByteArray("a"));
    EXPECT_TRUE(isLink(m_trash + "files/Ordner/link"));
    EXPECT_EQ(fixture::readFile(m_items + "outside.txt"), QByteArray("stays"));
    EXPECT_EQ(infoWithoutDate(m_trash, "Ordner"), "[Trash Info]\nPath=" + m_items + "Ordner");
}

TEST_F(Trash, NamesKeepTheirBytesAndThePathIsPercentEncoded)
{
    // The temporary folder's own path needs no encoding, so the expected texts can
    // simply put it in front.
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9/._-]+$"))
                    .match(QString::fromLatin1(m_items))
                    .hasMatch());
    const struct
    {
        QByteArray name;
        QByteArray encoded;
    } cases[] = {
        {"caf\xe9\nzwei Zeilen.txt", "caf%E9%0Azwei%20Zeilen.txt"},
        {"\xc3\xa4rger #1 (Kopie)!~*'.txt", "%C3%A4rger%20%231%20(Kopie)!~*'.txt"},
        {"100% sicher?&=+;,$:@.txt", "100%25%20sicher%3F%26%3D%2B%3B%2C%24%3A%40.txt"},
        {"tab\tback\\slash\"", "tab%09back%5Cslash%22"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.encoded.constData());
        fixture::writeFile(m_items + c.name, c.name);
        QString trashed;
        ASSERT_TRUE(moveToTrash(q(m_items + c.name), &trashed));
        EXPECT_EQ(encodeName(trashed), m_trash + "files/" + c.name);
        EXPECT_EQ(fixture::readFile(m_trash + "files/" + c.name), c.name);
        EXPECT_EQ(infoWithoutDate(m_trash, c.name), "[Trash Info]\nPath=" + m_items + c.encoded);
    }
}

TEST_F(Trash, ACollisionGivesTheNextFreeName)
{
    for (const char* content : {"eins", "zwei", "drei"}) {
        fixture::writeFile(m_items + "a.txt", content);
        ASSERT_TRUE(moveToTrash(q(m_items + "a.txt")));
    }
    EXPECT_EQ(fixture::readFile(m_trash + "files/a.txt"), QByteArray("eins"));
    EXPECT_EQ(fixture::readFile(m_trash + "files/a.txt.2"), QByteArray("zwei"));
    EXPECT_EQ(fixture::readFile(m_trash + "files/a.txt.3"), QByteArray("drei"));
    EXPECT_EQ(infoWithoutDate(m_trash, "a.txt.2"), "[Trash Info]\nPath=" + m_items + "a.txt");
    EXPECT_EQ(fixture::names(m_trash + "info"),
              (QList<QByteArray>{"a.txt.2.trashinfo", "a.txt.3.trashinfo", "a.txt.trashinfo"}));

    // A file left in files/ without its .trashinfo is not overwritten.
    fixture::writeFile(m_trash + "files/b", "orphan");
    fixture::writeFile(m_items + "b", "new");
    QString trashed;
    ASSERT_TRUE(moveToTrash(q(m_items + "b"), &trashed));
    EXPECT_EQ(trashed, q(m_trash + "files/b.2"));
    EXPECT_EQ(fixture::readFile(m_trash + "files/b"), QByteArray("orphan"));
    EXPECT_FALSE(fixture::exists(m_trash + "info/b.trashinfo"));
}

TEST_F(Trash, TheLongestNameIsShortenedToMakeRoomForTheInfoFile)
{
    // Room is left for 245 bytes, and byte 245 lies inside an "ä": the cut goes before it.
    QByteArray name = "xx";
    for (int i = 0; i < 126; ++i)
        name += "\xc3\xa4";
    name += "y";
    ASSERT_EQ(name.size(), 255);
    fixture::writeFile(m_items + name, "long");
    QString trashed;
    ASSERT_TRUE(moveToTrash(q(m_items + name), &trashed));
    const QByteArray entry = fixture::names(m_trash + "files").value(0);
    EXPECT_EQ(entry, name.left(244));
    EXPECT_EQ(encodeName(trashed), m_trash + "files/" + entry);
    EXPECT_EQ(fixture::readFile(m_trash + "files/" + entry), QByteArray("long"));
    // The info still records the whole original name.
    EXPECT_EQ(infoWithoutDate(m_trash, entry).size(),
              QByteArray("[Trash Info]\nPath=").size() + m_items.size() + 2 + 126 * 6 + 1);
}

TEST_F(Trash, CanTrashKnowsWhatItCannotTake)
{
    fixture::writeFile(m_items + "x", "x");
    EXPECT_TRUE(canTrash(q(m_items + "x")));
    EXPECT_FALSE(fixture::exists(m_trash)) << "checking creates nothing";
    EXPECT_FALSE(canTrash(q(m_items + "missing")));
    EXPECT_FALSE(canTrash(QStringLiteral("/")));
    EXPECT_FALSE(canTrash(QStringLiteral("relative/x")));

    // What already lies in the trash can only be deleted for good.
    ASSERT_TRUE(moveToTrash(q(m_items + "x")));
    EXPECT_FALSE(canTrash(q(m_trash + "files/x")));
    EXPECT_FALSE(moveToTrash(q(m_trash + "files/x")));
    EXPECT_TRUE(fixture::exists(m_trash + "files/x"));
}

TEST_F(Trash, AFailedMoveLeavesNoInfoBehind)
{
    // A mount point cannot be renamed away.
    const QByteArray dir = m_items + "mounted";
    if (!fixture::mountTmpfs(dir, "1M"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    const bool moved = moveToTrash(q(dir));
    fixture::unmount(dir);
    EXPECT_FALSE(moved);
    EXPECT_TRUE(fixture::names(m_trash + "info").isEmpty());
    EXPECT_TRUE(fixture::exists(dir));
}

TEST_F(Trash, OtherVolumesUseTheirOwnTrash)
{
    const QByteArray uid = QByteArray::number(::getuid());
    // What the volume's top folder holds before the delete, and where the item must go.
    const struct
    {
        const char* setup;
        QByteArray trash;
    } cases[] = {
        {"nothing", ".Trash-" + uid},
        {".Trash without sticky bit", ".Trash-" + uid},
        {".Trash as link to a sticky folder", ".Trash-" + uid},
        {"sticky .Trash", ".Trash/" + uid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        TempDir tmp;
        const QByteArray vol = tmp / "vol";
        if (!fixture::mountTmpfs(vol, "1M"))
            GTEST_SKIP() << "mounting a tmpfs is not allowed here";
        const QByteArray top = vol + "/";
        const QByteArray setup = c.setup;
        if (setup == ".Trash without sticky bit") {
            fixture::makeDir(top + ".Trash");
            ::chmod(QByteArray(top + ".Trash").constData(), 0777);
        } else if (setup == ".Trash as link to a sticky folder") {
            fixture::makeDir(top + "sticky");
            ::chmod(QByteArray(top + "sticky").constData(), 01777);
            ::symlink("sticky", QByteArray(top + ".Trash").constData());
        } else if (setup == "sticky .Trash") {
            fixture::makeDir(top + ".Trash");
            ::chmod(QByteArray(top + ".Trash").constData(), 01777);
        }
        fixture::makeDir(top + "Fotos");
        fixture::writeFile(top + "Fotos/bild 1.jpg", "jpg");

        const bool can = canTrash(q(top + "Fotos/bild 1.jpg"));
        QString trashed;
        const bool moved = moveToTrash(q(top + "Fotos/bild 1.jpg"), &trashed);
        const QByteArray trash = top + c.trash + "/";
        const QByteArray content = fixture::exists(trash + "files/bild 1.jpg")
                                       ? fixture::readFile(trash + "files/bild 1.jpg")
                                       : QByteArray();
        const QByteArray info = fixture::exists(trash + "info/bild 1.jpg.trashinfo")
                                    ? infoWithoutDate(trash, "bild 1.jpg")
                                    : QByteArray();
        const int mode = modeOf(trash.chopped(1));
        const bool homeUntouched = !fixture::exists(m_trash);
        fixture::unmount(vol);

        EXPECT_TRUE(can);
        ASSERT_TRUE(moved);
        EXPECT_EQ(encodeName(trashed), trash + "files/bild 1.jpg");
        EXPECT_EQ(content, QByteArray("jpg"));
        // Paths in a volume's trash are relative to the volume's top folder.
        EXPECT_EQ(info, QByteArray("[Trash Info]\nPath=Fotos/bild%201.jpg"));
        EXPECT_EQ(mode, 0700);
        EXPECT_TRUE(homeUntouched);
    }
}
