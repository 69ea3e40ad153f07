// The tree's folder operations: new folder, rename in place, delete, cut/copy/paste and
// the properties dialog. Everything but the creation of a folder goes through
// ShellFileOp, which asks, shows progress and reports each failure itself.
#include "core/messages.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/shellfileop.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/clipboardfiles.h"
#include "platform/filesystem.h"

#include <QLineEdit>

const QString TQvDirTree21::InvalidNameChars = QStringLiteral("\\*?/=\"<>|:,;+^");

namespace {

bool isMyComputer(const QString& text)
{
    return text.compare(TQvFilelistView28::MyComputer, Qt::CaseInsensitive) == 0;
}

// "." and ".." name no new folder but the same or the parent one.
bool isDotName(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

} // namespace

int TQvDirTree21::nodeLevel(const QTreeWidgetItem* node) const
{
    int level = -1;
    for (const QTreeWidgetItem* n = node; n; n = n->parent())
        ++level;
    return level;
}

bool TQvDirTree21::AddNewFolder(QTreeWidgetItem* node, const QString& name)
{
    if (!node)
        node = currentItem();
    if (!node)
        return false;
    if (node == RootNode()) {
        msg::ErrorBox(SharedText(TStrKey::StrErrorPrefix) + SharedText(TStrKey::StrCantAddDrives));
        return false;
    }
    const QString base = AddBackslash(GetNodePath(node));
    if (base.isEmpty())
        return false;
    QString folder = name;
    const bool defaultName = folder.isEmpty();
    if (defaultName) {
        // A second new folder in the same place gets a number, as in the file list.
        folder = SharedText(TStrKey::StrNewFolderName);
        if (platform::exists(base + folder)) {
            int n = 2;
            while (platform::exists(base + folder + QLatin1Char('(') + QString::number(n) +
                                    QLatin1Char(')')))
                ++n;
            folder += QLatin1Char('(') + QString::number(n) + QLatin1Char(')');
        }
    }
    if (ContainsAnyChar(InvalidNameChars, folder) || isDotName(folder)) {
        msg::Beep();
        msg::ErrorBox(SharedText(TStrKey::StrInvalidChars));
        return false;
    }
    const QString full = AddBackslash(base + folder);
    bool created = false;
    {
        const UpdatesBracket bracket(this);
        created = platform::makeDirectory(full);
        if (created) {
            ReloadTree();
            OpenPath(full);
        }
    }
    if (created && defaultName && currentItem()) {
        // The name is typed at once; that rename needs no confirmation.
        m_newFolderPending = true;
        EditSelected();
    }
    return created;
}

bool TQvDirTree21::CanEdit(const QTreeWidgetItem* node) const
{
    // The root and the volumes keep their names.
    return node && node->parent() && nodeLevel(node) >= 2 && !m_readOnly;
}

void TQvDirTree21::EditSelected()
{
    QTreeWidgetItem* node = currentItem();
    if (!CanEdit(node))
        return;
    scrollToItem(node);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_editNode = node;
    m_editReleased = false;
    editItem(node, 0);
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
}

void TQvDirTree21::commitData(QWidget* editor)
{
    // Focus leaving the editor for a question box commits once more: only the first
    // commit of an edit counts.
    QTreeWidgetItem* node = m_editNode;
    m_editNode = nullptr;
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!node || !line)
        return;
    // The rename rebuilds the nodes; the view is still busy with this node here (a
    // commit also comes from a change of the current node), so it runs afterwards.
    m_renameNode = node;
    const QString text = line->text();
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            QTreeWidgetItem* target = m_renameNode;
            m_renameNode = nullptr;
            if (target)
                Edit(target, text);
        },
        Qt::QueuedConnection);
}

void TQvDirTree21::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint == QAbstractItemDelegate::RevertModelCache && m_editNode) {
        // Escape: no text, which Edit answers with a beep.
        QTreeWidgetItem* node = m_editNode;
        m_editNode = nullptr;
        Edit(node, QString());
    }
    m_editNode = nullptr;
    if (m_notifyDeferred)
        QMetaObject::invokeMethod(this, &TQvDirTree21::ShellNotify, Qt::QueuedConnection);
    // A rename rebuilds the nodes, and the editor went with its node.
    if (m_editReleased)
        return;
    QTreeWidget::closeEditor(editor, hint);
}

