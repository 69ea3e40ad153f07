#pragma once

#include <QMenu>

class QAction;
class TQvDirTree21;

// The context menu of a directory tree: new, rename and delete folder, cut, copy and
// paste, tree size, folder contents, map and disconnect network drives, properties.
// It only builds, enables and dispatches; the operations are the tree's. Built in the
// trees' language; the tree makes a new one when its language changes.
class TQvDirTree21PopUp : public QMenu
{
    Q_OBJECT
public:
    explicit TQvDirTree21PopUp(TQvDirTree21* tree);

    // The eleven items (and their separators) in the language the trees speak now
    // (CurrentTreeLanguage).
    void BuildItems();
    // Enables the items for the selected node: the computer level offers only the
    // network items, a volume no rename, delete, cut, copy or paste, and paste waits for
    // a cut or copy in this tree.
    void UpdateEnabled();
    // UpdateEnabled, then shows the menu at (x + 10, y + 10) in global coordinates.
    void Popup(int x, int y);
    // Runs the action of an item by its tag (1 to 11); other items do nothing.
    void MenuItemClick(QAction* item);
    // An item by its name ("AddNode", "PasteNode", ...); nullptr when there is none.
    QAction* Item(const QString& name) const;

private:
    QAction* AddMenuItem(const QString& caption, const QIcon& icon, int tag, const QString& name);

    TQvDirTree21* m_tree;
};
