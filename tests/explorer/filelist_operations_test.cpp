// The file list as a small file manager: its keys, operations, colours and context menu.
#include "explorer/lang/qvconsts.h"
#include "explorer/list/popupmenu.h"
#include "explorer/list/qvfilelistview28.h"
#include "messagerecorder.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// dir: a.txt, b.txt, r.txt (read-only), .hidden, sub/ with s.txt; a German list on it.
class ListOps : public ::testing::Test
{
public:
    void SetUp() override
    {
        for (const char* f : {"a.txt", "b.txt", "r.txt", ".hidden"})
            fixture::writeFile(tmp / f, f);
        ::chmod((tmp / "r.txt").constData(), 0444);
        fixture::makeDir(tmp / "sub");
        fixture::writeFile(tmp / "sub/s.txt", "s");
        view = std::make_unique<TQvFilelistView28>();
        view->SetLanguage(lnGerman);
        view->SetDirectory(q(tmp.path()));
        view->resize(600, 400);
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override { ::chmod((tmp / "r.txt").constData(), 0644); }

    int row(const QString& name) const
    {
        for (int r = 0; r < view->ItemCount(); ++r)
            if (view->ListModel()->Entry(r).Name == name)
                return r;
        return -1;
    }
    void select(std::initializer_list<const char*> names)
    {
        view->clearSelection();
        for (const char* n : names)
            view->selectionModel()->select(view->ListModel()->index(row(QString::fromUtf8(n)), 0),
                                           QItemSelectionModel::Select |
                                               QItemSelectionModel::Rows);
    }
    // Whether an editor is open on the current item's caption.
    bool editing() const { return view->indexWidget(view->currentIndex()) != nullptr; }

    TempDir tmp;
    std::unique_ptr<TQvFilelistView28> view;
    ScopedRecorder messages;
};

// An editor opened by the list, closed again without a rename.
void cancelEdit(TQvFilelistView28& view)
{
    if (QWidget* editor = view.indexWidget(view.currentIndex()))
        QTest::keyClick(editor, Qt::Key_Escape);
}

} // namespace

// Each binding works only while an item is selected, except Backspace, F5 and Ctrl+A;
// a binding whose action is switched off does nothing, Shift+Del is no binding.
TEST_F(ListOps, KeysWithAndWithoutSelection)
{
    struct Case
    {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool needsSelection;
        TQvListViewActions actions;
        std::function<bool(ListOps&)> happened;
    };
    const Case cases[] = {
        {"Ctrl+N", Qt::Key_N, Qt::ControlModifier, true, AllListViewActions,
         [](ListOps& t) { return fixture::exists(t.tmp / "Neuer Ordner"); }},
        {"Del", Qt::Key_Delete, Qt::NoModifier, true, AllListViewActions,
         [](ListOps& t) { return !t.messages->shown.isEmpty(); }},
        {"F2", Qt::Key_F2, Qt::NoModifier, true, AllListViewActions,
         [](ListOps& t) { return t.editing(); }},
        {"Ctrl+O", Qt::Key_O, Qt::ControlModifier, true, AllListViewActions,
         [](ListOps& t) { return t.view->Directory().endsWith(QStringLiteral("/sub/")); }},
        {"Enter with Ctrl", Qt::Key_Return, Qt::ControlModifier, true, AllListViewActions,
         [](ListOps& t) { return t.view->Directory().endsWith(QStringLiteral("/sub/")); }},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, false, AllListViewActions,
         [](ListOps& t) { return t.view->Directory() == platform::parentPath(q(t.tmp.path())); }},
        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier, false, AllListViewActions,
         [](ListOps& t) { return t.view->SelectedRows().size() == t.view->ItemCount(); }},
        {"Shift+Del", Qt::Key_Delete, Qt::ShiftModifier, true, AllListViewActions & ~(1u << vaDelete),
         [](ListOps& t) { return !t.messages->shown.isEmpty(); }},
    };
    for (const Case& c : cases) {
        for (const bool selected : {true, false}) {
            for (const bool active : {true, false}) {
                SCOPED_TRACE(std::string(c.what) + (selected ? ", selected" : ", nothing selected") +
                             (active ? "" : ", action off"));
                view->SetDirectory(q(tmp.path()));
                view->UpdateFileList();
                ::rmdir((tmp / "Neuer Ordner").constData());
                messages->shown.clear();
                view->ShortCuts().Actions = active ? c.actions : TQvListViewActions(0);
                const bool opens = c.key == Qt::Key_O || c.key == Qt::Key_Return;
                if (selected)
                    select({opens ? "sub" : "a.txt"});
                else
                    view->clearSelection();
                QTest::keyClick(view.get(), c.key, c.modifiers);
                // Shift+Del and Enter are no bindings that could be switched off.
                const bool fixedKey = c.key == Qt::Key_Return ||
                                      (c.key == Qt::Key_Delete && c.modifiers == Qt::ShiftModifier);
                const bool expected = (selected || !c.needsSelection) && (active || fixedKey);
                EXPECT_EQ(c.happened(*this), expected);
                cancelEdit(*view);
            }
        }
    }
    EXPECT_TRUE(fixture::exists(tmp / "a.txt")); // the recorder said No to every question
}

