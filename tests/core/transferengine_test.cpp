#include "core/collectionlist.h"
#include "core/transferengine.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

struct stat statOf(const QByteArray& path)
{
    struct stat st = {};
    ::lstat(path.constData(), &st);
    return st;
}

// Records what the engine reports and lets a test act between two files.
struct Hooks : TransferHooks
{
    bool aborted() override { return abortFlag; }
    void afterFile() override
    {
        ++files;
        if (onAfterFile)
            onAfterFile(files);
    }
    void lineRemoved(int linesLeft) override { left.append(linesLeft); }
    void lineFailed(const QString& line, const QString& reason) override
    {
        failed.append(line + QStringLiteral(": ") + reason);
    }

    bool abortFlag = false;
    QStringList failed;
    int files = 0;
    QList<int> left;
    std::function<void(int)> onAfterFile;
};

class Transfer : public ::testing::Test
{
public:
    void SetUp() override
    {
        fixture::makeDir(src.chopped(1));
        fixture::makeDir(dst.chopped(1));
    }

    // Writes src/name (parents included) and returns its full path.
    QString source(const QByteArray& name, const QByteArray& content)
    {
        const qsizetype slash = name.lastIndexOf('/');
        if (slash > 0) {
            QByteArray part = src;
            for (const QByteArray& step : name.left(slash).split('/'))
                fixture::makeDir(part += step + '/');
        }
        fixture::writeFile(src + name, content);
        return q(src + name);
    }

    TransferResult run(CollectionList& list, const QByteArray& target, TransferOptions options,
                       Hooks& hooks)
    {
        return Uebertragen(list, q(target), options, hooks);
    }
    TransferResult run(CollectionList& list, TransferOptions options = {})
    {
        Hooks hooks;
        return run(list, dst, options, hooks);
    }

    QString status(int n, const QByteArray& target, bool copy)
    {
        return QString::number(n) + QStringLiteral(" Dateien in ") + q(target) +
               (copy ? QStringLiteral(" kopiert") : QStringLiteral(" verschoben"));
    }

    TempDir tmp;
    QByteArray src = tmp / "src/";
    QByteArray dst = tmp / "dst/";
};

// A small tmpfs for the duration of a test; mounted() is false where mounting is not
// allowed.
class Tmpfs
{
public:
    Tmpfs(const QByteArray& dir, const char* size) : m_dir(dir)
    {
        m_mounted = fixture::mountTmpfs(dir, size);
    }
    ~Tmpfs()
    {
        if (m_mounted)
            fixture::unmount(m_dir);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

#define REQUIRE_TMPFS(fs)                                                                          \
    if (!(fs).mounted())                                                                           \
    GTEST_SKIP() << "cannot mount a tmpfs here"

} // namespace

// Each line that went is taken out at once; the hooks hear about every file; the copy
// keeps mode and time; a link is copied as the file it points to; names that are not
// UTF-8 arrive as the same bytes.
TEST_F(Transfer, CopiesFlatAndTakesOutEachLine)
{
    CollectionList list;
    const QString a = source("a.txt", "alpha");
    ::chmod((src + "a.txt").constData(), 0640);
    const QString raw = source("sub/caf\xe9.txt", "raw");
    fixture::writeFile(tmp / "real.txt", "real");
    ASSERT_EQ(::symlink((tmp / "real.txt").constData(), (src + "link.txt").constData()), 0);
    list.appendBatch({a, raw, q(src + "link.txt")});

    Hooks hooks;
    const TransferResult r = run(list, dst.chopped(1), {}, hooks);
    EXPECT_EQ(r.transferred, 3);
    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.statusText, status(3, dst, true));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(hooks.left, (QList<int>{2, 1, 0}));
    EXPECT_EQ(hooks.files, 3);

    EXPECT_EQ(fixture::readFile(dst + "a.txt"), "alpha");
    EXPECT_EQ(fixture::readFile(dst + "caf\xe9.txt"), "raw");
    EXPECT_EQ(fixture::readFile(dst + "link.txt"), "real");
    EXPECT_TRUE(S_ISREG(statOf(dst + "link.txt").st_mode));
    EXPECT_EQ(statOf(dst + "a.txt").st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(dst + "a.txt").st_mtim.tv_sec, statOf(src + "a.txt").st_mtim.tv_sec);
    EXPECT_EQ(fixture::readFile(src + "a.txt"), "alpha"); // a copy leaves the source
}

