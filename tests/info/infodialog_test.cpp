#include "app/tmainform.h"
#include "env/settings.h"
#include "info/httpclient.h"
#include "info/installer.h"
#include "info/maker.h"
#include "info/tinfodialog.h"
#include "info/updatecheck.h"
#include "messagerecorder.h"
#include "platform/desktop.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A web server of the test's own on 127.0.0.1: answers each path from a table, one
// request per connection, and records what it was asked.
class TestServer : public QObject
{
public:
    struct Route
    {
        QByteArray status = "200 OK";
        QByteArray body = {};
        bool contentLength = true;
        QByteArray headLength = {}; // Content-Length for HEAD instead of the body's
        QByteArray location = {};
        bool silent = false; // reads the request and never answers
    };

    TestServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &TestServer::accept);
    }

    QString downloadDir(const QString& folder = QStringLiteral("download")) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_server.serverPort()).arg(folder);
    }
    void close() { m_server.close(); }

    std::map<QByteArray, Route> routes; // by path
    QList<QByteArray> requests;         // "METHOD path"
    QList<QByteArray> headers;          // each request's header lines

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        const QByteArray method = first.value(0), path = first.value(1);
        requests.append(method + ' ' + path);
        headers.append(buffer.left(end));
        buffer.clear();

        Route route;
        if (auto it = routes.find(path); it != routes.end())
            route = it->second;
        else
            route = {.status = "404 Not Found", .body = "missing"};
        if (route.silent)
            return;
        QByteArray response = "HTTP/1.1 " + route.status + "\r\nConnection: close\r\n";
        if (route.contentLength)
            response += "Content-Length: " +
                        (method == "HEAD" && !route.headLength.isEmpty()
                             ? route.headLength
                             : QByteArray::number(route.body.size())) +
                        "\r\n";
        if (!route.location.isEmpty())
            response += "Location: " + route.location + "\r\n";
        response += "\r\n";
        if (method != "HEAD")
            response += route.body;
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_buffers;
};

// What the save dialog proposed, and the answer it was given.
struct SaveDialogSeen
{
    bool shown = false;
    QString directory;
    QString proposed;
    QString suffix;
    QStringList filters;
};

class InfoDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"TOBRIN_UPDATE_URL", "PATH", "LANGUAGE", "LC_ALL"})
            m_savedEnv.append({name, qgetenv(name)});
        qputenv("TOBRIN_UPDATE_URL", m_server.downloadDir().toUtf8());
        // xdg-open of our own: it writes down what it was asked to open.
        fixture::makeDir(m_tmp / "bin");
        fixture::writeFile(m_tmp / "bin/xdg-open",
                           "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + m_tmp / "opened" + "'\n");
        ::chmod((m_tmp / "bin/xdg-open").constData(), 0755);
        qputenv("PATH", m_tmp / "bin");
        installer::SetVersionOverride(installer::FileVersion{1, 2, 0, 10});
        DialogTexts() = DialogTextSet::German();
        m_savedAppName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Tobrin"));
        m_versionFile.body = "1,02";
    }

    void TearDown() override
    {
        delete m_dialog.data();
        m_saveAnswer.reset();
        for (const auto& [name, value] : m_savedEnv)
            qputenv(name, value);
        installer::SetVersionOverride(std::nullopt);
        DialogTexts() = DialogTextSet::German();
        QLocale::setDefault(m_savedLocale);
        QCoreApplication::setApplicationName(m_savedAppName);
    }

    Tinfodialog* dialog()
    {
        if (!m_dialog) {
            m_dialog = new Tinfodialog;
            m_dialog->SetArchiveName(QStringLiteral("tobrin.zip"));
            m_dialog->Http().SetTimeout(5000);
        }
        return m_dialog;
    }

    // Runs the update check with the routes given so far.
    void check()
    {
        m_server.routes["/" + m_versionFolder + "/tobrin.ver"] = m_versionFile;
        dialog()->Getnewversionclick();
    }

    // The next save dialog gets fileName (cancelled when empty).
    void answerSaveDialog(const QString& fileName)
    {
        m_saveAnswer = std::make_unique<QTimer>();
        m_saveAnswer->setInterval(20);
        QObject::connect(m_saveAnswer.get(), &QTimer::timeout, [this, fileName] {
            auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_saveAnswer->stop();
            m_saveSeen.shown = true;
            m_saveSeen.directory = box->directory().absolutePath();
            m_saveSeen.proposed = box->selectedFiles().value(0);
            m_saveSeen.suffix = box->defaultSuffix();
            m_saveSeen.filters = box->nameFilters();
            if (fileName.isEmpty()) {
                box->reject();
            } else {
                // Typed into the name field, as a user does.
                box->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(fileName);
                static_cast<QDialog*>(box)->accept(); // QFileDialog's own is protected
            }
        });
        m_saveAnswer->start();
    }

    // The lines our xdg-open has written, waiting a little for it to run.
    QList<QByteArray> opened(int expected)
    {
        QElapsedTimer clock;
        clock.start();
        QList<QByteArray> lines;
        while (clock.elapsed() < 5000) {
            if (fixture::exists(m_tmp / "opened"))
                lines = fixture::readFile(m_tmp / "opened").split('\n');
            if (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            if (lines.size() >= expected)
                break;
            QTest::qWait(20);
        }
        return lines;
    }

    TempDir m_tmp;
    TestServer m_server;
    TestServer::Route m_versionFile;
    QByteArray m_versionFolder = "download";
    ScopedRecorder m_messages;
    QPointer<Tinfodialog> m_dialog;
    std::unique_ptr<QTimer> m_saveAnswer;
    SaveDialogSeen m_saveSeen;
    QList<std::pair<const char*, QByteArray>> m_savedEnv;
    QString m_savedAppName;
    QLocale m_savedLocale;
};