void TQvDirTree21::Edit(QTreeWidgetItem* node, const QString& text)
{
    if (!node || node == RootNode() || IsDriveNode(node))
        return;
    if (text.isEmpty()) {
        msg::Beep();
        // An abandoned new name leaves no pending exemption for the next rename.
        m_newFolderPending = false;
        return;
    }
    if (ContainsAnyChar(InvalidNameChars, text) || isDotName(text) || text.contains(QChar(0))) {
        msg::Beep();
        msg::ErrorBox(SharedText(TStrKey::StrInvalidDirName) + QLatin1Char('\r') + text);
        return;
    }
    QString path = GetNodePath(node);
    if (path.isEmpty())
        return;
    const bool pending = m_newFolderPending;
    m_newFolderPending = false;
    const WaitCursor wait;
    const UpdatesBracket bracket(this);
    path = RemoveBackslash(path);
    const QString renamed = platform::parentPath(path) + text;
    // A case-only change is a real rename here; the same name is none.
    if (renamed == path)
        return;
    if (!pending) {
        const QString question = SharedText(TStrKey::StrConfirmRename) +
                                 QStringLiteral("\r\r    ") + SharedText(TStrKey::StrFrom) +
                                 platform::fileName(path) + QStringLiteral("\r    ") +
                                 SharedText(TStrKey::StrTo) + platform::fileName(renamed);
        if (!msg::AskYesNo(question))
            return;
    }
    if (ShellFileOp(FO_RENAME, path, renamed)) {
        ReloadTree();
        OpenPath(renamed);
        if (m_fileList)
            m_fileList->SetDirectory(AddBackslash(renamed));
    }
}

bool TQvDirTree21::DeleteFolder(QTreeWidgetItem* node)
{
    if (!node || nodeLevel(node) < 2)
        return false;
    const WaitCursor wait;
    const QString path = GetNodePath(currentItem());
    if (path.isEmpty())
        return false;
    if (!platform::isDirectory(path)) {
        msg::Beep();
        msg::ErrorBox(path + SharedText(TStrKey::StrNotFound));
        return false;
    }
    if (!ShellFileOp(FO_DELETE, RemoveBackslash(path), QString()))
        return false;
    QTreeWidgetItem* parent = node->parent();
    setCurrentItem(parent);
    if (m_dragSourceNode == node)
        m_dragSourceNode = nullptr;
    if (m_renameNode == node)
        m_renameNode = nullptr;
    delete node;
    // The tree shows the parent now: a rebuild returns there rather than to a folder
    // that is gone, and the list shows it too.
    const QString parentPath = GetNodePath(parent);
    SetSelectedPath(parentPath);
    if (m_fileList)
        m_fileList->SetDirectory(parentPath);
    return true;
}

void TQvDirTree21::CutOrCopyFolder(TFileOpCode operation)
{
    ClipOperation = opNone;
    if (!currentItem() || m_selectedPath.isEmpty() || isMyComputer(m_selectedPath))
        return;
    m_clipSourcePath = m_selectedPath;
    ClipOperation = operation;
    m_clipArmed = true;
    // Other file managers can paste it too; a cut tells them to move it.
    platform::setClipboardFiles({platform::withoutTrailingSlash(m_clipSourcePath)},
                                operation == opMove);
}

void TQvDirTree21::PasteFolder()
{
    if (currentItem() && !m_selectedPath.isEmpty() && !m_clipSourcePath.isEmpty() &&
        ClipOperation != opNone) {
        m_transferTarget = AddBackslash(m_selectedPath);
        // "My Computer" is no folder to paste into.
        const bool ok =
            m_transferTarget.startsWith(QLatin1Char('/')) &&
            ShellFileOp(ShellOperationFor(ClipOperation), m_clipSourcePath, m_transferTarget);
        if (ok) {
            ReloadTree();
            OpenPath(m_transferTarget);
        } else {
            msg::ErrorBox(SharedText(TStrKey::StrFileOpFailed));
        }
    }
    m_clipArmed = false;
}

void TQvDirTree21::ShowFolderProperties()
{
    if (currentItem() && !m_selectedPath.isEmpty() && !isMyComputer(m_selectedPath))
        ShowPropertiesDialog(m_selectedPath);
}