// Every kind of failure, copying and moving: the line stays with its reason, the source
// and whatever was at the target are untouched, and the closing text counts nothing.
TEST_F(Transfer, FailuresKeepTheLineAndTouchNothing)
{
    struct Case
    {
        const char* what;
        std::function<QString(Transfer&)> setup; // returns the line
        const char* reason;
        TransferOptions options = {};
        bool sameDirTarget = false; // T is the source's own directory
    };
    const Case cases[] = {
        {"missing source", [](Transfer& t) { return q(t.src + "gone.txt"); },
         "Quelldatei nicht gefunden"},
        {"directory in the list",
         [](Transfer& t) {
             fixture::makeDir(t.src + "folder");
             return q(t.src + "folder");
         },
         "Keine gewöhnliche Datei"},
        {"named pipe in the list",
         [](Transfer& t) {
             ::mkfifo((t.src + "pipe").constData(), 0644);
             return q(t.src + "pipe");
         },
         "Keine gewöhnliche Datei"},
        {"target exists, don't overwrite",
         [](Transfer& t) {
             fixture::writeFile(t.dst + "f.txt", "old");
             return t.source("f.txt", "new");
         },
         "Datei existiert bereits", {.noOverwrite = true}},
        {"read-only target",
         [](Transfer& t) {
             fixture::writeFile(t.dst + "f.txt", "old");
             ::chmod((t.dst + "f.txt").constData(), 0444);
             return t.source("f.txt", "new");
         },
         "Ziel ist schreibgeschützt"},
        {"folder of that name at the target",
         [](Transfer& t) {
             fixture::makeDir(t.dst + "f.txt");
             return t.source("f.txt", "new");
         },
         "Am Ziel steht ein Ordner gleichen Namens"},
        {"hard link of the source at the target",
         [](Transfer& t) {
             const QString s = t.source("f.txt", "new");
             ::link((t.src + "f.txt").constData(), (t.dst + "f.txt").constData());
             return s;
         },
         "Quelle und Ziel sind dieselbe Datei"},
        {"same file", [](Transfer& t) { return t.source("f.txt", "new"); },
         "Quelle und Ziel sind dieselbe Datei", {}, true},
        // Without this, a file name holding a line break, piped to the command line,
        // named a file of the current directory.
        {"relative line",
         [](Transfer& t) {
             t.source("f.txt", "new");
             return QStringLiteral("f.txt");
         },
         "Kein absoluter Pfad"},
        // "/s/link/../f" is really "/other/f" but would have landed at T/s/f.
        {"dot steps",
         [](Transfer& t) {
             t.source("f.txt", "new");
             return q(t.src + "sub/../f.txt");
         },
         "Pfad mit leeren, \".\"- oder \"..\"-Schritten"},
        {"empty step",
         [](Transfer& t) {
             t.source("f.txt", "new");
             return q(t.src.chopped(1) + "//f.txt");
         },
         "Pfad mit leeren, \".\"- oder \"..\"-Schritten"},
    };
    for (const Case& c : cases) {
        for (const bool copy : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (copy ? " (copy)" : " (move)"));
            fixture::removeTree(src.chopped(1));
            fixture::removeTree(dst.chopped(1));
            SetUp();
            fixture::makeDir(src + "sub");
            CollectionList list;
            const QString line = c.setup(*this);
            list.appendBatch({line});
            const QList<QByteArray> before = fixture::names(dst.chopped(1));
            const QByteArray dstBefore =
                fixture::exists(dst + "f.txt") && !S_ISDIR(statOf(dst + "f.txt").st_mode)
                    ? fixture::readFile(dst + "f.txt")
                    : QByteArray();

            TransferOptions options = c.options;
            options.copy = copy;
            Hooks hooks;
            const QByteArray target = c.sameDirTarget ? src : dst;
            const TransferResult r = run(list, target, options, hooks);
            EXPECT_EQ(r.transferred, 0);
            EXPECT_EQ(r.statusText, status(0, target, copy));
            EXPECT_EQ(list.lines(), QStringList{line});
            EXPECT_EQ(hooks.failed, QStringList{line + QStringLiteral(": ") + QString::fromUtf8(c.reason)});
            EXPECT_EQ(hooks.files, 1);
            EXPECT_TRUE(hooks.left.isEmpty());
            EXPECT_EQ(fixture::names(dst.chopped(1)), before); // no partial or temporary file
            if (fixture::exists(src + "f.txt")) {
                EXPECT_EQ(fixture::readFile(src + "f.txt"), "new");
                if (!dstBefore.isEmpty()) {
                    EXPECT_EQ(fixture::readFile(dst + "f.txt"), dstBefore);
                }
            }
        }
    }
}