const QString NoNewer =
    QStringLiteral("Derzeit befindet sich keine aktuellere Version auf dem Server");
const QString ConnectError = QStringLiteral("Problem beim Verbinden mit dem Server");

QString askUpdate(const char* own, const char* server)
{
    return QStringLiteral("Version %1, auf dem Server ist %2.\rAktualisieren?")
        .arg(QLatin1String(own), QLatin1String(server));
}

} // namespace

TEST(ServerVersionNumber, LeadingDigitsAndCommas)
{
    const struct
    {
        const char* body;
        double number;
    } cases[] = {
        {"1,02", 1.02}, {"1,10\r\n", 1.1}, {"1.10", 1.0},      {"", 1.0},  {" 1,5", 1.0},
        {"2", 2.0},     {"1,5 beta", 1.5}, {"1,,2", 1.0},      {",", 1.0}, {",5", 0.5},
        {"3,", 3.0},    {"0,99x", 0.99},   {"12,345", 12.345},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServerVersionNumber(c.body), c.number) << '"' << c.body << '"';
}

TEST(ChangeFileExt, LastComponentOnly)
{
    const struct
    {
        const char* name;
        const char* zip;
    } cases[] = {
        {"tobrin.zip", "tobrin.ver"},           {"/tmp/update", "/tmp/update.ver"},
        {"/tmp/update.rar", "/tmp/update.ver"}, {"/a.b/update", "/a.b/update.ver"},
        {"/tmp/.hidden", "/tmp/.hidden.ver"},   {"x.tar.gz", "x.tar.ver"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeFileExt(QLatin1String(c.name), QStringLiteral(".ver")),
                  QLatin1String(c.zip));
}

TEST(UpdateDownloadDir, EnvironmentThenSettingsThenMaker)
{
    const QByteArray saved = qgetenv("TOBRIN_UPDATE_URL");
    InitEnvironment(platform::programPath());
    ASSERT_FALSE(SettingsFile().isEmpty());
    qunsetenv("TOBRIN_UPDATE_URL");
    fixture::removeTree(platform::encodeName(SettingsFile()));
    EXPECT_EQ(UpdateDownloadDir(), maker::DownloadDir);
    EXPECT_TRUE(maker::DownloadDir.startsWith(QLatin1String("https://")));

    fixture::writeFile(platform::encodeName(SettingsFile()),
                       "[MainForm]\nFilter=*.*\n[update]\nURL = https://mirror.example/t\n");
    EXPECT_EQ(UpdateDownloadDir(), QStringLiteral("https://mirror.example/t/"));
    qputenv("TOBRIN_UPDATE_URL", "http://127.0.0.1:1/d/");
    EXPECT_EQ(UpdateDownloadDir(), QStringLiteral("http://127.0.0.1:1/d/"));

    fixture::removeTree(platform::encodeName(SettingsFile()));
    qputenv("TOBRIN_UPDATE_URL", saved);
}

TEST_F(InfoDialog, WindowInGerman)
{
    Tinfodialog* d = dialog();
    d->SetHomepageAddress(QStringLiteral("https://home.example/"));
    d->show();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Info über Tobrin"));
    EXPECT_FALSE(d->isModal());
    // Until the main window says otherwise, the archive is named after the program.
    const Tinfodialog fresh;
    EXPECT_EQ(fresh.ArchiveName(),
              platform::fileName(platform::programPath()).toLower() + QStringLiteral(".zip"));
    EXPECT_EQ(fresh.HomepageAddress(), maker::Homepage);
    EXPECT_EQ(fresh.MailAddress(), maker::MailAddress);

    const auto text = [d](const char* name) {
        if (auto* l = d->findChild<QLabel*>(QLatin1String(name)))
            return l->text();
        return d->findChild<QPushButton*>(QLatin1String(name))->text();
    };
    const auto hint = [d](const char* name) {
        return d->findChild<QWidget*>(QLatin1String(name))->toolTip();
    };
    EXPECT_EQ(text("versionlabel"), QStringLiteral("Version : 1.2.0 Build: 10"));
    EXPECT_EQ(text("homepagelabel"), QStringLiteral("Homepage: https://home.example/"));
    EXPECT_EQ(text("copyrightlabel"), maker::Copyright);
    EXPECT_EQ(text("okbut"), QStringLiteral("&OK"));
    EXPECT_EQ(text("getnewversion"), QStringLiteral("&Neue Version"));
    EXPECT_EQ(text("homepagebut"), QStringLiteral("&Homepage"));
    EXPECT_EQ(text("emailbut"), QStringLiteral("&Mail schreiben"));

    // The program file's date to two seconds, in the locale's short date (four-digit
    // year) and long time.
    platform::FileInfo program;
    ASSERT_TRUE(platform::statPath(platform::programPath(), program));
    const qint64 seconds = program.mtimeNs / 1000000000 / 2 * 2;
    EXPECT_EQ(text("datumlabel"),
              QStringLiteral("vom ") + QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime)
                                           .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));

    EXPECT_EQ(hint("versionlabel"),
              QStringLiteral("Geben Sie diese Informationen bei Kontaktaufnahme an"));
    EXPECT_EQ(hint("datumlabel"), QStringLiteral("Speicherdatum dieser Version"));
    EXPECT_EQ(hint("copyrightlabel"), QStringLiteral("Der Programmierer dieses Programmes"));
    EXPECT_EQ(hint("homepagelabel"), QStringLiteral("Die Homepage mit interessanten Themen"));
    EXPECT_EQ(hint("getnewversion"),
              QStringLiteral("Holt eine neue Version dieses Programmes über das Internet"));
    EXPECT_EQ(hint("homepagebut"), QStringLiteral("Springt zur Homepage des Autors"));
    EXPECT_EQ(hint("emailbut"), QStringLiteral("Schreibt E-Mail an den Autor"));
    EXPECT_EQ(hint("okbut"), QString());

    // Labels stacked at the left, the buttons in one row below, the status bar last.
    QRect previous;
    for (const char* name : {"versionlabel", "datumlabel", "copyrightlabel", "homepagelabel"}) {
        const QRect r = d->findChild<QWidget*>(QLatin1String(name))->geometry();
        if (previous.isValid()) {
            EXPECT_EQ(r.left(), previous.left()) << name;
            EXPECT_GT(r.top(), previous.bottom()) << name;
        }
        previous = r;
    }
    const int labelsBottom = previous.bottom();
    previous = {};
    for (const char* name : {"okbut", "getnewversion", "homepagebut", "emailbut"}) {
        const QRect r = d->findChild<QWidget*>(QLatin1String(name))->geometry();
        EXPECT_GT(r.top(), labelsBottom) << name;
        if (previous.isValid()) {
            EXPECT_EQ(r.top(), previous.top()) << name;
            EXPECT_GT(r.left(), previous.right()) << name;
        }
        EXPECT_LE(r.right(), d->width()) << name;
        previous = r;
    }
    const QRect status = d->findChild<QStatusBar*>(QStringLiteral("StatusBar"))->geometry();
    EXPECT_GT(status.top(), previous.bottom());
    EXPECT_EQ(status.bottom(), d->height() - 1);
    EXPECT_GE(d->width(), 391);
    EXPECT_GE(d->height(), 155);
}

