// The file list's cut, copy and paste, its send-to commands and dropped files.
#include "explorer/lang/qvconsts.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shelloperations.h"
#include "explorer/tree/qvdirtree21.h"
#include "messagerecorder.h"
#include "platform/clipboardfiles.h"
#include "platform/desktop.h"
#include "platform/namecodec.h"
#include "platform/sendto.h"
#include "testenv.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

const QByteArray Latin1Name = "gr\xfc\xdf.txt"; // not UTF-8

std::unique_ptr<TQvFilelistView28> listOn(const QByteArray& dir)
{
    auto view = std::make_unique<TQvFilelistView28>();
    view->SetLanguage(lnGerman);
    view->SetDirectory(q(dir));
    return view;
}

void select(TQvFilelistView28& view, const QList<QByteArray>& names)
{
    view.clearSelection();
    for (int row = 0; row < view.ItemCount(); ++row)
        if (names.contains(platform::encodeName(view.ListModel()->Entry(row).Name)))
            view.selectionModel()->select(view.ListModel()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int rowOf(const TQvFilelistView28& view, const QByteArray& name)
{
    for (int row = 0; row < view.ItemCount(); ++row)
        if (platform::encodeName(view.ListModel()->Entry(row).Name) == name)
            return row;
    return -1;
}

QList<QByteArray> listed(const TQvFilelistView28& view)
{
    QList<QByteArray> out;
    for (const TFileInfo& e : view.ListModel()->Entries())
        if (!e.isParent())
            out.append(platform::encodeName(e.Name));
    std::sort(out.begin(), out.end());
    return out;
}

// Runs action once the next modal dialog is up (polling, as dialogs open in nested
// event loops).
void whenModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

// src: a.txt, b.txt, a name that is not UTF-8, sub/ with s.txt; dst empty. Two lists
// (source and target) speaking German.
class ListClipboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixture::makeDir(tmp / "src");
        fixture::makeDir(tmp / "dst");
        for (const QByteArray& name : {QByteArray("a.txt"), QByteArray("b.txt"), Latin1Name})
            fixture::writeFile(tmp / "src/" + name, "content of " + name);
        fixture::makeDir(tmp / "src/sub");
        fixture::writeFile(tmp / "src/sub/s.txt", "s");
        source = listOn(tmp / "src");
        target = listOn(tmp / "dst");
        ClipOperation = opNone;
        QApplication::clipboard()->clear();
    }
    void TearDown() override { ClipOperation = opNone; }

    QList<QByteArray> names(const char* dir) const { return fixture::names(tmp / dir); }

    TempDir tmp;
    ScopedRecorder messages;
    std::unique_ptr<TQvFilelistView28> source;
    std::unique_ptr<TQvFilelistView28> target;
};

// Sorted as fixture::names sorts: by bytes.
const QList<QByteArray> AllSource = {"a.txt", "b.txt", Latin1Name, "sub"};
const QList<QByteArray> Pasted = {"a.txt", Latin1Name, "sub"};

} // namespace

// --- Cut, copy, paste -------------------------------------------------------------

