#include "app/commandline.h"
#include "core/filecollector.h"
#include "core/transferengine.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"
#include "version.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>

namespace {

struct CliRun
{
    int rc = -1;
    bool handled = false;
    QByteArray out;
    QByteArray err;
};

QByteArray readBack(int fd)
{
    QByteArray data;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, n);
    ::close(fd);
    return data;
}

// Runs the command line in this process with standard input, output and error in
// memory files.
CliRun cli(const QList<QByteArray>& args, const QByteArray& input = {},
           std::function<void()> afterFile = {}, int errFd = -1)
{
    const int in = ::memfd_create("in", 0);
    const int out = ::memfd_create("out", 0);
    const int err = errFd >= 0 ? errFd : ::memfd_create("err", 0);
    if (::write(in, input.constData(), size_t(input.size())) != input.size())
        ADD_FAILURE() << "writing the input failed";
    ::lseek(in, 0, SEEK_SET);
    CliRun r;
    r.rc = runCommandLine(args, CommandLineIo{in, out, err, std::move(afterFile)}, r.handled);
    ::close(in);
    r.out = readBack(out);
    if (errFd < 0)
        r.err = readBack(err);
    return r;
}

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// Keeps the working directory of the test process.
struct ChangeDir
{
    explicit ChangeDir(const QByteArray& dir)
    {
        if (!::getcwd(previous, sizeof previous) || ::chdir(dir.constData()) != 0)
            ADD_FAILURE() << "chdir failed";
    }
    ~ChangeDir()
    {
        if (::chdir(previous) != 0)
            ADD_FAILURE() << "chdir back failed";
    }
    char previous[4096] = {};
};

class CommandLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* d : {"src", "src/b", "dst"})
            fixture::makeDir(tmp / d);
        fixture::writeFile(tmp / "src/x.txt", "x");
        fixture::writeFile(tmp / "src/b/y.txt", "y");
        fixture::writeFile(tmp / "src/caf\xe9.txt", "c");
        fixture::writeFile(tmp / "src/z.doc", "z");
    }

    TempDir tmp;
};

} // namespace

TEST(CommandLineCalls, WindowVersionHelpAndUsage)
{
    EXPECT_FALSE(cli({}).handled);
    EXPECT_FALSE(cli({"-platform", "offscreen"}).handled);
    char program[] = "tobrin";
    char* argv[] = {program, nullptr};
    bool handled = true;
    runCommandLine(1, argv, handled);
    EXPECT_FALSE(handled);

    CliRun r = cli({"--version"});
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, QByteArray("Tobrin ") + QByteArray::number(TOBRIN_VERSION_MAJOR) + "." +
                         QByteArray::number(TOBRIN_VERSION_MINOR) + "." +
                         QByteArray::number(TOBRIN_VERSION_RELEASE) +
                         " Build: " + QByteArray::number(TOBRIN_VERSION_BUILD) + "\n");

    r = cli({"--help"});
    EXPECT_EQ(r.rc, 0);
    for (const char* part : {"tobrin search [-0]", "--keep-structure", "--failed", "--move"})
        EXPECT_TRUE(r.out.contains(part)) << part;

    const QList<QList<QByteArray>> wrong = {
        {"frobnicate"},
        {"search", "dir"},
        {"search", "-x", "dir", "*"},
        {"transfer"},
        {"transfer", "a", "b"},
        {"transfer", "--bogus", "a"},
        {"transfer", "--failed"},
    };
    for (const QList<QByteArray>& args : wrong) {
        r = cli(args);
        EXPECT_EQ(r.rc, 2) << args.join(' ').constData();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("tobrin: "));
    }
}

