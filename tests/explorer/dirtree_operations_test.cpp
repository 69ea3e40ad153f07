// The tree's folder operations, drags and drops, and its context menu.
#include "explorer/list/qvfilelistview28.h"
#include "explorer/tree/popupmenu.h"
#include "explorer/tree/qvdirtree21.h"
#include "messagerecorder.h"
#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

QTreeWidgetItem* childNamed(QTreeWidgetItem* node, const QString& name)
{
    for (int i = 0; node && i < node->childCount(); ++i)
        if (node->child(i)->text(0) == name)
            return node->child(i);
    return nullptr;
}

// base/ with src/ (holding sub/ and a file), dst/ and a file; a German tree coupled to
// a list, shown so that points on nodes can be computed.
struct Pane
{
    TempDir dir;
    QByteArray b = dir / "base";
    QString base = q(b);
    TQvDirTree21 tree;
    TQvFilelistView28 list;

    Pane()
    {
        fixture::makeDir(b);
        fixture::makeDir(b + "/src");
        fixture::makeDir(b + "/src/sub");
        fixture::writeFile(b + "/src/inside.txt", "inside");
        fixture::makeDir(b + "/dst");
        fixture::writeFile(b + "/a.txt", "a");
        fixture::writeFile(b + "/b.txt", "bb");
        tree.SetLanguage(lnGerman);
        list.SetLanguage(lnGerman);
        list.SetDirTree(&tree);
        tree.resize(500, 700);
        tree.show();
    }

    // Opens path and returns its node, visible.
    QTreeWidgetItem* open(const QString& path)
    {
        tree.OpenPath(path);
        QTreeWidgetItem* node = tree.currentItem();
        tree.scrollToItem(node);
        return node;
    }
    QPoint labelPoint(QTreeWidgetItem* node) const
    {
        const QRect r = tree.visualItemRect(node);
        return QPoint(r.left() + 20, r.center().y());
    }
};

