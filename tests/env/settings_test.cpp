#include "core/inifile.h"
#include "env/settings.h"
#include "messagerecorder.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// A home with a configuration folder and a documents folder, and a folder "bin" for the
// program file, all in a temporary folder; the environment is restored afterwards.
class Settings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"})
            m_saved.append({name, qgetenv(name)});
        qputenv("HOME", m_tmp / "home");
        qputenv("XDG_CONFIG_HOME", m_tmp / "config");
        fixture::makeDir(m_tmp / "home");
        fixture::makeDir(m_tmp / "home/Dokumente");
        fixture::makeDir(m_tmp / "config");
        setDocuments("$HOME/Dokumente");
        fixture::makeDir(m_tmp / "bin");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
            qputenv(name, value);
    }
    void setDocuments(const QByteArray& dir)
    {
        fixture::writeFile(m_tmp / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + dir + "\"\n");
    }
    QString program(const QByteArray& name = "tobrin") const { return q(m_tmp / "bin/" + name); }
    QString path(const QByteArray& relative) const { return q(m_tmp / relative); }
    QByteArray registration() const
    {
        return fixture::readFile(m_tmp / "home/Dokumente/Vetmark.ini");
    }

    TempDir m_tmp;
    QList<std::pair<const char*, QByteArray>> m_saved;
};

void expectState(const Fensterstatus& state, const char* quellbaum, const char* zielbaum,
                 const char* filter)
{
    EXPECT_EQ(state.quellbaum, QString::fromUtf8(quellbaum));
    EXPECT_EQ(state.zielbaum, QString::fromUtf8(zielbaum));
    EXPECT_EQ(state.filter, QString::fromUtf8(filter));
}

} // namespace

TEST_F(Settings, UsethisIniRedirectsTheSettingsDirectory)
{
    const QByteArray portable = m_tmp / "portable";
    const struct
    {
        QByteArray usethis; // empty: no usethis.ini
        QString expected;
    } cases[] = {
        {"", path("config/Vetmark/")},
        {"[Settingsdir]\nDir=" + portable + "\n", q(portable + "/")},
        {"[SETTINGSDIR]\r\n dir = " + portable + "/\r\n", q(portable + "/")},
        // Portable use: the program's own directory.
        {"[Settingsdir]\nDir=\n", path("bin/")},
        {"; leer\n", path("bin/")},
        // A relative directory lies below the program's, wherever the program is started.
        {"[Settingsdir]\nDir=conf\n", path("bin/conf/")},
    };
    for (const auto& c : cases) {
        fixture::removeTree(m_tmp / "config/Vetmark");
        fixture::removeTree(m_tmp / "bin/usethis.ini");
        if (!c.usethis.isEmpty())
            fixture::writeFile(m_tmp / "bin/usethis.ini", c.usethis);
        EXPECT_EQ(SettingsDirErmitteln(program()), c.expected) << c.usethis.constData();
        // The default folder is made at every start; a redirection target never.
        EXPECT_TRUE(fixture::exists(m_tmp / "config/Vetmark")) << c.usethis.constData();
        EXPECT_FALSE(fixture::exists(portable));
        EXPECT_FALSE(fixture::exists(m_tmp / "bin/conf"));
    }
}

TEST_F(Settings, NamesFollowTheProgramFile)
{
    const struct
    {
        const char* program;
        const char* settingsFile;
        const char* key;
    } cases[] = {
        {"tobrin", "tobrin.ini", "tobrin"},    {"other", "other.ini", "other"},
        {"TOBRIN", "TOBRIN.ini", "Tobrin"},    {"tobrin.AppImage", "tobrin.ini", "tobrin"},
        {".hidden", ".hidden.ini", ".hidden"},
    };
    for (const auto& c : cases) {
        InitEnvironment(program(c.program));
        EXPECT_EQ(SettingsDir(), path("config/Vetmark/"));
        EXPECT_EQ(SettingsFile(), path("config/Vetmark/") + QString::fromUtf8(c.settingsFile));
        EXPECT_EQ(PersonalDir(), path("home/Dokumente/"));
        IniFile vetmark;
        ASSERT_TRUE(vetmark.load(PersonalDir() + QStringLiteral("Vetmark.ini")));
        EXPECT_EQ(vetmark.value(QStringLiteral("Vetmark"), QString::fromUtf8(c.key)),
                  program(c.program))
            << c.program;
    }
    // "Tobrin" and "tobrin" are one key: its line keeps the spelling it was first given.
    EXPECT_EQ(registration(), "[Vetmark]\ntobrin=" + m_tmp / "bin/tobrin.AppImage\nother=" +
                                  m_tmp / "bin/other\n.hidden=" + m_tmp / "bin/.hidden\n");
}

