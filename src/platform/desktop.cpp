#include "desktop.h"

#include "filesystem.h"
#include "namecodec.h"
#include "uniquefd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr int GioTimeoutMs = 30000;

QString withTrailingSlash(const QString& path)
{
    return path.endsWith(QLatin1Char('/')) ? path : QString(path + QLatin1Char('/'));
}

// An environment variable holding an absolute path, decoded without loss.
QString absoluteEnvPath(const char* name)
{
    const QByteArray value = qgetenv(name);
    if (!value.startsWith('/'))
        return QString();
    return withoutTrailingSlash(decodeName(value));
}

bool readAll(const QByteArray& path, QByteArray& out)
{
    UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return false;
    out.clear();
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buf, n);
    }
}

// The value of a shell assignment's right side as user-dirs.dirs writes it: in double
// quotes with backslash escapes, or bare up to the first blank.
QByteArray shellValue(const QByteArray& text)
{
    QByteArray out;
    if (!text.startsWith('"')) {
        const qsizetype blank = text.indexOf(' ');
        return blank < 0 ? text : text.left(blank);
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            break;
        if (c == '\\' && i + 1 < text.size())
            out.append(text[++i]);
        else
            out.append(c);
    }
    return out;
}

// Resolves a user-dirs.dirs value: "$HOME/..." or an absolute path; anything else is
// not a valid entry and gives an empty text.
QString resolveUserDir(const QByteArray& value)
{
    for (const QByteArray& var : {QByteArray("$HOME"), QByteArray("${HOME}")}) {
        if (value == var || value.startsWith(QByteArray(var + '/')))
            return withoutTrailingSlash(homeDir() + decodeName(value.mid(var.size())));
    }
    if (value.startsWith('/'))
        return withoutTrailingSlash(decodeName(value));
    return QString();
}

QString notFound(const QString& what)
{
    return QStringLiteral("Das Programm \"%1\" wurde nicht gefunden.").arg(what);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// What the processes of a start write back to us through the pipe: the start failed
// (value is an errno), or the program ended (value is its wait status).
struct StartReport
{
    enum Kind : int
    {
        Failed = 1,
        Ended = 2
    };
    int kind = 0;
    int value = 0;
};

// Starts program (a path) in a session of its own, detached from us: our child forks
// again and leaves at once, so no child of ours is left to reap, and the arguments go
// to execv as the exact bytes. QProcess cannot be used: it takes the program and its
// arguments as QString and encodes them to UTF-8, which would change names that are
// not UTF-8.
//
// Returns the read end of a pipe on which the start reports, or an invalid fd with err
// set when it failed already before the program was forked. Without watch the pipe
// only ever carries a Failed report: execv closes it on success, and end-of-file then
// means the program runs. With watch a watcher process stays between us and the
// program, waits for it and reports its end (Ended), so that the caller learns how the
// program ended without a child to reap; the watcher is orphaned like the program.
UniqueFd spawnReporting(const QByteArray& program, const QList<QByteArray>& args,
                        const QByteArray& workingDir, bool watch, int& err)
{
    // Everything the child needs is prepared here: after fork only async-signal-safe
    // calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.constData()));
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        err = errno;
        return UniqueFd();
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        err = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return UniqueFd();
    }
    if (pid == 0) {
        ::close(fds[0]);
        auto report = [&](int kind, int value) {
            const StartReport r{kind, value};
            [[maybe_unused]] ssize_t n = ::write(fds[1], &r, sizeof r);
        };
        auto fail = [&](int e) {
            report(StartReport::Failed, e);
            ::_exit(127);
        };
        ::setsid();
        const pid_t next = ::fork();
        if (next < 0)
            fail(errno);
        if (next > 0)
            ::_exit(0);
        // Neither the watcher, which may live as long as the program, nor the program
        // keeps our files, sockets and pipes open; only the report pipe stays.
        const unsigned keep = unsigned(fds[1]);
        if (keep > 3)
            ::close_range(3, keep - 1, 0);
        ::close_range(std::max(keep + 1, 3U), ~0U, 0);
        // The watcher must see its own child end, whatever our SIGCHLD handling is,
        // and a caller that stopped listening must not kill it midway.
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGCHLD, &dfl, nullptr);
        struct sigaction ign = {};
        ign.sa_handler = SIG_IGN;
        if (watch)
            ::sigaction(SIGPIPE, &ign, nullptr);
        const pid_t started = watch ? ::fork() : 0;
        if (started < 0)
            fail(errno);
        if (started > 0) {
            int status = 0;
            pid_t r;
            do {
                r = ::waitpid(started, &status, 0);
            } while (r < 0 && errno == EINTR);
            if (r == started)
                report(StartReport::Ended, status);
            ::_exit(0);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::sigaction(SIGPIPE, &dfl, nullptr);
        if (!workingDir.isEmpty() && ::chdir(workingDir.constData()) != 0)
            fail(errno);
        ::execv(program.constData(), argv.data());
        fail(errno);
    }
    ::close(fds[1]);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return UniqueFd(fds[0]);
}

