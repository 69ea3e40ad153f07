#include "explorer/tree/popupmenu.h"

#include "explorer/lang/qvconsts.h"
#include "explorer/shell/shelloperations.h"
#include "explorer/tree/qvdirtree21.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace {

// A theme icon, or the style's where the theme has none.
QIcon themeIcon(const char* name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name),
                            QApplication::style()->standardIcon(fallback));
}

QString text(TStrKey key)
{
    return ExplorerString(key, CurrentTreeLanguage);
}

} // namespace

TQvDirTree21PopUp::TQvDirTree21PopUp(TQvDirTree21* tree) : QMenu(tree), m_tree(tree)
{
    connect(this, &QMenu::triggered, this, &TQvDirTree21PopUp::MenuItemClick);
}

QAction* TQvDirTree21PopUp::AddMenuItem(const QString& caption, const QIcon& icon, int tag,
                                        const QString& name)
{
    QAction* item = addAction(icon, caption);
    item->setData(tag);
    item->setObjectName(name);
    return item;
}

QAction* TQvDirTree21PopUp::Item(const QString& name) const
{
    for (QAction* a : actions())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void TQvDirTree21PopUp::BuildItems()
{
    clear();
    AddMenuItem(text(TStrKey::StrTreeNewFolder),
                themeIcon("folder-new", QStyle::SP_FileDialogNewFolder), 1,
                QStringLiteral("AddNode"));
    AddMenuItem(text(TStrKey::StrTreeRenameFolder),
                themeIcon("edit-rename", QStyle::SP_FileLinkIcon), 2, QStringLiteral("EditNode"));
    AddMenuItem(text(TStrKey::StrTreeDeleteFolder), themeIcon("edit-delete", QStyle::SP_TrashIcon),
                3, QStringLiteral("DelNode"));
    addSeparator();
    AddMenuItem(text(TStrKey::StrTreeCut), themeIcon("edit-cut", QStyle::SP_DialogDiscardButton), 4,
                QStringLiteral("CutNode"));
    AddMenuItem(text(TStrKey::StrTreeCopy), themeIcon("edit-copy", QStyle::SP_FileIcon), 5,
                QStringLiteral("CopyNode"));
    AddMenuItem(text(TStrKey::StrTreePaste), themeIcon("edit-paste", QStyle::SP_DialogApplyButton),
                6, QStringLiteral("PasteNode"));
    addSeparator();
    AddMenuItem(text(TStrKey::StrTreeSize), themeIcon("drive-harddisk", QStyle::SP_DriveHDIcon), 7,
                QStringLiteral("GetTreeSize"));
    AddMenuItem(text(TStrKey::StrTreeFolderContents),
                themeIcon("view-list-details", QStyle::SP_FileDialogDetailedView), 8,
                QStringLiteral("ShowFolderContents"));
    addSeparator();
    AddMenuItem(text(TStrKey::StrTreeMapDrive),
                themeIcon("network-server", QStyle::SP_DriveNetIcon), 9,
                QStringLiteral("ConnectNetResource"));
    AddMenuItem(text(TStrKey::StrTreeDisconnectDrive),
                themeIcon("network-offline", QStyle::SP_DialogCloseButton), 10,
                QStringLiteral("DisConnectNetResource"));
    addSeparator();
    AddMenuItem(text(TStrKey::StrTreeProperty),
                themeIcon("document-properties", QStyle::SP_FileDialogInfoView), 11,
                QStringLiteral("ItemProperty"));
}

void TQvDirTree21PopUp::UpdateEnabled()
{
    const QTreeWidgetItem* node = m_tree->currentItem();
    int level = -1;
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        ++level;
    const bool volumeOrFolder = level > 0;
    const bool folder = level > 1;
    Item(QStringLiteral("AddNode"))->setEnabled(volumeOrFolder);
    for (const char* name : {"EditNode", "DelNode", "CutNode", "CopyNode"})
        Item(QString::fromLatin1(name))->setEnabled(folder);
    Item(QStringLiteral("PasteNode"))->setEnabled(folder && m_tree->ClipArmed());
    for (const char* name : {"GetTreeSize", "ShowFolderContents", "ItemProperty"})
        Item(QString::fromLatin1(name))->setEnabled(volumeOrFolder);
    Item(QStringLiteral("ConnectNetResource"))->setEnabled(true);
    Item(QStringLiteral("DisConnectNetResource"))->setEnabled(true);
}

void TQvDirTree21PopUp::Popup(int x, int y)
{
    UpdateEnabled();
    popup(QPoint(x + 10, y + 10));
}

void TQvDirTree21PopUp::MenuItemClick(QAction* item)
{
    const int tag = item->data().toInt();
    if (item->objectName().isEmpty() || tag == 0)
        return;
    switch (tag) {
    case 1:
        m_tree->AddNewFolder(m_tree->currentItem(), QString());
        break;
    case 2:
        m_tree->EditSelected();
        break;
    case 3:
        if (QTreeWidgetItem* node = m_tree->currentItem())
            m_tree->DeleteFolder(node);
        break;
    case 4:
        m_tree->CutOrCopyFolder(opMove);
        break;
    case 5:
        m_tree->CutOrCopyFolder(opCopy);
        break;
    case 6:
        m_tree->PasteFolder();
        break;
    case 7:
        m_tree->ShowTreeSize();
        break;
    case 8:
        m_tree->ShowFolderFiles();
        break;
    case 9:
        m_tree->ConnectNetworkDrive();
        break;
    case 10:
        m_tree->DisconnectNetworkDrive();
        break;
    case 11:
        m_tree->ShowFolderProperties();
        break;
    default:
        break;
    }
}
