#include "explorer/tree/qvdirtree21.h"
#include "explorer/list/qvfilelistview28.h"
#include "messagerecorder.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

QString noSlash(QString p)
{
    if (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

// base/ with folders in mixed case, a hidden one, one with a subfolder and a file.
struct TreeFixture
{
    TempDir dir;
    QString base = q(dir.path()) + QStringLiteral("base");
    explicit TreeFixture(const QByteArray& parent = QByteArray())
        : dir(parent.isEmpty() ? TempDir() : TempDir(parent))
    {
        const QByteArray b = dir / "base";
        fixture::makeDir(b);
        for (const char* name : {"beta", "Alpha", "alpha", "gamma", ".hidden", "Zeta"})
            fixture::makeDir(b + "/" + name);
        fixture::makeDir(b + "/gamma/inner");
        fixture::makeDir(b + "/.hidden/deep");
        fixture::writeFile(b + "/file.txt", "x");
    }
};

QStringList childTexts(const QTreeWidgetItem* node)
{
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i)
        out.append(node->child(i)->text(0));
    return out;
}

void clickLabel(TQvDirTree21& tree, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton)
{
    const QRect r = tree.visualItemRect(item);
    QTest::mouseClick(tree.viewport(), button, Qt::NoModifier,
                      QPoint(r.left() + 20, r.center().y()));
}
} // namespace

TEST(DirTree, RootVolumesAndNodePaths)
{
    TQvDirTree21 tree;
    QTreeWidgetItem* root = tree.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("Computer"));
    EXPECT_EQ(root->childCount(), 0); // volumes come with loading or the first use
    tree.BeginLoad();
    tree.EndLoad();
    root = tree.RootNode();
    ASSERT_GE(root->childCount(), 1);
    QTreeWidgetItem* slash = root->child(0);
    EXPECT_EQ(tree.DriveMountPoint(slash), QStringLiteral("/"));
    EXPECT_TRUE(slash->text(0).startsWith(QStringLiteral(" (/)  ")));
    EXPECT_EQ(tree.GetNodePath(slash), QStringLiteral("/"));
    EXPECT_EQ(tree.GetNodePath(root), QString());
    EXPECT_EQ(tree.GetNodePath(nullptr), QString());
    EXPECT_TRUE(root->isExpanded());
}

TEST(DirTree, ExpandingFillsSortedFilteredFolders)
{
    TreeFixture f;
    TQvDirTree21 tree;
    tree.OpenPath(f.base);
    QTreeWidgetItem* base = tree.currentItem();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(tree.GetNodePath(base), f.base);
    // Locale order, letter case significant; files never appear.
    EXPECT_EQ(childTexts(base), (QStringList{QStringLiteral(".hidden"), QStringLiteral("alpha"),
                                             QStringLiteral("Alpha"), QStringLiteral("beta"),
                                             QStringLiteral("gamma"), QStringLiteral("Zeta")}));
    for (int i = 0; i < base->childCount(); ++i) {
        QTreeWidgetItem* c = base->child(i);
        const bool hasSub =
            c->text(0) == QLatin1String("gamma") || c->text(0) == QLatin1String(".hidden");
        EXPECT_EQ(c->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, hasSub)
            << qPrintable(c->text(0));
    }

    // Without hidden folders: a filled node keeps its children until read again.
    tree.SetFolderType(ftReadOnly | ftSystem | ftArchive);
    EXPECT_EQ(base->childCount(), 6);
    tree.ReloadTree();
    tree.OpenPath(f.base);
    base = tree.currentItem();
    EXPECT_FALSE(childTexts(base).contains(QStringLiteral(".hidden")));
    // Probing honours the filter too.
    fixture::removeTree(f.dir / "base/gamma/inner");
    fixture::makeDir(f.dir / "base/gamma/.only-hidden");
    EXPECT_FALSE(tree.HasSubFolders(f.base + QStringLiteral("/gamma")));
    tree.SetFolderType(DefaultFileType);
    EXPECT_TRUE(tree.HasSubFolders(f.base + QStringLiteral("/gamma")));
}