TEST_F(ListClipboard, PasteCopiesOrMovesAsTheLatestCutOrCopySays)
{
    const struct
    {
        const char* what;
        TFileOpCode code;
        // A later cut or copy elsewhere (a tree) changes the shared operation.
        TFileOpCode laterElsewhere;
        // Paste in the same list after it moved to dst (its pending list), or in the
        // other list (through the clipboard).
        bool sameList;
        bool moved;
    } cases[] = {
        {"copy, paste in the other list", opCopy, opNone, false, false},
        {"cut, paste in the other list", opMove, opNone, false, true},
        {"cut, paste in the same list elsewhere", opMove, opNone, true, true},
        {"cut, then a copy elsewhere", opMove, opCopy, true, false},
        {"copy, then a cut elsewhere", opCopy, opMove, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::removeTree(tmp / "src");
        fixture::removeTree(tmp / "dst");
        SetUp();
        select(*source, {"a.txt", Latin1Name, "sub"});
        source->CutCopy(c.code);
        EXPECT_EQ(source->ClipList().size(), 3);
        if (c.laterElsewhere != opNone)
            ClipOperation = c.laterElsewhere;
        TQvFilelistView28* into = target.get();
        if (c.sameList) {
            source->SetDirectory(q(tmp / "dst"));
            into = source.get();
        }
        into->PasteFiles();

        EXPECT_EQ(names("dst"), Pasted);
        EXPECT_EQ(fixture::readFile(tmp / "dst/" + Latin1Name), "content of " + Latin1Name);
        EXPECT_EQ(fixture::readFile(tmp / "dst/sub/s.txt"), "s");
        EXPECT_EQ(names("src"), c.moved ? QList<QByteArray>{"b.txt"} : AllSource);
        // The pasted-into list shows them, its pending list is used up.
        EXPECT_EQ(listed(*into), Pasted);
        EXPECT_TRUE(into->ClipList().isEmpty());
        EXPECT_TRUE(messages->shown.isEmpty()) << messages->texts().join(u'|').toStdString();
    }
}

TEST_F(ListClipboard, SecondPasteReadsTheClipboardAgain)
{
    select(*source, {"a.txt", "b.txt"});
    source->CutCopy(opCopy);
    source->SetDirectory(q(tmp / "dst"));
    source->PasteFiles(); // the pending list
    ASSERT_EQ(names("dst"), (QList<QByteArray>{"a.txt", "b.txt"}));
    ASSERT_TRUE(source->ClipList().isEmpty());

    fixture::writeFile(tmp / "dst/a.txt", "changed");
    // The clipboard's list, copied again: replacing is asked (Cancel, the recorder's
    // default answer, stops it).
    source->PasteFiles();
    ASSERT_EQ(messages->shown.size(), 1);
    EXPECT_EQ(messages->shown[0].buttons, msg::Buttons::ReplaceSkipCancel);
    EXPECT_EQ(fixture::readFile(tmp / "dst/a.txt"), "changed");
}

TEST_F(ListClipboard, PasteDoesNothingWithoutAFolder)
{
    select(*source, {"a.txt"});
    source->CutCopy(opCopy);
    target->SetDirectory(TQvFilelistView28::MyComputer);
    target->PasteFiles();
    // A folder that went away is no place to paste into either.
    source->SetDirectory(q(tmp / "dst"));
    fixture::removeTree(tmp / "dst");
    source->PasteFiles();
    EXPECT_EQ(source->ClipList(), QStringList{q(tmp / "src/a.txt")});
    EXPECT_TRUE(messages->shown.isEmpty());
    EXPECT_EQ(names("src"), AllSource);
}

TEST_F(ListClipboard, NothingToPlaceOnlySetsTheOperation)
{
    QApplication::clipboard()->setText(QStringLiteral("unchanged"));
    select(*source, {".."});
    source->CutCopy(opMove);
    EXPECT_EQ(ClipOperation, opMove);
    EXPECT_TRUE(source->ClipList().isEmpty());
    EXPECT_TRUE(source->SelectedRows().isEmpty()); // the parent item lost its mark
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("unchanged"));

    // A paste then finds nothing to do.
    target->PasteFiles();
    EXPECT_TRUE(messages->shown.isEmpty());
    EXPECT_TRUE(names("dst").isEmpty());

    // The volumes of the drive view are no files to paste elsewhere either.
    source->SetDirectory(TQvFilelistView28::MyComputer);
    ASSERT_GT(source->ItemCount(), 0);
    source->selectAll();
    source->CutCopy(opCopy);
    EXPECT_EQ(ClipOperation, opCopy);
    EXPECT_TRUE(source->ClipList().isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("unchanged"));
}

// Content another program placed: its cut mark decides, whatever this program cut or
// copied last.
TEST_F(ListClipboard, FilesFromOtherProgramsMoveOnlyWhenCut)
{
    const QByteArray uris = platform::fileUri(q(tmp / "src/a.txt")) + "\r\n" +
                            platform::fileUri(q(tmp / "src/" + Latin1Name)) + "\r\n";
    const struct
    {
        const char* what;
        const char* format;
        QByteArray data;
        TFileOpCode ours;
        bool moved;
    } cases[] = {
        {"GNOME cut", "x-special/gnome-copied-files",
         "cut\n" + uris.trimmed().replace("\r\n", "\n"), opCopy, true},
        {"GNOME copy", "x-special/gnome-copied-files", "copy\n" + uris, opMove, false},
        {"URI list", "text/uri-list", uris, opMove, false},
        {"URI list, nothing cut here yet", "text/uri-list", uris, opNone, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::removeTree(tmp / "src");
        fixture::removeTree(tmp / "dst");
        SetUp();
        ClipOperation = c.ours;
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(c.format), c.data);
        QApplication::clipboard()->setMimeData(data);
        ASSERT_TRUE(TQvFilelistView28::ClipboardHasFiles());
        target->PasteFiles();
        EXPECT_EQ(names("dst"), (QList<QByteArray>{"a.txt", Latin1Name}));
        EXPECT_EQ(fixture::exists(tmp / "src/a.txt"), !c.moved);
        EXPECT_EQ(ClipOperation, c.ours); // the shared operation stays as it was
    }
}

