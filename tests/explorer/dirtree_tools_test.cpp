// The tree's size message, its folder contents window, its network drive commands
// and the network path dialog.
#include "explorer/list/qvfilelistview28.h"
#include "explorer/tree/foldercontents.h"
#include "explorer/tree/netpathdlg.h"
#include "explorer/tree/qvdirtree21.h"
#include "messagerecorder.h"
#include "platform/desktop.h"
#include "platform/namecodec.h"
#include "platform/netconnections.h"
#include "testenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

// Sets an environment variable for one scope and puts the old value back.
class EnvVar
{
public:
    EnvVar(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvVar() { qputenv(m_name, m_old); }

private:
    const char* m_name;
    QByteArray m_old;
};

} // namespace

TEST(DirTreeSize, MessageTextsInTheUsersNumberFormat)
{
    TQvDirTree21 tree;
    tree.SetLanguage(lnGerman);
    const struct
    {
        double total;
        const char* bytes;
        const char* size;
    } cases[] = {
        {0, "0 Bytes", "0,00 KB"},
        {1, "1 Bytes", "1,00 KB"},
        {1023, "1.023 Bytes", "1,00 KB"},
        {99999 * 1024.0, "102.398.976 Bytes", "99.999,00 KB"},
        {100000 * 1024.0, "102.400.000 Bytes", "97,66 MB"},
        {500 * 1048576.0, "524.288.000 Bytes", "500,00 MB"}, // 512,000 KB are too many
        {5 * 1073741824.0, "5.368.709.120 Bytes", "5.120,00 MB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TQvDirTree21::TreeSizeText(QStringLiteral("Ordner \"x\""), c.total),
                  QStringLiteral("===== BAUMGRÖßE =====\r\rOrdner \"x\"\rund alle untergeordneten "
                                 "Ordner \r =  ") +
                      QString::fromUtf8(c.bytes) + QStringLiteral("\r     (i.e. ") +
                      QString::fromUtf8(c.size) + QStringLiteral(" )"));
}

TEST(DirTreeSize, ShowTreeSizeOfAFolderAndOfTheRoot)
{
    ScopedRecorder rec;
    TempDir dir;
    fixture::makeDir(dir / "Bilder");
    fixture::makeDir(dir / "Bilder/alt");
    fixture::writeFile(dir / "Bilder/a.jpg", QByteArray(2000, 'a'));
    fixture::makeSparse(dir / "Bilder/alt/film", 5LL << 30);
    TQvDirTree21 tree;
    tree.SetLanguage(lnGerman);
    tree.OpenPath(q(dir / "Bilder"));
    EXPECT_EQ(tree.ShowTreeSize(), double((5LL << 30) + 2000));
    ASSERT_EQ(rec->shown.size(), 1);
    EXPECT_EQ(rec->shown[0].kind, msg::Kind::Information);
    EXPECT_EQ(rec->shown[0].text,
              QStringLiteral("===== BAUMGRÖßE =====\r\rOrdner \"Bilder\"\rund alle "
                             "untergeordneten Ordner \r =  5.368.711.120 Bytes\r     (i.e. "
                             "5.120,00 MB )"));

    // The root: no heading, nothing counted. A volume: "Laufwerk" and its path.
    tree.setCurrentItem(tree.RootNode());
    EXPECT_EQ(tree.ShowTreeSize(), 0);
    EXPECT_TRUE(rec->shown[1].text.startsWith(QStringLiteral(
        "===== BAUMGRÖßE =====\r\r\rund alle untergeordneten Ordner \r =  0 Bytes")));
    const QByteArray vol = dir / "vol";
    if (fixture::mountTmpfs(vol, "1m")) {
        fixture::writeFile(vol + "/x", QByteArray(10, 'x'));
        tree.ReloadTree();
        tree.OpenPath(q(vol));
        EXPECT_EQ(tree.ShowTreeSize(), 10);
        EXPECT_TRUE(rec->shown[2].text.contains(QStringLiteral("\r\rLaufwerk ") + q(vol) +
                                                QStringLiteral("/\r")));
        tree.ReloadTree();
        fixture::unmount(vol);
    }
}

