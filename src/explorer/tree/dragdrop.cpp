// Dragging folders out of the tree, and drops onto its folders: folders of any tree,
// files of any file list. What was dragged is read from the source control itself (a
// tree's dragged folder, a list's selection), so drags from the other pane work too.
#include "core/messages.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shellfileop.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/clipboardfiles.h"
#include "platform/filesystem.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>

void TQvDirTree21::SetDragDropEnabled(bool enabled)
{
    m_dragDropEnabled = enabled;
    if (!enabled)
        m_dragPending = false;
}

void TQvDirTree21::startFolderDrag()
{
    if (m_dragSourcePath.isEmpty())
        return;
    // Other programs take the URI list; trees read dragSourcePath.
    auto* drag = new QDrag(this);
    drag->setMimeData(
        platform::fileListMimeData({platform::withoutTrailingSlash(m_dragSourcePath)}, false));
    drag->exec(Qt::CopyAction | Qt::MoveAction,
               DragOperation == opCopy ? Qt::CopyAction : Qt::MoveAction);
}

bool TQvDirTree21::DragOver(QObject* source, const QPoint& pos)
{
    if (!m_dragDropEnabled || m_readOnly)
        return false;
    if (!qobject_cast<TQvDirTree21*>(source) && !qobject_cast<TQvFilelistView28*>(source))
        return false;
    QTreeWidgetItem* node = itemAt(pos);
    // A folder never goes onto its own node; the computer level takes nothing.
    return node && node != RootNode() && !(source == this && node == m_dragSourceNode);
}

void TQvDirTree21::refreshAfterDrop()
{
    QCoreApplication::processEvents();
    ReloadTree();
    OpenPath(m_transferTarget);
    if (m_fileList) {
        m_fileList->SetDirectory(m_transferTarget);
        m_fileList->UpdateFileList();
    }
}

void TQvDirTree21::DragDrop(QObject* source, const QPoint& pos)
{
    if (!m_dragDropEnabled || !currentItem())
        return;
    m_transferTarget.clear();
    QTreeWidgetItem* node = itemAt(pos);
    if (!node)
        return;
    // The expand button and the indentation are no folder to drop onto.
    if (pos.x() < visualItemRect(node).left()) {
        Q_EMIT OnDragDrop(source, pos);
        return;
    }
    if (m_readOnly)
        return;
    m_transferTarget = AddBackslash(GetNodePath(node));
    if (m_transferTarget.isEmpty()) {
        Q_EMIT OnDragDrop(source, pos);
        return;
    }
    const int operation = ShellOperationFor(DragOperation == opCopy ? opCopy : opMove);

    if (auto* tree = qobject_cast<TQvDirTree21*>(source)) {
        QCoreApplication::processEvents();
        bool ok = false;
        const QString dragged = tree->DragSourcePath();
        {
            const UpdatesBracket bracket(this);
            ok = !dragged.isEmpty() && ShellFileOp(operation, dragged, m_transferTarget);
        }
        if (!ok) {
            msg::ErrorBox(SharedText(TStrKey::StrFileOpFailed));
            refreshAfterDrop();
            return;
        }
        if (tree != this) {
            // The other tree lost or kept the folder; it shows its own place again.
            const QString back = tree->SelectedPath();
            tree->ReloadTree();
            tree->OpenPath(back);
        }
    } else if (auto* list = qobject_cast<TQvFilelistView28*>(source)) {
        if (list->FirstSelectedRow() < 0) {
            refreshAfterDrop();
            return;
        }
        // Folders in the list are not taken along; they lose their marks.
        QStringList paths;
        for (int row = 0; row < list->ItemCount(); ++row) {
            const bool folder =
                list->ListModel()->IsFolder(row) || list->ListModel()->IsParent(row);
            if (folder) {
                list->selectionModel()->select(list->ListModel()->index(row, 0),
                                               QItemSelectionModel::Deselect |
                                                   QItemSelectionModel::Rows);
                continue;
            }
            if (list->ItemSelected(row))
                paths.append(list->ItemSubItem(row, 4));
        }
        if (paths.isEmpty()) {
            msg::WarningBox(SharedText(TStrKey::StrNoFileSelected));
            refreshAfterDrop();
            return;
        }
        {
            const UpdatesBracket bracket(this);
            for (const QString& path : std::as_const(paths)) {
                QCoreApplication::processEvents();
                ShellFileOp(operation, path, JoinPath(m_transferTarget, platform::fileName(path)));
            }
        }
        if (list != m_fileList)
            list->UpdateFileList(); // the other pane's list lost its moved files
    } else {
        return;
    }
    refreshAfterDrop();
    Q_EMIT OnDragDrop(source, pos);
}

// ---- the events -------------------------------------------------------------------

void TQvDirTree21::dragEnterEvent(QDragEnterEvent* event)
{
    QObject* source = event->source();
    if (m_dragDropEnabled &&
        (qobject_cast<TQvDirTree21*>(source) || qobject_cast<TQvFilelistView28*>(source)))
        event->acceptProposedAction();
    else
        event->ignore(); // drops from other programs go to the window
}

void TQvDirTree21::dragMoveEvent(QDragMoveEvent* event)
{
    if (DragOver(event->source(), event->position().toPoint())) {
        event->setDropAction(DragOperation == opCopy ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TQvDirTree21::dropEvent(QDropEvent* event)
{
    DragDrop(event->source(), event->position().toPoint());
    // Only the copy reached its target: the source must not remove anything itself.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
