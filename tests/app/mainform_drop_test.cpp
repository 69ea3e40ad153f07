// Files dropped onto the main window from other programs.
#include "privatesettings.h"
#include "app/tmainform.h"
#include "env/settings.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/tree/qvdirtree21.h"
#include "messagerecorder.h"
#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

struct MainformDrop : ::testing::Test
{
    TempDir dir;
    ScopedRecorder rec;
    std::unique_ptr<Tmainform> form;

    void SetUp() override
    {
        usePrivateSettings(dir);
        fixture::makeDir(dir / "elsewhere");
        fixture::writeFile(dir / "elsewhere/a.txt", "a");
        fixture::writeFile(dir / "elsewhere/b\xe4.txt", "b");
        fixture::makeDir(dir / "dst");
        form = std::make_unique<Tmainform>();
        form->show();
        QApplication::processEvents();
    }

    // A drag from another program entering the window at pos and dropped there, as the
    // window system hands it to the window.
    bool dropAt(QWidget* over, const QByteArray& uriList)
    {
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), uriList);
        const QPoint pos = over->mapTo(form.get(), over->rect().center());
        QWindow* window = form->windowHandle();
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(pos, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(window, &drop);
        return drop.isAccepted();
    }

    QByteArray uris() const
    {
        return platform::fileUri(q(dir / "elsewhere/a.txt")) + "\r\n" +
               platform::fileUri(q(dir / "elsewhere/b\xe4.txt")) + "\r\n";
    }
};

} // namespace

// Wherever the files land on the window, the target list copies them into its folder.
TEST_F(MainformDrop, TargetListReceivesEveryDrop)
{
    form->Zielbaum()->OpenPath(q(dir / "dst"));
    form->Zieldateien()->SetDirectory(form->Zielbaum()->SelectedPath());
    ASSERT_EQ(form->Zieldateien()->Directory(), q(dir / "dst/"));

    const struct
    {
        const char* what;
        QWidget* over;
    } places[] = {
        {"source list", form->FileList()->viewport()},
        {"target list", form->Zieldateien()->viewport()},
        {"status line", form->statusBar()},
    };
    for (const auto& p : places) {
        SCOPED_TRACE(p.what);
        fixture::removeTree(dir / "dst");
        fixture::makeDir(dir / "dst");
        EXPECT_TRUE(dropAt(p.over, uris()));
        EXPECT_EQ(fixture::names(dir / "dst"), (QList<QByteArray>{"a.txt", "b\xe4.txt"}));
        // Copied, not moved.
        EXPECT_EQ(fixture::names(dir / "elsewhere"), (QList<QByteArray>{"a.txt", "b\xe4.txt"}));
    }
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST_F(MainformDrop, NothingIsCopiedInTheDriveViewOrForOtherData)
{
    form->Zieldateien()->SetDirectory(TQvFilelistView28::MyComputer);
    dropAt(form->Zieldateien()->viewport(), uris());
    EXPECT_TRUE(form->Zieldateien()->ClipList().isEmpty());

    form->Zieldateien()->SetDirectory(q(dir / "dst"));
    // Plain text is no file list: the window does not take it.
    QMimeData text;
    text.setText(q(dir / "elsewhere/a.txt"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->windowHandle(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(fixture::names(dir / "dst").isEmpty());
    EXPECT_TRUE(rec->shown.isEmpty());
}
