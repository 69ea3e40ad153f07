#include "commandline.h"

#include "core/collectionlist.h"
#include "core/filecollector.h"
#include "core/listfile.h"
#include "core/transferengine.h"
#include "info/installer.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "platform/wholefile.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char HelpText[] =
    "Aufruf:\n"
    "  tobrin                      startet das Programmfenster\n"
    "  tobrin search [-0] VERZEICHNIS MASKE\n"
    "  tobrin transfer [--move] [--no-overwrite] [--ignore-attributes]\n"
    "                  [--keep-structure] [-0] [--failed DATEI] ZIELVERZEICHNIS\n"
    "  tobrin --version\n"
    "  tobrin --help\n"
    "\n"
    "search: gibt jede Datei unter VERZEICHNIS aus, deren Name auf MASKE passt (eine\n"
    "  Maske; * beliebig viele Zeichen, ? ein Zeichen, Groß-/Kleinschreibung egal), in\n"
    "  der Reihenfolge der Suche im Fenster: erst die Dateien eines Verzeichnisses, dann\n"
    "  jedes Unterverzeichnis vollständig. Eine Zeile je Pfad, mit -0 durch NUL beendet.\n"
    "\n"
    "transfer: liest die Dateiliste von der Standardeingabe (ein Pfad je Zeile, mit -0\n"
    "  durch NUL getrennt) und kopiert die Dateien nach ZIELVERZEICHNIS.\n"
    "  --move               verschieben statt kopieren\n"
    "  --no-overwrite       bestehende Dateien nicht überschreiben\n"
    "  --ignore-attributes  Schreibschutz der Quelle für die Übertragung aufheben\n"
    "  --keep-structure     Verzeichnisstruktur unter dem Ziel erhalten\n"
    "  --failed DATEI       die nicht übertragenen Dateien in DATEI schreiben\n"
    "                       (im Format der Eingabe)\n"
    "  Am Ende steht der Status auf der Standardausgabe, etwa\n"
    "  \"3 Dateien in /ziel/ kopiert\". Fortschritt erscheint auf der Standardfehler-\n"
    "  ausgabe, wenn sie ein Terminal ist, und jede nicht übertragene Datei mit ihrem\n"
    "  Grund (\"PFAD: Grund\"). Jede Zeile muss ein absoluter Pfad sein.\n"
    "  Eine Zeile in doppelten Anführungszeichen hält einen Pfad mit Escapes\n"
    "  (\\\\ \\\" \\n \\r \\t \\xHH für ein Byte): so schreibt \"Liste speichern…\"\n"
    "  im Fenster Pfade mit Zeilenumbruch, Steuerzeichen oder Bytes, die kein UTF-8\n"
    "  sind. Jede andere Zeile ist der Pfad, so wie er dasteht.\n"
    "  Strg+C hält nach der laufenden Datei an; die übrigen bleiben in der Liste.\n"
    "  Ein zweites Strg+C, SIGTERM oder SIGHUP bricht die laufende Datei sofort ab;\n"
    "  sie bleibt mit den übrigen in der Liste, am Ziel bleibt nichts von ihr.\n"
    "\n"
    "Rückgabewert: 0 alles übertragen, 1 Dateien fehlgeschlagen oder angehalten,\n"
    "  2 abgelehnt (leere Liste, zu wenig Platz, kein oder leeres Zielverzeichnis,\n"
    "  VERZEICHNIS der Suche nicht lesbar, falscher Aufruf), 128 + Signalnummer nach\n"
    "  einem sofortigen Abbruch (130 Strg+C, 143 SIGTERM, 129 SIGHUP).\n";

// Options of the toolkit that still mean "start the window".
bool isWindowOption(const QByteArray& arg)
{
    static const char* const options[] = {"-platform",      "-platformpluginpath",
                                          "-platformtheme", "-plugin",
                                          "-qmljsdebugger", "-qwindowgeometry",
                                          "-qwindowicon",   "-qwindowtitle",
                                          "-reverse",       "-session",
                                          "-style",         "-stylesheet",
                                          "-widgetcount",   "-geometry",
                                          "-display",       "-title",
                                          "-name",          "-fontengine",
                                          "-nograb",        "-dograb",
                                          "-sync",          "-visual",
                                          "-ncols",         "-cmap"};
    for (const char* option : options)
        if (arg == option ||
            (arg.startsWith(option) && arg.at(qsizetype(std::strlen(option))) == '='))
            return true;
    return false;
}

using platform::writeAll;

void say(int fd, const QString& text)
{
    writeAll(fd, platform::encodeName(text) + '\n');
}

int usageError(const CommandLineIo& io, const QByteArray& what)
{
    writeAll(io.err, "tobrin: " + what + "\n\n" + HelpText);
    return 2;
}

QByteArray readAll(int fd)
{
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, n);
    }
    return data;
}