// The in-place editor of a node, nullptr when no name is being edited.
QLineEdit* editorOf(const TQvDirTree21& tree)
{
    for (QLineEdit* e : tree.viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

} // namespace

TEST(DirTreeOperations, NewFolderOnTheRootAndOnAVolume)
{
    ScopedRecorder rec;
    Pane p;
    QTreeWidgetItem* root = p.tree.RootNode();
    EXPECT_FALSE(p.tree.AddNewFolder(root, QString()));
    EXPECT_EQ(rec->texts(),
              QStringList{QStringLiteral("Fehler - Hinzufügen von Laufwerken nicht möglich!")});

    // A volume of its own below the home folder shows as a drive.
    const QByteArray vol = p.dir / "vol";
    if (!fixture::mountTmpfs(vol, "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    p.tree.ReloadTree();
    QTreeWidgetItem* drive = p.open(q(vol));
    ASSERT_TRUE(p.tree.IsDriveNode(drive));
    EXPECT_TRUE(p.tree.AddNewFolder(drive, QString()));
    EXPECT_EQ(fixture::names(vol), QList<QByteArray>{"Neuer Ordner"});
    // The new node is selected and its name is being edited, without the question.
    EXPECT_EQ(p.tree.currentItem()->text(0), QStringLiteral("Neuer Ordner"));
    EXPECT_NE(editorOf(p.tree), nullptr);
    EXPECT_TRUE(p.tree.NewFolderPending());
    // A second one gets a number, as in the file list.
    EXPECT_TRUE(p.tree.AddNewFolder(p.tree.currentItem()->parent(), QString()));
    EXPECT_TRUE(fixture::exists(vol + "/Neuer Ordner(2)"));
    EXPECT_EQ(rec->shown.size(), 1);
    p.tree.ReloadTree();
    fixture::unmount(vol);
}

TEST(DirTreeOperations, RenameAfterNewFolderUnconfirmedThenConfirmedAgain)
{
    ScopedRecorder rec;
    Pane p;
    QTreeWidgetItem* base = p.open(p.base);
    ASSERT_TRUE(p.tree.AddNewFolder(base, QString()));
    // The user types the name into the editor and presses Enter.
    QLineEdit* editor = editorOf(p.tree);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Fotos"));
    QTest::keyClick(editor, Qt::Key_Return);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(); // the editor commits after its key
    EXPECT_TRUE(fixture::exists(p.b + "/Fotos"));
    EXPECT_FALSE(fixture::exists(p.b + "/Neuer Ordner"));
    EXPECT_TRUE(rec->shown.isEmpty());
    EXPECT_EQ(p.tree.SelectedPath(), p.base + QStringLiteral("/Fotos/"));
    EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/Fotos/"));

    // The next rename asks; No leaves everything, Yes renames.
    QTreeWidgetItem* dst = p.open(p.base + QStringLiteral("/dst"));
    p.tree.Edit(dst, QStringLiteral("Ziel"));
    ASSERT_EQ(rec->shown.size(), 1);
    EXPECT_EQ(rec->shown[0].kind, msg::Kind::Question);
    EXPECT_EQ(rec->shown[0].text, QStringLiteral("Wollen Sie den markierten Ordner umbenennen\r\r"
                                                 "    Von  : dst\r    Nach : Ziel"));
    EXPECT_TRUE(fixture::exists(p.b + "/dst"));
    rec->answers.push_back({msg::Answer::Yes});
    p.tree.Edit(p.open(p.base + QStringLiteral("/dst")), QStringLiteral("Ziel"));
    EXPECT_TRUE(fixture::exists(p.b + "/Ziel"));
    EXPECT_EQ(rec->shown.size(), 2);

    // Escape while editing only beeps, and the next rename is asked again.
    ASSERT_TRUE(p.tree.AddNewFolder(p.open(p.base), QString()));
    editor = editorOf(p.tree);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(rec->beeps, 1);
    EXPECT_FALSE(p.tree.NewFolderPending());
    p.tree.Edit(p.open(p.base + QStringLiteral("/Ziel")), QStringLiteral("Z2"));
    EXPECT_EQ(rec->shown.size(), 3);
}

TEST(DirTreeOperations, RefusedCharactersEditingRulesAndDelete)
{
    ScopedRecorder rec;
    Pane p;
    QTreeWidgetItem* base = p.open(p.base);
    // The file system would take most of them; the tree does not.
    for (const QChar c : QStringLiteral("\\*?/=\"<>|:,;+^")) {
        rec->shown.clear();
        const QString name = QStringLiteral("a") + c + QStringLiteral("b");
        EXPECT_FALSE(p.tree.AddNewFolder(base, name)) << qPrintable(name);
        EXPECT_EQ(rec->texts(),
                  QStringList{QStringLiteral("Ordnername enthält ungültige Zeichen!")});
        rec->shown.clear();
        p.tree.Edit(childNamed(base, QStringLiteral("dst")), name);
        EXPECT_EQ(rec->texts(),
                  QStringList{QStringLiteral("Fehler - Ungültiger Verzeichnisname:\r") + name});
    }
    EXPECT_EQ(fixture::names(p.b), (QList<QByteArray>{"a.txt", "b.txt", "dst", "src"}));
    EXPECT_EQ(rec->beeps, 28);

    // Volumes and the root keep their names; ReadOnly keeps every name.
    EXPECT_FALSE(p.tree.CanEdit(p.tree.RootNode()));
    EXPECT_FALSE(p.tree.CanEdit(p.tree.RootNode()->child(0)));
    EXPECT_TRUE(p.tree.CanEdit(base));
    p.tree.SetReadOnly(true);
    EXPECT_FALSE(p.tree.CanEdit(base));
    p.tree.SetReadOnly(false);
    p.tree.setCurrentItem(p.tree.RootNode()->child(0));
    p.tree.setFocus();
    QTest::keyClick(&p.tree, Qt::Key_F2);
    EXPECT_EQ(editorOf(p.tree), nullptr);
    p.open(p.base + QStringLiteral("/dst"));
    QTest::keyClick(&p.tree, Qt::Key_F2);
    ASSERT_NE(editorOf(p.tree), nullptr);
    QTest::keyClick(editorOf(p.tree), Qt::Key_Escape);

    // Delete: to the trash after the question; the parent is selected and listed.
    rec->shown.clear();
    rec->answers.push_back({msg::Answer::Yes});
    QTreeWidgetItem* src = p.open(p.base + QStringLiteral("/src"));
    EXPECT_TRUE(p.tree.DeleteFolder(src));
    EXPECT_FALSE(fixture::exists(p.b + "/src"));
    EXPECT_EQ(p.tree.GetNodePath(p.tree.currentItem()), p.base);
    EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/"));
    // A folder gone meanwhile is reported.
    QTreeWidgetItem* dst = p.open(p.base + QStringLiteral("/dst"));
    fixture::removeTree(p.b + "/dst");
    rec->shown.clear();
    EXPECT_FALSE(p.tree.DeleteFolder(dst));
    EXPECT_EQ(rec->texts(), QStringList{p.base + QStringLiteral("/dst nicht gefunden!")});
}

TEST(DirTreeOperations, CutPastePasteAndTheSystemClipboard)
{
    ScopedRecorder rec;
    Pane p;
    // Without a cut or copy a paste does nothing.
    p.open(p.base + QStringLiteral("/dst"));
    ClipOperation = opNone;
    p.tree.PasteFolder();
    EXPECT_TRUE(rec->shown.isEmpty());

    p.open(p.base + QStringLiteral("/src"));
    p.tree.CutOrCopyFolder(opMove);
    EXPECT_TRUE(p.tree.ClipArmed());
    EXPECT_EQ(ClipOperation, opMove);
    // Other file managers see the folder, marked as cut.
    const platform::ClipboardFiles clip = platform::clipboardFiles();
    EXPECT_EQ(clip.paths, QStringList{p.base + QStringLiteral("/src")});
    EXPECT_TRUE(clip.cut);

    p.open(p.base + QStringLiteral("/dst"));
    p.tree.PasteFolder();
    EXPECT_TRUE(fixture::exists(p.b + "/dst/src/inside.txt"));
    EXPECT_FALSE(fixture::exists(p.b + "/src"));
    EXPECT_FALSE(p.tree.ClipArmed());
    EXPECT_EQ(p.tree.SelectedPath(), p.base + QStringLiteral("/dst/"));
    EXPECT_TRUE(rec->shown.isEmpty());

    // The same source once more: it is gone, so the paste fails.
    p.tree.PasteFolder();
    ASSERT_FALSE(rec->shown.isEmpty());
    EXPECT_EQ(rec->shown.last().text, QStringLiteral("Dateioperation ist fehlgeschlagen!"));
    EXPECT_FALSE(p.tree.ClipArmed());
}

TEST(DirTreeOperations, DragsOfFoldersWithinTheTree)
{
    ScopedRecorder rec;
    Pane p;
    QTreeWidgetItem* src = p.open(p.base + QStringLiteral("/src"));
    // A press records the drag source; Ctrl makes the drag a copy.
    QTest::mousePress(p.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, p.labelPoint(src));
    QTest::mouseRelease(p.tree.viewport(), Qt::LeftButton, Qt::ControlModifier, p.labelPoint(src));
    EXPECT_EQ(p.tree.DragSourcePath(), p.base + QStringLiteral("/src"));
    EXPECT_EQ(p.tree.DragSourceNode(), src);
    EXPECT_EQ(DragOperation, opCopy);
    EXPECT_FALSE(p.tree.DragOver(&p.tree, p.labelPoint(src))); // onto itself
    QTreeWidgetItem* base = src->parent();
    QTreeWidgetItem* dst = childNamed(base, QStringLiteral("dst"));
    EXPECT_TRUE(p.tree.DragOver(&p.tree, p.labelPoint(dst)));
    EXPECT_FALSE(p.tree.DragOver(new QObject(&p.tree), p.labelPoint(dst)));

    p.tree.DragDrop(&p.tree, p.labelPoint(dst));
    EXPECT_TRUE(fixture::exists(p.b + "/dst/src/inside.txt"));
    EXPECT_TRUE(fixture::exists(p.b + "/src/inside.txt"));
    EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/dst/"));
    EXPECT_TRUE(rec->shown.isEmpty());

    // Moved onto its own subfolder: refused by the file operation.
    src = p.open(p.base + QStringLiteral("/src"));
    QTest::mouseClick(p.tree.viewport(), Qt::LeftButton, Qt::NoModifier, p.labelPoint(src));
    EXPECT_EQ(DragOperation, opMove);
    src->setExpanded(true);
    QTreeWidgetItem* sub = childNamed(src, QStringLiteral("sub"));
    ASSERT_NE(sub, nullptr);
    p.tree.DragDrop(&p.tree, p.labelPoint(sub));
    ASSERT_FALSE(rec->shown.isEmpty());
    EXPECT_EQ(rec->shown.last().text, QStringLiteral("Dateioperation ist fehlgeschlagen!"));
    EXPECT_TRUE(fixture::exists(p.b + "/src/sub"));
}

TEST(DirTreeOperations, FilesDroppedFromAListOfEitherPane)
{
    ScopedRecorder rec;
    Pane p;
    // The other pane's list shows base; only its folders are selected.
    TQvFilelistView28 other;
    other.SetLanguage(lnGerman);
    other.SetDirectory(p.base);
    auto selectRows = [&](auto wanted) {
        other.clearSelection();
        for (int row = 0; row < other.ItemCount(); ++row)
            if (wanted(other.ItemSubItem(row, 4)))
                other.selectionModel()->select(other.ListModel()->index(row, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
    };
    selectRows([](const QString& path) { return !path.endsWith(QLatin1String(".txt")); });
    ASSERT_FALSE(other.SelectedRows().isEmpty());
    QTreeWidgetItem* dst = p.open(p.base + QStringLiteral("/dst"));
    DragOperation = opMove;
    EXPECT_TRUE(p.tree.DragOver(&other, p.labelPoint(dst)));
    p.tree.DragDrop(&other, p.labelPoint(dst));
    EXPECT_EQ(rec->texts(), QStringList{QStringLiteral("Keine Datei(en) markiert!")});
    EXPECT_EQ(rec->shown[0].kind, msg::Kind::Warning);
    EXPECT_TRUE(other.SelectedRows().isEmpty()); // the folders lost their marks
    EXPECT_EQ(fixture::names(p.b + "/dst"), QList<QByteArray>{});

    // Files and a folder selected: the files move, the folder stays.
    rec->shown.clear();
    selectRows([](const QString&) { return true; });
    dst = p.open(p.base + QStringLiteral("/dst"));
    p.tree.DragDrop(&other, p.labelPoint(dst));
    EXPECT_TRUE(rec->shown.isEmpty());
    EXPECT_EQ(fixture::names(p.b + "/dst"), (QList<QByteArray>{"a.txt", "b.txt"}));
    EXPECT_TRUE(fixture::exists(p.b + "/src"));
    EXPECT_FALSE(fixture::exists(p.b + "/a.txt"));
    EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/dst/"));

    // Onto the indentation or the blank area below: nothing is transferred.
    fixture::writeFile(p.b + "/c.txt", "c");
    other.UpdateFileList();
    selectRows([](const QString& path) { return path.endsWith(QLatin1String("c.txt")); });
    dst = p.open(p.base + QStringLiteral("/dst"));
    const QRect r = p.tree.visualItemRect(dst);
    QSignalSpy dropped(&p.tree, &TQvDirTree21::OnDragDrop);
    p.tree.DragDrop(&other, QPoint(2, r.center().y()));
    EXPECT_EQ(dropped.count(), 1);
    p.tree.scrollToItem(p.tree.RootNode());
    EXPECT_FALSE(p.tree.DragOver(&other, p.labelPoint(p.tree.RootNode()))); // no folder
    dst = p.open(p.base + QStringLiteral("/dst"));
    p.tree.SetReadOnly(true);
    EXPECT_FALSE(p.tree.DragOver(&other, p.labelPoint(dst)));
    p.tree.DragDrop(&other, p.labelPoint(dst));
    EXPECT_TRUE(fixture::exists(p.b + "/c.txt"));

    // Without drag and drop the tree takes no drop and records no drag source.
    p.tree.SetReadOnly(false);
    p.tree.SetDragDropEnabled(false);
    EXPECT_FALSE(p.tree.DragOver(&other, p.labelPoint(dst)));
    p.tree.DragDrop(&other, p.labelPoint(dst));
    EXPECT_TRUE(fixture::exists(p.b + "/c.txt"));
    QTreeWidgetItem* src = childNamed(dst->parent(), QStringLiteral("src"));
    QTest::mouseClick(p.tree.viewport(), Qt::LeftButton, Qt::NoModifier, p.labelPoint(src));
    EXPECT_EQ(p.tree.SelectedPath(), p.base + QStringLiteral("/src"));
    EXPECT_EQ(p.tree.DragSourceNode(), nullptr);
    EXPECT_EQ(dropped.count(), 1);
}

TEST(DirTreeOperations, PressesBesideNodesAndBackspace)
{
    ScopedRecorder rec;
    Pane p;
    QTreeWidgetItem* src = p.open(p.base + QStringLiteral("/src"));
    QTest::mouseClick(p.tree.viewport(), Qt::LeftButton, Qt::NoModifier, p.labelPoint(src));
    ASSERT_EQ(p.tree.SelectedPath(), p.base + QStringLiteral("/src"));
    QTreeWidgetItem* dst = childNamed(src->parent(), QStringLiteral("dst"));
    const QRect r = p.tree.visualItemRect(dst);
    // Far left in the indentation and far right of the label: nothing changes.
    for (const QPoint& at :
         {QPoint(2, r.center().y()), QPoint(p.tree.viewport()->width() - 3, r.center().y())}) {
        QTest::mouseClick(p.tree.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(p.tree.currentItem(), src);
        EXPECT_EQ(p.tree.SelectedPath(), p.base + QStringLiteral("/src"));
        EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/src/"));
        EXPECT_EQ(p.tree.selectedItems(), QList<QTreeWidgetItem*>{src});
    }
    // The expand button still opens its node, without selecting it.
    QTreeWidgetItem* sub = nullptr;
    src->setExpanded(false);
    const QRect sr = p.tree.visualItemRect(src);
    QTest::mouseClick(p.tree.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(sr.left() - p.tree.indentation() / 2, sr.center().y()));
    EXPECT_TRUE(src->isExpanded());
    sub = childNamed(src, QStringLiteral("sub"));
    EXPECT_NE(sub, nullptr);
    EXPECT_EQ(p.tree.currentItem(), src);

    // Backspace goes up to the parent and selects it.
    p.tree.setFocus();
    QTest::keyClick(&p.tree, Qt::Key_Backspace);
    EXPECT_EQ(p.tree.SelectedPath(), p.base);
    EXPECT_EQ(p.list.Directory(), p.base + QStringLiteral("/"));
}

TEST(DirTreeOperations, MenuEnablingByNode)
{
    Pane p;
    TQvDirTree21PopUp* menu = p.tree.PopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Item(QStringLiteral("AddNode"))->text(), QStringLiteral("&Neuer Ordner"));
    const QStringList names = {"AddNode",
                               "EditNode",
                               "DelNode",
                               "CutNode",
                               "CopyNode",
                               "PasteNode",
                               "GetTreeSize",
                               "ShowFolderContents",
                               "ConnectNetResource",
                               "DisConnectNetResource",
                               "ItemProperty"};
    auto enabled = [&] {
        menu->UpdateEnabled();
        QString out;
        for (const QString& n : names)
            out += menu->Item(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    };
    p.tree.setCurrentItem(nullptr);
    EXPECT_EQ(enabled(), QStringLiteral("00000000110"));
    p.tree.setCurrentItem(p.tree.RootNode());
    EXPECT_EQ(enabled(), QStringLiteral("00000000110"));
    QTreeWidgetItem* src = p.open(p.base + QStringLiteral("/src"));
    p.tree.setCurrentItem(p.tree.RootNode()->child(0));
    EXPECT_EQ(enabled(), QStringLiteral("10000011111"));
    p.tree.setCurrentItem(src);
    EXPECT_EQ(enabled(), QStringLiteral("11111011111"));
    // Copy through the menu: paste is offered on any folder until the next paste.
    menu->MenuItemClick(menu->Item(QStringLiteral("CopyNode")));
    p.open(p.base + QStringLiteral("/dst"));
    EXPECT_EQ(enabled(), QStringLiteral("11111111111"));
    ScopedRecorder rec;
    menu->MenuItemClick(menu->Item(QStringLiteral("PasteNode")));
    EXPECT_TRUE(fixture::exists(p.b + "/dst/src/inside.txt"));
    EXPECT_EQ(enabled(), QStringLiteral("11111011111"));

    // A new language builds a new menu.
    p.tree.SetLanguage(lnEnglish);
    EXPECT_EQ(p.tree.PopupMenu()->Item(QStringLiteral("AddNode"))->text(),
              QStringLiteral("&New Folder"));
}

// The creation of a new folder is reported while its name is typed: the rebuild waits
// for the end of the edit instead of taking the editor away.
TEST(DirTreeOperations, ChangesOnDiskWaitWhileANameIsEdited)
{
    ScopedRecorder rec;
    // A quiet folder of this test's own: another tree test watches /var/tmp meanwhile.
    // It always holds a folder, so that the other tree never sees it gain its first.
    ::mkdir("/var/tmp/tobrin-watch-edit", 0755);
    ::mkdir("/var/tmp/tobrin-watch-edit/keep", 0755);
    TempDir dir("/var/tmp/tobrin-watch-edit/");
    fixture::makeDir(dir / "base");
    TQvDirTree21 tree;
    tree.SetLanguage(lnGerman);
    tree.SetWatchChanges(true);
    tree.SetWatchVolumes(false);
    tree.SetNotifyDelay(50);
    tree.resize(400, 600);
    tree.show();
    tree.OpenPath(q(dir / "base"));
    QSignalSpy rebuilt(&tree, &TQvDirTree21::Rebuilt);
    ASSERT_TRUE(tree.AddNewFolder(tree.currentItem(), QString()));
    EXPECT_FALSE(rebuilt.wait(400));
    QLineEdit* editor = editorOf(tree);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Briefe"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(rebuilt.wait(2000));
    EXPECT_TRUE(fixture::exists(dir / "base/Briefe"));
    EXPECT_EQ(tree.currentItem()->text(0), QStringLiteral("Briefe"));
    EXPECT_TRUE(rec->shown.isEmpty());
}