TEST(DirTreeContents, WindowListsFilesPicksAndReturns)
{
    ScopedRecorder rec;
    TempDir dir;
    const QByteArray b = dir / "base";
    fixture::makeDir(b);
    fixture::makeDir(b + "/sub");
    for (const char* name : {"b.txt", "a.txt", ".versteckt"})
        fixture::writeFile(b + "/" + name, "x");
    TQvDirTree21 tree;
    tree.SetLanguage(lnGerman);
    tree.resize(300, 400);
    tree.show();
    QSignalSpy picked(&tree, &TQvDirTree21::OnFileChange);
    tree.OpenPath(q(b));
    tree.ShowFolderFiles();
    TFolderContents* window = tree.FilesWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), QStringLiteral("Dateien in \" ../base \""));
    EXPECT_EQ(window->geometry(), tree.rect());
    EXPECT_FALSE(tree.RootNode()->isExpanded()); // the tree is collapsed beneath it
    QStringList names;
    for (int i = 0; i < window->List()->count(); ++i)
        names.append(window->List()->item(i)->text());
    EXPECT_EQ(names, (QStringList{QStringLiteral(".versteckt"), QStringLiteral("a.txt"),
                                  QStringLiteral("b.txt")}));
    EXPECT_EQ(window->List()->selectedItems().size(), 1); // the first one

    // A pick: SelectedFile and the event, and the tree is open at the folder again.
    window->List()->setCurrentRow(2);
    window->OkButton()->click();
    EXPECT_EQ(tree.SelectedFile(), q(b) + QStringLiteral("/b.txt"));
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][1].toString(), q(b) + QStringLiteral("/b.txt"));
    EXPECT_EQ(tree.FilesWindow(), nullptr);
    EXPECT_EQ(tree.SelectedPath(), q(b) + QStringLiteral("/"));

    // OK without a selection: SelectedFile empty, no event.
    tree.ShowFolderFiles();
    tree.FilesWindow()->List()->clearSelection();
    tree.FilesWindow()->OkButton()->click();
    EXPECT_EQ(tree.SelectedFile(), QString());
    EXPECT_EQ(picked.count(), 1);

    // A volume shows its mount point in the caption.
    tree.OpenPath(QStringLiteral("/"));
    tree.ShowFolderFiles();
    EXPECT_EQ(tree.FilesWindow()->Caption(), QStringLiteral("Dateien in \" / \""));
    EXPECT_TRUE(rec->shown.isEmpty());
}

// gio stands in: it records its arguments, makes the share's folder where gio mounts
// shares, and fails for hosts named "fail".
class NetworkDrives : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fixture::makeDir(m_tmp / "bin");
        fixture::writeFile(
            m_tmp / "bin/gio",
            "#!/bin/sh\n"
            "echo \"$*\" >> \"$RECORD\"\n"
            "case \"$*\" in *fail*) echo 'gio: Zugriff verweigert' >&2; exit 2;; esac\n"
            "if [ \"$2\" = -u ]; then rmdir \"$3\"; exit 0; fi\n"
            "mkdir -p \"$XDG_RUNTIME_DIR/gvfs/smb-share:server=srv,share=data\"\n");
        ::chmod((m_tmp / "bin/gio").constData(), 0755);
        m_share = platform::gvfsFolder() + QStringLiteral("/smb-share:server=srv,share=data");
    }
    QStringList record() const
    {
        return QString::fromUtf8(fixture::exists(m_tmp / "record")
                                     ? fixture::readFile(m_tmp / "record")
                                     : QByteArray())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Answers the next network path dialog of tree with path (and the reconnect box).
    static void answerPathDialog(TQvDirTree21& tree, const QString& path, bool reconnect)
    {
        QTimer::singleShot(0, &tree, [&tree, path, reconnect] {
            TNetPathDlg* dlg = tree.NetPathDialog();
            dlg->PathEdit()->setText(path);
            dlg->ReconnectBox()->setChecked(reconnect);
            dlg->Dialog()->accept();
        });
    }

    TempDir m_tmp;
    EnvVar m_path{"PATH", m_tmp / "bin:/usr/bin:/bin"};
    EnvVar m_record{"RECORD", m_tmp / "record"};
    QString m_share;
};

