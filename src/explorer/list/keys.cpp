// The file list's keys: the twelve configurable bindings and the fixed keys, each test
// on its own in a fixed order, and the colours of its entries by their attributes.
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shelloperations.h"
#include "explorer/tree/qvdirtree21.h"

#include <QKeyEvent>

void TQvFilelistView28::keyPressEvent(QKeyEvent* event)
{
    // While a caption is edited, keys the editor passes on (Enter, Escape) are only
    // reported: Enter must not open the item whose name is being typed.
    if (state() == QAbstractItemView::EditingState) {
        Q_EMIT OnKeyDown(event);
        return;
    }
    const TShortCut c = ShortCutOf(*event);
    const int key = VirtualKey(event->key());
    const TQvFileListShortCuts& sc = m_shortCuts;
    bool bound = false; // a binding of the list took the key: the view must not act on it
    auto is = [&](TShortCut binding, TQvListViewAction action) {
        const bool match = c == binding && sc.Active(action);
        bound = bound || match;
        return match;
    };

    if (FirstSelectedRow() >= 0) {
        if (is(sc.scCopy, vaCopy))
            CutCopy(opCopy);
        if (is(sc.scCut, vaCut))
            CutCopy(opMove);
        if (is(sc.scOpen, vaOpen))
            OpenItem();
        if (is(sc.scView, vaView))
            ViewFile();
        if (is(sc.scDelete, vaDelete))
            DeleteItems();
        if (is(sc.scRename, vaRename))
            RenameItem();
        if (is(sc.scPaste, vaPaste) && (!ClipList().isEmpty() || ClipboardHasFiles()))
            PasteFiles();
        if (is(sc.scNewFolder, vaNewFolder) && !isDriveView())
            NewFolder();
    }

    if (is(sc.scBack, vaBack)) {
        if (isDriveView())
            return;
        OneLevelUp();
    }
    if (is(sc.scFindFile, vaFindFile))
        FindFile();
    if (is(sc.scRefresh, vaRefresh)) {
        UpdateFileList();
        if (m_dirTree) {
            const QString selected = m_dirTree->SelectedPath();
            m_dirTree->ReloadTree();
            m_dirTree->OpenPath(selected);
        }
    }
    if (is(sc.scSelectAll, vaSelectAll) && m_model->EntryCount() > 0)
        selectAll();
    if (key == vk::Return && m_openByEnter)
        OpenItem();
    if (event->modifiers() == Qt::ShiftModifier && key == vk::Delete) {
        if (FirstSelectedRow() < 0)
            return;
        DeletePermanently();
    }
    if (key == vk::F4)
        return;

    if (key != vk::Escape) {
        Q_EMIT OnKeyDown(event);
        // The view's own navigation for the rest (it would copy its text on Ctrl+C).
        // Select-all and copy are the list's own bindings even when switched off.
        const bool own = bound || key == vk::Return || event->matches(QKeySequence::SelectAll) ||
                         event->matches(QKeySequence::Copy) ||
                         (key == vk::Delete && event->modifiers() == Qt::ShiftModifier);
        if (!own)
            QTreeView::keyPressEvent(event);
    }
}

void TQvFilelistView28::SetLItemColorByATTR(bool on)
{
    m_itemColorByAttr = on;
    m_model->SetItemColors(on ? &m_itemColors : nullptr);
}