TEST_F(InfoDialog, VersionFileOutcomes)
{
    const struct
    {
        const char* name;
        TestServer::Route versionFile;
        QString message;
        QString status;
        bool fetchesBody = true;
    } cases[] = {
        {"equal", {.body = "1,02"}, NoNewer, "Heruntergeladen 4 von 4 Bytes"},
        {"newer", {.body = "1,10\r\n"}, askUpdate("1,02", "1,10"), "Heruntergeladen 6 von 6 Bytes"},
        {"period ends the number", {.body = "1.10"}, askUpdate("1,02", "1,00"), ""},
        {"older", {.body = "0,9"}, askUpdate("1,02", "0,90"), ""},
        {"empty", {.body = ""}, askUpdate("1,02", "1,00"), ""},
        {"no length",
         {.body = "1,02", .contentLength = false},
         NoNewer,
         "Heruntergeladen 4 von -1 Bytes"},
        {"not found", {.status = "404 Not Found", .body = "1,02"}, ConnectError, "", false},
        {"server error",
         {.status = "500 Internal Server Error", .body = "1,02"},
         ConnectError,
         "",
         false},
        {"beyond 32 bits", {.body = "1,02", .headLength = "5000000000"}, ConnectError, "", false},
        {"redirect over http",
         {.status = "302 Found", .location = "http://127.0.0.1:1/download/tobrin.ver"},
         ConnectError,
         "",
         false},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A new window each time: its client has nothing of the case before. Each case
        // asks its own folder, so a late request of the case before cannot count here.
        delete m_dialog.data();
        m_messages->shown.clear();
        m_server.requests.clear();
        m_versionFolder = "download" + QByteArray::number(++number);
        qputenv("TOBRIN_UPDATE_URL",
                m_server.downloadDir(QString::fromLatin1(m_versionFolder)).toUtf8());
        m_versionFile = c.versionFile;
        check(); // a question is answered No
        ASSERT_EQ(m_messages->texts(), QStringList{c.message});
        const msg::Message& box = m_messages->shown[0];
        const bool question = c.message.startsWith(QLatin1String("Version"));
        EXPECT_EQ(box.buttons, question ? msg::Buttons::YesNo : msg::Buttons::Ok);
        EXPECT_EQ(box.kind, question ? msg::Kind::Question : msg::Kind::Information);
        if (!c.status.isEmpty()) {
            EXPECT_EQ(dialog()->StatusText(), c.status);
        }
        // Nothing but the version file is fetched, its body only after a good HEAD.
        const QByteArray file = "/" + m_versionFolder + "/tobrin.ver";
        QList<QByteArray> expected{"HEAD " + file};
        if (c.fetchesBody)
            expected.append("GET " + file);
        QList<QByteArray> ofThisCase;
        for (const QByteArray& request : m_server.requests)
            if (!request.contains(" /download") || request.endsWith(file))
                ofThisCase.append(request);
        EXPECT_EQ(ofThisCase, expected);
    }
    for (const QByteArray& header : m_server.headers) {
        EXPECT_TRUE(header.contains("\r\nAccept: text/html, */*\r\n")) << header.constData();
        EXPECT_TRUE(header.contains("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"))
            << header.constData();
    }
}

