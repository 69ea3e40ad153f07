#include "explorer/shell/iconlist.h"
#include "explorer/lang/qvconsts.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/shelloperations.h"
#include "messagerecorder.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// Sets an environment variable for one scope and puts the old value back.
class EnvGuard
{
public:
    EnvGuard(const char* name, const QByteArray& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        qputenv(name, value);
        ::tzset();
    }
    ~EnvGuard()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
        ::tzset();
    }

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// Sets the default locale for one scope.
struct LocaleGuard
{
    explicit LocaleGuard(const char* name)
    {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    }
    ~LocaleGuard() { QLocale::setDefault(QLocale::system()); }
};

// A small shell script with the executable bit.
void writeScript(const QByteArray& path, const QByteArray& body)
{
    fixture::writeFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.constData(), 0755);
}

// Waits for a detached program to leave its output behind.
QByteArray waitForFile(const QByteArray& path)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (fixture::exists(path)) {
            QThread::msleep(50); // let the script finish writing
            return fixture::readFile(path);
        }
        QThread::msleep(20);
    }
    return QByteArray();
}

// The explorer texts in German, as a list with lnGerman loads them.
class ShellHelpersGerman : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CurrentListLanguage = lnGerman;
        LoadListTexts();
    }
    void TearDown() override { ResetExplorerTexts(); }
};

} // namespace

// --- Operation codes -------------------------------------------------------------------

TEST(ShellOperations, MapsExplorerCodesToShellOperations)
{
    EXPECT_EQ(ClipOperation, opNone);
    EXPECT_EQ(DragOperation, opNone);
    EXPECT_EQ(ShellOperationFor(opCopy), FO_COPY);
    EXPECT_EQ(ShellOperationFor(opDelete), FO_DELETE);
    EXPECT_EQ(ShellOperationFor(opMove), FO_MOVE);
    EXPECT_EQ(ShellOperationFor(opRename), FO_RENAME);
    EXPECT_EQ(ShellOperationFor(opNone), 0);
    EXPECT_EQ(ShellOperationFor(static_cast<TFileOpCode>(4)), 0);
}

// --- Path and display texts ------------------------------------------------------------

TEST(ShellHelpersText, PathTexts)
{
    const QString longDir = QStringLiteral("/") + QString(150, QLatin1Char('a')) +
                            QStringLiteral("/") + QString(150, QLatin1Char('b'));
    ASSERT_GT(longDir.size(), 260);

    const struct
    {
        QString in;
        QString added;
        QString removed;
    } slashes[] = {
        {"/data", "/data/", "/data"},
        {"/data/", "/data/", "/data"},
        {"/data//", "/data//", "/data/"},
        {"/", "/", ""},
        {"", "", ""},
        {"relative", "relative/", "relative"},
        {longDir, longDir + "/", longDir},
        {longDir + "/", longDir + "/", longDir},
    };
    for (const auto& c : slashes) {
        EXPECT_EQ(AddBackslash(c.in), c.added) << qPrintable(c.in);
        EXPECT_EQ(RemoveBackslash(c.in), c.removed) << qPrintable(c.in);
    }

    const struct
    {
        QString dir;
        QString name;
        QString joined;
    } joins[] = {
        {"/data", "a.txt", "/data/a.txt"},
        {"/data/", "a.txt", "/data/a.txt"},
        {"/", "a.txt", "/a.txt"},
        {"", "a.txt", ""},
        {"/data", "", ""},
        {longDir, "c.txt", longDir + "/c.txt"},
    };
    for (const auto& c : joins)
        EXPECT_EQ(JoinPath(c.dir, c.name), c.joined) << qPrintable(c.dir + "|" + c.name);

    const struct
    {
        QString path;
        QString name;
    } names[] = {
        {"/data/report", "report"},
        {"/a.b/c.txt", "c"},
        {"x.tar.gz", "x.tar"},
        {"/d/x.gz.tar.gz", "x.gz.tar"},
        {"/home/anna/.profile", ".profile"},
        {"/home/anna/.config.bak", ".config"},
        {"/data/dir/", ""},
        {"/data/trailingdot.", "trailingdot"},
        {longDir + "/c.txt", "c"},
    };
    for (const auto& c : names)
        EXPECT_EQ(NameWithoutExt(c.path), c.name) << qPrintable(c.path);

    EXPECT_EQ(LastCharPos(QLatin1Char('/'), QStringLiteral("/a/b")), 3);
    EXPECT_EQ(LastCharPos(QLatin1Char('x'), QStringLiteral("abc")), 0);
    EXPECT_EQ(LastCharPos(QLatin1Char('a'), QString()), 0);
    EXPECT_EQ(LastCharPos(QLatin1Char('b'), longDir), longDir.size());
}