TEST_F(ListClipboard, ClipboardListWithoutUsableNamesWarns)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), "http://example.org/a.txt\r\n");
    QApplication::clipboard()->setMimeData(data);
    target->PasteFiles();
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Keine Datei(en) markiert!")});
    EXPECT_EQ(messages->shown.value(0).kind, msg::Kind::Warning);
}

TEST_F(ListClipboard, DroppedFilesAreCopiedIntoTheList)
{
    ClipOperation = opMove;
    target->DropFiles(QStringList{q(tmp / "src/a.txt"), q(tmp / "src/sub")});
    EXPECT_EQ(names("dst"), (QList<QByteArray>{"a.txt", "sub"}));
    EXPECT_EQ(names("src"), AllSource);
    EXPECT_EQ(target->DropList().size(), 2);
    EXPECT_EQ(ClipOperation, opCopy);

    // In the drive view nothing is copied, and nothing is left pending.
    target->SetDirectory(TQvFilelistView28::MyComputer);
    target->DropFiles(QStringList{q(tmp / "src/b.txt")});
    EXPECT_FALSE(fixture::exists(tmp / "dst/b.txt"));
    EXPECT_TRUE(target->ClipList().isEmpty());
}

TEST_F(ListClipboard, PressSetsTheDragOperation)
{
    source->resize(500, 300);
    source->show();
    const QPoint onRow =
        source->visualRect(source->ListModel()->index(rowOf(*source, "a.txt"), 0)).center();
    for (const auto& [modifiers, expected] :
         {std::pair{Qt::KeyboardModifiers(Qt::ControlModifier), opCopy},
          std::pair{Qt::KeyboardModifiers(Qt::NoModifier), opMove}}) {
        DragOperation = opNone;
        QTest::mousePress(source->viewport(), Qt::LeftButton, modifiers, onRow);
        QTest::mouseRelease(source->viewport(), Qt::LeftButton, modifiers, onRow);
        EXPECT_EQ(DragOperation, expected);
    }
    DragOperation = opNone;
    QTest::mousePress(source->viewport(), Qt::RightButton, Qt::ControlModifier, onRow);
    EXPECT_EQ(DragOperation, opNone);
}