// Two files of one name: a file that was at the target before the run is replaced
// (unless "don't overwrite"), but one this run wrote never is: the second line fails
// and stays, and a move keeps its source.
TEST_F(Transfer, SameNameTwiceNeverReplacesAFileOfTheRun)
{
    for (const bool copy : {true, false}) {
        for (const bool noOverwrite : {false, true}) {
            SCOPED_TRACE(std::string(copy ? "copy" : "move") +
                         (noOverwrite ? ", don't overwrite" : ", overwrite"));
            const QString one = source("one/f.txt", "first");
            const QString two = source("two/f.txt", "second");
            fixture::writeFile(dst + "f.txt", "before the run");
            CollectionList list;
            list.appendBatch({one, two});
            TransferOptions options;
            options.copy = copy;
            options.noOverwrite = noOverwrite;
            const TransferResult r = run(list, options);
            EXPECT_EQ(r.transferred, noOverwrite ? 0 : 1);
            EXPECT_EQ(list.lines(), noOverwrite ? (QStringList{one, two}) : QStringList{two});
            EXPECT_EQ(fixture::readFile(dst + "f.txt"), noOverwrite ? "before the run" : "first");
            EXPECT_EQ(fixture::readFile(src + "two/f.txt"), "second");
            EXPECT_EQ(fixture::names(dst.chopped(1)), QList<QByteArray>{"f.txt"});
        }
    }
}

// Within one file system a move is a rename (same inode); the source folders stay,
// also when empty. The same path listed twice: the second line fails and stays.
TEST_F(Transfer, MoveWithinFileSystemRenames)
{
    const QString f = source("deep/er/f.txt", "data");
    const ino_t inode = statOf(src + "deep/er/f.txt").st_ino;
    fixture::writeFile(dst + "f.txt", "replaced");
    CollectionList list;
    list.appendBatch({f, f});
    TransferOptions options;
    options.copy = false;
    const TransferResult r = run(list, options);
    EXPECT_EQ(r.transferred, 1);
    EXPECT_EQ(r.statusText, status(1, dst, false));
    EXPECT_EQ(list.lines(), QStringList{f});
    EXPECT_EQ(statOf(dst + "f.txt").st_ino, inode);
    EXPECT_EQ(fixture::readFile(dst + "f.txt"), "data");
    EXPECT_FALSE(fixture::exists(src + "deep/er/f.txt"));
    EXPECT_TRUE(fixture::exists(src + "deep/er"));
}

// Onto another file system a move copies and then deletes; a move of a link moves the
// file's content and removes the link only.
TEST_F(Transfer, MoveAcrossFileSystems)
{
    Tmpfs fs(tmp / "mnt", "4m");
    REQUIRE_TMPFS(fs);
    const QString f = source("f.txt", "data");
    fixture::writeFile(tmp / "real.txt", "real");
    ASSERT_EQ(::symlink((tmp / "real.txt").constData(), (src + "link.txt").constData()), 0);
    CollectionList list;
    list.appendBatch({f, q(src + "link.txt")});
    TransferOptions options;
    options.copy = false;
    Hooks hooks;
    const TransferResult r = run(list, tmp / "mnt/", options, hooks);
    EXPECT_EQ(r.transferred, 2);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(fixture::readFile(tmp / "mnt/f.txt"), "data");
    EXPECT_EQ(fixture::readFile(tmp / "mnt/link.txt"), "real");
    EXPECT_FALSE(fixture::exists(src + "f.txt"));
    EXPECT_FALSE(fixture::exists(src + "link.txt"));
    EXPECT_EQ(fixture::readFile(tmp / "real.txt"), "real");
}

// A full disk in the middle of a file: no partial file at the target, the source is
// intact and its line stays, also when moving; the next file that fits goes through.
TEST_F(Transfer, DiskFullMidCopy)
{
    Tmpfs fs(tmp / "mnt", "1m");
    REQUIRE_TMPFS(fs);
    QByteArray big(2 << 20, 'b');
    big[12345] = 'x';
    const QString large = source("large.bin", big);
    const QString small = source("small.txt", "small");
    for (const bool copy : {true, false}) {
        SCOPED_TRACE(copy ? "copy" : "move");
        CollectionList list;
        list.appendBatch({large, small});
        TransferOptions options;
        options.copy = copy;
        Hooks hooks;
        const TransferResult r = run(list, tmp / "mnt/", options, hooks);
        EXPECT_EQ(r.transferred, 1);
        EXPECT_EQ(list.lines(), QStringList{large});
        EXPECT_EQ(fixture::names(tmp / "mnt"), QList<QByteArray>{"small.txt"});
        EXPECT_EQ(fixture::readFile(src + "large.bin"), big);
        ::unlink((tmp / "mnt/small.txt").constData());
        if (!copy) {
            EXPECT_FALSE(fixture::exists(src + "small.txt"));
        }
    }
}


