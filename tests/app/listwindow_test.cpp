#include "privatesettings.h"
#include "app/tdateien.h"
#include "app/tmainform.h"
#include "core/collectionlist.h"
#include "env/settings.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/tree/qvdirtree21.h"
#include "messagerecorder.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

// The main window with its list window, settings in a folder of their own.
struct ListWindow : ::testing::Test
{
    TempDir dir;
    ScopedRecorder rec;
    std::unique_ptr<Tmainform> form;
    Tdateien* list = nullptr;

    void SetUp() override
    {
        usePrivateSettings(dir);
        fixture::makeDir(dir / "src");
        fixture::makeDir(dir / "dst");
        form = std::make_unique<Tmainform>();
        list = form->Dateien();
    }

    QAction* action(const char* name) const
    {
        return list->Liste()->findChild<QAction*>(QString::fromLatin1(name));
    }
    QStringList lines() const { return form->Collection()->lines(); }
    QString tooltip(int row) const
    {
        const CollectionList* c = form->Collection();
        return c->data(c->index(row), Qt::ToolTipRole).toString();
    }
    void openTarget(const QByteArray& path)
    {
        form->Zielbaum()->OpenPath(q(path));
        form->Zieldateien()->SetDirectory(form->Zielbaum()->SelectedPath());
    }
};
} // namespace

// Files dropped from another program are appended, byte for byte, and the status line
// counts them as after "hinzufügen"; folders and what is not there are left out.
TEST_F(ListWindow, DroppedFilesAreAppended)
{
    fixture::writeFile(dir / "src/a.txt", "aaaa");
    fixture::writeFile(dir / "src/caf\xe9 1.txt", "cc");
    fixture::makeDir(dir / "src/folder");
    form->Collection()->appendBatch({q(dir / "src/a.txt")});
    const QByteArray base = QByteArray(dir.path()).toPercentEncoding("/");
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "# from a file manager\r\n"
                                                  "file://" +
                                                      base +
                                                      "src/caf%E9%201.txt\r\n"
                                                      "file://localhost" +
                                                      base +
                                                      "src/a.txt\r\n"
                                                      "file://" +
                                                      base +
                                                      "src/folder\r\n"
                                                      "file://" +
                                                      base +
                                                      "src/missing.txt\r\n"
                                                      "https://example.org/x.txt\r\n");

    // Onto the list itself and onto the rest of the window.
    for (QWidget* target : {list->Liste()->viewport(), static_cast<QWidget*>(list)}) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data,
                              Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_TRUE(drop.isAccepted());
    }
    const QString a = q(dir / "src/a.txt"), c = q(dir / "src/caf\xe9 1.txt");
    EXPECT_EQ(lines(), (QStringList{a, c, a, c, a}));
    EXPECT_EQ(form->StatusText(), QStringLiteral("5 Dateien mit 16 Bytes in der Liste"));

    // Nothing local to take: refused.
    QMimeData web;
    web.setData(QStringLiteral("text/uri-list"), "https://example.org/x.txt\r\n");
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->Liste()->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