QByteArray currentDirectory()
{
    QByteArray buffer(PATH_MAX, '\0');
    while (!::getcwd(buffer.data(), size_t(buffer.size()))) {
        if (errno != ERANGE)
            return QByteArrayLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

// A path argument as a full path: relative ones below the current directory.
QByteArray absolute(const QByteArray& path, QByteArray& cwd)
{
    if (path.startsWith('/'))
        return path;
    if (cwd.isEmpty()) {
        cwd = currentDirectory();
        if (!cwd.endsWith('/'))
            cwd += '/';
    }
    return cwd + path;
}

// A directory argument as the full directory path the status text names: absolute,
// single slashes, ending in "/". "." and ".." are resolved by the file system itself,
// since a step back over a link does not lead where the text suggests.
QString directoryArgument(const QByteArray& arg)
{
    QByteArray cwd;
    QByteArray path = absolute(arg, cwd);
    bool dots = false;
    for (const QByteArray& step : path.split('/'))
        dots = dots || step == "." || step == "..";
    if (dots) {
        if (char* real = ::realpath(path.constData(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    QByteArray clean;
    clean.reserve(path.size() + 1);
    for (char c : path)
        if (c != '/' || !clean.endsWith('/'))
            clean += c;
    if (!clean.endsWith('/'))
        clean += '/';
    return platform::decodeName(clean);
}

// ---- search ------------------------------------------------------------------------

int runSearch(const QList<QByteArray>& args, const CommandLineIo& io)
{
    bool nul = false;
    bool optionsEnd = false;
    QList<QByteArray> positional;
    for (const QByteArray& arg : args) {
        if (!optionsEnd && arg == "--")
            optionsEnd = true;
        else if (!optionsEnd && arg == "-0")
            nul = true;
        else if (!optionsEnd && arg.startsWith('-') && arg.size() > 1)
            return usageError(io, "unbekannte Option " + arg);
        else
            positional.append(arg);
    }
    if (positional.size() != 2)
        return usageError(io, "search erwartet VERZEICHNIS und MASKE");

    const char end = nul ? '\0' : '\n';
    QByteArray out;
    const bool read = SucheDateienStream(
        platform::encodeName(directoryArgument(positional[0])), platform::decodeName(positional[1]),
        [&](const QByteArray& path) {
            out += path;
            out += end;
            if (out.size() >= (1 << 16)) {
                writeAll(io.out, out);
                out.clear();
            }
        });
    if (!read) {
        const int error = platform::lastError();
        writeAll(io.err, "tobrin: " + positional[0] + ": " +
                             platform::errorText(error ? error : ENOTDIR).toUtf8() + '\n');
        return 2;
    }
    writeAll(io.out, out);
    return 0;
}

// ---- transfer ----------------------------------------------------------------------

// The first SIGINT asks to stop after the current file; a second one, SIGTERM or SIGHUP
// stops the current file at once (it stays listed, nothing is left of it).
volatile sig_atomic_t g_interrupted = 0;
volatile sig_atomic_t g_stopSignal = 0;

void onInterrupt(int signal)
{
    if (signal != SIGINT || g_interrupted)
        g_stopSignal = signal;
    g_interrupted = 1;
}

class InterruptGuard
{
public:
    InterruptGuard()
    {
        g_interrupted = 0;
        g_stopSignal = 0;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int i = 0; i < Signals; ++i)
            ::sigaction(SignalList[i], &action, &m_previous[i]);
    }
    ~InterruptGuard()
    {
        for (int i = 0; i < Signals; ++i)
            ::sigaction(SignalList[i], &m_previous[i], nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    static constexpr int Signals = 3;
    static constexpr int SignalList[Signals] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_previous[Signals] = {};
};

class CommandLineHooks : public TransferHooks
{
public:
    CommandLineHooks(const CollectionList& list, const CommandLineIo& io)
        : m_list(list), m_io(io), m_progress(::isatty(io.err) == 1)
    {
        m_shown.start();
    }
    ~CommandLineHooks() override { clearProgress(); }
    CommandLineHooks(const CommandLineHooks&) = delete;
    CommandLineHooks& operator=(const CommandLineHooks&) = delete;

    bool aborted() override { return g_interrupted != 0; }
    bool fileProgress(qint64, qint64) override { return g_stopSignal == 0; }
    void lineRemoved(int) override { ++m_transferred; }
    void lineFailed(const QString& line, const QString& reason) override
    {
        clearProgress();
        writeAll(m_io.err, platform::encodeName(line) + ": " + reason.toUtf8() + '\n');
    }
    void afterFile() override
    {
        ++m_done;
        if (m_io.afterFile)
            m_io.afterFile();
        if (m_progress && (!m_drawn || m_shown.elapsed() >= 100)) {
            m_shown.restart();
            const int failed = m_done - m_transferred;
            writeAll(m_io.err, QStringLiteral("\r%1 übertragen, %2 fehlgeschlagen, %3 offen\x1b[K")
                                   .arg(m_transferred)
                                   .arg(failed)
                                   .arg(m_list.count() - failed)
                                   .toUtf8());
            m_drawn = true;
        }
    }

private:
    void clearProgress()
    {
        if (m_progress && m_drawn)
            writeAll(m_io.err, "\r\x1b[K");
        m_drawn = false;
    }

    const CollectionList& m_list;
    const CommandLineIo& m_io;
    const bool m_progress;
    bool m_drawn = false;
    int m_done = 0;
    int m_transferred = 0;
    QElapsedTimer m_shown;
};

QStringList readList(const CommandLineIo& io, bool nul)
{
    const QByteArray data = readAll(io.in);
    // Lines are taken as they are (or as the quoted path of a list file): one that is
    // not an absolute path fails in the transfer and stays listed, rather than naming a
    // file of the current directory.
    if (!nul)
        return parseListFile(data);
    QStringList lines;
    for (const QByteArray& line : data.split('\0'))
        if (!line.isEmpty())
            lines.append(platform::decodeName(line));
    return lines;
}

bool writeList(const QByteArray& file, const CollectionList& list, bool nul)
{
    QByteArray data;
    if (nul) {
        for (int i = 0, n = list.count(); i < n; ++i) {
            data += platform::encodeName(list.line(i));
            data += '\0';
        }
    } else {
        data = listFileText(list.lines());
    }
    return platform::writeFileInPlace(platform::decodeName(file), data);
}

int runTransfer(const QList<QByteArray>& args, const CommandLineIo& io)
{
    TransferOptions options;
    bool nul = false;
    bool optionsEnd = false;
    QByteArray failedFile;
    bool failedWanted = false;
    QList<QByteArray> positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray& arg = args[i];
        if (optionsEnd || !arg.startsWith('-') || arg.size() == 1) {
            positional.append(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg == "--move") {
            options.copy = false;
        } else if (arg == "--no-overwrite") {
            options.noOverwrite = true;
        } else if (arg == "--ignore-attributes") {
            options.ignoreAttributes = true;
        } else if (arg == "--keep-structure") {
            options.keepStructure = true;
        } else if (arg == "-0") {
            nul = true;
        } else if (arg == "--failed") {
            if (++i == args.size())
                return usageError(io, "--failed erwartet eine DATEI");
            failedFile = args[i];
            failedWanted = true;
        } else if (arg.startsWith("--failed=")) {
            failedFile = arg.mid(9);
            failedWanted = true;
        } else {
            return usageError(io, "unbekannte Option " + arg);
        }
    }
    if (positional.size() != 1)
        return usageError(io, "transfer erwartet ein ZIELVERZEICHNIS");
    if (failedWanted && failedFile.isEmpty())
        return usageError(io, "--failed erwartet eine DATEI");

    CollectionList list;
    list.appendBatch(readList(io, nul));

    // The list that stays is recorded on every way out, refusals included.
    auto finish = [&](int rc) {
        if (failedWanted && !writeList(failedFile, list, nul)) {
            writeAll(io.err, "tobrin: " + failedFile + ": " + std::strerror(errno) + "\n");
            return rc == 0 ? 1 : rc;
        }
        return rc;
    };
    auto refuse = [&](QString text) {
        say(io.err, text.replace(QLatin1Char('\r'), QLatin1Char('\n')));
        return finish(2);
    };

    // An empty argument is an unset variable, never the current directory.
    if (positional[0].isEmpty())
        return refuse(QStringLiteral("tobrin: ZIELVERZEICHNIS ist leer"));
    const QString target = directoryArgument(positional[0]);
    if (!platform::isDirectory(target))
        return refuse(TextKeinZiel);
    if (list.isEmpty())
        return refuse(TextListeLeer);
    const SpaceCheck space = checkFreeSpace(list, target, !options.copy);
    if (!space.passes)
        return refuse(space.refusalText());

    // Until the failed list is written: a second Ctrl+C must not end the program first.
    const InterruptGuard interrupt;
    TransferResult result;
    {
        CommandLineHooks hooks(list, io);
        result = Uebertragen(list, target, options, hooks);
    }
    if (result.aborted) {
        const int signal = g_stopSignal;
        say(io.err, QStringLiteral("%1: %2 Dateien übertragen, %3 bleiben in der Liste")
                        .arg(signal ? QStringLiteral("Abgebrochen") : QStringLiteral("Angehalten"))
                        .arg(result.transferred)
                        .arg(list.count()));
        return finish(signal ? 128 + signal : 1);
    }
    say(io.out, result.statusText);
    return finish(list.isEmpty() ? 0 : 1);
}

} // namespace

int runCommandLine(const QList<QByteArray>& args, const CommandLineIo& io, bool& handled)
{
    handled = !args.isEmpty() && !isWindowOption(args.first());
    if (!handled)
        return 0;
    const QByteArray& command = args.first();
    const QList<QByteArray> rest = args.mid(1);
    if (command == "search")
        return runSearch(rest, io);
    if (command == "transfer")
        return runTransfer(rest, io);
    if (command == "--version" && rest.isEmpty()) {
        QString version;
        installer::VersionText(version);
        writeAll(io.out, "Tobrin " + version.toUtf8() + '\n');
        return 0;
    }
    if ((command == "--help" || command == "-h") && rest.isEmpty()) {
        writeAll(io.out, HelpText);
        return 0;
    }
    return usageError(io, "unbekannter Aufruf " + command);
}

int runCommandLine(int argc, char** argv, bool& handled)
{
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    return runCommandLine(args, CommandLineIo{}, handled);
}
