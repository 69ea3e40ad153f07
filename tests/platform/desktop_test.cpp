#include "platform/desktop.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QMap>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

// Sets environment variables for one test and puts the old values back.
class EnvGuard
{
public:
    void set(const char* name, const QByteArray& value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, {qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value);
    }
    void unset(const char* name)
    {
        set(name, QByteArray());
        qunsetenv(name);
    }
    ~EnvGuard()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it->first)
                qputenv(it.key().constData(), it->second);
            else
                qunsetenv(it.key().constData());
        }
    }

private:
    QMap<QByteArray, std::pair<bool, QByteArray>> m_saved;
};

void writeScript(const QByteArray& path, const QByteArray& body)
{
    fixture::writeFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.constData(), 0755);
}

// Waits for a detached program to leave its complete record ("<record>\nend\n") and
// takes it away, so that the next call cannot see it.
QByteArray waitForRecord(const QByteArray& path)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (fixture::exists(path)) {
            const QByteArray content = fixture::readFile(path);
            if (content.endsWith("\nend\n")) {
                ::unlink(path.constData());
                return content.chopped(5);
            }
        }
        QThread::msleep(20);
    }
    return "<nothing recorded>";
}

// A bin folder with stand-ins for xdg-open and gio that record how they were called.
class Desktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_bin = m_tmp / "bin";
        fixture::makeDir(m_bin);
        m_record = m_tmp / "record";
        m_env.set("RECORD", m_record);
        m_env.set("PATH", m_bin + ":/usr/bin:/bin");
        writeScript(m_bin + "/xdg-open",
                    "{ printf 'xdg-open %s' \"$1\"; printf '\\nend\\n'; } > \"$RECORD\"\n");
    }

    TempDir m_tmp;
    EnvGuard m_env;
    QByteArray m_bin;
    QByteArray m_record;
};

} // namespace

