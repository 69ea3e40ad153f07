#include "explorer/list/popupmenu.h"

#include "explorer/lang/qvconsts.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shelloperations.h"
#include "platform/sendto.h"

#include <QApplication>
#include <QContextMenuEvent>
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
    return ExplorerString(key, CurrentListLanguage);
}

// The entry number after "Send_To" in an item's name (at most two digits), -1 when
// there is none.
int sendToNumber(const QString& name)
{
    static const QString prefix = QStringLiteral("Send_To");
    if (!name.startsWith(prefix))
        return -1;
    bool ok = false;
    const int n = name.mid(prefix.size(), 2).toInt(&ok);
    return ok ? n : -1;
}

} // namespace

TQvFilelistView28PopUp::TQvFilelistView28PopUp(TQvFilelistView28* list)
    : QMenu(list), m_list(list)
{
    connect(this, &QMenu::triggered, this, &TQvFilelistView28PopUp::MenuItemClick);
}

QAction* TQvFilelistView28PopUp::AddMenuItem(QMenu* menu, const QString& caption,
                                            const QIcon& icon, int tag, const QString& name)
{
    QAction* item = menu->addAction(icon, caption);
    item->setData(tag);
    item->setObjectName(name);
    item->setEnabled(true);
    return item;
}

QAction* TQvFilelistView28PopUp::Item(const QString& name) const
{
    if (m_sendMenu && m_sendMenu->menuAction()->objectName() == name)
        return m_sendMenu->menuAction();
    for (const QMenu* menu : {static_cast<const QMenu*>(this), static_cast<const QMenu*>(m_sendMenu)}) {
        if (!menu)
            continue;
        for (QAction* a : menu->actions())
            if (a->objectName() == name)
                return a;
    }
    return nullptr;
}

void TQvFilelistView28PopUp::BuildItems()
{
    clear();
    AddMenuItem(this, text(TStrKey::StrListOpen), themeIcon("document-open", QStyle::SP_DialogOpenButton), 1,
                QStringLiteral("ItemOpen"));
    AddMenuItem(this, text(TStrKey::StrListView), themeIcon("document-preview", QStyle::SP_FileDialogContentsView), 2,
                QStringLiteral("ItemView"));
    addSeparator();
    m_sendMenu = addMenu(themeIcon("document-send", QStyle::SP_ArrowRight), text(TStrKey::StrListSendTo));
    m_sendMenu->menuAction()->setData(3);
    m_sendMenu->menuAction()->setObjectName(QStringLiteral("SubMenuSend"));
    addSeparator();
    AddMenuItem(this, text(TStrKey::StrListCut), themeIcon("edit-cut", QStyle::SP_DialogDiscardButton), 4,
                QStringLiteral("ItemOpCut"));
    AddMenuItem(this, text(TStrKey::StrListCopy), themeIcon("edit-copy", QStyle::SP_FileIcon), 5,
                QStringLiteral("ItemOpCopy"));
    AddMenuItem(this, text(TStrKey::StrListPaste), themeIcon("edit-paste", QStyle::SP_DialogApplyButton), 6,
                QStringLiteral("ItemOpPaste"));
    addSeparator();
    AddMenuItem(this, text(TStrKey::StrListRename), themeIcon("edit-rename", QStyle::SP_FileLinkIcon), 7,
                QStringLiteral("ItemRename"));
    AddMenuItem(this, text(TStrKey::StrListDelete), themeIcon("edit-delete", QStyle::SP_TrashIcon), 8,
                QStringLiteral("ItemDelete"));
    addSeparator();
    AddMenuItem(this, text(TStrKey::StrListProperties),
                themeIcon("document-properties", QStyle::SP_FileDialogInfoView), 9,
                QStringLiteral("ItemProperty"));
    addSeparator();
    AddMenuItem(this, text(TStrKey::StrListNewFolder), themeIcon("folder-new", QStyle::SP_FileDialogNewFolder), 10,
                QStringLiteral("ItemFolder"));

    AddMenuItem(m_sendMenu, text(TStrKey::StrSendAnyFolder), themeIcon("folder", QStyle::SP_DirIcon), 30,
                QStringLiteral("Send_To0"));
    AddMenuItem(m_sendMenu, text(TStrKey::StrSendClipContents), themeIcon("edit-paste", QStyle::SP_FileIcon), 31,
                QStringLiteral("Send_To1"));
    AddMenuItem(m_sendMenu, text(TStrKey::StrSendClipFileName), themeIcon("edit-paste", QStyle::SP_FileIcon), 32,
                QStringLiteral("Send_To2"));
    AddMenuItem(m_sendMenu, text(TStrKey::StrSendDesktopShortcut),
                themeIcon("user-desktop", QStyle::SP_DesktopIcon), 33, QStringLiteral("Send_To3"));
    FillSendToItems();
}