// Lines dragged out name their files as file URLs, every byte that is not plain
// percent-encoded.
TEST_F(ListWindow, LinesDragOutAsUriList)
{
    CollectionList* c = form->Collection();
    c->appendBatch({q("/tmp/a b.txt"), q("/tmp/caf\xe9"), q("/tmp/x\ny%")});
    EXPECT_TRUE(c->flags(c->index(0)).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_EQ(list->Liste()->dragDropMode(), QAbstractItemView::DragOnly);
    std::unique_ptr<QMimeData> data(c->mimeData({c->index(2), c->index(0), c->index(1)}));
    EXPECT_EQ(data->data(QStringLiteral("text/uri-list")),
              "file:///tmp/a%20b.txt\r\nfile:///tmp/caf%E9\r\nfile:///tmp/x%0Ay%25\r\n");
    // What one list window gives, another takes back unchanged.
    fixture::writeFile(dir / "src/caf\xe9 b%.txt", "x");
    c->appendBatch({q(dir / "src/caf\xe9 b%.txt")});
    std::unique_ptr<QMimeData> own(c->mimeData({c->index(c->rowCount() - 1)}));
    Tdateien other(new CollectionList(list));
    EXPECT_EQ(other.DropFiles(own.get()), 1);
    EXPECT_EQ(other.Lines()->lines(), QStringList{q(dir / "src/caf\xe9 b%.txt")});
}

// The context menu saves the list and appends a saved one, awkward names included, and
// removes the marked lines like Delete.
TEST_F(ListWindow, SaveLoadAndRemoveFromTheContextMenu)
{
    EXPECT_EQ(action("Listespeichern")->text(), QStringLiteral("Liste speichern…"));
    EXPECT_EQ(action("Listeladen")->text(), QStringLiteral("Liste laden…"));
    EXPECT_EQ(action("Zeilenentfernen")->text(), QStringLiteral("Markierte Zeilen entfernen"));
    EXPECT_EQ(list->Liste()->contextMenuPolicy(), Qt::ActionsContextMenu);

    const QStringList paths{q(dir / "src/a.txt"), q(dir / "src/caf\xe9"), q(dir / "src/x\ny")};
    form->Collection()->appendBatch(paths);
    QString chosen = q(dir / "liste.lst");
    list->SetFileChooser([&](bool) { return chosen; });
    action("Listespeichern")->trigger();
    EXPECT_EQ(fixture::readFile(dir / "liste.lst"),
              dir / "src/a.txt\n\"" + dir / "src/caf\\xe9\"\n\"" + dir / "src/x\\ny\"\n");

    form->Dellisteclick();
    action("Listeladen")->trigger();
    action("Listeladen")->trigger(); // appends
    EXPECT_EQ(lines(), paths + paths);
    EXPECT_EQ(form->StatusText(), QStringLiteral("6 Dateien mit 0 Bytes in der Liste"));

    list->Liste()->selectionModel()->select(form->Collection()->index(1),
                                            QItemSelectionModel::Select);
    list->Liste()->selectionModel()->select(form->Collection()->index(4),
                                            QItemSelectionModel::Select);
    action("Zeilenentfernen")->trigger();
    EXPECT_EQ(lines(), (QStringList{paths[0], paths[2], paths[0], paths[2]}));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("2 Dateien gelöscht, 4 Dateien verbleiben"));

    // Cancelled dialogs do nothing; files that cannot be read or written say so.
    chosen.clear();
    action("Listeladen")->trigger();
    action("Listespeichern")->trigger();
    EXPECT_TRUE(rec->shown.isEmpty());
    chosen = q(dir / "nowhere/liste.lst");
    action("Listeladen")->trigger();
    action("Listespeichern")->trigger();
    EXPECT_EQ(rec->texts(),
              (QStringList{QStringLiteral("Die Liste konnte nicht geladen werden:\r") + chosen +
                               QLatin1Char('\r') + platform::errorText(ENOENT),
                           QStringLiteral("Die Liste konnte nicht gespeichert werden:\r") + chosen +
                               QLatin1Char('\r') + platform::errorText(ENOENT)}));
    EXPECT_EQ(lines().size(), 4);
}