// Reads one report; false at end-of-file, on an error, or (non-blocking) when none is
// there yet.
bool readReport(int fd, StartReport& report)
{
    ssize_t n;
    do {
        n = ::read(fd, &report, sizeof report);
    } while (n < 0 && errno == EINTR);
    return n == sizeof report;
}

// Starts program detached from us. False with err set when it could not be started.
bool spawnDetached(const QByteArray& program, const QList<QByteArray>& args,
                   const QByteArray& workingDir, int& err)
{
    const UniqueFd reports = spawnReporting(program, args, workingDir, false, err);
    if (!reports)
        return false;
    StartReport report;
    if (readReport(reports.get(), report) && report.kind == StartReport::Failed) {
        err = report.value;
        return false;
    }
    return true;
}

int g_openerWaitMs = 5000;

// Waits up to timeoutMs for a report on fd. Events keep running meanwhile, so the
// windows are painted and answer while a program decides. Nothing is read; false when
// the time ran out or the event loop was told to quit.
bool awaitReport(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    if (!QCoreApplication::instance()) {
        int n;
        do {
            n = ::poll(&p, 1, timeoutMs);
        } while (n < 0 && errno == EINTR);
        return n > 0;
    }
    if (::poll(&p, 1, 0) > 0)
        return true;
    QEventLoop loop;
    bool ready = false;
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        ready = true;
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    return ready;
}

bool runGio(const QStringList& args, QString* error)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty()) {
        setError(error, notFound(QStringLiteral("gio")));
        return false;
    }
    QProcess process;
    process.start(gio, args);
    if (!process.waitForStarted()) {
        setError(
            error,
            QStringLiteral("\"gio\" konnte nicht gestartet werden: %1").arg(process.errorString()));
        return false;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(GioTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        setError(error, QStringLiteral("\"gio\" hat nach %1 Sekunden nicht geantwortet.")
                            .arg(GioTimeoutMs / 1000));
        return false;
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    QString text = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (text.isEmpty())
        text = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    if (text.isEmpty())
        text = QStringLiteral("\"gio %1\" ist fehlgeschlagen (Code %2).")
                   .arg(args.join(QLatin1Char(' ')))
                   .arg(process.exitCode());
    setError(error, text);
    return false;
}

} // namespace

QString programPath()
{
    QByteArray buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), size_t(buffer.size()));
    if (n <= 0)
        return QString();
    buffer.truncate(n);
    return decodeName(buffer);
}

