// Cut, copy and paste of the file list: the pending paste list ClipList and the
// system clipboard, shared with other file managers.
#include "explorer/list/qvfilelistview28.h"

#include "core/messages.h"
#include "explorer/shell/shellfileop.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/clipboardfiles.h"
#include "platform/filesystem.h"

#include <QItemSelectionModel>

bool TQvFilelistView28::showsDriveView() const
{
    return m_directory.compare(MyComputer, Qt::CaseInsensitive) == 0;
}

QStringList TQvFilelistView28::SelectedPaths() const
{
    QStringList paths;
    for (int row : SelectedRows()) {
        if (!m_model->IsParent(row) && !m_model->IsVolume(row))
            paths.append(m_model->Path(row));
    }
    return paths;
}

void TQvFilelistView28::CutCopy(TFileOpCode code)
{
    ClipOperation = opNone;
    m_clipList.clear();
    for (int row = 0; row < m_model->EntryCount(); ++row) {
        if (m_model->IsParent(row) || m_model->Caption(row) == m_parentDirCaption) {
            // The parent item is never cut or copied; it loses its mark instead.
            selectionModel()->select(m_model->index(row, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            continue;
        }
        // A volume of the drive view is no file to paste elsewhere.
        if (ItemSelected(row) && !m_model->IsVolume(row))
            m_clipList.append(m_model->Path(row));
    }
    ClipOperation = code;
    if (!m_clipList.isEmpty())
        SetClipboardFiles(m_clipList);
}

void TQvFilelistView28::SetClipboardFiles(const QStringList& paths)
{
    platform::setClipboardFiles(paths, ClipOperation == opMove);
}

bool TQvFilelistView28::ClipboardHasFiles()
{
    return platform::clipboardHasFiles();
}

TFileOpCode TQvFilelistView28::GetClipboardFiles()
{
    const platform::ClipboardFiles files = platform::clipboardFiles();
    m_clipList = files.paths;
    if (files.ours)
        return opNone;
    return files.cut ? opMove : opCopy;
}

void TQvFilelistView28::PasteFiles()
{
    WaitCursor wait;
    if (showsDriveView() || !platform::isDirectory(m_directory))
        return;

    // The pending list follows the latest cut or copy of any list or tree; files
    // from the clipboard follow it too when this program put them there, else the
    // cut mark of the program that did.
    TFileOpCode operation = ClipOperation;
    if (m_clipList.isEmpty()) {
        if (!ClipboardHasFiles())
            return;
        const TFileOpCode asked = GetClipboardFiles();
        if (asked != opNone)
            operation = asked;
    }
    if (m_clipList.isEmpty()) {
        msg::WarningBox(SharedText(TStrKey::StrNoFileSelected));
        return;
    }

    // One operation for the whole list: one progress dialog with cancel, and a
    // "for all" answer to a replace question holds for every file. Anything but a
    // cut copies: no cut or copy yet (opNone) copies, as a drop does.
    QString sources;
    for (const QString& path : std::as_const(m_clipList))
        sources += AppendNul(path);
    const int fo = operation == opMove ? FO_MOVE : FO_COPY;
    ShellFileOp(fo, sources, AddBackslash(m_directory));

    UpdateFileList();
    m_clipList.clear();
    if (m_dirTree) {
        const QString dir = m_directory;
        m_dirTree->ReloadTree();
        m_dirTree->OpenPath(dir);
    }
}