TEST(DirTree, OpenPathRules)
{
    TreeFixture f;
    TQvDirTree21 tree;
    QSignalSpy changes(&tree, &TQvDirTree21::OnDirChange);

    for (const QString& nothing : {QString(), QStringLiteral("."), QStringLiteral("My Computer"),
                                   f.base + QStringLiteral("/missing"), f.base.toUpper()}) {
        tree.OpenPath(nothing);
        EXPECT_EQ(tree.SelectedPath(), QString()) << qPrintable(nothing);
    }
    EXPECT_EQ(changes.count(), 0);

    tree.OpenPath(f.base + QStringLiteral("/gamma"));
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/gamma/"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.last().at(1).toString(), f.base + QStringLiteral("/gamma/"));
    QTreeWidgetItem* gamma = tree.currentItem();
    EXPECT_EQ(gamma->text(0), QStringLiteral("gamma"));
    EXPECT_TRUE(gamma->isExpanded());

    // The same path with its separator: same result, the event fires again.
    tree.OpenPath(f.base + QStringLiteral("/gamma/"));
    EXPECT_EQ(changes.count(), 2);

    // Another branch: the earlier one is collapsed first.
    tree.OpenPath(f.base + QStringLiteral("/beta"));
    EXPECT_FALSE(tree.currentItem()->parent()->child(4)->isExpanded()); // gamma
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/beta/"));

    // A folder the filter hides: the tree stops at the last folder it found.
    tree.SetFolderType(ftReadOnly | ftSystem | ftArchive);
    tree.ReloadTree();
    tree.OpenPath(f.base + QStringLiteral("/.hidden/deep"));
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/beta/"));
    EXPECT_EQ(tree.currentItem()->text(0), QStringLiteral("base"));
    EXPECT_EQ(changes.count(), 3);
}

// "/" is a volume like any other: it opens, and a rebuild (F5) keeps it selected.
TEST(DirTree, RootVolumeOpensAndStaysSelected)
{
    TQvDirTree21 tree;
    QSignalSpy changes(&tree, &TQvDirTree21::OnDirChange);
    tree.OpenPath(QStringLiteral("/"));
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("/"));
    EXPECT_EQ(changes.count(), 1);
    QTreeWidgetItem* slash = tree.currentItem();
    ASSERT_NE(slash, nullptr);
    EXPECT_TRUE(tree.IsDriveNode(slash));
    EXPECT_EQ(tree.DriveMountPoint(slash), QStringLiteral("/"));
    EXPECT_TRUE(slash->isExpanded());

    QTest::keyClick(&tree, Qt::Key_F5);
    slash = tree.currentItem();
    ASSERT_NE(slash, nullptr);
    EXPECT_EQ(tree.DriveMountPoint(slash), QStringLiteral("/"));
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("/"));
    EXPECT_EQ(changes.count(), 2);
}