// Backspace goes up and leaves the focus mark on the folder just left; in the drive
// view it does nothing, and neither does Ctrl+N.
TEST_F(ListOps, UpOneLevelAndTheDriveView)
{
    view->SetDirectory(q(tmp / "sub/"));
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(view->Directory(), q(tmp.path()));
    ASSERT_TRUE(view->currentIndex().isValid());
    EXPECT_EQ(view->ListModel()->Entry(view->currentIndex().row()).Name, QStringLiteral("sub"));
    EXPECT_TRUE(view->SelectedRows().isEmpty());

    view->SetDirectory(QStringLiteral("/"));
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(view->Directory(), TQvFilelistView28::MyComputer);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    EXPECT_EQ(view->Directory(), TQvFilelistView28::MyComputer);
    view->selectAll();
    QTest::keyClick(view.get(), Qt::Key_N, Qt::ControlModifier);
    view->NewFolder();
    EXPECT_FALSE(fixture::exists("My Computer"));
}

// A new folder takes the first free name, "Neuer Ordner(2)" after "Neuer Ordner", and
// its name is open for editing at once.
TEST_F(ListOps, NewFolderNumbering)
{
    fixture::makeDir(tmp / "Neuer Ordner");
    fixture::makeDir(tmp / "Neuer Ordner(2)");
    view->NewFolder();
    EXPECT_TRUE(fixture::exists(tmp / "Neuer Ordner(3)"));
    EXPECT_TRUE(editing());
    EXPECT_EQ(view->OldPath(), q(tmp / "Neuer Ordner(3)"));
    // Typing a name and Enter renames it.
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(view->currentIndex()));
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("Fotos"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(fixture::exists(tmp / "Fotos"));
    EXPECT_FALSE(fixture::exists(tmp / "Neuer Ordner(3)"));
}

