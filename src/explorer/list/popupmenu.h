#pragma once

#include <QMenu>
#include <QStringList>

class QAction;
class TQvFilelistView28;

// The context menu of a file list: open, view, the Send To submenu, cut, copy, paste,
// rename, delete, properties and new folder. It only builds, enables and dispatches;
// the operations are the list's. Built in the list's language; the list makes a new
// one when its language changes.
class TQvFilelistView28PopUp : public QMenu
{
    Q_OBJECT
public:
    explicit TQvFilelistView28PopUp(TQvFilelistView28* list);

    // The items in the language the lists speak now (CurrentListLanguage), then the
    // Send To entries.
    void BuildItems();
    // One Send To entry per entry of the user's Send To folder, read now (not each time
    // the menu opens).
    void FillSendToItems();
    // Enables the items for the list's selection, then shows the menu at (x + 10, y + 10)
    // in global coordinates.
    void Popup(int x, int y);
    // Brings the items' enabled states up to date without showing the menu.
    void UpdateEnabled();
    // Runs the action of an item: by its tag, and for Send To entries by the number
    // after "Send_To" in its name.
    void MenuItemClick(QAction* item);

    // The targets of the Send To entries: entry "Send_To" + (4 + i) sends to item i.
    const QStringList& SendToTargets() const { return m_sendToTargets; }
    // An item by its name ("ItemOpen", "Send_To1", ...); nullptr when there is none.
    QAction* Item(const QString& name) const;

private:
    QAction* AddMenuItem(QMenu* menu, const QString& caption, const QIcon& icon, int tag,
                         const QString& name);

    TQvFilelistView28* m_list;
    QMenu* m_sendMenu = nullptr;
    QStringList m_sendToTargets;
};
