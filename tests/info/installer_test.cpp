#include "info/installer.h"
#include "messagerecorder.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/namecodec.h"
#include "testenv.h"
#include "version.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// HOME and the XDG base folders below a temporary folder, with a desktop folder.
class Shortcuts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            m_saved.append({name, qgetenv(name)});
        qputenv("HOME", m_tmp / "home");
        qputenv("XDG_CONFIG_HOME", m_tmp / "config");
        qputenv("XDG_DATA_HOME", m_tmp / "data");
        fixture::makeDir(m_tmp / "home");
        fixture::makeDir(m_tmp / "home/Desktop");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
            qputenv(name, value);
    }

    static quint32 modeOf(const QByteArray& path)
    {
        struct stat st;
        return ::stat(path.constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    TempDir m_tmp;
    ScopedRecorder m_messages;
    QList<std::pair<const char*, QByteArray>> m_saved;
    const QList<QByteArray> m_links = {"data/applications/Vetmark/Tobrin.desktop",
                                       "home/Desktop/Tobrin.desktop", "data/SendTo/Tobrin.desktop"};
};

} // namespace

TEST_F(Shortcuts, ThreeLaunchersReplacedSilentlyOnTheSecondRun)
{
    const QByteArray expected = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Tobrin\n"
                                "Comment=Tobrin\n"
                                "Exec=\"/opt/Tobrin Programm/tobrin\"\n"
                                "Icon=tobrin\n"
                                "Categories=Utility;FileTools;\n";
    installer::CreateShortcuts(QStringLiteral("Tobrin"),
                               QStringLiteral("/opt/Tobrin Programm/tobrin"));
    for (const QByteArray& link : m_links) {
        EXPECT_EQ(fixture::readFile(m_tmp / link), expected) << link.constData();
        EXPECT_EQ(modeOf(m_tmp / link), 0755u) << link.constData();
    }
    // The second run finds the maker's folder and the launchers there and replaces them.
    for (const QByteArray& link : m_links) {
        fixture::writeFile(m_tmp / link, "old");
        ::chmod((m_tmp / link).constData(), 0600);
    }
    installer::CreateShortcuts(QStringLiteral("Tobrin"),
                               QStringLiteral("/opt/Tobrin Programm/tobrin"));
    for (const QByteArray& link : m_links) {
        EXPECT_EQ(fixture::readFile(m_tmp / link), expected) << link.constData();
        EXPECT_EQ(modeOf(m_tmp / link), 0755u) << link.constData();
    }
    EXPECT_TRUE(m_messages->shown.isEmpty()) << m_messages->texts().join(u'|').toStdString();
}

TEST_F(Shortcuts, MenuItemLinksThisProgram)
{
    installer::Verknuepfenclick();
    EXPECT_EQ(fixture::readFile(m_tmp / m_links[1]),
              platform::desktopEntryText({QStringLiteral("Application"), QStringLiteral("Tobrin"),
                                          QStringLiteral("Tobrin"), platform::programPath(),
                                          QString(), QString(), QStringLiteral("tobrin"),
                                          QStringLiteral("Utility;FileTools;")})
                  .toUtf8());
}

// Every launcher we write passes the freedesktop validator: awkward program folders
// (blanks, quotes, "%", "$", umlauts), with and without an icon file beside the program.
TEST_F(Shortcuts, LaunchersPassDesktopFileValidate)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    const char* const programs[] = {"/usr/bin/tobrin", "/opt/Tobrin Programm/tobrin",
                                    "/opt/100%/it's \"neu\"/tobrin", "/opt/a$b`c\\d/tobrin",
                                    "/opt/Größe/tobrin"};
    fixture::makeDir(m_tmp / "prog");
    fixture::writeFile(m_tmp / "prog/tobrin.svg", "<svg/>");
    QStringList targets;
    for (const char* program : programs)
        targets.append(QString::fromUtf8(program));
    targets.append(platform::decodeName(m_tmp / "prog/tobrin"));
    for (const QString& target : targets) {
        const QByteArray file = m_tmp / "check.desktop";
        ASSERT_TRUE(
            installer::CreateLink(target, platform::decodeName(file), QStringLiteral("Tobrin")));
        const QByteArray command =
            "desktop-file-validate '" + file + "' > '" + (m_tmp / "validate.log") + "' 2>&1";
        EXPECT_EQ(std::system(command.constData()), 0)
            << target.toStdString() << "\n"
            << fixture::readFile(m_tmp / "validate.log").toStdString();
        // Warnings (a Comment equal to the Name) are allowed, errors are not.
        EXPECT_FALSE(fixture::readFile(m_tmp / "validate.log").contains("error"))
            << target.toStdString();
    }
    EXPECT_TRUE(fixture::readFile(m_tmp / "check.desktop")
                    .contains("Icon=" + (m_tmp / "prog/tobrin.svg") + "\n"));
}