TEST_F(InfoDialog, UnreachableServerIsAFailedCheck)
{
    m_server.close();
    check();
    EXPECT_EQ(m_messages->texts(), QStringList{ConnectError});

    // A server that takes the request and never answers is given up after the time-out.
    TestServer silent;
    silent.routes["/download/tobrin.ver"].silent = true;
    qputenv("TOBRIN_UPDATE_URL", silent.downloadDir().toUtf8());
    m_messages->shown.clear();
    dialog()->Http().SetTimeout(300);
    QElapsedTimer clock;
    clock.start();
    dialog()->Getnewversionclick();
    EXPECT_EQ(m_messages->texts(), QStringList{ConnectError});
    EXPECT_LT(clock.elapsed(), 4000);
}

TEST_F(InfoDialog, DownloadSavedAsZipAndOpened)
{
    QByteArray archive(300 * 1024, '\0');
    for (qsizetype i = 0; i < archive.size(); ++i)
        archive[i] = char(i * 7 % 251);
    m_server.routes["/download/tobrin.zip"] = {.body = archive};
    m_versionFile.body = "1,10";
    // Whatever extension the user types, the archive is saved as .zip.
    for (const char* chosen : {"update.rar", "update"}) {
        SCOPED_TRACE(chosen);
        fixture::removeTree(m_tmp / "update.zip");
        fixture::removeTree(m_tmp / "opened");
        m_messages->shown.clear();
        m_messages->answers.push_back({msg::Answer::Yes, false});
        answerSaveDialog(platform::decodeName(m_tmp / chosen));
        check();

        EXPECT_EQ(m_messages->texts(),
                  (QStringList{askUpdate("1,02", "1,10"),
                               QStringLiteral("Installierte Version 1,02\rVersion auf dem Server "
                                              "1,10\rBitte beenden Sie nun zuerst dieses "
                                              "Programm.\rDanach entpacken Sie nun die Dateien im "
                                              "Zip Archiv in ihr Programmverzeichnis")}));
        EXPECT_TRUE(fixture::readFile(m_tmp / "update.zip") == archive);
        EXPECT_EQ(opened(1), QList<QByteArray>{m_tmp / "update.zip"});
        EXPECT_EQ(fixture::names(m_tmp.path()), (QList<QByteArray>{"bin", "opened", "update.zip"}));
        EXPECT_EQ(dialog()->StatusText(),
                  QStringLiteral("Heruntergeladen 307200 von 307200 Bytes"));
    }
    // The dialog proposed the program's name with .zip in the program's folder.
    const QString program = platform::programPath();
    EXPECT_TRUE(m_saveSeen.shown);
    EXPECT_EQ(m_saveSeen.directory + QLatin1Char('/'), platform::parentPath(program));
    EXPECT_EQ(m_saveSeen.proposed, program + QStringLiteral(".zip"));
    EXPECT_EQ(m_saveSeen.suffix, QStringLiteral("zip"));
    EXPECT_EQ(m_saveSeen.filters, QStringList{QStringLiteral("Alles (*)")});
    EXPECT_EQ(m_server.requests.mid(m_server.requests.size() - 4),
              (QList<QByteArray>{"HEAD /download/tobrin.ver", "GET /download/tobrin.ver",
                                 "HEAD /download/tobrin.zip", "GET /download/tobrin.zip"}));
}

