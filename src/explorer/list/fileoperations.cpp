// The file list's operations on its entries: open, go up, view, find, properties, new
// folder, rename in place and delete.
#include "core/messages.h"
#include "explorer/lang/qvconsts.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shellfileop.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/shelloperations.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/desktopapps.h"
#include "platform/filesystem.h"
#include "platform/volumes.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

namespace {

// The kinds of file ViewFile hands to an application, by row of ViewableExtensions:
// the application the desktop uses for the first of these kinds that has one.
struct ViewerRow
{
    int first; // index of the row's first extension
    QStringList kinds;
};

const ViewerRow ViewerRows[] = {
    {0, {QStringLiteral("text/plain")}},
    {13,
     {QStringLiteral("application/vnd.oasis.opendocument.text"), QStringLiteral("application/rtf"),
      QStringLiteral("application/msword")}},
    {16, {QStringLiteral("image/png"), QStringLiteral("image/jpeg"), QStringLiteral("image/bmp")}},
    {23, {QStringLiteral("x-scheme-handler/http"), QStringLiteral("text/html")}},
};

bool isFolderKind(const QString& kind)
{
    return kind.compare(FileListModel::KindDir, Qt::CaseInsensitive) == 0;
}

void collapseWithChildren(QTreeWidgetItem* node)
{
    for (int i = 0; i < node->childCount(); ++i)
        collapseWithChildren(node->child(i));
    node->setExpanded(false);
}

} // namespace

int TQvFilelistView28::FirstSelectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first < m_model->EntryCount() ? first : -1;
}

const QStringList& TQvFilelistView28::ViewableExtensions()
{
    static const QStringList extensions = {
        QStringLiteral(".C"),   QStringLiteral(".CPP"),  QStringLiteral(".DPK"),
        QStringLiteral(".DPR"), QStringLiteral(".H"),    QStringLiteral(".HPP"),
        QStringLiteral(".BPK"), QStringLiteral(".BPR"),  QStringLiteral(".INF"),
        QStringLiteral(".INI"), QStringLiteral(".PAS"),  QStringLiteral(".PRG"),
        QStringLiteral(".TXT"), QStringLiteral(".DOC"),  QStringLiteral(".RTF"),
        QStringLiteral(".WRI"), QStringLiteral(".BMP"),  QStringLiteral(".GIF"),
        QStringLiteral(".JPG"), QStringLiteral(".TIFF"), QStringLiteral(".PNG"),
        QStringLiteral(".WMF"), QStringLiteral(".ICO"),  QStringLiteral(".HTML"),
        QStringLiteral(".HTM")};
    return extensions;
}

int TQvFilelistView28::ViewableIndex(const QString& path)
{
    const QString name = platform::fileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? -1 : int(ViewableExtensions().indexOf(name.mid(dot).toUpper()));
}

void TQvFilelistView28::SetPopUpMenuEnabled(bool enabled)
{
    m_popUpMenuEnabled = enabled;
    if (!enabled && QWidget::mouseGrabber() == this)
        releaseMouse();
}

void TQvFilelistView28::OpenItem()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    const WaitCursor wait;
    if (m_model->Caption(row) == m_parentDirCaption) {
        OneLevelUp();
        return;
    }
    const TFileInfo entry = m_model->Entry(row);
    if (entry.Kind == FileListModel::KindDir || entry.Kind == FileListModel::KindDrive) {
        const QString path = AddBackslash(entry.Path);
        if (entry.Kind == FileListModel::KindDrive &&
            platform::volumeForPath(path).type == platform::DriveType::Removable &&
            !DriveReady(path, true))
            return;
        SetDirectory(path);
        if (m_dirTree)
            m_dirTree->OpenPath(path);
    } else if (entry.Kind == FileListModel::KindFile) {
        ShellExecuteFile(QStringLiteral("Open"), platform::fileName(entry.Path), QString(),
                         platform::parentPath(entry.Path), 1);
    }
}

void TQvFilelistView28::OneLevelUp()
{
    if (isDriveView())
        return;
    if (m_dirTree && m_dirTree->currentItem() && m_dirTree->currentItem() == m_dirTree->RootNode())
        return;
    const QString left = AddBackslash(m_directory);
    if (left == QLatin1String("/")) {
        // Above the root lies the computer level.
        if (m_dirTree) {
            if (QTreeWidgetItem* node = m_dirTree->currentItem())
                collapseWithChildren(node);
            m_dirTree->setCurrentItem(m_dirTree->RootNode());
            m_dirTree->SetSelectedPath(MyComputer);
        }
        SetDirectory(MyComputer);
        return;
    }
    const QString parent = platform::parentPath(left);
    SetDirectory(parent);
    if (m_dirTree) {
        m_dirTree->OpenPath(parent);
        QTreeWidgetItem* node = m_dirTree->currentItem();
        if (node && m_dirTree->IsDriveNode(node))
            collapseWithChildren(node);
    }
    // The folder just left keeps the focus mark, unselected.
    for (int row = 0; row < m_model->EntryCount(); ++row) {
        if (AddBackslash(m_model->Path(row)) == left) {
            selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                              QItemSelectionModel::NoUpdate);
            Click();
            break;
        }
    }
}

void TQvFilelistView28::ViewFile()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    const QString path = m_model->Path(row);
    const int index = ViewableIndex(path);
    if (index < 0)
        return;
    const ViewerRow* viewer = nullptr;
    for (const ViewerRow& r : ViewerRows)
        if (index >= r.first)
            viewer = &r;
    QString application;
    for (const QString& kind : viewer->kinds)
        if (application.isEmpty())
            application = platform::defaultApplicationFor(kind);
    QString error;
    if (!application.isEmpty() &&
        platform::launchDesktopEntry(application, {path}, platform::parentPath(path), &error))
        return;
    // No application for the kind: the file's own one, which reports a failure itself.
    ShellExecuteFile(QStringLiteral("Open"), path, QString(), platform::parentPath(path), 1);
}