// The search prints what the search command collects, in its order, as the bytes of
// the names; -0 ends each path with NUL; a relative directory becomes a full path.
TEST_F(CommandLine, SearchPrintsThePathsAsBytes)
{
    QStringList expected;
    SucheDateien(q(tmp / "src/"), QStringLiteral("*.TXT"), expected, true);
    ASSERT_EQ(expected.size(), 3);
    QByteArray lines, nul;
    for (const QString& path : expected) {
        lines += platform::encodeName(path) + '\n';
        nul += platform::encodeName(path) + '\0';
    }
    EXPECT_TRUE(lines.contains("/src/caf\xe9.txt\n"));

    CliRun r = cli({"search", tmp / "src", "*.TXT"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, lines);
    EXPECT_EQ(cli({"search", "-0", tmp / "src/", "*.TXT"}).out, nul);
    {
        ChangeDir here(tmp.path());
        EXPECT_EQ(cli({"search", "src", "*.TXT"}).out, lines);
        EXPECT_EQ(cli({"search", "./src/b/..", "*.TXT"}).out, lines);
    }
    r = cli({"search", tmp / "src", "*.txt;*.doc"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(r.out.isEmpty());
    // A folder that cannot be searched is an error here (the window stays silent).
    r = cli({"search", tmp / "missing", "*"});
    EXPECT_EQ(r.rc, 2);
    EXPECT_EQ(r.err, "tobrin: " + tmp / "missing: " + platform::encodeName(platform::errorText(ENOENT)) + "\n");
    EXPECT_EQ(cli({"search", tmp / "src/x.txt", "*"}).rc, 2);
}

// The closing text on standard output with the target as a full directory path, the
// exit code, and the failed lines in the input's format.
TEST_F(CommandLine, TransferStatusExitCodeAndFailedList)
{
    const QByteArray x = tmp / "src/x.txt", raw = tmp / "src/caf\xe9.txt";
    const QByteArray missing = tmp / "src/missing.txt";
    const QByteArray failed = tmp / "failed.lst";
    const QByteArray t = tmp / "dst/";

    CliRun r = cli({"transfer", "--failed", failed, t.chopped(1)}, x + "\n" + raw + "\n");
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "2 Dateien in " + t + " kopiert\n");
    EXPECT_TRUE(r.err.isEmpty()); // no progress: standard error is not a terminal
    EXPECT_EQ(fixture::readFile(t + "caf\xe9.txt"), "c");
    EXPECT_EQ(fixture::readFile(failed), "");

    // Don't overwrite: both exist now, so nothing goes; NUL-separated in and out.
    r = cli({"transfer", "-0", "--no-overwrite", "--failed=" + failed, t},
            x + '\0' + missing + '\0' + raw + '\0');
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "0 Dateien in " + t + " kopiert\n");
    EXPECT_EQ(fixture::readFile(failed), x + '\0' + missing + '\0' + raw + '\0');
    // Each failed line with its reason.
    EXPECT_EQ(r.err, x + ": Datei existiert bereits\n" + missing +
                         ": Quelldatei nicht gefunden\n" + raw + ": Datei existiert bereits\n");

    // A move with keep structure and a relative target. A relative line fails and stays:
    // a name with a line break, piped without -0, must not name a file of the current
    // directory ("src/a" + newline + "x.txt" here).
    fixture::writeFile(tmp / "x.txt", "here");
    {
        ChangeDir here(tmp.path());
        r = cli({"transfer", "--move", "--keep-structure", "--failed", "failed.lst", "./dst/."},
                x + "\n\n" + tmp / "src/a\nx.txt\n");
    }
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "1 Dateien in " + t + " verschoben\n");
    EXPECT_EQ(fixture::readFile(failed), tmp / "src/a\nx.txt\n");
    EXPECT_EQ(r.err, tmp / "src/a: Quelldatei nicht gefunden\nx.txt: Kein absoluter Pfad\n");
    EXPECT_EQ(fixture::readFile(t + x.mid(1)), "x");
    EXPECT_FALSE(fixture::exists(x));
    EXPECT_EQ(fixture::readFile(tmp / "x.txt"), "here");
}