TEST_F(InfoDialog, DownloadFailuresLeaveNoFile)
{
    m_versionFile.body = "1,10";
    const QString ask = askUpdate("1,02", "1,10");

    // The archive cannot be fetched: no save dialog, no file.
    m_server.routes["/download/tobrin.zip"] = {.status = "404 Not Found", .body = "gone"};
    m_messages->answers.push_back({msg::Answer::Yes, false});
    answerSaveDialog(platform::decodeName(m_tmp / "update.zip"));
    check();
    EXPECT_EQ(m_messages->texts(), (QStringList{ask, ConnectError}));
    EXPECT_FALSE(m_saveSeen.shown);

    // Cancelled: nothing more.
    m_server.routes["/download/tobrin.zip"] = {.body = "PK archive"};
    m_messages->shown.clear();
    m_messages->answers.push_back({msg::Answer::Yes, false});
    answerSaveDialog(QString());
    check();
    EXPECT_TRUE(m_saveSeen.shown);
    EXPECT_EQ(m_messages->texts(), QStringList{ask});

    // Answered No: not even the archive is fetched.
    m_messages->shown.clear();
    m_server.requests.clear();
    check();
    EXPECT_EQ(m_server.requests,
              (QList<QByteArray>{"HEAD /download/tobrin.ver", "GET /download/tobrin.ver"}));
    EXPECT_EQ(fixture::names(m_tmp.path()), QList<QByteArray>{"bin"});

    // A disk too small for the archive: the old file stays whole, nothing else is left.
    fixture::makeDir(m_tmp / "small");
    if (!fixture::mountTmpfs(m_tmp / "small", "1M"))
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    fixture::writeFile(m_tmp / "small/update.zip", "old archive");
    m_server.routes["/download/tobrin.zip"] = {.body = QByteArray(2 * 1024 * 1024, 'x')};
    m_messages->shown.clear();
    m_messages->answers.push_back({msg::Answer::Yes, false});
    answerSaveDialog(platform::decodeName(m_tmp / "small/update.zip"));
    check();
    EXPECT_EQ(m_messages->texts(), (QStringList{ask, ConnectError}));
    EXPECT_EQ(fixture::names(m_tmp / "small"), QList<QByteArray>{"update.zip"});
    EXPECT_EQ(fixture::readFile(m_tmp / "small/update.zip"), QByteArray("old archive"));
    fixture::unmount(m_tmp / "small");
}