TEST_F(NetworkDrives, ConnectShowsTheShareUnderItsDriveAndDisconnectRemovesIt)
{
    ScopedRecorder rec;
    TQvDirTree21 tree;
    TQvFilelistView28 list;
    list.SetDirTree(&tree);
    tree.SetLanguage(lnGerman);

    answerPathDialog(tree, QStringLiteral("\\\\srv\\data"), true);
    tree.ConnectNetworkDrive();
    EXPECT_EQ(record(), QStringList{QStringLiteral("mount smb://srv/data")});
    EXPECT_TRUE(rec->shown.isEmpty());
    // The first drive name offered is A:; the share's volume carries it.
    QTreeWidgetItem* node = tree.currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(tree.IsDriveNode(node));
    EXPECT_EQ(node->text(0), QStringLiteral(" (") + m_share + QStringLiteral(")  A: data auf srv"));
    EXPECT_EQ(tree.SelectedPath(), m_share + QStringLiteral("/"));
    EXPECT_EQ(list.Directory(), m_share + QStringLiteral("/"));
    const QByteArray entry =
        platform::encodeName(platform::autostartEntryPath(QStringLiteral("A:")));
    ASSERT_TRUE(fixture::exists(entry));
    EXPECT_TRUE(fixture::readFile(entry).contains("\nExec=gio mount smb://srv/data\n"));
    // The next dialog proposes the letter after it.
    EXPECT_EQ(TNetPathDlg(&tree).NetDrive, QStringLiteral("B:"));

    // Disconnect: our own dialog lists the network volumes; the share is chosen.
    QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* volumes = dialog->findChild<QListWidget*>();
        for (int i = 0; i < volumes->count(); ++i)
            if (volumes->item(i)->data(Qt::UserRole).toString() == m_share)
                volumes->setCurrentRow(i);
        dialog->accept();
    });
    tree.DisconnectNetworkDrive();
    EXPECT_EQ(record().last(), QStringLiteral("mount -u ") + m_share);
    EXPECT_FALSE(fixture::exists(entry));
    EXPECT_TRUE(platform::netConnections().empty());
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("My Computer"));
    EXPECT_EQ(tree.currentItem(), tree.RootNode());
    EXPECT_EQ(list.Directory(), QStringLiteral("My Computer"));
    EXPECT_TRUE(rec->shown.isEmpty());
}

TEST_F(NetworkDrives, FailuresReachTheUserAndChangeNothing)
{
    ScopedRecorder rec;
    TQvDirTree21 tree;
    tree.OpenPath(QStringLiteral("/"));
    answerPathDialog(tree, QStringLiteral("smb://fail/x"), false);
    tree.ConnectNetworkDrive();
    ASSERT_EQ(rec->shown.size(), 1);
    EXPECT_EQ(rec->shown[0].title, QStringLiteral("Error while connecting!"));
    EXPECT_EQ(rec->shown[0].text,
              QStringLiteral("An error occured while connecting:\r\ngio: Zugriff verweigert"));
    EXPECT_TRUE(platform::netConnections().empty());
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("/"));

    // Cancel: gio is not asked at all.
    QTimer::singleShot(0, &tree, [&tree] { tree.NetPathDialog()->Dialog()->reject(); });
    tree.ConnectNetworkDrive();
    EXPECT_EQ(record().size(), 1);
}

TEST(NetPathDlg, TextsLayoutAndKeys)
{
    QWidget owner;
    TNetPathDlg dlg(&owner);
    QDialog* d = dlg.Dialog();
    EXPECT_EQ(d->size(), QSize(382, 160));
    QStringList labels;
    for (const QLabel* l : d->findChildren<QLabel*>())
        labels.append(l->text());
    EXPECT_TRUE(labels.contains(
        QStringLiteral("Specify an avilable Drive Letter in My Computer for the connection \nand "
                       "the path to the Network Computer that you want to connect to:")));
    EXPECT_TRUE(labels.contains(QStringLiteral("Drive")));
    EXPECT_TRUE(labels.contains(QStringLiteral("Path")));
    EXPECT_EQ(dlg.ReconnectBox()->text(), QStringLiteral("Reconnect at logon"));
    EXPECT_TRUE(dlg.ReconnectBox()->isChecked());
    EXPECT_EQ(dlg.DriveBox()->geometry(), QRect(60, 52, 189, 21));
    EXPECT_EQ(dlg.PathEdit()->geometry(), QRect(60, 84, 189, 21));
    EXPECT_EQ(dlg.BrowseButton()->geometry(), QRect(272, 84, 75, 23));
    EXPECT_EQ(dlg.DriveList.size(), 26);
    EXPECT_EQ(dlg.NetDrive, QStringLiteral("A:"));

    // Escape cancels; Enter confirms with what was typed.
    QTimer::singleShot(0, d, [d] { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_FALSE(dlg.Execute());
    QTimer::singleShot(0, d, [&dlg, d] {
        dlg.PathEdit()->setText(QStringLiteral("sftp://host/srv"));
        dlg.DriveBox()->setEditText(QStringLiteral("Q:"));
        dlg.ReconnectBox()->setChecked(false);
        QTest::keyClick(dlg.PathEdit(), Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.NetPath, QStringLiteral("sftp://host/srv"));
    EXPECT_EQ(dlg.NetDrive, QStringLiteral("Q:"));
    EXPECT_FALSE(dlg.Reconnect);
}
