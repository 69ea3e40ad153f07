// Network drives of the tree: connecting a share under a drive name, the shares as
// volumes, and disconnecting one of the network volumes.
#include "core/messages.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/tree/netpathdlg.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/netconnections.h"
#include "platform/volumes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The network volumes to choose from when disconnecting: the shares gio mounted and
// the other network file systems. Returns the chosen mount point, empty on cancel.
QString chooseNetworkVolume(QWidget* owner)
{
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("DisconnectDialog"));
    dialog.setWindowTitle(QStringLiteral("Netzlaufwerk trennen"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Netzlaufwerke:"), &dialog));
    auto* list = new QListWidget(&dialog);
    layout->addWidget(list);
    const QString gvfs = platform::gvfsFolder();
    for (const platform::NetShare& s : platform::gvfsShares()) {
        auto* item = new QListWidgetItem(
            (s.drive.isEmpty() ? QString() : s.drive + QLatin1Char(' ')) + s.description +
                QStringLiteral("  (") + s.mountPoint + QLatin1Char(')'),
            list);
        item->setData(Qt::UserRole, s.mountPoint);
    }
    for (const platform::Volume& v : platform::listVolumes()) {
        if (v.type != platform::DriveType::Network || v.mountPoint == gvfs)
            continue;
        auto* item = new QListWidgetItem(platform::volumeNodeText(v).trimmed(), list);
        item->setData(Qt::UserRole, v.mountPoint);
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* disconnect =
        buttons->addButton(QStringLiteral("&Trennen"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Abbrechen"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    const auto enable = [&] { disconnect->setEnabled(list->currentItem() != nullptr); };
    QObject::connect(list, &QListWidget::currentItemChanged, &dialog, enable);
    if (list->count() > 0)
        list->setCurrentRow(0);
    enable();
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return QString();
    return list->currentItem()->data(Qt::UserRole).toString();
}

} // namespace

void TQvDirTree21::appendNetworkShares(QList<QTreeWidgetItem*>& nodes)
{
    for (const platform::NetShare& s : platform::gvfsShares()) {
        const QString label =
            s.drive.isEmpty() ? s.description : s.drive + QLatin1Char(' ') + s.description;
        nodes.append(makeDriveNode(
            s.mountPoint, QStringLiteral(" (") + s.mountPoint + QStringLiteral(")  ") + label,
            int(platform::DriveType::Network)));
    }
}

void TQvDirTree21::ConnectNetworkDrive()
{
    delete m_netPathDlg;
    m_netPathDlg = new TNetPathDlg(this);
    if (!m_netPathDlg->Execute())
        return;
    const QString drive = m_netPathDlg->NetDrive.trimmed().toUpper();
    if (ConnectNetDrive(drive, m_netPathDlg->NetPath, true, m_netPathDlg->Reconnect) != 0)
        return;
    ReloadTree();
    QTreeWidgetItem* root = RootNode();
    if (!root || root->childCount() == 0)
        return;
    root->setExpanded(true);
    // The new share, found by its drive name; the last volume when it shows none.
    QTreeWidgetItem* node = root->child(root->childCount() - 1);
    for (int i = 0; i < root->childCount(); ++i)
        if (!drive.isEmpty() &&
            root->child(i)->text(0).contains(QStringLiteral(")  ") + drive + QLatin1Char(' ')))
            node = root->child(i);
    setCurrentItem(node);
    SetSelectedPath(GetNodePath(node));
    if (m_fileList)
        m_fileList->SetDirectory(m_selectedPath);
}

void TQvDirTree21::DisconnectNetworkDrive()
{
    const QString mountPoint = chooseNetworkVolume(window());
    if (mountPoint.isEmpty())
        return;
    QString error;
    if (!platform::disconnectShare(mountPoint, &error)) {
        msg::ErrorBox(error);
        return;
    }
    ReloadTree();
    QTreeWidgetItem* root = RootNode();
    if (!root)
        return;
    if (!root->isExpanded())
        root->setExpanded(true);
    setCurrentItem(root);
    SetSelectedPath(TQvFilelistView28::MyComputer);
    if (m_fileList) {
        m_fileList->SetDirectory(m_selectedPath);
        m_fileList->UpdateFileList();
    }
}