// A source that cannot be read fails; a moved file whose source cannot be deleted is
// not counted as moved: the line stays and so does the source.
TEST(TransferAsUser, UnreadableAndUndeletableSources)
{
    char templ[] = "/tmp/tobrin-user.XXXXXX";
    ASSERT_TRUE(::mkdtemp(templ));
    const QByteArray base = QByteArray(templ) + "/";
    ::chmod(templ, 0755);
    {
        fixture::makeDir(base + "src");
        fixture::makeDir(base + "dst");
        fixture::writeFile(base + "src/secret.txt", "secret");
        fixture::writeFile(base + "src/stuck.txt", "stuck");
        ::chmod((base + "src/secret.txt").constData(), 0);
        ::chmod((base + "dst").constData(), 0777);
        Tmpfs fs(base + "other", "1m"); // another file system: the move copies, then deletes
        ::chmod((base + "other").constData(), 0777);
        ::chmod((base + "src").constData(), 0555);

        auto transfer = [&](const QByteArray& name, const QByteArray& target, bool copy) {
            return fixture::asUnprivileged([&] {
                CollectionList list;
                list.appendBatch({q(base + "src/" + name)});
                TransferOptions options;
                options.copy = copy;
                Hooks hooks;
                const TransferResult r = Uebertragen(list, q(target), options, hooks);
                return r.transferred * 10 + list.count();
            });
        };
        // Result: 10 * transferred + lines left.
        EXPECT_EQ(transfer("secret.txt", base + "dst/", true), 1);
        EXPECT_EQ(fixture::names(base + "dst"), QList<QByteArray>{});
        // Copied across, but the source cannot go: the copy is taken back.
        EXPECT_EQ(transfer("stuck.txt", base + "other/", false), 1);
        EXPECT_EQ(fixture::names(base + "other"), QList<QByteArray>{});
        EXPECT_EQ(transfer("stuck.txt", base + "dst/", false), 1);
        ::chmod((base + "src").constData(), 0755);
        EXPECT_EQ(fixture::readFile(base + "src/stuck.txt"), "stuck");
        EXPECT_FALSE(fixture::exists(base + "dst/stuck.txt"));
    }
    fixture::removeTree(base.chopped(1));
}

// Keep structure: the source's path below the root is rebuilt below the target. Lines
// with empty, "." or ".." steps are refused, and a symbolic link among the folders below
// the target is never followed, so nothing can land outside it; the target itself may
// be a link.
TEST_F(Transfer, KeepStructurePaths)
{
    const struct
    {
        const char* line;
        bool transferable;
    } lines[] = {
        {"/home/anna/Fotos/a.jpg", true}, {"/home/anna/.config/x", true},
        {"/a/..b/c...", true},            {"//srv/share/f", false},
        {"/srv/./f", false},              {"/a/../../../etc/passwd", false},
        {"/a/b/..", false},               {"/a/b/", false},
        {"a/b", false},                   {"", false},
        {"/", false},
    };
    for (const auto& l : lines)
        EXPECT_EQ(isTransferableLine(QString::fromUtf8(l.line)), l.transferable) << l.line;
    EXPECT_EQ(transferTargetPath(QStringLiteral("/home/anna/Fotos/a.jpg"),
                                 QStringLiteral("/media/stick/Sicherung/"), true),
              QStringLiteral("/media/stick/Sicherung/home/anna/Fotos/a.jpg"));
    EXPECT_EQ(transferTargetPath(QStringLiteral("/home/anna/Fotos/a.jpg"),
                                 QStringLiteral("/media/stick/"), false),
              QStringLiteral("/media/stick/a.jpg"));

    // For real: the missing folders are created, also when the target itself vanished.
    const QString f = source("Fotos/a.jpg", "jpeg");
    fixture::removeTree(dst.chopped(1));
    CollectionList list;
    list.appendBatch({f});
    TransferOptions options;
    options.keepStructure = true;
    EXPECT_EQ(run(list, options).transferred, 1);
    EXPECT_EQ(fixture::readFile(dst + src.mid(1) + "Fotos/a.jpg"), "jpeg");

    // A link inside the target where a folder of the structure would be: that file
    // fails, nothing appears where the link leads. The target given as a link is fine.
    const QString g = source("Links/g.txt", "g");
    fixture::makeDir(tmp / "elsewhere");
    ASSERT_EQ(::symlink((tmp / "elsewhere").constData(), (dst + src.mid(1) + "Links").constData()),
              0);
    ASSERT_EQ(::symlink(dst.chopped(1).constData(), (tmp / "target-link").constData()), 0);
    for (const bool copy : {true, false}) {
        options.copy = copy;
        list.appendBatch({g, f});
        Hooks hooks;
        EXPECT_EQ(run(list, tmp / "target-link", options, hooks).transferred, 1);
        EXPECT_EQ(list.lines(), QStringList{g});
        EXPECT_EQ(hooks.failed, QStringList{g + QStringLiteral(": Ein Ordner im Zielpfad ist "
                                                               "eine symbolische Verknüpfung")});
        EXPECT_TRUE(fixture::names(tmp / "elsewhere").isEmpty());
        EXPECT_EQ(fixture::readFile(src + "Links/g.txt"), "g");
        list.removeLine(0);
        if (copy)
            fixture::removeTree(dst + src.mid(1) + "Fotos");
    }
}