TEST_F(Settings, RegistrationKeepsTheRestOfTheFileByteForByte)
{
    const QByteArray head = "\xEF\xBB\xBF; Programme von Vetmark\r\n"
                            "[Vetmark]\r\n"
                            "Bildsuche=/opt/bildsuche/bildsuche\r\n";
    const QByteArray tail = "Notizen = /home/anna/bin/notizen\r\n"
                            "\r\n"
                            "[Optionen]\r\n"
                            "Sprache=Deutsch\r\n";
    fixture::writeFile(m_tmp / "home/Dokumente/Vetmark.ini",
                       head + "TOBRIN = /alt/tobrin\r\n" + tail);
    // A program folder whose name is not UTF-8 is registered as its bytes.
    fixture::makeDir(m_tmp / "Gr\xF6\xDF"
                             "e");
    const QByteArray programPath = m_tmp / "Gr\xF6\xDF"
                                           "e/tobrin";

    ScopedRecorder recorder;
    InitEnvironment(q(programPath));
    EXPECT_EQ(registration(), head + "TOBRIN = " + programPath + "\r\n" + tail);
    EXPECT_TRUE(recorder->shown.isEmpty());
}

TEST_F(Settings, AnUnwritableRegistrationFileIsPassedOverSilently)
{
    setDocuments("$HOME/Fehlt");
    ScopedRecorder recorder;
    InitEnvironment(program());
    EXPECT_EQ(PersonalDir(), path("home/Fehlt/"));
    EXPECT_EQ(SettingsFile(), path("config/Vetmark/tobrin.ini"));
    EXPECT_FALSE(fixture::exists(m_tmp / "home/Fehlt"));
    EXPECT_TRUE(recorder->shown.isEmpty());
}

TEST_F(Settings, FirstStartThenSaveAndRestore)
{
    InitEnvironment(program());
    const QByteArray file = m_tmp / "config/Vetmark/tobrin.ini";
    expectState(FensterstatusLaden(), "", "", "*.*");

    // Closing without a selection writes the section all the same.
    QString error;
    ASSERT_TRUE(FensterstatusSpeichern(FensterstatusLaden(), &error));
    EXPECT_EQ(fixture::readFile(file), "[MainForm]\nQuellbaum=\nZielbaum=\nFilter=*.*\n");

    ASSERT_TRUE(FensterstatusSpeichern({q("/home/anna/Gr\xF6\xDF"
                                          "e/"),
                                        "/media/stick/", "*.jpg"}));
    const Fensterstatus restored = FensterstatusLaden();
    EXPECT_EQ(restored.quellbaum, q("/home/anna/Gr\xF6\xDF"
                                    "e/"));
    EXPECT_EQ(restored.zielbaum, QStringLiteral("/media/stick/"));
    EXPECT_EQ(restored.filter, QStringLiteral("*.jpg"));
    EXPECT_EQ(fixture::readFile(file), "[MainForm]\nQuellbaum=/home/anna/Gr\xF6\xDF"
                                       "e/\n"
                                       "Zielbaum=/media/stick/\nFilter=*.jpg\n");

    // A folder name with a line break would break the file open; it is not kept.
    ASSERT_TRUE(FensterstatusSpeichern({"/home/a\n[MainForm]\nQuellbaum=/x/", "/b/", "*.*"}));
    EXPECT_EQ(fixture::readFile(file), "[MainForm]\nQuellbaum=\nZielbaum=/b/\nFilter=*.*\n");
}

TEST_F(Settings, AFileEditedByHandIsReadAndKept)
{
    InitEnvironment(program());
    const QByteArray file = m_tmp / "config/Vetmark/tobrin.ini";
    const QByteArray other = "\n; von Hand\n[Other]\nk=v\n";
    fixture::writeFile(file, "[mainform]\nquellbaum=/a/\nZIELBAUM = /b/\nfilter=*.txt\n" + other);
    expectState(FensterstatusLaden(), "/a/", "/b/", "*.txt");

    ASSERT_TRUE(FensterstatusSpeichern({"/c/", "/b/", "*.txt"}));
    EXPECT_EQ(fixture::readFile(file),
              "[mainform]\nquellbaum=/c/\nZIELBAUM = /b/\nfilter=*.txt\n" + other);
}

TEST_F(Settings, SavingIntoAMissingDirectoryFailsWithTheMessage)
{
    fixture::writeFile(m_tmp / "bin/usethis.ini", "[Settingsdir]\nDir=" + m_tmp / "fehlt\n");
    InitEnvironment(program());
    EXPECT_EQ(SettingsFile(), path("fehlt/tobrin.ini"));
    expectState(FensterstatusLaden(), "", "", "*.*");

    QString error;
    EXPECT_FALSE(FensterstatusSpeichern({"/a/", "/b/", "*.*"}, &error));
    EXPECT_EQ(error, QStringLiteral("In ") + path("fehlt/tobrin.ini") +
                         QStringLiteral(" kann nicht geschrieben werden"));
    EXPECT_FALSE(fixture::exists(m_tmp / "fehlt"));
}