TEST_F(InfoDialog, NoProgramForTheArchive)
{
    // No xdg-open at all, and one that finds no program for the archive.
    fixture::makeDir(m_tmp / "refusing");
    fixture::writeFile(m_tmp / "refusing/xdg-open", "#!/bin/sh\nexit 3\n");
    ::chmod((m_tmp / "refusing/xdg-open").constData(), 0755);
    for (const QByteArray& path : {m_tmp / "nothing-here", m_tmp / "refusing"}) {
        SCOPED_TRACE(path.constData());
        qputenv("PATH", path);
        m_messages->shown.clear();
        m_versionFile.body = "2";
        m_server.routes["/download/tobrin.zip"] = {.body = "PK"};
        m_messages->answers.push_back({msg::Answer::Yes, false});
        answerSaveDialog(platform::decodeName(m_tmp / "t.zip"));
        check();
        ASSERT_EQ(m_messages->texts().size(), 3);
        EXPECT_EQ(m_messages->texts()[1],
                  QStringLiteral("ZIP Entpacker kann nicht geöffnet werden !"));
        EXPECT_TRUE(m_messages->texts()[2].startsWith(
            QLatin1String("Installierte Version 1,02\rVersion auf dem Server 2,00\r")));
        EXPECT_EQ(fixture::readFile(m_tmp / "t.zip"), QByteArray("PK"));
    }
}

TEST_F(InfoDialog, EnglishOnAnEnglishOrFrenchLocale)
{
    const struct
    {
        const char* locale;
        const char* own;
        const char* server;
    } cases[] = {{"en_GB", "1.02", "1.10"}, {"fr_FR", "1,02", "1,10"}};
    m_versionFile.body = "1,10";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        qputenv("LANGUAGE", "");
        qputenv("LC_ALL", QByteArray(c.locale) + ".UTF-8");
        QLocale::setDefault(QLocale(QLatin1String(c.locale)));
        DialogTexts() = DialogTextSet::German();
        delete m_dialog.data();
        m_messages->shown.clear();

        Tinfodialog* d = dialog();
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Info about Tobrin"));
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("getnewversion"))->text(),
                  QStringLiteral("&Get new version"));
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("homepagebut"))->text(),
                  QStringLiteral("Visit &homepage"));
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("emailbut"))->text(),
                  QStringLiteral("Send &email"));
        // The hints stay German.
        EXPECT_EQ(d->findChild<QPushButton*>(QStringLiteral("emailbut"))->toolTip(),
                  QStringLiteral("Schreibt E-Mail an den Autor"));
        d->show();
        EXPECT_TRUE(d->findChild<QLabel*>(QStringLiteral("datumlabel"))
                        ->text()
                        .startsWith(QLatin1String("from : ")));
        check();
        EXPECT_EQ(m_messages->texts(),
                  QStringList{QStringLiteral("Version %1, on the Server you find %2.\rdo you want "
                                             "to upgrade?")
                                  .arg(QLatin1String(c.own), QLatin1String(c.server))});
        EXPECT_EQ(d->StatusText(), QStringLiteral("4 of 4 Bytes downloaded"));
    }
    // Once English, the texts stay English for the run; a German user's dialog still
    // has German buttons.
    qputenv("LC_ALL", "de_DE.UTF-8");
    delete m_dialog.data();
    EXPECT_EQ(dialog()->windowTitle(), QStringLiteral("Info about Tobrin"));
    EXPECT_EQ(dialog()->findChild<QPushButton*>(QStringLiteral("getnewversion"))->text(),
              QStringLiteral("&Neue Version"));
}

