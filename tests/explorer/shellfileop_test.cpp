#include "explorer/shell/shellfileop.h"
#include "messagerecorder.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using platform::decodeName;

namespace {
constexpr int FO_MOVE = 1, FO_COPY = 2, FO_DELETE = 3, FO_RENAME = 4;

QString q(const QByteArray& b)
{
    return decodeName(b);
}

// a/ with a file, a non-UTF-8 name and a subfolder with a file.
void makeTree(const QByteArray& root)
{
    fixture::makeDir(root);
    fixture::writeFile(root + "/one.txt", "1");
    fixture::writeFile(root + "/bad-\xe4.bin", "raw");
    fixture::makeDir(root + "/sub");
    fixture::writeFile(root + "/sub/two.txt", "22");
}

void expectTree(const QByteArray& root)
{
    EXPECT_EQ(fixture::readFile(root + "/one.txt"), "1");
    EXPECT_EQ(fixture::readFile(root + "/bad-\xe4.bin"), "raw");
    EXPECT_EQ(fixture::readFile(root + "/sub/two.txt"), "22");
}
} // namespace

TEST(ShellFileOp, CopyAndMoveFolderTrees)
{
    ScopedRecorder rec;
    TempDir dir;
    makeTree(dir / "a");
    fixture::makeDir(dir / "into");

    // Into an existing folder, and onto a new name.
    EXPECT_TRUE(ShellFileOp(FO_COPY, q(dir / "a"), q(dir / "into")));
    expectTree(dir / "into/a");
    EXPECT_TRUE(ShellFileOp(FO_COPY, q(dir / "a"), q(dir / "copy")));
    expectTree(dir / "copy");
    expectTree(dir / "a");

    EXPECT_TRUE(ShellFileOp(FO_MOVE, q(dir / "copy"), q(dir / "moved")));
    expectTree(dir / "moved");
    EXPECT_FALSE(fixture::exists(dir / "copy"));
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST(ShellFileOp, MoveAcrossFileSystemsKeepsWhatFailed)
{
    ScopedRecorder rec;
    TempDir dir;
    const QByteArray other = dir / "other";
    if (!fixture::mountTmpfs(other, "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    makeTree(dir / "a");
    fixture::writeFile(dir / "a/huge", QByteArray(2 << 20, 'h')); // does not fit

    EXPECT_FALSE(ShellFileOp(FO_MOVE, q(dir / "a"), q(other)));
    // Everything that arrived has left the source; the file that failed stayed.
    expectTree(other + "/a");
    EXPECT_EQ(fixture::names(dir / "a"), QList<QByteArray>{"huge"});
    EXPECT_FALSE(fixture::exists(other + "/a/huge"));
    EXPECT_EQ(rec->shown.size(), 1);
    fixture::unmount(other);
}

TEST(ShellFileOp, ReplaceQuestionAnswers)
{
    struct Case
    {
        msg::Answer answer;
        bool forAll;
        bool result;
        QByteArray oneAfter, twoAfter;
        int questions;
    } cases[] = {
        {msg::Answer::Replace, false, true, "new1", "new2", 2},
        {msg::Answer::Replace, true, true, "new1", "new2", 1},
        {msg::Answer::Skip, false, true, "old1", "old2", 2},
        {msg::Answer::Skip, true, true, "old1", "old2", 1},
        {msg::Answer::Cancel, false, false, "old1", "old2", 1},
    };
    for (const Case& c : cases) {
        ScopedRecorder rec;
        rec->answers = {{c.answer, c.forAll}, {c.answer, c.forAll}};
        TempDir dir;
        fixture::makeDir(dir / "src");
        fixture::writeFile(dir / "src/1", "new1");
        fixture::writeFile(dir / "src/2", "new2");
        fixture::makeDir(dir / "dst");
        fixture::makeDir(dir / "dst/src");
        fixture::writeFile(dir / "dst/src/1", "old1");
        fixture::writeFile(dir / "dst/src/2", "old2");
        // The folder question first (merge), answered Replace; then the files.
        rec->answers.push_front({msg::Answer::Replace, false});

        EXPECT_EQ(ShellFileOp(FO_COPY, q(dir / "src"), q(dir / "dst")), c.result);
        EXPECT_EQ(fixture::readFile(dir / "dst/src/1"), c.oneAfter);
        EXPECT_EQ(fixture::readFile(dir / "dst/src/2"), c.twoAfter);
        EXPECT_EQ(rec->shown.size(), 1 + c.questions);
        EXPECT_EQ(rec->shown.last().buttons, msg::Buttons::ReplaceSkipCancel);
        EXPECT_EQ(fixture::names(dir / "dst/src"), (QList<QByteArray>{"1", "2"}));
    }
}

TEST(ShellFileOp, FolderIntoItselfFails)
{
    for (int op : {FO_COPY, FO_MOVE}) {
        ScopedRecorder rec;
        TempDir dir;
        makeTree(dir / "a");
        EXPECT_FALSE(ShellFileOp(op, q(dir / "a"), q(dir / "a/sub")));
        EXPECT_FALSE(ShellFileOp(op, q(dir / "a"), q(dir / "a")));
        EXPECT_EQ(rec->shown.size(), 2);
        EXPECT_EQ(rec->shown.first().kind, msg::Kind::Error);
        expectTree(dir / "a");
        EXPECT_EQ(fixture::names(dir / "a/sub"), QList<QByteArray>{"two.txt"});
    }
}

TEST(ShellFileOp, DeleteGoesToTheTrashAfterAsking)
{
    TempDir dir;
    const QByteArray name("gel\xf6scht\nzeile.txt");
    fixture::writeFile(dir / name, "bye");
    {
        ScopedRecorder rec; // answers No
        EXPECT_FALSE(ShellFileOp(FO_DELETE, q(dir / name), QString()));
        EXPECT_TRUE(fixture::exists(dir / name));
        EXPECT_EQ(rec->shown.size(), 1);
    }
    ScopedRecorder rec;
    rec->answers = {{msg::Answer::Yes, false}};
    EXPECT_TRUE(ShellFileOp(FO_DELETE, q(dir / name), QString()));
    EXPECT_FALSE(fixture::exists(dir / name));

    const QByteArray trash = testHome() + ".local/share/Trash/";
    EXPECT_EQ(fixture::readFile(trash + "files/" + name), "bye");
    const QByteArray info = fixture::readFile(trash + "info/" + name + ".trashinfo");
    const QByteArray encoded = QByteArray(dir / name).toPercentEncoding("/");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + encoded + "\nDeletionDate="))
        << info.constData();
}

TEST(ShellFileOp, RenameKeepsBytesAndRefusesExistingNames)
{
    ScopedRecorder rec;
    TempDir dir;
    fixture::writeFile(dir / "a\xe4", "x");
    fixture::writeFile(dir / "taken", "t");
    EXPECT_TRUE(ShellFileOp(FO_RENAME, q(dir / "a\xe4"), q(dir / "b\xfc\n")));
    EXPECT_EQ(fixture::readFile(dir / "b\xfc\n"), "x");
    EXPECT_FALSE(ShellFileOp(FO_RENAME, q(dir / "b\xfc\n"), q(dir / "taken")));
    EXPECT_EQ(fixture::readFile(dir / "taken"), "t");
    EXPECT_TRUE(ShellFileOp(FO_RENAME, q(dir / "taken"), q(dir / "Taken")));
    EXPECT_EQ(fixture::names(dir.path()), (QList<QByteArray>{"Taken", "b\xfc\n"}));
    EXPECT_EQ(rec->shown.size(), 1);
}