TEST_F(Shortcuts, AFolderThatCannotBeWrittenGivesItsOwnBox)
{
    const struct
    {
        const char* blocked; // made a plain file, so nothing can be written inside
        int link;            // the one launcher that is then missing
        const char* box;
    } cases[] = {
        {"data/applications/Vetmark", 0, "Konnte keine Verknüpfung in Programme anlegen !"},
        {"home/Desktop", 1, "Konnte keine Verknüpfung auf dem Desktop anlegen !"},
        {"data/SendTo", 2, "Konnte keine Verknüpfung im Senden Menü anlegen !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked);
        fixture::removeTree(m_tmp / "data");
        fixture::removeTree(m_tmp / "home/Desktop");
        fixture::makeDir(m_tmp / "data");
        fixture::makeDir(m_tmp / "data/applications");
        if (QByteArray(c.blocked) != "home/Desktop")
            fixture::makeDir(m_tmp / "home/Desktop");
        fixture::writeFile(m_tmp / c.blocked, "");
        m_messages->shown.clear();

        installer::CreateShortcuts(QStringLiteral("Tobrin"), QStringLiteral("/usr/bin/tobrin"));

        ASSERT_EQ(m_messages->shown.size(), 1);
        const msg::Message& box = m_messages->shown[0];
        EXPECT_EQ(box.text, QString::fromUtf8(c.box));
        EXPECT_EQ(box.kind, msg::Kind::Question);
        EXPECT_EQ(box.buttons, msg::Buttons::Ok);
        for (int i = 0; i < m_links.size(); ++i)
            EXPECT_EQ(fixture::exists(m_tmp / m_links[i]), i != c.link) << m_links[i].constData();
    }
    // No desktop folder at all: it is not made up, the box tells.
    fixture::removeTree(m_tmp / "home/Desktop");
    fixture::removeTree(m_tmp / "data");
    m_messages->shown.clear();
    installer::CreateShortcuts(QStringLiteral("Tobrin"), QStringLiteral("/usr/bin/tobrin"));
    EXPECT_EQ(m_messages->texts(),
              QStringList{QStringLiteral("Konnte keine Verknüpfung auf dem Desktop anlegen !")});
    EXPECT_FALSE(fixture::exists(m_tmp / "home/Desktop"));
}

TEST_F(Shortcuts, ProgramsMenuFolderIsMadeForANewUser)
{
    // A user who never had a menu entry has no applications folder yet.
    installer::CreateShortcuts(QStringLiteral("Tobrin"), QStringLiteral("/usr/bin/tobrin"));
    EXPECT_TRUE(fixture::exists(m_tmp / m_links[0]));
    EXPECT_TRUE(m_messages->shown.isEmpty());
}

TEST_F(Shortcuts, LinkAndFolderNeedAbsolutePaths)
{
    // An unknown special folder leaves a bare name; nothing may land in the current
    // directory then.
    EXPECT_FALSE(installer::CreateLink(QStringLiteral("/usr/bin/tobrin"),
                                       QStringLiteral("Tobrin.desktop"), QStringLiteral("Tobrin")));
    EXPECT_FALSE(installer::CreateFolderIfMissing(QStringLiteral("Vetmark")));
    const QString folder = platform::decodeName(m_tmp / "Vetmark");
    EXPECT_TRUE(installer::CreateFolderIfMissing(folder));
    EXPECT_TRUE(installer::CreateFolderIfMissing(folder)); // already there
    EXPECT_FALSE(installer::CreateFolderIfMissing(platform::decodeName(m_tmp / "no/Vetmark")));
    // A program whose path is not UTF-8 cannot be named in a launcher.
    EXPECT_FALSE(installer::CreateLink(platform::decodeName(QByteArray("/opt/t\xf6/tobrin")),
                                       platform::decodeName(m_tmp / "x.desktop"),
                                       QStringLiteral("Tobrin")));
    EXPECT_FALSE(fixture::exists(m_tmp / "x.desktop"));
}

TEST(DesktopEntry, ExecArgumentQuotedWhereTheKeyNeedsIt)
{
    const struct
    {
        const char* program;
        const char* exec; // as the argument, before the file's string escapes
    } cases[] = {
        {"/usr/bin/tobrin", "/usr/bin/tobrin"},
        {"/opt/Tobrin Programm/tobrin", "\"/opt/Tobrin Programm/tobrin\""},
        {"/opt/100%/tobrin", "/opt/100%%/tobrin"},
        {"/opt/a$b\"c`d\\e/t", "\"/opt/a\\$b\\\"c\\`d\\\\e/t\""},
        {"/opt/it's/t", "\"/opt/it's/t\""},
        {"/opt/Größe/t", "/opt/Größe/t"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::desktopExecArgument(QString::fromUtf8(c.program)),
                  QString::fromUtf8(c.exec))
            << c.program;

    // In the file every backslash is doubled once more, and breaks are escaped.
    platform::DesktopEntry entry;
    entry.name = QStringLiteral(" Tobrin\nneu");
    entry.exec = QStringLiteral("/opt/a\\b/t");
    EXPECT_EQ(platform::desktopEntryText(entry), QStringLiteral("[Desktop Entry]\n"
                                                                "Type=Application\n"
                                                                "Name=\\sTobrin\\nneu\n"
                                                                "Exec=\"/opt/a\\\\\\\\b/t\"\n"));
    entry.exec = QStringLiteral("/opt/a\x01/t");
    EXPECT_TRUE(platform::desktopEntryText(entry).isEmpty());
}

TEST(Version, TextAndNumber)
{
    const struct
    {
        installer::FileVersion version;
        const char* text;
        double number;
    } cases[] = {
        {{1, 2, 0, 10}, "1.2.0 Build: 10", 1.02},
        {{1, 10, 3, 0}, "1.10.3 Build: 0", 1.1},
        {{2, 0, 0, 1}, "2.0.0 Build: 1", 2.0},
        {{1, 3, 0, 7}, "1.3.0 Build: 7", 1.03},
        {{0, 99, 1, 65535}, "0.99.1 Build: 65535", 0.99},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(installer::VersionText(c.version), QLatin1String(c.text));
        // Exactly the double the decimal text reads as: the update check compares them.
        EXPECT_EQ(installer::VersionNumber(c.version), c.number) << c.text;
    }
    // Every x.yy equals the number a version file "x,yy" gives.
    for (int major = 0; major < 20; ++major)
        for (int minor = 0; minor < 100; ++minor)
            ASSERT_EQ(installer::VersionNumber({major, minor, 0, 0}),
                      QByteArray(QByteArray::number(major) + '.' +
                                 QByteArray::number(minor).rightJustified(2, '0'))
                          .toDouble())
                << major << '.' << minor;
}

TEST(Version, CompiledInUnlessReplaced)
{
    QString text;
    double number = 0;
    ASSERT_TRUE(installer::VersionText(text));
    ASSERT_TRUE(installer::VersionNumber(number));
    EXPECT_EQ(text, QStringLiteral("%1.%2.%3 Build: %4")
                        .arg(TOBRIN_VERSION_MAJOR)
                        .arg(TOBRIN_VERSION_MINOR)
                        .arg(TOBRIN_VERSION_RELEASE)
                        .arg(TOBRIN_VERSION_BUILD));
    EXPECT_EQ(number, installer::VersionNumber(installer::FileVersion{TOBRIN_VERSION_MAJOR,
                                                                      TOBRIN_VERSION_MINOR, 0, 0}));
    installer::SetVersionOverride(installer::FileVersion{1, 2, 0, 10});
    installer::VersionText(text);
    installer::VersionNumber(number);
    installer::SetVersionOverride(std::nullopt);
    EXPECT_EQ(text, QStringLiteral("1.2.0 Build: 10"));
    EXPECT_EQ(number, 1.02);
}

TEST(UILanguage, GermanEnglishOrOther)
{
    const struct
    {
        quint16 langId;
        int language;
    } ids[] = {{0x0807, 0}, {0x0407, 0}, {0x0C07, 0}, {0x0809, 1},
               {0x0409, 1}, {0x040C, 2}, {0x0413, 2}, {0x0000, 2}};
    for (const auto& c : ids)
        EXPECT_EQ(installer::UILanguage(c.langId), c.language) << std::hex << c.langId;

    const struct
    {
        const char* language; // LANGUAGE
        const char* all;      // LC_ALL
        int expected;
    } locales[] = {
        {"", "de_CH.UTF-8", 0}, {"", "en_GB.UTF-8", 1}, {"", "fr_FR.UTF-8", 2},
        {"de_AT:en", "C", 0},   {"", "C", 1},
    };
    const QByteArray savedLanguage = qgetenv("LANGUAGE");
    const QByteArray savedAll = qgetenv("LC_ALL");
    for (const auto& c : locales) {
        qputenv("LANGUAGE", c.language);
        qputenv("LC_ALL", c.all);
        EXPECT_EQ(installer::UILanguage(), c.expected) << c.language << " " << c.all;
    }
    qputenv("LANGUAGE", savedLanguage);
    qputenv("LC_ALL", savedAll);
}