// Renaming in place: read-only files are refused, an existing name is reported, a
// change of letter case is a real rename, a name that leads elsewhere is refused.
TEST_F(ListOps, RenameRules)
{
    struct Case
    {
        const char* item;
        const char* text;
        const char* exists;  // afterwards
        const char* message; // shown, or empty
    } const cases[] = {
        {"a.txt", "b.txt", "a.txt", "\"b.txt\"  existiert bereits!"},
        {"a.txt", "A.txt", "A.txt", ""},
        {"A.txt", "../x.txt", "A.txt", "Ordnername enthält ungültige Zeichen!"},
        {"sub", "Unter", "Unter/s.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + " -> " + c.text);
        messages->shown.clear();
        select({c.item});
        view->RenameItem();
        ASSERT_TRUE(editing());
        cancelEdit(*view);
        view->Edit(QString::fromUtf8(c.text));
        EXPECT_TRUE(fixture::exists(tmp / c.exists));
        EXPECT_EQ(messages->texts(),
                  *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    }
    // A read-only file: a warning, no editing.
    messages->shown.clear();
    select({"r.txt"});
    view->RenameItem();
    EXPECT_FALSE(editing());
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Die Datei ist schreibgeschützt!")});
    // With the rename action off nothing may be edited at all.
    view->ShortCuts().Actions = AllListViewActions & ~(1u << vaRename);
    select({"b.txt"});
    view->RenameItem();
    EXPECT_FALSE(editing());
}

// Shift+Del asks for each selected file and deletes it on Yes; it ends at the first
// folder among the selected items.
TEST_F(ListOps, DeletePermanentlyAsksPerFileAndStopsAtAFolder)
{
    view->SortColumnClick(0); // descending: files before folders
    select({"a.txt", "b.txt", "sub"});
    messages->answers = {{msg::Answer::Yes, false}, {msg::Answer::No, false}};
    QTest::keyClick(view.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(messages->texts(),
              (QStringList{QStringLiteral("Are you sure you want to permanently delete file\r  \"b.txt\"?"),
                           QStringLiteral("Are you sure you want to permanently delete file\r  \"a.txt\"?")}));
    EXPECT_FALSE(fixture::exists(tmp / "b.txt"));
    EXPECT_TRUE(fixture::exists(tmp / "a.txt"));
    EXPECT_TRUE(fixture::exists(tmp / "sub/s.txt"));

    // Ascending the folder comes first: nothing is asked.
    view->SortColumnClick(0);
    messages->shown.clear();
    select({"sub", "a.txt"});
    view->DeletePermanently();
    EXPECT_TRUE(messages->shown.isEmpty());
}

// The context menu enables its items for the selection.
TEST_F(ListOps, MenuEnabling)
{
    for (const char* f : {"readme.TXT", "page.htm", "setup.exe"})
        fixture::writeFile(tmp / f, "x");
    view->UpdateFileList();
    struct Case
    {
        std::initializer_list<const char*> selected;
        const char* enabled; // the items enabled, in menu order
    } const cases[] = {
        {{}, "ItemFolder"},
        {{"a.txt", "b.txt"}, "ItemOpen ItemView SubMenuSend ItemOpCut ItemOpCopy ItemDelete ItemProperty "
                             "ItemFolder Send_To0 Send_To2 Send_To3"},
        {{"readme.TXT"}, "ItemOpen ItemView SubMenuSend ItemOpCut ItemOpCopy ItemRename ItemDelete "
                         "ItemProperty ItemFolder Send_To0 Send_To1 Send_To2 Send_To3"},
        {{"page.htm"}, "ItemOpen ItemView SubMenuSend ItemOpCut ItemOpCopy ItemRename ItemDelete "
                       "ItemProperty ItemFolder Send_To0 Send_To2 Send_To3"},
        {{"setup.exe"}, "ItemOpen SubMenuSend ItemOpCut ItemOpCopy ItemRename ItemDelete "
                        "ItemProperty ItemFolder Send_To0 Send_To2 Send_To3"},
    };
    const char* all[] = {"ItemOpen",     "ItemView",   "SubMenuSend", "ItemOpCut", "ItemOpCopy",
                         "ItemOpPaste",  "ItemRename", "ItemDelete",  "ItemProperty",
                         "ItemFolder",   "Send_To0",   "Send_To1",    "Send_To2",  "Send_To3"};
    TQvFilelistView28PopUp* menu = view->PopupMenu();
    ASSERT_TRUE(menu);
    for (const Case& c : cases) {
        view->clearSelection();
        select(c.selected);
        menu->UpdateEnabled();
        QStringList enabled;
        for (const char* name : all)
            if (menu->Item(QString::fromLatin1(name))->isEnabled())
                enabled.append(QString::fromLatin1(name));
        EXPECT_EQ(enabled.join(QLatin1Char(' ')), QString::fromLatin1(c.enabled));
    }
    EXPECT_EQ(menu->Item(QStringLiteral("ItemOpen"))->text(), QStringLiteral("Ö&ffnen"));
    view->SetDirectory(TQvFilelistView28::MyComputer);
    menu->UpdateEnabled();
    EXPECT_FALSE(menu->Item(QStringLiteral("ItemFolder"))->isEnabled());
}

// Colours by attributes: read-only teal, hidden grey, others the view's own; off, all
// the view's own.
TEST_F(ListOps, ColoursByAttributes)
{
    const TListItemColors colors;
    auto color = [&](const char* name) {
        return view->ListModel()->data(view->ListModel()->index(row(QString::fromUtf8(name)), 0),
                                       Qt::ForegroundRole);
    };
    EXPECT_FALSE(color("r.txt").isValid());
    view->SetLItemColorByATTR(true);
    EXPECT_EQ(color("r.txt").value<QColor>(), QColor(0, 128, 128));
    EXPECT_EQ(color(".hidden").value<QColor>(), colors.Attr_Hidden);
    EXPECT_FALSE(color("a.txt").isValid());
    TListItemColors red;
    red.Attr_Readonly = Qt::red;
    view->SetLItemColors(red);
    EXPECT_EQ(color("r.txt").value<QColor>(), QColor(Qt::red));
}

// A rebuild of the shown directory (a change on disk, F5) keeps the marks and the sort
// order of the entries that are still there.
TEST_F(ListOps, RebuildKeepsMarksAndSortOrder)
{
    view->SortColumnClick(1); // by size, descending
    select({"b.txt", "sub"});
    fixture::writeFile(tmp / "new.txt", "new");
    QTest::keyClick(view.get(), Qt::Key_F5);
    EXPECT_EQ(view->SortColumn(), 1);
    EXPECT_TRUE(view->SortDescending());
    EXPECT_TRUE(view->ItemSelected(row(QStringLiteral("b.txt"))));
    EXPECT_TRUE(view->ItemSelected(row(QStringLiteral("sub"))));
    EXPECT_EQ(view->SelectedRows().size(), 2);
    EXPECT_GE(row(QStringLiteral("new.txt")), 0);
}

// A double click opens; with OpenByDblClick off it is reported instead, except on the
// parent item, which still goes up.
TEST_F(ListOps, DoubleClick)
{
    QSignalSpy dbl(view.get(), &TQvFilelistView28::OnDblClick);
    view->SetOpenByDblClick(false);
    select({"sub"});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->ListModel()->index(row(QStringLiteral("sub")), 0)).center());
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(view->Directory(), q(tmp.path()));
    view->SetOpenByDblClick(true);
    select({"sub"});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualRect(view->ListModel()->index(row(QStringLiteral("sub")), 0)).center());
    EXPECT_EQ(view->Directory(), q(tmp / "sub/"));
}