TEST_F(InfoDialog, HomepageMailAndHelpOpenWithTheDesktop)
{
    Tinfodialog* d = dialog();
    d->SetHomepageAddress(maker::Homepage);
    d->SetMailAddress(maker::MailAddress);
    d->Homepagebutclick();
    ASSERT_EQ(opened(1).size(), 1);
    d->Emailbutclick();
    ASSERT_EQ(opened(2).size(), 2);

    // The help page beside the program: a missing one is reported, not opened.
    const QByteArray page = platform::encodeName(platform::programPath() + QStringLiteral(".html"));
    ASSERT_FALSE(fixture::exists(page));
    QTest::keyClick(d, Qt::Key_F1);
    EXPECT_EQ(m_messages->texts(),
              QStringList{QStringLiteral("Die Hilfedatei ") + platform::decodeName(page) +
                          QStringLiteral(" wurde nicht gefunden.")});
    fixture::writeFile(page, "<html></html>");
    QTest::keyClick(d, Qt::Key_F1);
    ::unlink(page.constData());
    const QList<QByteArray> lines = opened(3);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], maker::Homepage.toUtf8());
    EXPECT_EQ(lines[1], QByteArray("mailto:%22Vetmark%22%20%3Cinfo@vetmark.example%3E"));
    EXPECT_EQ(lines[2], "file://" + page.toPercentEncoding("/") + "#32000");
}

TEST_F(InfoDialog, ClosingFreesTheWindowAlsoDuringACheck)
{
    QPointer<Tinfodialog> d = dialog();
    d->show();
    d->Okbutclick();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(d.isNull());

    // Closed while waiting for the server: the check ends without a word.
    m_versionFile.silent = true;
    d = dialog();
    d->show();
    QTimer::singleShot(100, d, [d] { d->close(); });
    QElapsedTimer clock;
    clock.start();
    check();
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(m_messages->shown.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(d.isNull());

    // Closed while the desktop is still opening the homepage: the window lives on
    // until the button's handler has returned.
    fixture::writeFile(m_tmp / "bin/xdg-open", "#!/bin/sh\n/bin/sleep 0.5\n");
    d = dialog();
    d->SetHomepageAddress(maker::Homepage);
    d->show();
    QTimer::singleShot(100, d, [d] { d->close(); });
    d->Homepagebutclick();
    EXPECT_FALSE(d.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(d.isNull());
}

TEST_F(InfoDialog, MainWindowOpensANewDialogEachTime)
{
    Tmainform form;
    form.Item(QStringLiteral("Info1"))->trigger();
    form.Item(QStringLiteral("Info1"))->trigger();
    const QList<Tinfodialog*> dialogs = form.findChildren<Tinfodialog*>();
    ASSERT_EQ(dialogs.size(), 2);
    for (Tinfodialog* d : dialogs) {
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->isModal());
        EXPECT_EQ(d->ArchiveName(), QStringLiteral("tobrin.zip"));
        EXPECT_EQ(d->HomepageAddress(), maker::Homepage);
        EXPECT_EQ(d->MailAddress(), maker::MailAddress);
    }
    dialogs[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChildren<Tinfodialog*>().size(), 1);
}