QString homeDir()
{
    QString home = absoluteEnvPath("HOME");
    if (!home.isEmpty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        return withoutTrailingSlash(decodeName(QByteArray(pw->pw_dir)));
    return QStringLiteral("/");
}

QString configHome()
{
    const QString dir = absoluteEnvPath("XDG_CONFIG_HOME");
    return dir.isEmpty() ? withoutTrailingSlash(homeDir() + QStringLiteral("/.config")) : dir;
}

QString dataHome()
{
    const QString dir = absoluteEnvPath("XDG_DATA_HOME");
    return dir.isEmpty() ? withoutTrailingSlash(homeDir() + QStringLiteral("/.local/share")) : dir;
}

QString xdgUserDir(const QString& key)
{
    QByteArray content;
    QString found;
    if (readAll(encodeName(configHome() + QStringLiteral("/user-dirs.dirs")), content)) {
        const QByteArray prefix = "XDG_" + key.toUtf8() + "_DIR=";
        for (QByteArray line : content.split('\n')) {
            line = line.trimmed();
            if (!line.startsWith(prefix))
                continue;
            const QString dir = resolveUserDir(shellValue(line.mid(prefix.size())));
            if (!dir.isEmpty())
                found = dir;
        }
    }
    if (!found.isEmpty())
        return found;
    if (key == QLatin1String("DESKTOP"))
        return withoutTrailingSlash(homeDir() + QStringLiteral("/Desktop"));
    return homeDir();
}

QString specialFolderPath(int csidl)
{
    switch (csidl) {
    case 2:
        return withTrailingSlash(dataHome() + QStringLiteral("/applications"));
    case 5:
        return withTrailingSlash(xdgUserDir(QStringLiteral("DOCUMENTS")));
    case 9: {
        const QString sendTo = dataHome() + QStringLiteral("/SendTo");
        makePath(sendTo); // a failure shows when something is written there
        return withTrailingSlash(sendTo);
    }
    case 16:
        return withTrailingSlash(xdgUserDir(QStringLiteral("DESKTOP")));
    case 26:
        return withTrailingSlash(configHome());
    default:
        return QString();
    }
}

bool openWithDefaultApp(const QString& path, QString* error)
{
    if (path.isEmpty()) {
        setError(error, QStringLiteral("Es wurde keine Datei angegeben."));
        return false;
    }
    if (path.startsWith(QLatin1Char('/')) && !exists(path)) {
        setError(error, QStringLiteral("\"%1\" wurde nicht gefunden.").arg(path));
        return false;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        setError(error, notFound(QStringLiteral("xdg-open")));
        return false;
    }
    int err = 0;
    const UniqueFd reports =
        spawnReporting(encodeName(opener), {encodeName(path)}, QByteArray(), true, err);
    StartReport report;
    if (reports && awaitReport(reports.get(), g_openerWaitMs) &&
        readReport(reports.get(), report)) {
        if (report.kind == StartReport::Failed)
            err = report.value;
        else if (WIFEXITED(report.value) && WEXITSTATUS(report.value) == 0)
            return true;
    } else if (reports) {
        // Still running: where no desktop helper answers for it, xdg-open runs the
        // application it found in the foreground, so a long wait means it was opened.
        return true;
    }
    if (err != 0)
        setError(
            error,
            QStringLiteral("\"%1\" konnte nicht geöffnet werden: %2").arg(path, errorText(err)));
    else if (WIFEXITED(report.value))
        setError(error, QStringLiteral("\"%1\" konnte nicht geöffnet werden: xdg-open endete "
                                       "mit Code %2.")
                            .arg(path)
                            .arg(WEXITSTATUS(report.value)));
    else
        setError(error, QStringLiteral("\"%1\" konnte nicht geöffnet werden: xdg-open wurde "
                                       "durch Signal %2 beendet.")
                            .arg(path)
                            .arg(WTERMSIG(report.value)));
    return false;
}

void setOpenerWaitLimit(int milliseconds)
{
    g_openerWaitMs = milliseconds;
}

bool openHelpPage(const QString& url, QString* error)
{
    if (url.startsWith(QLatin1String("file://"))) {
        const QString encoded = url.mid(7).section(QLatin1Char('#'), 0, 0);
        const QString page = decodeName(QByteArray::fromPercentEncoding(encoded.toUtf8()));
        if (!exists(page)) {
            setError(error, QStringLiteral("Die Hilfedatei %1 wurde nicht gefunden.").arg(page));
            return false;
        }
    }
    return openWithDefaultApp(url, error);
}

bool startProgram(const QString& program, const QStringList& args, const QString& workingDir,
                  QString* error)
{
    if (program.isEmpty()) {
        setError(error, QStringLiteral("Es wurde kein Programm angegeben."));
        return false;
    }
    QString path = program;
    if (!program.contains(QLatin1Char('/'))) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty()) {
            setError(error, notFound(program));
            return false;
        }
    }
    const QByteArray encoded = encodeName(path);
    struct stat st;
    if (::stat(encoded.constData(), &st) != 0) {
        setError(error, QStringLiteral("\"%1\" wurde nicht gefunden.").arg(program));
        return false;
    }
    if (!S_ISREG(st.st_mode) || ::access(encoded.constData(), X_OK) != 0)
        return openWithDefaultApp(path, error);

    QList<QByteArray> encodedArgs;
    encodedArgs.reserve(args.size());
    for (const QString& a : args)
        encodedArgs.append(encodeName(a));
    int err = 0;
    if (spawnDetached(encoded, encodedArgs, encodeName(workingDir), err))
        return true;
    if (err == ENOEXEC) // executable bit but no program the kernel knows
        return openWithDefaultApp(path, error);
    setError(
        error,
        QStringLiteral("\"%1\" konnte nicht gestartet werden: %2").arg(program, errorText(err)));
    return false;
}

bool mountNetworkShare(const QString& url, QString* error)
{
    return runGio({QStringLiteral("mount"), uncToUrl(url)}, error);
}

bool unmountNetworkShare(const QString& mountOrUrl, QString* error)
{
    return runGio({QStringLiteral("mount"), QStringLiteral("-u"), uncToUrl(mountOrUrl)}, error);
}

QString uncToUrl(const QString& text)
{
    if (!text.startsWith(QLatin1String("\\\\")) || text.size() < 3 || text[2] == QLatin1Char('\\'))
        return text;
    const QStringList parts = text.mid(2).split(QLatin1Char('\\'));
    QString url = QStringLiteral("smb://") + parts.first();
    for (qsizetype i = 1; i < parts.size(); ++i)
        url += QLatin1Char('/') +
               QString::fromLatin1(QUrl::toPercentEncoding(parts[i], "!$&'()*+,;=:@"));
    return url;
}

} // namespace platform
