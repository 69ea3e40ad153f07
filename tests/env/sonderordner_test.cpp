#include "env/sonderordner.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>

namespace {

// Points HOME and the XDG base folders at a temporary folder for one test.
class SpecialFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            m_saved.append({name, qgetenv(name)});
        qputenv("HOME", m_tmp / "home");
        qputenv("XDG_CONFIG_HOME", m_tmp / "config/"); // a trailing "/" must not double
        qputenv("XDG_DATA_HOME", m_tmp / "data");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
            qputenv(name, value);
    }
    QString path(const QByteArray& relative) const
    {
        return platform::decodeName(m_tmp / relative);
    }

    TempDir m_tmp;
    QList<std::pair<const char*, QByteArray>> m_saved;
};

} // namespace

TEST_F(SpecialFolders, MapsTheFoldersTheProgramUses)
{
    fixture::makeDir(m_tmp / "config");
    fixture::writeFile(m_tmp / "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                                        "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
    const struct
    {
        int csidl;
        QString expected;
    } cases[] = {
        {26, path("config/")},
        {5, path("home/Dokumente/")},
        {2, path("data/applications/")},
        {16, path("home/Schreibtisch/")},
        {9, path("data/SendTo/")},
        {0, QString()},
        {-1, QString()},
        {35, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sonderordner(c.csidl), c.expected) << c.csidl;
    // Send To is made when asked for.
    EXPECT_TRUE(fixture::exists(m_tmp / "data/SendTo"));
}

TEST_F(SpecialFolders, DocumentsFallBackToHomeWithoutUserDirs)
{
    EXPECT_EQ(Sonderordner(5), path("home/"));
    EXPECT_EQ(Sonderordner(16), path("home/Desktop/"));
}

TEST(TextHelpers, ZeichenAnhaengenAndEndetMit)
{
    const QChar slash = QLatin1Char('/');
    const struct
    {
        const char* text;
        const char* appended;
        bool endsWithSlash;
    } cases[] = {
        {"/tmp/", "/tmp/", true}, {"/tmp", "/tmp/", false}, {"", "/", false},
        {"/", "/", true},         {"a//", "a//", true},     {"/tmp\\", "/tmp\\/", false},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ZeichenAnhaengen(text, slash), QString::fromUtf8(c.appended)) << c.text;
        EXPECT_EQ(EndetMit(text, slash), c.endsWithSlash) << c.text;
    }
    EXPECT_EQ(ZeichenAnhaengen(QStringLiteral("C:\\Temp"), QLatin1Char('\\')),
              QStringLiteral("C:\\Temp\\"));
    EXPECT_EQ(ZeichenAnhaengen(QStringLiteral("Größe"), QChar(0xDF)), QStringLiteral("Größeß"));
}