// The Send To entries of the menu are numbered after the four fixed ones and send to
// their own targets; a new language builds the menu anew and reads the folder again.
TEST_F(ListOps, SendToEntriesOfTheMenuAndALanguageChange)
{
    const QByteArray sendTo = qgetenv("XDG_DATA_HOME") + "/SendTo/";
    fixture::makeDir(qgetenv("XDG_DATA_HOME"));
    fixture::makeDir(sendTo);
    for (const char* n : {"eins", "zwei", "drei"}) {
        fixture::makeDir(tmp / "to-" + n);
        ASSERT_EQ(::symlink((tmp / "to-" + n).constData(), (sendTo + n).constData()), 0);
    }
    view->SetLanguage(lnEnglish);
    view->SetLanguage(lnGerman); // builds the menu anew with the three entries
    TQvFilelistView28PopUp* menu = view->PopupMenu();
    ASSERT_EQ(menu->SendToTargets().size(), 3);
    // Sorted by name: drei, eins, zwei.
    QAction* second = menu->Item(QStringLiteral("Send_To5"));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text(), QStringLiteral("eins"));
    select({"a.txt"});
    menu->MenuItemClick(second);
    EXPECT_EQ(fixture::names(tmp / "to-eins"), QList<QByteArray>{"a.txt"});
    EXPECT_TRUE(fixture::names(tmp / "to-drei").isEmpty());

    ::unlink((sendTo + "zwei").constData());
    view->SetLanguage(lnEnglish);
    menu = view->PopupMenu();
    EXPECT_EQ(menu->SendToTargets().size(), 2);
    EXPECT_EQ(menu->Item(QStringLiteral("ItemOpen"))->text(), QStringLiteral("&Open"));
    for (const char* n : {"eins", "drei"})
        ::unlink((sendTo + n).constData());
}