void TQvFilelistView28PopUp::FillSendToItems()
{
    m_sendToTargets.clear();
    // Item names carry two digits of entry number: 96 entries can be told apart, the
    // rest of a larger Send To folder is left out rather than sent to the wrong place.
    constexpr int MaxEntries = 96;
    for (const platform::SendToEntry& entry : platform::sendToEntries()) {
        if (m_sendToTargets.size() == MaxEntries)
            break;
        const int i = int(m_sendToTargets.size());
        AddMenuItem(m_sendMenu, entry.name, QIcon::fromTheme(entry.iconName), 34 + i,
                    QStringLiteral("Send_To") + QString::number(4 + i));
        m_sendToTargets.append(entry.path);
    }
}

void TQvFilelistView28PopUp::UpdateEnabled()
{
    const int row = m_list->FirstSelectedRow();
    const bool selected = row >= 0;
    const int count = selected ? int(m_list->SelectedRows().size()) : 0;
    const QStringList& viewable = TQvFilelistView28::ViewableExtensions();
    const int index = selected ? TQvFilelistView28::ViewableIndex(m_list->ItemSubItem(row, 4)) : -1;

    for (const char* name : {"ItemOpen", "SubMenuSend", "ItemOpCut", "ItemOpCopy", "ItemDelete",
                             "ItemProperty", "Send_To0", "Send_To2", "Send_To3"})
        Item(QString::fromLatin1(name))->setEnabled(selected);
    Item(QStringLiteral("ItemView"))->setEnabled(selected && index >= 0);
    Item(QStringLiteral("ItemOpPaste"))
        ->setEnabled(!m_list->ClipList().isEmpty() || TQvFilelistView28::ClipboardHasFiles());
    Item(QStringLiteral("ItemRename"))->setEnabled(selected && count == 1);
    Item(QStringLiteral("ItemFolder"))
        ->setEnabled(m_list->Directory().compare(TQvFilelistView28::MyComputer,
                                                 Qt::CaseInsensitive) != 0);
    // Every kind but the web pages: their contents are no clipboard text.
    Item(QStringLiteral("Send_To1"))
        ->setEnabled(selected && count == 1 && index >= 0 && index < viewable.size() - 2);
}

void TQvFilelistView28PopUp::Popup(int x, int y)
{
    UpdateEnabled();
    popup(QPoint(x + 10, y + 10));
}

void TQvFilelistView28PopUp::MenuItemClick(QAction* item)
{
    const int tag = item->data().toInt();
    if (item->objectName().isEmpty() || tag == 0)
        return;
    switch (tag) {
    case 1:
        m_list->OpenItem();
        return;
    case 2:
        m_list->ViewFile();
        return;
    case 3:
        return; // the submenu itself
    case 4:
        m_list->CutCopy(opMove);
        return;
    case 5:
        m_list->CutCopy(opCopy);
        return;
    case 6:
        m_list->PasteFiles();
        return;
    case 7:
        m_list->RenameItem();
        return;
    case 8:
        m_list->DeleteItems();
        return;
    case 9:
        m_list->ShowProperties();
        return;
    case 10:
        m_list->NewFolder();
        return;
    default:
        break;
    }
    const int n = sendToNumber(item->objectName());
    if (n >= 0 && n <= 3)
        m_list->SendToSpecial(n);
    else if (n >= 4 && n - 4 < m_sendToTargets.size())
        m_list->SendToShortcut(m_sendToTargets[n - 4]);
}

// ---- the list's side ---------------------------------------------------------------

void TQvFilelistView28::RebuildPopupMenu()
{
    delete m_popupMenu;
    m_popupMenu = new TQvFilelistView28PopUp(this);
    m_popupMenu->BuildItems();
}

void TQvFilelistView28::contextMenuEvent(QContextMenuEvent* event)
{
    // No menu in the drive view: there is nothing it could act on.
    if (!m_popUpMenuEnabled || !m_popupMenu || isDriveView()) {
        event->ignore();
        return;
    }
    m_popupMenu->Popup(event->globalPos().x(), event->globalPos().y());
}