// During a transfer the bar below the list shows files and bytes, moving while a large
// file is copied, and no line can go under the running file; afterwards it hides, each
// line that stayed has its reason as tooltip and the closing box counts the reasons.
TEST_F(ListWindow, ProgressAndReasons)
{
    const qint64 big = 20 << 20;
    fixture::writeFile(dir / "src/big.bin", QByteArray(big, 'x'));
    fixture::writeFile(dir / "src/exists.txt", "new");
    fixture::writeFile(dir / "dst/exists.txt", "old");
    fixture::writeFile(dir / "src/ok.txt", "12345");
    const QStringList input{q(dir / "src/big.bin"), q(dir / "src/exists.txt"),
                            q(dir / "src/gone.txt"), QStringLiteral("relativ.txt"),
                            q(dir / "src/ok.txt")};
    form->Collection()->appendBatch(input);
    openTarget(dir / "dst");
    form->Item(QStringLiteral("Ueberschreiben"))->trigger(); // don't overwrite
    EXPECT_TRUE(list->ProgressPanel()->isHidden());

    // Runs inside the copy of the large file, at its first progress report (shown at
    // once here; a window waits 100 ms between two).
    list->SetProgressInterval(0);
    bool seen = false;
    QTimer::singleShot(0, list, [&] {
        seen = true;
        EXPECT_FALSE(list->ProgressPanel()->isHidden());
        EXPECT_TRUE(list->LinesLocked());
        EXPECT_TRUE(list->ProgressLabel()->text().startsWith(
            QStringLiteral("0 von 5 Dateien, 8,0 MB von 20,0 MB")))
            << list->ProgressLabel()->text().toStdString();
        EXPECT_EQ(list->ProgressBar()->value(), 399); // 8 MiB of 20 MiB + 8 bytes
        list->Liste()->selectAll();
        list->Listekeydown(Qt::Key_Delete, Qt::NoModifier);
        EXPECT_EQ(form->Collection()->count(), 5);
        // The source grows while it is copied: that file must fail.
        fixture::writeFile(dir / "src/big.bin", QByteArray(big + 1, 'y'));
    });
    form->Aktionclick();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(list->ProgressPanel()->isHidden());
    EXPECT_FALSE(list->LinesLocked());

    const QStringList stayed{input[0], input[1], input[2], input[3]};
    ASSERT_EQ(lines(), stayed);
    const char* const reasons[] = {"Quelle hat sich beim Kopieren geändert",
                                   "Datei existiert bereits", "Quelldatei nicht gefunden",
                                   "Kein absoluter Pfad"};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(tooltip(row), QString::fromUtf8(reasons[row])) << row;
    EXPECT_EQ(
        rec->texts().last(),
        QStringLiteral("1 Dateien in ") + q(dir / "dst/") +
            QStringLiteral(" kopiert\r"
                           "1 Datei nicht übertragen: Quelle hat sich beim Kopieren geändert\r"
                           "1 Datei nicht übertragen: Datei existiert bereits\r"
                           "1 Datei nicht übertragen: Quelldatei nicht gefunden\r"
                           "1 Datei nicht übertragen: Kein absoluter Pfad"));
    EXPECT_EQ(form->StatusText(),
              QStringLiteral("1 Dateien in ") + q(dir / "dst/") + QStringLiteral(" kopiert"));

    // The next run keeps only its own reasons: a read-only target now, and the lines that
    // went have none.
    form->Item(QStringLiteral("Ueberschreiben"))->trigger();
    ::chmod((dir / "dst/exists.txt").constData(), 0444);
    form->Collection()->removeRows(QList<int>{2, 3});
    form->Aktionclick();
    EXPECT_EQ(lines(), QStringList{input[1]});
    EXPECT_EQ(tooltip(0), QStringLiteral("Ziel ist schreibgeschützt"));
    EXPECT_EQ(form->Collection()->failureReason(input[0]), QString());
    EXPECT_EQ(rec->texts().last(), QStringLiteral("1 Dateien in ") + q(dir / "dst/") +
                                       QStringLiteral(" kopiert\r1 Datei nicht übertragen: "
                                                      "Ziel ist schreibgeschützt"));
}

// Escape pressed while a large file is copied lets that file finish and stops before the
// next; the bar goes, and no closing box is shown.
TEST_F(ListWindow, EscapeInsideAFileStopsAfterIt)
{
    const qint64 big = 20 << 20;
    fixture::writeFile(dir / "src/big.bin", QByteArray(big, 'x'));
    fixture::writeFile(dir / "src/next.txt", "n");
    form->Collection()->appendBatch({q(dir / "src/big.bin"), q(dir / "src/next.txt")});
    openTarget(dir / "dst");
    list->SetProgressInterval(0);
    bool pressed = false;
    QTimer::singleShot(0, list, [&] {
        pressed = list->LinesLocked();
        QTest::keyClick(list->Liste(), Qt::Key_Escape);
    });
    form->Aktionclick();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(fixture::readFile(dir / "dst/big.bin").size(), big);
    EXPECT_FALSE(fixture::exists(dir / "dst/next.txt"));
    EXPECT_EQ(lines(), QStringList{q(dir / "src/next.txt")});
    EXPECT_TRUE(list->ProgressPanel()->isHidden());
    EXPECT_TRUE(rec->shown.isEmpty());
}