// Refusals: exit 2, the message on standard error, nothing transferred, and the whole
// list recorded as failed.
TEST_F(CommandLine, Refusals)
{
    const QByteArray failed = tmp / "failed.lst";
    const QByteArray x = tmp / "src/x.txt";
    struct Case
    {
        QByteArray target;
        QByteArray input;
        QByteArray err;
    } const cases[] = {
        {tmp / "dst", "", "Keine Dateien in der Liste\n"},
        {tmp / "dst", "\n\n", "Keine Dateien in der Liste\n"},
        {tmp / "nowhere", x + "\n", platform::encodeName(TextKeinZiel) + "\n"},
        {x, x + "\n", platform::encodeName(TextKeinZiel) + "\n"},
        // An unset variable: never the current directory.
        {"", x + "\n", "tobrin: ZIELVERZEICHNIS ist leer\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = cli({"transfer", "--failed", failed, c.target}, c.input);
        EXPECT_EQ(r.rc, 2) << c.target.constData();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(fixture::readFile(failed), c.input.trimmed().isEmpty() ? "" : c.input);
    }
    EXPECT_EQ(fixture::names(tmp / "dst"), QList<QByteArray>{});

    const QByteArray mnt = tmp / "mnt";
    if (!fixture::mountTmpfs(mnt, "16k"))
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct statvfs vfs;
    ::statvfs(mnt.constData(), &vfs);
    const qint64 freeKb = qint64(vfs.f_bavail) * qint64(vfs.f_frsize) / 1024;
    fixture::makeSparse(tmp / "src/big", 1 << 20);
    const CliRun r = cli({"transfer", "--failed", failed, mnt}, tmp / "src/big\n" + x + "\n");
    fixture::unmount(mnt);
    EXPECT_EQ(r.rc, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err, QByteArray("Nicht ausreichend freier Speicher vorhanden\nBenötigt: 1024\n"
                                "vorhanden: ") +
                         QByteArray::number(freeKb) + " KB\n");
    EXPECT_EQ(fixture::readFile(failed), tmp / "src/big\n" + x + "\n");
}

// SIGINT during the third of five files: that one completes, the rest stays listed,
// exit 1 and no closing text; afterwards SIGINT means what it meant before.
TEST_F(CommandLine, InterruptStopsAfterTheCurrentFile)
{
    QByteArray input;
    for (int i = 1; i <= 5; ++i) {
        const QByteArray f = tmp / "src/f" + QByteArray::number(i);
        fixture::writeFile(f, "f");
        input += f + "\n";
    }
    struct sigaction before = {};
    ::sigaction(SIGINT, nullptr, &before);
    int files = 0;
    const CliRun r = cli({"transfer", "--failed", tmp / "failed.lst", tmp / "dst"}, input, [&] {
        if (++files == 3)
            ::raise(SIGINT);
    });
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(files, 3);
    EXPECT_EQ(fixture::readFile(tmp / "failed.lst"), tmp / "src/f4\n" + tmp / "src/f5\n");
    EXPECT_EQ(fixture::names(tmp / "dst"), (QList<QByteArray>{"f1", "f2", "f3"}));
    struct sigaction after = {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

namespace {
// Starts program with args, in as its standard input and err as its standard error
// (both closed here once the child has them). The window, if any, draws offscreen.
pid_t spawn(const QByteArray& program, const QList<QByteArray>& args, int in, int err)
{
    std::vector<QByteArray> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in, 0);
        ::dup2(err, 2);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in);
    ::close(err);
    return pid;
}

// The program itself, started on a list, with its standard error in a file.
struct Program
{
    Program(const QList<QByteArray>& args, const QByteArray& input, const QByteArray& dir)
    {
        fixture::writeFile(dir + "input", input);
        pid = spawn(TOBRIN_BINARY, args, ::open((dir + "input").constData(), O_RDONLY | O_CLOEXEC),
                    ::open((dir + "stderr").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    }

    // Waits until the program writes an unnamed file in dir (a file under way) after
    // the file done has appeared there. An unnamed file shows as "dir/#INODE (deleted)"
    // among the program's descriptors, also for a moment after it got its name, so the
    // one of done itself does not count.
    bool waitForUnnamedFileIn(const QByteArray& dir, const QByteArray& done)
    {
        const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd/";
        for (int round = 0; round < 100000; ++round) {
            struct stat finished;
            if (::stat((dir + "/" + done).constData(), &finished) != 0) {
                ::usleep(100);
                continue;
            }
            const QByteArray other = dir + "/#";
            for (const QByteArray& fd : fixture::names(fds)) {
                char link[4096];
                const ssize_t n = ::readlink((fds + fd).constData(), link, sizeof link);
                const QByteArray target(link, n > 0 ? n : 0);
                if (target.startsWith(other) &&
                    target.mid(other.size()).split(' ').first().toULongLong() != finished.st_ino)
                    return true;
            }
            ::usleep(100);
        }
        return false;
    }

    // Whether a signal is still waiting to be handled.
    bool pending(int signal) const
    {
        const QByteArray status =
            fixture::readFile("/proc/" + QByteArray::number(pid) + "/status");
        for (const QByteArray& line : status.split('\n'))
            if (line.startsWith("ShdPnd:") || line.startsWith("SigPnd:"))
                if (line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ULL << (signal - 1)))
                    return true;
        return false;
    }

    int wait()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    pid_t pid = -1;
};
} // namespace

namespace {
// The files a started program has mapped (/proc/PID/maps), read once it runs program
// and not the test's own forked image any more, and until check is satisfied or ten
// seconds have passed.
QByteArray mappedFiles(pid_t pid, const QByteArray& program,
                       const std::function<bool(const QByteArray&)>& check)
{
    const QByteArray proc = "/proc/" + QByteArray::number(pid);
    char real[PATH_MAX];
    const QByteArray running = ::realpath(program.constData(), real) ? QByteArray(real) : program;
    QByteArray maps;
    for (int i = 0; i < 1000; ++i, ::usleep(10000)) {
        char exe[4096];
        const ssize_t n = ::readlink((proc + "/exe").constData(), exe, sizeof exe);
        if (n <= 0 || QByteArray(exe, n) != running)
            continue;
        maps = fixture::readFile(proc + "/maps");
        if (check(maps))
            break;
    }
    return maps;
}

// Starts path with args, standard input from a pipe that stays open (so a transfer
// waits for its list), standard error into errFile.
pid_t start(const QByteArray& path, const QList<QByteArray>& args, int& input,
            const QByteArray& errFile)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    input = fds[1];
    return spawn(path, args, fds[0],
                 ::open(errFile.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
}

int waitFor(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}
} // namespace

// The command line runs without the window's libraries; without a command the program
// opens its window from the module beside it, and says so when that module is missing.
TEST_F(CommandLine, WindowLibrariesOnlyForTheWindow)
{
    int input = -1;
    pid_t pid = start(TOBRIN_BINARY, {"transfer", tmp / "dst"}, input, tmp / "err1");
    ASSERT_GT(pid, 0);
    // It waits for its list on standard input, with everything it needs loaded.
    QByteArray maps = mappedFiles(pid, TOBRIN_BINARY,
                                  [](const QByteArray& m) { return m.contains("libQt6Core"); });
    EXPECT_TRUE(maps.contains("libQt6Core")) << maps.constData();
    for (const char* library : {"libQt6Gui", "libQt6Widgets", "libQt6Network", "tobrin-window"})
        EXPECT_FALSE(maps.contains(library)) << library;
    ::close(input);
    EXPECT_EQ(waitFor(pid), 2); // an empty list

    pid = start(TOBRIN_BINARY, {}, input, tmp / "err2");
    ASSERT_GT(pid, 0);
    maps = mappedFiles(pid, TOBRIN_BINARY, [](const QByteArray& m) {
        return m.contains("tobrin-window.so") && m.contains("libQt6Widgets");
    });
    EXPECT_TRUE(maps.contains("tobrin-window.so"));
    EXPECT_TRUE(maps.contains("libQt6Widgets"));
    ::kill(pid, SIGKILL);
    waitFor(pid);
    ::close(input);

    // A copy of the program without its module.
    const QByteArray alone = tmp / "alone";
    fixture::writeFile(alone, fixture::readFile(TOBRIN_BINARY));
    ASSERT_EQ(::chmod(alone.constData(), 0755), 0);
    pid = start(alone, {}, input, tmp / "err3");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(waitFor(pid), 1);
    ::close(input);
    EXPECT_TRUE(fixture::readFile(tmp / "err3").startsWith("tobrin: Das Fenster lässt sich nicht "
                                                            "laden: "))
        << fixture::readFile(tmp / "err3").constData();
    // Its command line still works.
    pid = start(alone, {"--version"}, input, tmp / "err4");
    ::close(input);
    EXPECT_EQ(waitFor(pid), 0);

    // A module beside it that everyone may write, or that a user owns who neither runs
    // nor owns the program, is not run; one of the program's owner is (a build started
    // with sudo).
    const QByteArray program = TOBRIN_BINARY;
    const QByteArray module = program.left(program.lastIndexOf('/') + 1) + "tobrin-window.so";
    const QByteArray planted = tmp / "tobrin-window.so";
    fixture::writeFile(planted, fixture::readFile(module));
    const uid_t nobody = 65534;
    struct Case
    {
        mode_t mode;
        uid_t moduleOwner;
        uid_t programOwner;
        bool runs;
    } cases[] = {
        {0777, ::geteuid(), ::geteuid(), false},
        {0755, nobody, ::geteuid(), false},
        {0755, nobody, nobody, true},
    };
    for (const Case& c : cases) {
        if ((c.moduleOwner != ::geteuid() || c.programOwner != ::geteuid()) && ::geteuid() != 0)
            continue; // only root can give a file away
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.moduleOwner << " " << c.programOwner);
        ASSERT_EQ(::chmod(planted.constData(), c.mode), 0);
        ASSERT_EQ(::chown(planted.constData(), c.moduleOwner, -1), 0);
        ASSERT_EQ(::chown(alone.constData(), c.programOwner, -1), 0);
        const QByteArray errFile = tmp / ("err-" + QByteArray::number(c.moduleOwner) + "-" +
                                          QByteArray::number(c.programOwner));
        pid = start(alone, {}, input, errFile);
        ASSERT_GT(pid, 0);
        if (c.runs) {
            const QByteArray running = mappedFiles(pid, alone, [](const QByteArray& m) {
                return m.contains("tobrin-window.so") && m.contains("libQt6Widgets");
            });
            EXPECT_TRUE(running.contains("tobrin-window.so"));
            ::kill(pid, SIGKILL);
            waitFor(pid);
        } else {
            EXPECT_EQ(waitFor(pid), 1);
            const QByteArray err = fixture::readFile(errFile);
            EXPECT_TRUE(err.contains("gehört einem anderen Benutzer oder ist für alle beschreibbar"))
                << err.constData();
        }
        ::close(input);
    }
}

// Killed in the middle of a large file, or stopped there at once: the files done so
// far are complete, the one under way has left nothing, and a stop records it with the
// rest as failed (exit 128 + signal).
TEST_F(CommandLine, KilledOrStoppedMidFileLeavesNoDebris)
{
    const QByteArray big = tmp / "src/big.bin";
    {
        const int fd = ::open(big.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray block(1 << 20, 'b');
        for (int i = 0; i < 384; ++i)
            ASSERT_EQ(::write(fd, block.constData(), size_t(block.size())), block.size());
        ::close(fd);
    }
    const QByteArray list = tmp / "src/x.txt\n" + big + "\n" + tmp / "src/b/y.txt\n";
    const struct
    {
        const char* what;
        std::vector<int> sent;
        int exit;
    } cases[] = {
        {"SIGKILL", {SIGKILL}, 1000 + SIGKILL},
        {"SIGTERM", {SIGTERM}, 128 + SIGTERM},
        {"second SIGINT", {SIGINT, SIGINT}, 128 + SIGINT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::removeTree(tmp / "dst");
        fixture::makeDir(tmp / "dst");
        ::unlink((tmp / "failed.lst").constData());
        Program program({"transfer", "--failed", tmp / "failed.lst", tmp / "dst"}, list,
                        tmp.path());
        ASSERT_TRUE(program.waitForUnnamedFileIn(tmp / "dst", "x.txt"));
        // The program is held while each signal is sent and until it has taken it, so
        // that a busy machine cannot let the large file end between the two SIGINTs.
        for (const int signal : c.sent) {
            ::kill(program.pid, SIGSTOP);
            ::kill(program.pid, signal);
            ::kill(program.pid, SIGCONT);
            while (signal != SIGKILL && program.pending(signal))
                ::usleep(100);
            if (signal != SIGKILL)
                ::kill(program.pid, SIGSTOP);
        }
        ::kill(program.pid, SIGCONT);
        EXPECT_EQ(program.wait(), c.exit);
        EXPECT_EQ(fixture::names(tmp / "dst"), QList<QByteArray>{"x.txt"});
        if (c.exit < 1000) {
            EXPECT_EQ(fixture::readFile(tmp / "failed.lst"), big + "\n" + tmp / "src/b/y.txt\n");
            EXPECT_TRUE(fixture::readFile(tmp / "stderr").contains("Abgebrochen: 1 Dateien"));
        }
    }
}

// On a terminal, standard error shows the progress and clears it at the end.
TEST_F(CommandLine, ProgressOnlyOnATerminal)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo terminal here";
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    const CliRun r = cli({"transfer", tmp / "dst"}, tmp / "src/x.txt\n", {}, slave);
    ::close(slave);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "1 Dateien in " + tmp / "dst/ kopiert\n");
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QByteArray shown;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(master, buffer, sizeof buffer)) > 0)
        shown.append(buffer, n);
    ::close(master);
    EXPECT_TRUE(shown.contains("1 übertragen, 0 fehlgeschlagen, 0 offen")) << shown.constData();
    EXPECT_TRUE(shown.endsWith("\r\x1b[K"));
}