TEST(DirTree, MouseAndKeysSelectAndCoupleTheList)
{
    ScopedRecorder rec;
    TreeFixture f;
    TQvDirTree21 tree;
    TQvFilelistView28 list;
    list.SetDirTree(&tree);
    tree.resize(400, 600);
    tree.show();
    QSignalSpy changes(&tree, &TQvDirTree21::OnDirChange);

    tree.OpenPath(f.base);
    QTreeWidgetItem* base = tree.currentItem();
    QTreeWidgetItem* alpha = base->child(1);
    tree.scrollToItem(alpha);

    clickLabel(tree, alpha);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/alpha"));
    EXPECT_EQ(list.Directory(), f.base + QStringLiteral("/alpha/"));
    EXPECT_EQ(changes.last().at(1).toString(), f.base + QStringLiteral("/alpha"));

    // Right button selects as well.
    QTreeWidgetItem* beta = base->child(3);
    clickLabel(tree, beta, Qt::RightButton);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/beta"));
    EXPECT_EQ(list.Directory(), f.base + QStringLiteral("/beta/"));

    // A press far right of the label changes nothing.
    const int before = changes.count();
    const QRect r = tree.visualItemRect(alpha);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(tree.viewport()->width() - 2, r.center().y()));
    EXPECT_EQ(changes.count(), before);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/beta"));

    // Down moves to gamma; the release selects it.
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/gamma"));
    EXPECT_EQ(list.Directory(), f.base + QStringLiteral("/gamma/"));

    // The root: "My Computer" and the drive view.
    QTreeWidgetItem* root = tree.RootNode();
    tree.scrollToItem(root);
    clickLabel(tree, root);
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("My Computer"));
    EXPECT_EQ(list.Directory(), QStringLiteral("My Computer"));
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST(DirTree, FolderChangesOnDiskRebuildOnce)
{
    // The tree watches every folder on the way there: a quiet folder of this test's own
    // (another tree test watches beside it in one of its own).
    ::mkdir("/var/tmp/tobrin-watch-tree", 0755);
    ::mkdir("/var/tmp/tobrin-watch-tree/keep", 0755);
    TreeFixture f("/var/tmp/tobrin-watch-tree/");
    TQvDirTree21 tree;
    tree.SetWatchChanges(true);
    tree.SetNotifyDelay(50);
    tree.SetWatchVolumes(false); // other tests mount file systems meanwhile
    tree.OpenPath(f.base + QStringLiteral("/gamma"));
    QSignalSpy rebuilt(&tree, &TQvDirTree21::Rebuilt);

    // A file: no rebuild.
    fixture::writeFile(f.dir / "base/new-file.txt", "x");
    EXPECT_FALSE(rebuilt.wait(400));

    // Three folders at once: one rebuild, and the tree is back at its path.
    fixture::makeDir(f.dir / "base/new1");
    fixture::makeDir(f.dir / "base/new2");
    fixture::makeDir(f.dir / "base/gamma/new3");
    ASSERT_TRUE(rebuilt.wait(2000));
    EXPECT_FALSE(rebuilt.wait(300));
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/gamma/"));
    QTreeWidgetItem* gamma = tree.currentItem();
    EXPECT_EQ(childTexts(gamma), (QStringList{QStringLiteral("inner"), QStringLiteral("new3")}));
    EXPECT_TRUE(childTexts(gamma->parent()).contains(QStringLiteral("new1")));

    // Folders the tree only probed for subfolders are watched too: beta gets its
    // expand button. One that shows its button already has nothing to change.
    fixture::makeDir(f.dir / "base/beta/sub");
    ASSERT_TRUE(rebuilt.wait(2000));
    QTreeWidgetItem* base = tree.currentItem()->parent();
    QTreeWidgetItem* beta = base->child(int(childTexts(base).indexOf(QStringLiteral("beta"))));
    EXPECT_EQ(beta->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    fixture::makeDir(f.dir / "base/.hidden/more");
    EXPECT_FALSE(rebuilt.wait(400));

    // A folder that was only clicked: after the rebuild it shows the new child.
    tree.resize(400, 600);
    tree.show();
    QTreeWidgetItem* alpha = base->child(int(childTexts(base).indexOf(QStringLiteral("alpha"))));
    tree.scrollToItem(alpha);
    clickLabel(tree, alpha);
    ASSERT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/alpha"));
    EXPECT_EQ(alpha->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    fixture::makeDir(f.dir / "base/alpha/neu");
    ASSERT_TRUE(rebuilt.wait(2000));
    EXPECT_EQ(tree.currentItem()->text(0), QStringLiteral("alpha"));
    EXPECT_EQ(childTexts(tree.currentItem()), QStringList{QStringLiteral("neu")});
    tree.OpenPath(f.base + QStringLiteral("/gamma"));

    // A folder vanishing while shown leaves a usable tree.
    fixture::removeTree(f.dir / "base/gamma");
    ASSERT_TRUE(rebuilt.wait(2000));
    EXPECT_EQ(noSlash(tree.SelectedPath()), f.base + QStringLiteral("/gamma"));
    tree.OpenPath(f.base);
    EXPECT_EQ(tree.SelectedPath(), f.base + QStringLiteral("/"));
}
