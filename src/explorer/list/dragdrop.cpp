// Drags out of the file list and files dropped onto its window from elsewhere.
#include "explorer/list/qvfilelistview28.h"

#include "explorer/tree/qvdirtree21.h"
#include "platform/clipboardfiles.h"
#include "platform/filesystem.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

bool TQvFilelistView28::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_dragPending = false;
        m_pressHeldBack = false;
        if (mouse->button() != Qt::LeftButton)
            break;
        DragOperation = mouse->modifiers().testFlag(Qt::ControlModifier) ? opCopy : opMove;
        m_pressPos = mouse->position().toPoint();
        // Only a coupled tree that takes drops makes a drag worth starting.
        const QModelIndex index = indexAt(m_pressPos);
        if (!index.isValid() || !m_dirTree || !m_dirTree->DragDropEnabled() ||
            mouse->modifiers().testFlag(Qt::ShiftModifier))
            break;
        if (ItemSelected(index.row())) {
            // The marks stay while the press may still become a drag of all of them;
            // a release without a drag applies the click then.
            m_dragPending = true;
            m_pressHeldBack = true;
            return true;
        }
        const bool handled = QTreeView::viewportEvent(event);
        m_dragPending = ItemSelected(index.row());
        return handled;
    }
    case QEvent::MouseMove: {
        if (!m_dragPending)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!mouse->buttons().testFlag(Qt::LeftButton)) {
            m_dragPending = false;
            m_pressHeldBack = false;
            break;
        }
        // A short stray movement with the button held is no drag yet.
        if ((mouse->position().toPoint() - m_pressPos).manhattanLength() >
            QApplication::startDragDistance() + 10) {
            m_dragPending = false;
            m_pressHeldBack = false;
            startFileDrag();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const bool heldBack = m_dragPending && m_pressHeldBack;
        m_dragPending = false;
        m_pressHeldBack = false;
        if (!heldBack)
            break;
        // No drag came of it: the press that was held back reaches the view now, just
        // before its release, so the click marks as a click does (the item alone, Ctrl
        // turns its mark off) and a slow second click on a caption still renames.
        auto* mouse = static_cast<QMouseEvent*>(event);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(m_pressPos),
                          viewport()->mapToGlobal(QPointF(m_pressPos)), Qt::LeftButton,
                          Qt::LeftButton, mouse->modifiers());
        QTreeView::viewportEvent(&press);
        // The view leaves the marks of a plain press on a marked item to the release,
        // and a release right after a press it got late does not narrow them: the click
        // marks the item alone here.
        const QModelIndex index = indexAt(m_pressPos);
        if (index.isValid() && !mouse->modifiers().testFlag(Qt::ControlModifier))
            selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
        break;
    }
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void TQvFilelistView28::startFileDrag()
{
    const QStringList paths = SelectedPaths();
    if (paths.isEmpty())
        return;
    // The tree reads DragOperation and the list's selection; other programs take the
    // URI list.
    auto* drag = new QDrag(this);
    drag->setMimeData(platform::fileListMimeData(paths, false));
    const Qt::DropAction preferred = DragOperation == opCopy ? Qt::CopyAction : Qt::MoveAction;
    // A program that took the files as a move has moved them itself; the tree reports
    // its drops as copies and refreshes on its own.
    if (drag->exec(Qt::CopyAction | Qt::MoveAction, preferred) == Qt::MoveAction)
        UpdateFileList();
}

bool TQvFilelistView28::AcceptsDrop(const QMimeData* data)
{
    return platform::hasFileList(data);
}

void TQvFilelistView28::DropFiles(const QMimeData* data)
{
    DropFiles(platform::readFileList(data).paths);
}

void TQvFilelistView28::DropFiles(const QStringList& names)
{
    m_dropList = names;
    // In the drive view there is no folder to copy into; the pending list stays.
    if (m_dropList.isEmpty() || showsDriveView() || !platform::isDirectory(m_directory))
        return;
    m_clipList = m_dropList;
    ClipOperation = opCopy;
    PasteFiles();
}