// With a coupled tree a press on a marked item may become a drag of all marked items:
// the marks stay until the button is let go without one.
TEST_F(ListClipboard, PressOnAMarkedItemKeepsTheMarksUntilRelease)
{
    TQvDirTree21 tree;
    source->SetDirTree(&tree);
    source->resize(500, 300);
    source->show();
    auto marked = [&] {
        QList<QByteArray> out;
        for (int row : source->SelectedRows())
            out.append(platform::encodeName(source->ListModel()->Entry(row).Name));
        std::sort(out.begin(), out.end());
        return out;
    };
    const struct
    {
        const char* what;
        Qt::KeyboardModifiers modifiers;
        QList<QByteArray> afterRelease;
    } cases[] = {
        {"plain click", Qt::NoModifier, {"a.txt"}},
        {"Ctrl click", Qt::ControlModifier, {"b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        select(*source, {"a.txt", "b.txt"});
        const QPoint at =
            source->visualRect(source->ListModel()->index(rowOf(*source, "a.txt"), 0)).center();
        QTest::mousePress(source->viewport(), Qt::LeftButton, c.modifiers, at);
        // A small movement is no drag and changes nothing either.
        QMouseEvent move(QEvent::MouseMove, at + QPoint(3, 0),
                         source->viewport()->mapToGlobal(at + QPoint(3, 0)), Qt::NoButton,
                         Qt::LeftButton, c.modifiers);
        QApplication::sendEvent(source->viewport(), &move);
        EXPECT_EQ(marked(), (QList<QByteArray>{"a.txt", "b.txt"}));
        QTest::mouseRelease(source->viewport(), Qt::LeftButton, c.modifiers, at);
        EXPECT_EQ(marked(), c.afterRelease);
    }

    // A click on an item not marked marks it alone and renames nothing. (The wait keeps
    // the click from counting as the second of a double click.)
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    select(*source, {"b.txt"});
    const QPoint onA =
        source->visualRect(source->ListModel()->index(rowOf(*source, "a.txt"), 0)).topLeft() +
        QPoint(20, 5);
    QTest::mouseClick(source->viewport(), Qt::LeftButton, Qt::NoModifier, onA);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_EQ(marked(), QList<QByteArray>{"a.txt"});
    EXPECT_EQ(source->indexWidget(source->currentIndex()), nullptr);

    // A slow second click on the caption of the one marked item still renames it.
    select(*source, {"a.txt"});
    const QPoint at =
        source->visualRect(source->ListModel()->index(rowOf(*source, "a.txt"), 0)).topLeft() +
        QPoint(20, 5);
    QTest::mouseClick(source->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_NE(source->indexWidget(source->currentIndex()), nullptr);
    source->SetDirTree(nullptr);
}

// --- Send to ------------------------------------------------------------------------

TEST_F(ListClipboard, SendToFolderEntries)
{
    TempDir sendTo;
    fixture::makeDir(tmp / "ziel");
    fixture::writeFile(sendTo / "slash.desktop", "[Desktop Entry]\nType=Link\nName=Ziel\nURL=" +
                                                     platform::fileUri(q(tmp / "ziel/")) + "\n");
    fixture::writeFile(sendTo / "plain.desktop", "[Desktop Entry]\nType=Link\nName=Ziel\nURL=" +
                                                     platform::fileUri(q(tmp / "ziel")) + "\n");
    ASSERT_EQ(::symlink((tmp / "ziel").constData(), (sendTo / "Ziel").constData()), 0);
    for (const char* entry : {"slash.desktop", "plain.desktop", "Ziel"}) {
        SCOPED_TRACE(entry);
        fixture::removeTree(tmp / "ziel");
        fixture::makeDir(tmp / "ziel");
        select(*source, {"a.txt", "..", Latin1Name});
        source->SendToShortcut(q(sendTo / entry));
        EXPECT_EQ(fixture::names(tmp / "ziel"), (QList<QByteArray>{"a.txt", Latin1Name}));
        EXPECT_TRUE(source->ClipList().isEmpty());
    }
    EXPECT_TRUE(messages->shown.isEmpty());
    EXPECT_EQ(TQvFilelistView28::ResolveShortcut(q(sendTo / "slash.desktop")), q(tmp / "ziel/"));
    EXPECT_EQ(TQvFilelistView28::ResolveShortcut(q(sendTo / "Ziel")), q(tmp / "ziel"));
}

// Programs: a stand-in that writes its arguments and working folder to a file.
TEST_F(ListClipboard, SendToProgramEntries)
{
    TempDir sendTo;
    const QByteArray record = tmp / "record";
    const QByteArray program = tmp / "record.sh";
    fixture::writeFile(program, "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > " +
                                    record + ".tmp && mv " + record + ".tmp " + record + "\n");
    ::chmod(program.constData(), 0755);
    fixture::writeFile(sendTo / "app.desktop",
                       "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + program +
                           " --files %F %i\n");
    ASSERT_EQ(::symlink(program.constData(), (sendTo / "Recorder").constData()), 0);

    auto waitForRecord = [&] {
        for (int i = 0; i < 500 && !fixture::exists(record); ++i)
            QTest::qWait(10);
        const QByteArray text = fixture::exists(record) ? fixture::readFile(record) : QByteArray();
        ::unlink(record.constData());
        return text;
    };

    const QByteArray src = tmp / "src";
    select(*source, {"a.txt", "b.txt"});
    source->SendToShortcut(q(sendTo / "app.desktop"));
    EXPECT_EQ(waitForRecord(), src + "\n[--files]\n[" + src + "/a.txt]\n[" + src + "/b.txt]\n");

    // A link to a program starts it with the selected file, in the file's folder.
    select(*source, {Latin1Name});
    source->SendToShortcut(q(sendTo / "Recorder"));
    EXPECT_EQ(waitForRecord(), src + "\n[" + src + "/" + Latin1Name + "]\n");
    EXPECT_TRUE(messages->shown.isEmpty());

    // Without a selection nothing starts.
    source->clearSelection();
    source->SendToShortcut(q(sendTo / "app.desktop"));
    QTest::qWait(100);
    EXPECT_FALSE(fixture::exists(record));
}

// However many entries the folder holds, each dispatches to its own target.
TEST_F(ListClipboard, ManySendToEntries)
{
    TempDir sendTo;
    constexpr int Count = 40;
    for (int i = 0; i < Count; ++i) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        fixture::makeDir(tmp / "ziel" + n);
        fixture::writeFile(sendTo / "e" + n + ".desktop",
                           "[Desktop Entry]\nType=Link\nName=Ziel " + n +
                               "\nURL=" + platform::fileUri(q(tmp / "ziel" + n)) + "\n");
    }
    const std::vector<platform::SendToEntry> entries = platform::sendToEntries(q(sendTo.path()));
    ASSERT_EQ(entries.size(), std::size_t(Count));
    select(*source, {"b.txt"});
    for (int i : {0, 9, 10, 23, Count - 1}) {
        const QByteArray n = QByteArray::number(i).rightJustified(2, '0');
        EXPECT_EQ(entries[std::size_t(i)].name, QString::fromLatin1("Ziel " + n));
        source->SendToShortcut(entries[std::size_t(i)].path);
        EXPECT_EQ(fixture::names(tmp / "ziel" + n), QList<QByteArray>{"b.txt"}) << i;
    }
    int filled = 0;
    for (int i = 0; i < Count; ++i)
        filled +=
            fixture::exists(tmp / "ziel" + QByteArray::number(i).rightJustified(2, '0') + "/b.txt");
    EXPECT_EQ(filled, 5);
}

TEST_F(ListClipboard, SendToFolderDialog)
{
    const struct
    {
        const char* what;
        const char* typed;  // replaces the field's text
        const char* button; // "OK", "Abbrechen", or "" for the Escape key
        bool copied;
    } cases[] = {
        {"typed folder, OK", "ziel", "OK", true}, {"typed folder, Enter", "ziel", "enter", true},
        {"Cancel", "ziel", "Abbrechen", false},   {"Escape", "ziel", "", false},
        {"empty field", "", "OK", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixture::removeTree(tmp / "ziel");
        fixture::makeDir(tmp / "ziel");
        select(*source, {"a.txt", "b.txt"});
        whenModal([&](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Zielpfad"));
            edit->setText(q(tmp / c.typed));
            if (QByteArray(c.typed).isEmpty())
                edit->clear();
            if (QByteArray(c.button) == "enter")
                QTest::keyClick(edit, Qt::Key_Return);
            else if (*c.button)
                dialog->findChild<QPushButton*>(QString::fromLatin1(c.button))->click();
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        source->SendToSpecial(0);
        EXPECT_EQ(fixture::names(tmp / "ziel"),
                  (c.copied ? QList<QByteArray>{"a.txt", "b.txt"} : QList<QByteArray>{}));
    }
}

TEST_F(ListClipboard, SendToFolderDialogLayoutAndBrowse)
{
    fixture::makeDir(tmp / "gewählt");
    QString title;
    QRect edit, ok, cancel, browse;
    QStringList texts;
    QString secondInitial;
    whenModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        EXPECT_EQ(dialog->size(), QSize(333, 135));
        auto* field = dialog->findChild<QLineEdit*>();
        edit = field->geometry();
        EXPECT_EQ(field->maxLength(), 285);
        for (auto* b : dialog->findChildren<QPushButton*>())
            texts.append(b->text());
        ok = dialog->findChild<QPushButton*>(QStringLiteral("OK"))->geometry();
        cancel = dialog->findChild<QPushButton*>(QStringLiteral("Abbrechen"))->geometry();
        browse = dialog->findChild<QPushButton*>(QStringLiteral("Durchsuchen"))->geometry();
        EXPECT_TRUE(dialog->findChild<QPushButton*>(QStringLiteral("OK"))->isDefault());
        texts.append(dialog->findChild<QLabel*>()->text());
        EXPECT_EQ(dialog->findChild<QLabel*>()->pos(), QPoint(20, 12));
        // Browse: the folder picker, then the dialog again with the folder picked.
        whenModal([&](QWidget* picker) {
            auto* files = qobject_cast<QFileDialog*>(picker);
            ASSERT_NE(files, nullptr);
            files->setDirectory(q(tmp.path()));
            files->selectFile(q(tmp / "gewählt"));
            static_cast<QDialog*>(files)->accept(); // QFileDialog hides it
            whenModal([&](QWidget* again) {
                auto* field2 = again->findChild<QLineEdit*>(QStringLiteral("Zielpfad"));
                secondInitial = field2->text();
                EXPECT_EQ(field2->selectedText(), secondInitial);
                again->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
        });
        dialog->findChild<QPushButton*>(QStringLiteral("Durchsuchen"))->click();
    });
    const QString chosen = source->AskTargetFolder(QString());
    EXPECT_EQ(title, QStringLiteral("An Ordner senden..."));
    EXPECT_EQ(texts, (QStringList{"OK", "&Abbrechen", "Ordner &wählen",
                                  "Bitte geben Sie den Zielpfad ein:"}));
    EXPECT_EQ(edit.topLeft(), QPoint(20, 32));
    EXPECT_EQ(edit.width(), 293);
    EXPECT_EQ(ok, QRect(37, 80, 75, 25));
    EXPECT_EQ(cancel, QRect(129, 80, 75, 25));
    EXPECT_EQ(browse, QRect(221, 80, 75, 25));
    EXPECT_EQ(secondInitial, q(tmp / "gewählt/"));
    EXPECT_EQ(chosen, q(tmp / "gewählt/"));
}

TEST_F(ListClipboard, NamesAndContentsToTheClipboard)
{
    fixture::writeFile(tmp / "src/c.txt", "c");
    source->UpdateFileList();
    select(*source, {"b.txt", "c.txt", "..", "a.txt"});
    source->SendToSpecial(2);
    QStringList inItemOrder; // the order the list shows
    for (int row = 0; row < source->ItemCount(); ++row)
        if (source->ItemSelected(row) && !source->ListModel()->Entry(row).isParent())
            inItemOrder.append(source->ListModel()->Entry(row).Path);
    ASSERT_EQ(inItemOrder.size(), 3);
    EXPECT_EQ(QApplication::clipboard()->text(), inItemOrder.join(u'\n'));

    select(*source, {"b.txt"});
    source->SendToSpecial(1);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("content of b.txt"));

    // Without a selection neither changes the clipboard.
    source->clearSelection();
    source->SendToSpecial(1);
    source->SendToSpecial(2);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("content of b.txt"));
}

TEST_F(ListClipboard, DesktopShortcutReplacesAnOlderOne)
{
    const QString desktop = platform::xdgUserDir(QStringLiteral("DESKTOP"));
    const QByteArray file = platform::encodeName(desktop) + "/Bericht.desktop";
    fixture::makeDir(platform::encodeName(desktop));
    fixture::writeFile(file, "[Desktop Entry]\nType=Link\nName=alt\nURL=file:///old\n");
    fixture::writeFile(tmp / "src/Bericht.doc", "doc");
    source->UpdateFileList();

    select(*source, {"Bericht.doc"});
    source->SendToSpecial(3);
    const QByteArray text = fixture::readFile(file);
    EXPECT_TRUE(text.contains("Type=Link\n")) << text.constData();
    EXPECT_TRUE(text.contains("Name=Bericht\n")) << text.constData();
    EXPECT_TRUE(text.contains("URL=" + platform::fileUri(q(tmp / "src/Bericht.doc")) + "\n"));
    EXPECT_FALSE(text.contains("alt"));
    struct stat st;
    ASSERT_EQ(::stat(file.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(platform::readShortcut(platform::decodeName(file)).target,
              q(tmp / "src/Bericht.doc"));

    // A name that is not UTF-8 keeps its bytes in the file name and the URL.
    select(*source, {Latin1Name});
    source->SendToSpecial(3);
    const QByteArray latin1File = platform::encodeName(desktop) + "/gr\xfc\xdf.desktop";
    EXPECT_EQ(platform::readShortcut(platform::decodeName(latin1File)).target,
              q(tmp / "src/" + Latin1Name));
    ::unlink(latin1File.constData());

    source->clearSelection();
    source->CreateDesktopShortcut();
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Keine Datei(en) markiert!")});
    EXPECT_EQ(messages->shown.value(0).kind, msg::Kind::Error);
    ::unlink(file.constData());
}