// The list file of the window: quoted lines carry names a line cannot hold, and the
// failed list is written the same way, so it reads back as it was.
TEST_F(CommandLine, TransferReadsAndWritesListFiles)
{
    fixture::writeFile(tmp / "src/a\nb.txt", "ab");
    fixture::writeFile(tmp / "src/back\\slash.txt", "bs");
    const QByteArray failed = tmp / "failed.lst";
    const QByteArray t = tmp / "dst/";
    const QByteArray list = "\"" + tmp / "src/a\\nb.txt\"\n" + tmp / "src/back\\slash.txt\n" +
                            "\"" + tmp / "src/caf\\xe9.txt\"\n" + tmp / "src/caf\xe9.txt\n";
    CliRun r = cli({"transfer", "--failed", failed, t}, list);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "3 Dateien in " + t + " kopiert\n");
    EXPECT_EQ(fixture::readFile(t + "a\nb.txt"), "ab");
    EXPECT_EQ(fixture::readFile(t + "back\\slash.txt"), "bs");
    EXPECT_EQ(fixture::readFile(t + "caf\xe9.txt"), "c");
    // The raw line named the file just copied: it stays, written as the window would.
    EXPECT_EQ(r.err, tmp / "src/caf\xe9.txt: Am Ziel liegt schon eine Datei aus dieser "
                           "\xc3\x9c" "bertragung\n");
    EXPECT_EQ(fixture::readFile(failed), "\"" + tmp / "src/caf\\xe9.txt\"\n");

    // Fed back, the failed list names the same file.
    r = cli({"transfer", "--no-overwrite", "--failed", failed, t}, fixture::readFile(failed));
    EXPECT_EQ(r.err, tmp / "src/caf\xe9.txt: Datei existiert bereits\n");
    EXPECT_EQ(fixture::readFile(failed), "\"" + tmp / "src/caf\\xe9.txt\"\n");
}
