// The file list's clipboard against another X11 client (xclip), on a private Xvfb
// display. The list runs in a child process (this test program started again on that
// display), since the clipboard's content lives only as long as the program that set
// it and this process runs offscreen.
#include "explorer/lang/qvconsts.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shelloperations.h"
#include "messagerecorder.h"
#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray Latin1Name = "gr\xfc\xdf.txt"; // not UTF-8

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// A private X server for one test; the display number comes back through -displayfd.
class Xvfb
{
public:
    Xvfb()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, STDOUT_FILENO);
            ::dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                     "640x480x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        QByteArray number;
        pollfd p{fds[0], POLLIN, 0};
        while (!number.endsWith('\n') && ::poll(&p, 1, 10000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1)
                break;
            number += c;
        }
        ::close(fds[0]);
        if (number.endsWith('\n'))
            m_display = ":" + number.trimmed();
    }
    ~Xvfb()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    const QByteArray& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
};

QProcessEnvironment displayEnv(const QByteArray& display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

QByteArray xclipOut(const QByteArray& display, const char* target)
{
    QProcess xclip;
    xclip.setProcessEnvironment(displayEnv(display));
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
                 QStringLiteral("-t"), QString::fromLatin1(target)});
    xclip.waitForFinished(10000);
    return xclip.readAllStandardOutput();
}

// This test program again, running the child test in mode on the display.
QProcess* startChild(const QByteArray& display, const char* mode, const QByteArray& dir)
{
    auto* child = new QProcess;
    QProcessEnvironment env = displayEnv(display);
    env.insert(QStringLiteral("TOBRIN_X11_CHILD"), QString::fromLatin1(mode));
    env.insert(QStringLiteral("TOBRIN_X11_DIR"), q(dir));
    child->setProcessEnvironment(env);
    child->setProcessChannelMode(QProcess::ForwardedChannels);
    child->start(QStringLiteral("/proc/self/exe"),
                 {QStringLiteral("--gtest_filter=ClipboardX11Child.*")});
    return child;
}

bool waitFor(const QByteArray& path, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!fixture::exists(path) && clock.elapsed() < ms)
        QTest::qWait(20);
    return fixture::exists(path);
}

class ClipboardX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            GTEST_SKIP() << "Xvfb or xclip is not installed (apt-get install xvfb xclip)";
        xvfb = std::make_unique<Xvfb>();
        if (xvfb->display().isEmpty())
            GTEST_SKIP() << "Xvfb did not start";
        fixture::makeDir(tmp / "src");
        fixture::makeDir(tmp / "dst");
        for (const QByteArray& name : {QByteArray("a b.txt"), Latin1Name})
            fixture::writeFile(tmp / "src/" + name, name);
    }

    TempDir tmp;
    std::unique_ptr<Xvfb> xvfb;
};

} // namespace

// Files copied (or cut) in the list, as xclip reads each format.
TEST_F(ClipboardX11, ListCopyAndCutAsOtherProgramsReadThem)
{
    const QByteArray a = platform::fileUri(q(tmp / "src/a b.txt"));
    const QByteArray b = platform::fileUri(q(tmp / "src/" + Latin1Name));
    for (const char* mode : {"copy", "cut"}) {
        SCOPED_TRACE(mode);
        ::unlink((tmp / "ready").constData());
        ::unlink((tmp / "done").constData());
        std::unique_ptr<QProcess> child(startChild(xvfb->display(), mode, tmp.path()));
        ASSERT_TRUE(waitFor(tmp / "ready")) << "the list did not place its files";
        const bool cut = QByteArray(mode) == "cut";

        EXPECT_EQ(xclipOut(xvfb->display(), "text/uri-list"), a + "\r\n" + b + "\r\n");
        EXPECT_EQ(xclipOut(xvfb->display(), "x-special/gnome-copied-files"),
                  QByteArray(mode) + "\n" + a + "\n" + b);
        EXPECT_EQ(xclipOut(xvfb->display(), "application/x-kde-cutselection"), cut ? "1" : "0");
        EXPECT_EQ(xclipOut(xvfb->display(), "UTF8_STRING"),
                  tmp / "src/a b.txt\n" + tmp / "src/" + Latin1Name + "\n");

        fixture::writeFile(tmp / "done", "");
        EXPECT_TRUE(child->waitForFinished(20000));
        EXPECT_EQ(child->exitCode(), 0);
    }
}

// A cut another file manager placed in GNOME's form pastes as a move.
TEST_F(ClipboardX11, GnomeCutFromXclipPastesAsMove)
{
    QProcess xclip;
    xclip.setProcessEnvironment(displayEnv(xvfb->display()));
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                 QStringLiteral("clipboard"), QStringLiteral("-t"),
                 QStringLiteral("x-special/gnome-copied-files"), QStringLiteral("-i")});
    ASSERT_TRUE(xclip.waitForStarted());
    const QByteArray content = "cut\n" + platform::fileUri(q(tmp / "src/a b.txt")) + "\n" +
                               platform::fileUri(q(tmp / "src/" + Latin1Name));
    xclip.write(content);
    xclip.closeWriteChannel();
    QElapsedTimer clock;
    clock.start();
    while (xclipOut(xvfb->display(), "x-special/gnome-copied-files") != content &&
           clock.elapsed() < 10000)
        QTest::qWait(50);

    std::unique_ptr<QProcess> child(startChild(xvfb->display(), "paste", tmp.path()));
    EXPECT_TRUE(child->waitForFinished(30000));
    EXPECT_EQ(child->exitCode(), 0);
    EXPECT_EQ(fixture::names(tmp / "dst"), (QList<QByteArray>{"a b.txt", Latin1Name}));
    EXPECT_TRUE(fixture::names(tmp / "src").isEmpty());
    xclip.kill();
    xclip.waitForFinished();
}

// The list's side of the tests above; it runs only when they start it.
TEST(ClipboardX11Child, Run)
{
    const QByteArray mode = qgetenv("TOBRIN_X11_CHILD");
    if (mode.isEmpty())
        GTEST_SKIP() << "runs only as the child process of the ClipboardX11 tests";
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QByteArray dir = qgetenv("TOBRIN_X11_DIR");
    ScopedRecorder messages;
    TQvFilelistView28 view;
    view.SetLanguage(lnGerman);
    if (mode == "paste") {
        ClipOperation = opCopy; // our own last operation must not matter
        view.SetDirectory(q(dir + "dst"));
        view.PasteFiles();
        EXPECT_TRUE(messages->shown.isEmpty()) << messages->texts().join(u'|').toStdString();
        return;
    }
    view.SetDirectory(q(dir + "src"));
    for (int row = 0; row < view.ItemCount(); ++row)
        if (!view.ListModel()->Entry(row).isParent())
            view.selectionModel()->select(view.ListModel()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.CutCopy(mode == "cut" ? opMove : opCopy);
    fixture::writeFile(dir + "ready", "");
    // Serve the clipboard until the other side has read it.
    ASSERT_TRUE(waitFor(dir + "done", 30000));
}