TEST(XdgDirs, UserDirsFileAndFallbacks)
{
    TempDir tmp;
    EnvGuard env;
    env.set("HOME", tmp / "home");
    env.set("XDG_CONFIG_HOME", tmp / "config/");
    const QString home = q(tmp / "home");

    // Nothing set up: the desktop falls back to ~/Desktop, every other folder to home.
    EXPECT_EQ(xdgUserDir(QStringLiteral("DESKTOP")), home + QStringLiteral("/Desktop"));
    EXPECT_EQ(xdgUserDir(QStringLiteral("DOCUMENTS")), home);

    fixture::makeDir(tmp / "config");
    fixture::writeFile(tmp / "config/user-dirs.dirs",
                       "# This file is written by xdg-user-dirs-update\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                       "  XDG_DOCUMENTS_DIR=\"$HOME/Eigene Dateien/\"  \n"
                       "XDG_DOWNLOAD_DIR=\"/srv/\\\"quoted\\\" \\$dir\"\n"
                       "XDG_MUSIC_DIR=\"$HOME/\"\n"
                       "XDG_PICTURES_DIR=\"Bilder\"\n"
                       "XDG_VIDEOS_DIR=\"$HOMEVIDEOS\"\n"
                       "XDG_TEMPLATES_DIR=\"${HOME}/Vorlagen\"\n"
                       "XDG_PUBLICSHARE_DIR=\"$HOME/caf\xe9\"\n");
    const struct
    {
        const char* key;
        QString expected;
    } cases[] = {
        {"DESKTOP", home + QStringLiteral("/Schreibtisch")},
        {"DOCUMENTS", home + QStringLiteral("/Eigene Dateien")}, // the last line wins
        {"DOWNLOAD", QStringLiteral("/srv/\"quoted\" $dir")},
        {"MUSIC", home},    // "$HOME/" switches the folder off
        {"PICTURES", home}, // not a valid value
        {"VIDEOS", home},   // "$HOMEVIDEOS" is not "$HOME"
        {"TEMPLATES", home + QStringLiteral("/Vorlagen")},
        {"PUBLICSHARE", q(tmp / "home/caf\xe9")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xdgUserDir(QString::fromLatin1(c.key)), c.expected) << c.key;
}

TEST(XdgDirs, BaseFoldersNeedAbsolutePaths)
{
    EnvGuard env;
    env.set("HOME", "/home/anna/");
    env.set("XDG_CONFIG_HOME", "/etc/anna/config/");
    env.set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(homeDir(), QStringLiteral("/home/anna"));
    EXPECT_EQ(configHome(), QStringLiteral("/etc/anna/config"));
    EXPECT_EQ(dataHome(), QStringLiteral("/home/anna/.local/share"));
    env.unset("XDG_CONFIG_HOME");
    EXPECT_EQ(configHome(), QStringLiteral("/home/anna/.config"));
}

TEST(NetworkUrls, UncPathsBecomeSmbUrls)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"\\\\server\\share", "smb://server/share"},
        {"\\\\server\\share\\dir\\sub", "smb://server/share/dir/sub"},
        {"\\\\server\\share\\", "smb://server/share/"},
        {"\\\\nas\\Eigene Dateien\\M\xc3\xbcller #2",
         "smb://nas/Eigene%20Dateien/M%C3%BCller%20%232"},
        {"smb://server/share", "smb://server/share"},
        {"sftp://anna@host/home", "sftp://anna@host/home"},
        {"/run/user/1000/gvfs/smb-share:server=s,share=x",
         "/run/user/1000/gvfs/smb-share:server=s,share=x"},
        {"\\\\\\odd", "\\\\\\odd"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(uncToUrl(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST_F(Desktop, OpensWithXdgOpenByteForByte)
{
    const QByteArray file = m_tmp / "caf\xe9 & \"Co\".txt";
    fixture::writeFile(file, "x");
    QString error;
    ASSERT_TRUE(openWithDefaultApp(q(file), &error)) << error.toStdString();
    EXPECT_EQ(waitForRecord(m_record), "xdg-open " + file);

    // URLs pass as they are.
    ASSERT_TRUE(openWithDefaultApp(QStringLiteral("https://example.org/hilfe.html#100"), &error));
    EXPECT_EQ(waitForRecord(m_record), "xdg-open https://example.org/hilfe.html#100");
}

TEST_F(Desktop, OpeningFailsWithAReason)
{
    QString error;
    EXPECT_FALSE(openWithDefaultApp(q(m_tmp / "missing.txt"), &error));
    EXPECT_EQ(error, q("\"" + m_tmp / "missing.txt\" wurde nicht gefunden."));

    fixture::writeFile(m_tmp / "a.txt", "x");
    m_env.set("PATH", m_tmp / "empty");
    EXPECT_FALSE(openWithDefaultApp(q(m_tmp / "a.txt"), &error));
    EXPECT_EQ(error, QStringLiteral("Das Programm \"xdg-open\" wurde nicht gefunden."));
}

// xdg-open says whether an application took the file (3: none for its kind, 4: the
// opening failed); its verdict is awaited while the events keep running.
TEST_F(Desktop, OpeningWaitsForTheVerdictOfXdgOpen)
{
    const QByteArray file = m_tmp / "caf\xe9.odt";
    fixture::writeFile(file, "x");
    const QString cannot =
        q("\"" + file + "\" konnte nicht ge") + QStringLiteral("öffnet werden: ");
    const struct
    {
        QByteArray opener; // the body of the stand-in xdg-open
        bool opened;
        QString error;
    } cases[] = {
        {"sleep 0.3\nexit 0\n", true, QString()},
        {"sleep 0.3\nexit 3\n", false, cannot + QStringLiteral("xdg-open endete mit Code 3.")},
        {"exit 4\n", false, cannot + QStringLiteral("xdg-open endete mit Code 4.")},
        {"kill -KILL $$\n", false,
         cannot + QStringLiteral("xdg-open wurde durch Signal 9 beendet.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opener.constData());
        writeScript(m_bin + "/xdg-open", c.opener);
        bool eventsRan = false;
        QTimer tick;
        tick.setSingleShot(true);
        QObject::connect(&tick, &QTimer::timeout, [&] { eventsRan = true; });
        tick.start(20);
        QString error;
        EXPECT_EQ(openWithDefaultApp(q(file), &error), c.opened);
        EXPECT_EQ(error, c.error);
        if (c.opener.startsWith("sleep")) {
            EXPECT_TRUE(eventsRan);
        }
    }

    // An xdg-open the kernel cannot run.
    fixture::writeFile(m_bin + "/xdg-open", "no program at all");
    QString error;
    EXPECT_FALSE(openWithDefaultApp(q(file), &error));
    EXPECT_TRUE(error.startsWith(cannot)) << error.toStdString();

    // Without a desktop helper xdg-open runs the application it found in the
    // foreground: still running after the wait counts as opened.
    writeScript(m_bin + "/xdg-open", "sleep 2\n");
    setOpenerWaitLimit(200);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(openWithDefaultApp(q(file), &error));
    EXPECT_LT(clock.elapsed(), 1500);
    setOpenerWaitLimit(5000);
}

TEST_F(Desktop, HelpPageOpensOnlyWhenItIsThere)
{
    fixture::writeFile(m_tmp / "hilfe\xe4.html", "<html></html>");
    const auto url = [&](const QByteArray& page) {
        return QString::fromLatin1("file://" + (m_tmp / page).toPercentEncoding("/") + "#100");
    };
    QString error;
    ASSERT_TRUE(openHelpPage(url("hilfe\xe4.html"), &error)) << error.toStdString();
    EXPECT_EQ(waitForRecord(m_record), "xdg-open " + url("hilfe\xe4.html").toLatin1());

    EXPECT_FALSE(openHelpPage(url("fehlt.html"), &error));
    EXPECT_EQ(error, QStringLiteral("Die Hilfedatei ") + q(m_tmp / "fehlt.html") +
                         QStringLiteral(" wurde nicht gefunden."));
    EXPECT_FALSE(fixture::exists(m_record));
}

TEST_F(Desktop, StartsProgramsDirectlyAndOpensOtherFiles)
{
    writeScript(m_tmp / "tool",
                "{ printf '%s|' \"$PWD\" \"$@\"; printf '\\nend\\n'; } > \"$RECORD\"\n");
    fixture::makeDir(m_tmp / "work dir");
    QString error;
    ASSERT_TRUE(startProgram(q(m_tmp / "tool"),
                             {QStringLiteral("eins zwei"), q("caf\xe9"), QString()},
                             q(m_tmp / "work dir"), &error))
        << error.toStdString();
    EXPECT_EQ(waitForRecord(m_record), m_tmp / "work dir|eins zwei|caf\xe9||");

    // A bare name is looked up on PATH.
    writeScript(m_bin + "/werkzeug",
                "{ printf 'werkzeug %s' \"$1\"; printf '\\nend\\n'; } > \"$RECORD\"\n");
    ASSERT_TRUE(
        startProgram(QStringLiteral("werkzeug"), {QStringLiteral("-x")}, QString(), &error));
    EXPECT_EQ(waitForRecord(m_record), "werkzeug -x");

    // A document, and an executable file that is no program, go to the default app.
    for (const QByteArray& name : {QByteArray("brief.txt"), QByteArray("notiz")}) {
        fixture::writeFile(m_tmp / name, "just text, no program");
        if (name == "notiz")
            ::chmod((m_tmp / name).constData(), 0755);
        ASSERT_TRUE(startProgram(q(m_tmp / name), {QStringLiteral("ignored")}, QString(), &error))
            << error.toStdString();
        EXPECT_EQ(waitForRecord(m_record), "xdg-open " + m_tmp / name);
    }

    EXPECT_FALSE(startProgram(q(m_tmp / "missing"), {}, QString(), &error));
    EXPECT_FALSE(startProgram(QStringLiteral("no-such-program-here"), {}, QString(), &error));
    EXPECT_EQ(error, QStringLiteral("Das Programm \"no-such-program-here\" wurde nicht gefunden."));
    EXPECT_FALSE(startProgram(q(m_tmp / "tool"), {}, q(m_tmp / "no such dir"), &error));
    EXPECT_TRUE(error.startsWith(q("\"" + m_tmp / "tool\" konnte nicht gestartet werden: ")))
        << error.toStdString();
}

TEST_F(Desktop, NetworkSharesGoThroughGio)
{
    writeScript(m_bin + "/gio", "{ printf '%s|' \"$@\"; printf '\\nend\\n'; } > \"$RECORD\"\n"
                                "case \"$3\" in *fail*) echo \"gio: $3: Zugriff verweigert\" >&2; "
                                "exit 2;; esac\n");
    QString error;
    EXPECT_TRUE(mountNetworkShare(QStringLiteral("\\\\server\\share\\dir"), &error))
        << error.toStdString();
    EXPECT_EQ(waitForRecord(m_record), "mount|smb://server/share/dir|");
    EXPECT_TRUE(unmountNetworkShare(QStringLiteral("smb://server/share"), &error));
    EXPECT_EQ(waitForRecord(m_record), "mount|-u|smb://server/share|");

    EXPECT_FALSE(unmountNetworkShare(QStringLiteral("smb://fail/share"), &error));
    EXPECT_EQ(error, QStringLiteral("gio: smb://fail/share: Zugriff verweigert"));

    m_env.set("PATH", m_tmp / "empty");
    EXPECT_FALSE(mountNetworkShare(QStringLiteral("smb://server/share"), &error));
    EXPECT_EQ(error, QStringLiteral("Das Programm \"gio\" wurde nicht gefunden."));
}