TEST(ShellHelpersText, SizeInKBText)
{
    const qint64 fiveGiB = 5LL * 1024 * 1024 * 1024;
    const struct
    {
        const char* kind;
        qint64 size;
        const char* text;
    } cases[] = {
        {"file", 0, "0 KB"},
        {"file", 1, "1 KB"},
        {"file", 1023, "1 KB"},
        {"file", 1024, "1 KB"},
        {"file", 2047, "1 KB"},
        {"file", 2048, "2 KB"},
        {"file", fiveGiB, "5242880 KB"},
        {"dir", 5000, " "},
        {"DIR", 0, " "},
        {"Dir", fiveGiB, " "},
        {"drv", 2048, "2 KB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizeInKBText(QString::fromLatin1(c.kind), c.size), QString::fromLatin1(c.text))
            << c.kind << " " << c.size;
}

TEST(ShellHelpersText, NulAndCharacterSets)
{
    const QChar nul(0);
    EXPECT_EQ(AppendNul(QString()), QString());
    EXPECT_EQ(AppendNul(QStringLiteral("/a")), QStringLiteral("/a") + nul);
    EXPECT_EQ(AppendNul(QStringLiteral("/a") + nul), QStringLiteral("/a") + nul);

    const QString invalid = QStringLiteral("\\*?/=\"<>|:,;+^");
    EXPECT_TRUE(ContainsAnyChar(invalid, QStringLiteral("a/b")));
    EXPECT_TRUE(ContainsAnyChar(invalid, QStringLiteral("^")));
    EXPECT_FALSE(ContainsAnyChar(invalid, QStringLiteral("Neuer Ordner (2)")));
    EXPECT_FALSE(ContainsAnyChar(QString(), QStringLiteral("abc")));
    EXPECT_FALSE(ContainsAnyChar(invalid, QString()));
}

// --- Date and time -------------------------------------------------------------------

TEST(ShellHelpersTime, FormatsLocalTimeWithPatterns)
{
    // Central European time without depending on installed zone data.
    EnvGuard tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    LocaleGuard locale("en_US");
    const QDateTime summer(QDate(2024, 7, 15), QTime(12, 34, 56), Qt::UTC);     // 14:34:56 CEST
    const QDateTime winter(QDate(2024, 1, 5), QTime(0, 5, 9), Qt::UTC);         // 01:05:09 CET
    const QDateTime nearMidnight(QDate(2024, 1, 4), QTime(23, 30, 0), Qt::UTC); // 00:30 CET

    const struct
    {
        QDateTime utc;
        const char* date;
        const char* time;
        const char* text;
    } cases[] = {
        {summer, "dd.MM.yyyy", "HH:mm", "15.07.2024 14:34"},
        {summer, "MM/dd/yy", "hh:mm:ss AM/PM", "07/15/24 02:34:56 PM"},
        {summer, "yyyy-MM-dd", "h:mm am/pm", "2024-07-15 2:34 pm"},
        {summer, "yy-MM-dd", "HH:mm:ss AM/PM", "24-07-15 02:34:56 PM"},
        {summer, "d.M.yyyy", "H:mm AP", "15.7.2024 2:34 PM"},
        {summer, "dddd, d. MMMM", "HH 'o''clock'", "Monday, 15. July 14 o'clock"},
        {winter, "dd-MM-yy", "HH:mm:ss t", "05-01-24 01:05:09 CET"},
        {winter, "dd/MM/yyyy", "h:m:s", "05/01/2024 1:5:9"},
        {nearMidnight, "dd/MM/yy", "hh:mm AM/PM", "05/01/24 12:30 AM"},
        {nearMidnight, "ddd MMM d", "HH:mm", "Fri Jan 5 00:30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileTimeToText(c.utc, QString::fromUtf8(c.date), QString::fromUtf8(c.time)),
                  QString::fromUtf8(c.text))
            << c.date << " " << c.time;

    // Nanoseconds since the epoch: truncated to the second below, also before 1970.
    const qint64 ns = summer.toMSecsSinceEpoch() * 1000000 + 999999999;
    EXPECT_EQ(FileTimeToText(ns, "dd.MM.yyyy", "HH:mm:ss"), QStringLiteral("15.07.2024 14:34:56"));
    EXPECT_EQ(FileTimeToText(qint64(-1), "dd.MM.yyyy", "HH:mm:ss"),
              QStringLiteral("01.01.1970 00:59:59"));
    EXPECT_EQ(FileTimeToText(QDateTime(), "dd.MM.yyyy", "HH:mm"), QString());
}

TEST(ShellHelpersTime, PatternsFollowTheLocale)
{
    const struct
    {
        TDtFormat format;
        const char* pattern;
    } fixed[] = {
        {df_MMddyyyy, "MM/dd/yyyy"}, {df_MMddyy, "MM/dd/yy"},    {df_ddMMyyyy, "dd/MM/yyyy"},
        {df_ddMMyy_GB, "dd/MM/yy"},  {df_ddMMyy_DE, "dd.MM.yy"}, {df_ddMMyy_IT, "dd-MM-yy"},
        {df_yyyyMMdd, "yyyy-MM-dd"}, {df_yyMMdd, "yy-MM-dd"},
    };
    for (const auto& c : fixed)
        EXPECT_EQ(DatePatternFor(c.format), QString::fromLatin1(c.pattern)) << c.pattern;

    const struct
    {
        const char* locale;
        const char* date;
        const char* longTime;
        const char* shortTime;
        const char* custom;
    } locales[] = {
        {"de_DE", "dd.MM.yyyy", "HH:mm:ss", "HH:mm", "HH:mm:ss AM/PM"},
        {"en_US", "M/d/yyyy", "h:mm:ss AP", "h:mm AP", "h:mm:ss AM/PM"},
    };
    for (const auto& c : locales) {
        LocaleGuard guard(c.locale);
        EXPECT_EQ(DatePatternFor(df_Customize), QString::fromLatin1(c.date)) << c.locale;
        EXPECT_EQ(TimePatternFor(tfLongFormat), QString::fromLatin1(c.longTime)) << c.locale;
        EXPECT_EQ(TimePatternFor(tfShortFormat), QString::fromLatin1(c.shortTime)) << c.locale;
        EXPECT_EQ(TimePatternFor(tfCustomize), QString::fromLatin1(c.custom)) << c.locale;
    }

    // The derived patterns in use: a German file list at a quarter past eight at night.
    EnvGuard tz("TZ", "UTC0");
    LocaleGuard guard("de_DE");
    const QDateTime evening(QDate(2023, 11, 2), QTime(20, 15, 7), Qt::UTC);
    EXPECT_EQ(FileTimeToText(evening, DatePatternFor(df_Customize), TimePatternFor(tfShortFormat)),
              QStringLiteral("02.11.2023 20:15"));
    EXPECT_EQ(FileTimeToText(evening, DatePatternFor(df_Customize), TimePatternFor(tfCustomize)),
              QStringLiteral("02.11.2023 08:15:07 PM"));
}

// --- Drives and sizes -----------------------------------------------------------------

TEST_F(ShellHelpersGerman, DriveReadyReportsInvalidAndMissingDrives)
{
    const QString invalid = SharedText(TStrKey::StrInvalidDrive);
    const QString noDisk = SharedText(TStrKey::StrNoDisk);
    ASSERT_EQ(invalid, QStringLiteral("Keine gültige Laufwerksbezeichnung!"));

    {
        ScopedRecorder rec;
        EXPECT_FALSE(DriveReady(QStringLiteral("1"), true));
        ASSERT_EQ(rec->shown.size(), 2);
        EXPECT_EQ(rec->shown[0].kind, msg::Kind::Error);
        EXPECT_EQ(rec->shown[0].text, invalid);
        EXPECT_EQ(rec->shown[1].kind, msg::Kind::Warning);
        EXPECT_EQ(rec->shown[1].text, noDisk);
        EXPECT_EQ(rec->beeps, 1);
    }
    {
        // The invalid drive is reported even with messages off.
        ScopedRecorder rec;
        EXPECT_FALSE(DriveReady(QStringLiteral("q"), false));
        EXPECT_EQ(rec->texts(), QStringList{invalid});
        EXPECT_EQ(rec->beeps, 0);
    }
    {
        ScopedRecorder rec;
        EXPECT_FALSE(DriveReady(QStringLiteral("/media/no-such-mount-point"), false));
        EXPECT_TRUE(rec->shown.isEmpty());
        EXPECT_EQ(rec->beeps, 0);
    }
    {
        ScopedRecorder rec;
        EXPECT_FALSE(DriveReady(QStringLiteral("/media/no-such-mount-point/"), true));
        EXPECT_EQ(rec->texts(), QStringList{noDisk});
        EXPECT_EQ(rec->beeps, 1);
    }
    {
        ScopedRecorder rec;
        EXPECT_TRUE(DriveReady(QStringLiteral("/"), true));
        EXPECT_TRUE(DriveReady(q(testHome()), true));
        EXPECT_TRUE(rec->shown.isEmpty());
    }
}

TEST(ShellHelpersDisk, SizesInKB)
{
    TempDir dir;
    const qint64 size = DiskSizeKB(q(dir.path()));
    const qint64 free = DiskFreeKB(q(dir.path()));
    EXPECT_GT(size, 0);
    EXPECT_GE(free, 0);
    EXPECT_LE(free, size);

    for (const QString& unreadable :
         {q(dir / "missing/"), QStringLiteral("My Computer"), QString()}) {
        EXPECT_EQ(DiskSizeKB(unreadable), 0) << qPrintable(unreadable);
        EXPECT_EQ(DiskFreeKB(unreadable), 0) << qPrintable(unreadable);
    }
}

TEST_F(ShellHelpersGerman, ReportIfExistsNamesTheEntry)
{
    TempDir dir;
    fixture::writeFile(dir / "a.txt", "x");
    fixture::makeDir(dir / "Ordner");
    fixture::writeFile(dir / "raw-\xe4.txt", "x");
    // A path far beyond 260 characters.
    QByteArray deep = dir.path();
    for (int i = 0; i < 5; ++i) {
        deep += QByteArray(80, char('k' + i)) + "/";
        fixture::makeDir(deep);
    }
    fixture::writeFile(deep + "tief.txt", "x");

    const struct
    {
        QString path;
        QString text;
    } cases[] = {
        {q(dir / "a.txt"), QStringLiteral("\"a.txt\"  existiert bereits!")},
        {q(dir / "Ordner/"), QStringLiteral("\"Ordner\"  existiert bereits!")},
        {q(dir / "a.txt") + QChar(0), QStringLiteral("\"a.txt\"  existiert bereits!")},
        {q(dir / "raw-\xe4.txt"), QLatin1Char('"') + q("raw-\xe4.txt") + "\"  existiert bereits!"},
        {q(deep + "tief.txt"), QStringLiteral("\"tief.txt\"  existiert bereits!")},
        {q(dir / "missing.txt"), QString()},
    };
    for (const auto& c : cases) {
        ScopedRecorder rec;
        EXPECT_EQ(ReportIfExists(c.path), !c.text.isEmpty()) << qPrintable(c.path);
        EXPECT_EQ(rec->texts(), c.text.isEmpty() ? QStringList() : QStringList{c.text})
            << qPrintable(c.path);
        if (!rec->shown.isEmpty()) {
            EXPECT_EQ(rec->shown[0].kind, msg::Kind::Error);
        }
    }
}

// --- Running verbs --------------------------------------------------------------------

TEST_F(ShellHelpersGerman, ShellExecuteFileReportsFailuresInTheListLanguage)
{
    TempDir dir;
    fixture::writeFile(dir / "doc.txt", "x");
    TempDir emptyBin;
    EnvGuard path("PATH", emptyBin.path()); // no search tool, nothing to start by name
    const QString longName = q(dir.path()) + QString(300, QLatin1Char('n')) + ".txt";

    const struct
    {
        QString operation;
        QString file;
        QString directory;
        int code;
    } cases[] = {
        {"Open", q(dir / "x"), "", SeFileNotFound},
        {"open", "x", q(dir.path()), SeFileNotFound},
        {"Open", q(dir / "no/x"), "", SePathNotFound},
        {"Open", "doc.txt", q(dir / "gone/"), SePathNotFound},
        {"Open", "no-such-program", "", SeFileNotFound},
        {"Open", "", "", SeFileNotFound},
        {"Open", longName, "", SeFileNotFound},
        {"Print", q(dir / "doc.txt"), "", SeNoAssociation},
        {"Find", q(dir.path()), "", SeNoAssociation},
        {"Find", "My Computer", "", SePathNotFound},
        {"Find", q(dir / "doc.txt"), "", SePathNotFound},
    };
    for (const auto& c : cases) {
        ScopedRecorder rec;
        EXPECT_EQ(ShellExecuteFile(c.operation, c.file, QString(), c.directory, 1), c.code)
            << qPrintable(c.operation + " " + c.file);
        ASSERT_EQ(rec->shown.size(), 1) << qPrintable(c.file);
        EXPECT_EQ(rec->shown[0].kind, msg::Kind::Error);
        EXPECT_EQ(rec->shown[0].text, "Fehler - Dateioperation \"" + c.operation +
                                          "\" ist fehlgeschlagen mit Datei " + c.file);
    }

    ScopedRecorder rec;
    ShellExecuteFile("Open", "/tmp/x-missing-here/x", QString(), QString(), 1);
    EXPECT_EQ(rec->texts(),
              QStringList{"Fehler - Dateioperation \"Open\" ist fehlgeschlagen mit Datei "
                          "/tmp/x-missing-here/x"});
}

TEST_F(ShellHelpersGerman, OpenFailsWhenNoApplicationTakesTheFile)
{
    TempDir dir;
    fixture::writeFile(dir / "brief.odt", "x");
    fixture::makeDir(dir / "Ordner");
    TempDir bin;
    writeScript(bin / "xdg-open", "exit 3\n"); // no application for the kind
    EnvGuard path("PATH", bin.path().chopped(1));
    for (const QString& file : {QStringLiteral("brief.odt"), QStringLiteral("Ordner")}) {
        ScopedRecorder rec;
        EXPECT_EQ(ShellExecuteFile("Open", file, QString(), q(dir.path()), 1), SeNoAssociation)
            << qPrintable(file);
        EXPECT_EQ(
            rec->texts(),
            QStringList{"Fehler - Dateioperation \"Open\" ist fehlgeschlagen mit Datei " + file});
    }

    writeScript(bin / "xdg-open", "exit 0\n");
    ScopedRecorder rec;
    EXPECT_EQ(ShellExecuteFile("Open", "brief.odt", QString(), q(dir.path()), 1), SeOk);
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST(ShellExecute, OpenStartsAProgramWithParametersInTheDirectory)
{
    TempDir dir;
    fixture::makeDir(dir / "work dir");
    writeScript(dir / "work dir/prog", "pwd > out.tmp\nprintf '%s\\n' \"$@\" >> out.tmp\n"
                                       "mv out.tmp out\n");
    ScopedRecorder rec;
    EXPECT_EQ(ShellExecuteFile("Open", "prog", "one \"two words\" three", q(dir / "work dir"), 1),
              SeOk);
    EXPECT_EQ(waitForFile(dir / "work dir/out").toStdString(),
              (dir / "work dir\none\ntwo words\nthree\n").toStdString());
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST(ShellExecute, FindStartsTheDesktopsSearchTool)
{
    TempDir bin;
    TempDir target;
    const QByteArray out = target / "called";
    for (const char* tool : {"gnome-search-tool", "catfish"})
        writeScript(bin / tool, QByteArray("printf '%s %s\\n' \"${0##*/}\" \"$1\" > ") + out +
                                    ".tmp && /bin/mv " + out + ".tmp " + out + "\n");
    EnvGuard path("PATH", bin.path().chopped(1));
    fixture::makeDir(target / "Fotos");
    const QString folder = q(target / "Fotos/");

    const struct
    {
        const char* desktop;
        QByteArray expected;
    } cases[] = {
        {"XFCE", "catfish " + target / "Fotos/\n"},
        {"ubuntu:GNOME", "gnome-search-tool --path=" + target / "Fotos/\n"},
        {"", "gnome-search-tool --path=" + target / "Fotos/\n"}, // the first one installed
    };
    for (const auto& c : cases) {
        EnvGuard desktop("XDG_CURRENT_DESKTOP", c.desktop);
        ::unlink(out.constData());
        ScopedRecorder rec;
        EXPECT_EQ(ShellExecuteFile("Find", folder, QString(), QString(), 1), SeOk) << c.desktop;
        EXPECT_EQ(waitForFile(out), c.expected) << c.desktop;
        EXPECT_TRUE(rec->shown.isEmpty());
    }
}

// --- Icons ---------------------------------------------------------------------------

TEST(ShellHelpersIcons, OneIconPerKind)
{
    TempDir dir;
    fixture::writeFile(dir / "a.txt", "a");
    fixture::writeFile(dir / "b.txt", "b");
    fixture::writeFile(dir / "c.png", "c");
    fixture::makeDir(dir / "sub");

    const int txt = SmallIconIndex(q(dir / "a.txt"));
    EXPECT_EQ(SmallIconIndex(q(dir / "b.txt")), txt);
    EXPECT_EQ(SmallOpenIconIndex(q(dir / "a.txt")), txt);
    EXPECT_EQ(SmallIconIndex(q(dir / "not-there.txt")), txt); // by name
    EXPECT_NE(SmallIconIndex(q(dir / "c.png")), txt);

    const int folder = SmallIconIndex(q(dir / "sub"));
    const int openFolder = SmallOpenIconIndex(q(dir / "sub/"));
    EXPECT_NE(folder, txt);
    EXPECT_NE(openFolder, folder);
    EXPECT_EQ(SmallIconIndex(q(dir.path())), folder);

    // The root is a drive, open or not.
    const int root = SmallIconIndex(QStringLiteral("/"));
    EXPECT_EQ(SmallOpenIconIndex(QStringLiteral("/")), root);
    EXPECT_NE(root, folder);

    // Many files of known kinds add nothing.
    const int before = IconList::instance().count();
    for (int i = 0; i < 2000; ++i)
        SmallIconIndex(q(dir.path()) + QStringLiteral("f%1.txt").arg(i));
    EXPECT_EQ(IconList::instance().count(), before);

    for (int index : {txt, folder, openFolder, root})
        EXPECT_FALSE(IconList::instance().icon(index).isNull()) << index;
    EXPECT_TRUE(IconList::instance().icon(-1).isNull());
    EXPECT_TRUE(IconList::instance().icon(before).isNull());
}

// --- Special folders and the folder picker ----------------------------------------------

TEST(ShellHelpersFolders, ShellFolderPaths)
{
    const QString home = q(testHome());
    EXPECT_EQ(ShellFolderPath(sfDesktop), home + "Desktop/");
    EXPECT_EQ(ShellFolderPath(sfPrograms), home + ".local/share/applications/");
    EXPECT_EQ(ShellFolderPath(sfStartMenu), home + ".local/share/applications/");
    EXPECT_EQ(ShellFolderPath(sfSendTo), home + ".local/share/SendTo/");
    EXPECT_EQ(ShellFolderPath(sfStartUp), home + ".config/autostart/");
    EXPECT_EQ(ShellFolderPath(sfWindows), QStringLiteral("/usr/"));
    EXPECT_EQ(ShellFolderPath(sfSystem), QStringLiteral("/usr/bin/"));
    EXPECT_EQ(ShellFolderPath(sfFavorites), QString());
    EXPECT_EQ(ShellFolderPath(sfNetHood), QString());
    EXPECT_TRUE(ShellFolderPath(sfPersonal).startsWith(home));
    EXPECT_TRUE(ShellFolderPath(sfPersonal).endsWith(QLatin1Char('/')));
    EXPECT_TRUE(fixture::exists(testHome() + ".local/share/SendTo"));
}

TEST_F(ShellHelpersGerman, FolderDialogSetup)
{
    TempDir dir;
    const QString home = AddBackslash(q(testHome()).chopped(1));
    EXPECT_EQ(BrowseRootFolder(brDesktop), home);
    EXPECT_EQ(BrowseRootFolder(brPrinters), home);
    EXPECT_EQ(BrowseRootFolder(static_cast<TBrowseRoot>(42)), home);
    EXPECT_TRUE(BrowseRootFolder(brNetwork).endsWith(QLatin1Char('/')));

    const auto dialog = CreateFolderDialog(nullptr, QString(), brDesktop, false);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Bitte wählen Sie ein Verzeichnis:"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(AddBackslash(dialog->directory().absolutePath()), home);

    const auto withFiles = CreateFolderDialog(nullptr, q(dir.path()), brNetwork, true);
    EXPECT_FALSE(withFiles->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(AddBackslash(withFiles->directory().absolutePath()), q(dir.path()));
}

TEST(ShellHelpersFolders, BrowseForFolderSetsThePathOnlyWhenChosen)
{
    TempDir dir;
    fixture::makeDir(dir / "Ziel");
    const QString chosen = q(dir / "Ziel");

    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (accept) {
                dialog->setDirectory(q(dir.path()));
                dialog->selectFile(chosen);
                static_cast<QDialog*>(dialog)->accept(); // QFileDialog's own check runs
            } else {
                dialog->reject();
            }
        });
    };

    QString path = QStringLiteral("/unchanged/");
    answer(false);
    EXPECT_FALSE(BrowseForFolder(nullptr, path, brDesktop, false));
    EXPECT_EQ(path, QStringLiteral("/unchanged/"));

    answer(true);
    EXPECT_TRUE(BrowseForFolder(nullptr, path, brDesktop, false));
    EXPECT_EQ(path, chosen + "/");
}

// --- Properties ----------------------------------------------------------------------

TEST(ShellHelpersProperties, GathersFileAndVolumeDetails)
{
    TempDir dir;
    fixture::writeFile(dir / "bericht.txt", QByteArray(3000, 'x'));
    ::chmod((dir / "bericht.txt").constData(), 0640);
    const qint64 before = QDateTime::currentSecsSinceEpoch();

    PathProperties p;
    ASSERT_TRUE(GatherProperties(q(dir / "bericht.txt"), p));
    EXPECT_EQ(p.name, QStringLiteral("bericht.txt"));
    EXPECT_EQ(p.location, q(dir.path()));
    EXPECT_FALSE(p.isDir);
    EXPECT_FALSE(p.isVolume);
    EXPECT_EQ(p.size, 3000);
    EXPECT_EQ(p.mode, 0640u);
    EXPECT_EQ(PermissionText(p.mode), QStringLiteral("rw-r-----"));
    EXPECT_FALSE(p.kind.isEmpty());
    EXPECT_FALSE(p.owner.isEmpty());
    EXPECT_LE(qAbs(p.modified.toSecsSinceEpoch() - before), 5);
    EXPECT_TRUE(p.accessed.isValid());

    ASSERT_TRUE(GatherProperties(q(dir.path()), p));
    EXPECT_TRUE(p.isDir);
    EXPECT_FALSE(p.isVolume);
    EXPECT_EQ(p.size, 0);

    ASSERT_TRUE(GatherProperties(QStringLiteral("/"), p));
    EXPECT_EQ(p.name, QStringLiteral("/"));
    EXPECT_TRUE(p.isVolume);
    EXPECT_FALSE(p.fileSystem.isEmpty());
    EXPECT_GT(p.volumeTotal, 0);
    EXPECT_LE(p.volumeFree, p.volumeTotal);

    EXPECT_EQ(PermissionText(04755), QStringLiteral("rwsr-xr-x"));
    EXPECT_EQ(PermissionText(01777), QStringLiteral("rwxrwxrwt"));
    EXPECT_EQ(PermissionText(02644), QStringLiteral("rw-r-Sr--"));
}

TEST(ShellHelpersProperties, ReportsWhatCannotBeShown)
{
    TempDir dir;
    fixture::writeFile(dir / "file", "x");
    const struct
    {
        QString path;
        QString text;
    } cases[] = {
        {q(dir / "missing.txt"), "The specified file was not found."},
        {q(dir / "missing/deeper.txt"), "The specified path was not found."},
        {q(dir / "file/below"), "The specified path was not found."},
    };
    for (const auto& c : cases) {
        ScopedRecorder rec;
        ShowPropertiesDialog(c.path);
        ASSERT_EQ(rec->shown.size(), 1) << qPrintable(c.path);
        EXPECT_EQ(rec->shown[0].kind, msg::Kind::Plain);
        EXPECT_EQ(rec->shown[0].text, c.text);
    }
    EXPECT_EQ(PropertiesErrorText(EACCES, QString()), QStringLiteral("Access denied"));
    EXPECT_EQ(PropertiesErrorText(ENOMEM, QString()),
              QStringLiteral("Not enough memory for this operation"));
    EXPECT_EQ(PropertiesErrorText(EIO, QString()), QString());
}

TEST(ShellHelpersProperties, DialogShowsTheDetails)
{
    TempDir dir;
    fixture::writeFile(dir / "notiz.txt", "hallo");
    QStringList labels;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            labels << label->text();
        dialog->close();
    });
    ScopedRecorder rec;
    ShowPropertiesDialog(q(dir / "notiz.txt"));
    EXPECT_TRUE(rec->shown.isEmpty());
    EXPECT_TRUE(labels.contains(QStringLiteral("notiz.txt"))) << qPrintable(labels.join('|'));
    EXPECT_TRUE(labels.contains(q(dir.path()))) << qPrintable(labels.join('|'));
}

// --- Network and system ---------------------------------------------------------------

TEST(ShellHelpersNetwork, ConnectNetDriveReportsFailures)
{
    TempDir emptyBin;
    EnvGuard path("PATH", emptyBin.path()); // no gio: the mount cannot happen
    {
        ScopedRecorder rec;
        EXPECT_NE(ConnectNetDrive("/mnt/x", "\\\\server\\share", true, false), 0);
        ASSERT_EQ(rec->shown.size(), 1);
        EXPECT_EQ(rec->shown[0].kind, msg::Kind::Plain);
        EXPECT_EQ(rec->shown[0].title, QStringLiteral("Error while connecting!"));
        const QString prefix = QStringLiteral("An error occured while connecting:\r\n");
        EXPECT_TRUE(rec->shown[0].text.startsWith(prefix));
        EXPECT_GT(rec->shown[0].text.size(), prefix.size()); // with the reason
    }
    {
        ScopedRecorder rec;
        EXPECT_NE(ConnectNetDrive("/mnt/x", "smb://server/share", false, true), 0);
        EXPECT_TRUE(rec->shown.isEmpty());
    }
    EXPECT_TRUE(IsModernNT());
}