// Ignore attributes on a line that is a symbolic link: the file it points to is made
// writable for the copy and always gets its mode back, also once the link has moved.
TEST_F(Transfer, ReadOnlyLiftedThroughALinkIsPutBack)
{
    fixture::writeFile(tmp / "real.txt", "real");
    ::chmod((tmp / "real.txt").constData(), 0444);
    ASSERT_EQ(::symlink((tmp / "real.txt").constData(), (src + "link.txt").constData()), 0);
    for (const bool copy : {true, false}) {
        SCOPED_TRACE(copy ? "copy" : "move");
        CollectionList list;
        list.appendBatch({q(src + "link.txt")});
        TransferOptions options;
        options.copy = copy;
        options.ignoreAttributes = true;
        EXPECT_EQ(run(list, options).transferred, 1);
        EXPECT_EQ(statOf(tmp / "real.txt").st_mode & 07777, 0444u);
        EXPECT_EQ(statOf(dst + "link.txt").st_mode & 07777, 0444u);
        EXPECT_EQ(fixture::exists(src + "link.txt"), copy);
        ::unlink((dst + "link.txt").constData());
    }
}

// The free-space check: needed bytes against the free KB of the target's file system
// times 1024; equality passes; the refusal names both in KB.
TEST_F(Transfer, FreeSpaceCheck)
{
    const SpaceCheck example{1500, 1, false};
    EXPECT_EQ(example.refusalText(),
              QStringLiteral("Nicht ausreichend freier Speicher vorhanden\rBenötigt: 1\r"
                             "vorhanden: 1 KB"));

    Tmpfs fs(tmp / "mnt", "16k");
    REQUIRE_TMPFS(fs);
    struct statvfs vfs;
    ASSERT_EQ(::statvfs((tmp / "mnt").constData(), &vfs), 0);
    const qint64 freeKb = qint64(vfs.f_bavail) * qint64(vfs.f_frsize) / 1024;
    ASSERT_GT(freeKb, 0);

    CollectionList list;
    fixture::makeSparse(src + "fits", freeKb * 1024 - 100);
    fixture::writeFile(src + "hundred", QByteArray(100, 'h'));
    list.appendBatch({q(src + "fits"), q(src + "hundred"), q(src + "missing")});
    SpaceCheck check = checkFreeSpace(list, q(tmp / "mnt"));
    EXPECT_TRUE(check.passes);
    EXPECT_EQ(check.neededBytes, freeKb * 1024);
    EXPECT_EQ(check.availableKb, freeKb);

    fixture::writeFile(src + "more", QByteArray(476, 'm'));
    list.appendBatch({q(src + "more")});
    // A target that vanished is measured on its nearest existing parent.
    check = checkFreeSpace(list, q(tmp / "mnt/not/yet/"));
    EXPECT_FALSE(check.passes);
    EXPECT_EQ(check.refusalText(),
              QStringLiteral("Nicht ausreichend freier Speicher vorhanden\rBenötigt: %1\r"
                             "vorhanden: %1 KB")
                  .arg(freeKb));
}