void TQvFilelistView28::FindFile()
{
    if (hasFocus())
        ShellExecuteFile(QStringLiteral("Find"), m_directory, QString(), QString(), 1);
}

void TQvFilelistView28::ShowProperties()
{
    const int row = FirstSelectedRow();
    if (row >= 0 && !m_model->SubItem(row, 4).isEmpty())
        ShowPropertiesDialog(m_model->SubItem(row, 4));
}

void TQvFilelistView28::NewFolder()
{
    if (isDriveView())
        return;
    QString target = JoinPath(m_directory, SharedText(TStrKey::StrNewFolderName));
    if (platform::isDirectory(target)) {
        int n = 1;
        do
            ++n;
        while (platform::isDirectory(target + QLatin1Char('(') + QString::number(n) +
                                     QLatin1Char(')')));
        target += QLatin1Char('(') + QString::number(n) + QLatin1Char(')');
    }
    platform::makeDirectory(target); // a failure leaves no item to edit
    // The tree shows the new subfolder under the list's folder. It stays on that folder:
    // the tree takes its list along to the folder it selects, which would end the
    // editing of the new name.
    if (m_dirTree) {
        m_dirTree->ReloadTree();
        m_dirTree->OpenPath(m_directory);
    }
    UpdateFileList();
    clearSelection();
    int created = -1;
    for (int row = 0; row < m_model->EntryCount(); ++row) {
        if (m_model->SubItem(row, 4) == target) {
            selectionModel()->select(m_model->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
            if (created < 0)
                created = row;
        }
    }
    if (created >= 0)
        editCaption(created);
}

void TQvFilelistView28::RenameItem()
{
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    if (m_readOnly || m_model->SubItem(row, 3).toUpper() == QLatin1String("R")) {
        msg::WarningBox(SharedText(TStrKey::StrReadOnlyFile));
        return;
    }
    editCaption(row);
}

void TQvFilelistView28::editCaption(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    // Only the focus moves: the view's own setCurrentIndex would select by the keyboard
    // modifiers held at this moment and could unmark the item.
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

bool TQvFilelistView28::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool starts = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (starts && !CanEdit())
        return false;
    return QTreeView::edit(index, trigger, event);
}

bool TQvFilelistView28::CanEdit()
{
    if (m_readOnly || !m_shortCuts.Active(vaRename))
        return false;
    const int row = FirstSelectedRow();
    if (row < 0)
        return false;
    m_oldPath = m_model->Path(row);
    return true;
}

void TQvFilelistView28::Edit(const QString& text)
{
    if (!m_shortCuts.Active(vaRename))
        return;
    const WaitCursor wait;
    const int row = FirstSelectedRow();
    if (row < 0)
        return;
    const QString dir = platform::parentPath(m_oldPath);
    const QString kind = m_model->Entry(row).Kind;
    const QString renamed = dir + text;
    // A case-only change is a real rename here; the same name is none. A name that
    // would lead into another folder or name none is refused.
    if (renamed == m_oldPath)
        return;
    if (text.isEmpty() || text.contains(QLatin1Char('/')) || text == QLatin1String(".") ||
        text == QLatin1String("..") || text.contains(QChar(0))) {
        msg::ErrorBox(ExplorerString(TStrKey::StrInvalidChars, m_language));
    } else {
        {
            const UpdatesBracket bracket(this);
            if (!ReportIfExists(renamed))
                ShellFileOp(FO_RENAME, AppendNul(m_oldPath), AppendNul(renamed));
        }
    }
    UpdateFileList();
    if (isFolderKind(kind) && m_dirTree) {
        m_dirTree->ReloadTree();
        m_dirTree->OpenPath(dir);
    }
}

void TQvFilelistView28::DeleteItems()
{
    const WaitCursor wait;
    if (isDriveView() || !platform::isDirectory(m_directory))
        return;
    ClearClipList();
    QString paths;
    for (int row = 0; row < m_model->EntryCount(); ++row) {
        if (m_model->Caption(row) == m_parentDirCaption)
            selectionModel()->select(m_model->index(row, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        else if (ItemSelected(row))
            paths += AppendNul(m_model->SubItem(row, 4));
    }
    if (!paths.isEmpty())
        ShellFileOp(FO_DELETE, paths, QString());
    UpdateFileList();
    ClearClipList();
    if (m_dirTree) {
        m_dirTree->ReloadTree();
        m_dirTree->OpenPath(m_directory);
    }
}

void TQvFilelistView28::DeletePermanently()
{
    if (FirstSelectedRow() < 0)
        return;
    for (int row = 0; row < m_model->EntryCount(); ++row) {
        if (!ItemSelected(row))
            continue;
        if (m_model->IsFolder(row))
            break;
        if (msg::AskYesNo(QStringLiteral("Are you sure you want to permanently delete file\r  \"") +
                          m_model->Caption(row) + QStringLiteral("\"?")))
            platform::removeFile(m_model->Path(row)); // a failure leaves the file
        selectionModel()->select(m_model->index(row, 0),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    UpdateFileList();
}

void TQvFilelistView28::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = FirstSelectedRow();
    if (row >= 0 && !m_model->Caption(row).isEmpty()) {
        if (m_openByDblClick) {
            OpenItem();
            return;
        }
        if (m_model->Caption(row) == m_parentDirCaption) {
            OneLevelUp();
            return;
        }
    }
    QTreeView::mouseDoubleClickEvent(event);
    Q_EMIT OnDblClick();
}