// A move within the target's file system renames and needs no room there; a copy of
// the same files does, and so does a move from elsewhere.
TEST_F(Transfer, MoveWithinTheFileSystemNeedsNoSpace)
{
    Tmpfs fs(tmp / "mnt", "64k");
    REQUIRE_TMPFS(fs);
    fixture::makeDir(tmp / "mnt/from");
    fixture::makeDir(tmp / "mnt/to");
    fixture::writeFile(tmp / "mnt/from/big", QByteArray(40 << 10, 'b'));
    const QString outside = source("other", QByteArray(40 << 10, 'o'));
    CollectionList list;
    list.appendBatch({q(tmp / "mnt/from/big")});
    const SpaceCheck renames = checkFreeSpace(list, q(tmp / "mnt/to"), true);
    EXPECT_TRUE(renames.passes);
    EXPECT_EQ(renames.neededBytes, 0);
    EXPECT_EQ(renames.totalBytes, 0); // renamed, nothing to read through
    EXPECT_FALSE(checkFreeSpace(list, q(tmp / "mnt/to"), false).passes);
    // Lines of different folders, one run of them on the target's file system between
    // two from elsewhere: only those from elsewhere count.
    const QString outside2 = source("sub/other2", QByteArray(4 << 10, 'p'));
    list.clear();
    list.appendBatch({outside, q(tmp / "mnt/from/big"), outside2});
    const SpaceCheck mixed = checkFreeSpace(list, q(tmp / "mnt/to"), true);
    EXPECT_EQ(mixed.neededBytes, 44 << 10);
    EXPECT_EQ(mixed.totalBytes, 44 << 10);
    EXPECT_FALSE(mixed.passes);
}

// Escape during the third of five files: that one completes, the run ends before the
// fourth; lines four and five stay and no closing text is made.
TEST_F(Transfer, AbortAfterTheThirdOfFive)
{
    CollectionList list;
    for (int i = 1; i <= 5; ++i)
        list.appendBatch({source("f" + QByteArray::number(i), "x")});
    const QStringList lines = list.lines();
    Hooks hooks;
    hooks.onAfterFile = [&](int files) { hooks.abortFlag = files == 3; };
    const TransferResult r = run(list, dst, {}, hooks);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(r.transferred, 3);
    EXPECT_TRUE(r.statusText.isEmpty());
    EXPECT_EQ(list.lines(), lines.mid(3));
    EXPECT_EQ(fixture::names(dst.chopped(1)), (QList<QByteArray>{"f1", "f2", "f3"}));
}

// The list is read on every pass: lines added while the run goes are transferred in
// the same run, lines removed are not.
TEST_F(Transfer, LinesAddedAndRemovedWhileRunning)
{
    CollectionList list;
    list.appendBatch({source("f1", "1"), source("f2", "2"), source("f3", "3")});
    const QString late = source("f4", "4");
    Hooks hooks;
    hooks.onAfterFile = [&](int files) {
        if (files == 1) {
            list.appendBatch({late});
            list.removeLine(1); // f3
        }
    };
    const TransferResult r = run(list, dst, {}, hooks);
    EXPECT_EQ(r.transferred, 3);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(fixture::names(dst.chopped(1)), (QList<QByteArray>{"f1", "f2", "f4"}));
}

// Ignore attributes: a read-only source is made writable for the run and put back; the
// copy, and the moved file, carry the original mode.
TEST_F(Transfer, ReadOnlySources)
{
    const QString c = source("c.txt", "c");
    const QString m = source("m.txt", "m");
    ::chmod((src + "c.txt").constData(), 0444);
    ::chmod((src + "m.txt").constData(), 0444);
    TransferOptions options;
    options.ignoreAttributes = true;
    CollectionList list;
    list.appendBatch({c});
    EXPECT_EQ(run(list, options).transferred, 1);
    EXPECT_EQ(statOf(src + "c.txt").st_mode & 07777, 0444u);
    EXPECT_EQ(statOf(dst + "c.txt").st_mode & 07777, 0444u);

    options.copy = false;
    for (const bool ignore : {true, false}) {
        options.ignoreAttributes = ignore;
        ::unlink((dst + "m.txt").constData());
        list.appendBatch({m});
        EXPECT_EQ(run(list, options).transferred, 1);
        EXPECT_EQ(statOf(dst + "m.txt").st_mode & 07777, 0444u);
        EXPECT_FALSE(fixture::exists(src + "m.txt"));
        fixture::writeFile(src + "m.txt", "m");
        ::chmod((src + "m.txt").constData(), 0444);
    }
}
