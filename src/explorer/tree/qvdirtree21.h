#pragma once

#include "explorer/lang/qvconsts.h"
#include "explorer/shell/filetype.h"
#include "explorer/shell/shelloperations.h"
#include "platform/dirwatcher.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTreeWidget>

class TQvFilelistView28;
class TQvDirTree21PopUp;
class TFolderContents;
class TNetPathDlg;

// The directory tree of an explorer pane: a root node for the computer, one node
// per volume below it, and below each volume its folders, read from the disk only
// when a node is first expanded. It keeps the selected location in SelectedPath
// and shows it in the coupled file list. It rebuilds itself when folders are
// created, deleted or renamed in any directory it has read, or when volumes come
// and go.
//
// Paths: a volume node's path is its mount point with a trailing "/", a folder
// node's path has none; the root stands for "My Computer".
class TQvDirTree21 : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TQvDirTree21(QWidget* parent = nullptr);
    ~TQvDirTree21() override;

    // Which folders are listed; only stored, filled nodes are not read again.
    TFileType FolderType() const { return m_folderType; }
    void SetFolderType(TFileType type) { m_folderType = type; }

    TQvFilelistView28* FileList() const;
    void SetFileList(TQvFilelistView28* list);

    TLanguage Language() const { return m_language; }
    void SetLanguage(TLanguage language);

    bool PopUpMenuEnabled() const { return m_popUpMenuEnabled; }
    void SetPopUpMenuEnabled(bool enabled) { m_popUpMenuEnabled = enabled; }
    bool DragDropEnabled() const { return m_dragDropEnabled; }
    void SetDragDropEnabled(bool enabled);
    // No folder can be created, renamed or dropped onto while set.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    QString About() const { return QStringLiteral("Version 2.1.8.6"); }

    QString SelectedPath() const { return m_selectedPath; }
    // Stores only; moves neither the selection nor the file list.
    void SetSelectedPath(const QString& path);
    QString SelectedFile() const { return m_selectedFile; }
    void SetSelectedFile(const QString& file);

    // While the host sets the properties up, no nodes are built; EndLoad builds
    // the root and the volumes and expands the root.
    void BeginLoad() { m_loading = true; }
    void EndLoad();

    void ReloadTree();
    void AddRootNode();
    void AddDriveNodes();
    // Adds the folders directly inside path as children of node. O(n log n) for
    // n folders: one listing, one probe per folder, one sort.
    void AddSubFolders(const QString& path, QTreeWidgetItem* node);
    bool HasSubFolders(const QString& path) const;
    QString GetNodePath(const QTreeWidgetItem* node) const;
    // Expands the tree along path and selects its last folder; SelectedPath gets
    // the path with a trailing "/" and OnDirChange fires. Nothing happens when the
    // path does not exist or cannot be reached along the nodes.
    void OpenPath(const QString& path);

    QTreeWidgetItem* RootNode() const { return topLevelItemCount() ? topLevelItem(0) : nullptr; }
    bool IsDriveNode(const QTreeWidgetItem* node) const;
    QString DriveMountPoint(const QTreeWidgetItem* node) const;

    // --- Folder operations (tree/folderoperations.cpp, tree/dragdrop.cpp) ---------
    // The characters a folder name may not hold, although the file system would take
    // most of them: names stay portable to other systems and shares.
    static const QString InvalidNameChars;
    // Creates name (empty: "Neuer Ordner", whose name is then edited in place without
    // the rename question) inside node's folder (node: the selected one). Shows why it
    // refuses; false when nothing was created.
    bool AddNewFolder(QTreeWidgetItem* node, const QString& name);
    // Whether in-place editing of node may start: folders only, never when ReadOnly.
    bool CanEdit(const QTreeWidgetItem* node) const;
    // Starts in-place editing of the selected node (F2), CanEdit permitting.
    void EditSelected();
    // The end of in-place editing: renames node's folder to text after asking (not
    // after a new folder); an empty text (also a cancelled edit) only beeps.
    void Edit(QTreeWidgetItem* node, const QString& text);
    // Moves the selected node's folder to the trash; false when nothing was deleted.
    bool DeleteFolder(QTreeWidgetItem* node);
    // Records the selected folder for the next paste (opMove: cut, opCopy: copy) and
    // places it on the system clipboard for other file managers.
    void CutOrCopyFolder(TFileOpCode operation);
    // Copies or moves the recorded folder into the selected one.
    void PasteFolder();
    // Drag and drop onto a folder node: sources are trees (their dragged folder) and
    // file lists (their selected files), of this pane or the other one. pos is in
    // viewport coordinates. DragOver says whether a drop at pos is taken.
    bool DragOver(QObject* source, const QPoint& pos);
    void DragDrop(QObject* source, const QPoint& pos);
    void ShowFolderProperties();

    bool ClipArmed() const { return m_clipArmed; }
    QString ClipSourcePath() const { return m_clipSourcePath; }
    bool NewFolderPending() const { return m_newFolderPending; }
    QTreeWidgetItem* DragSourceNode() const { return m_dragSourceNode; }
    QString DragSourcePath() const { return m_dragSourcePath; }
    QString TransferTarget() const { return m_transferTarget; }

    // --- Tree size and contents window (tree/treesize.cpp, tree/foldercontents.cpp) --
    // Bytes of all files below path (apparent sizes; links not followed, hard-linked
    // files once, each directory once). One full walk per call.
    double GetFolderSize(const QString& path);
    // Shows the size message of the selected node; returns the byte total.
    double ShowTreeSize();
    // The size message for a heading line and a total, in the user's number format.
    static QString TreeSizeText(const QString& heading, double total);
    // Opens the window listing the selected folder's files inside the tree.
    void ShowFolderFiles();
    TFolderContents* FilesWindow() const { return m_filesWindow; }

    // --- Network drives (tree/networkdrives.cpp) ----------------------------------
    // Asks for a share and a drive name, mounts it and shows the volumes anew.
    void ConnectNetworkDrive();
    // Lets the user pick a network volume to unmount; then shows the computer level.
    void DisconnectNetworkDrive();
    // The dialog of the latest ConnectNetworkDrive (kept until the next one).
    TNetPathDlg* NetPathDialog() const { return m_netPathDlg; }

    // --- Context menu (tree/popupmenu.cpp) ---------------------------------------
    TQvDirTree21PopUp* PopupMenu() const { return m_popupMenu; }

    // How long change notifications are gathered before one rebuild.
    void SetNotifyDelay(int milliseconds);
    // Whether volumes mounted or unmounted rebuild the tree (on by default).
    void SetWatchVolumes(bool watch);
    // Whether changes on disk rebuild the tree at all (on by default).
    void SetWatchChanges(bool watch);

Q_SIGNALS:
    void OnDirChange(QObject* sender, const QString& selectedPath);
    void OnFileChange(QObject* sender, const QString& selectedFile);
    // Drops that reach no folder node (the expand button, the indentation).
    void OnDragDrop(QObject* source, const QPoint& pos);
    // After a rebuild caused by a change on disk.
    void Rebuilt();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The end of in-place editing goes to Edit; the node's text is never set from it.
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void NodeExpanding(QTreeWidgetItem* node);
    // The selection steps of mouse and keyboard; false when a removable volume
    // without a medium stopped them.
    bool SelectNode(QTreeWidgetItem* node);
    // Rebuilds the tree when a change on disk alters what it shows.
    void ShellNotify();
    // Whether changes touch a folder whose children the tree lists, the selected
    // folder, or a folder it only probed for subfolders whose answer is now another.
    // One probe per such folder.
    bool ChangesShow(const platform::DirWatcher::Changes& changes) const;
    bool onLabel(const QTreeWidgetItem* item, const QPoint& pos) const;
    // The expand button left of item's icon.
    bool onButton(const QTreeWidgetItem* item, const QPoint& pos) const;
    int nodeLevel(const QTreeWidgetItem* node) const;
    // After a transfer: the tree rebuilt and open at the target, the list showing it.
    void refreshAfterDrop();
    void startFolderDrag();
    // A volume node: its text, mount point and drive type.
    QTreeWidgetItem* makeDriveNode(const QString& mountPoint, const QString& text, int type);
    // One volume node per share gio has mounted (they all lie on gio's one file system).
    void appendNetworkShares(QList<QTreeWidgetItem*>& nodes);
    void RebuildPopupMenu();
    quint32 attributeMask() const;

    TFileType m_folderType = DefaultFileType;
    QPointer<TQvFilelistView28> m_fileList;
    TLanguage m_language = lnSysDefault;
    bool m_popUpMenuEnabled = true;
    bool m_dragDropEnabled = true;
    bool m_readOnly = false;
    bool m_loading = false;
    QString m_selectedPath;
    QString m_selectedFile;
    QString m_prevPath;
    platform::DirWatcher* m_watcher = nullptr;
    // Watched folders whose children are nodes, and those only probed for subfolders
    // with the probe's answer; both without a trailing "/".
    QSet<QString> m_listed;
    QHash<QString, bool> m_probed;

    // Folder operations
    QString m_clipSourcePath;
    bool m_clipArmed = false;
    bool m_newFolderPending = false;
    QTreeWidgetItem* m_dragSourceNode = nullptr; // cleared whenever the nodes are rebuilt
    QString m_dragSourcePath;
    QString m_transferTarget;
    QTreeWidgetItem* m_editNode = nullptr;   // the node being edited in place
    bool m_editReleased = false;             // the nodes were rebuilt while it was edited
    QTreeWidgetItem* m_renameNode = nullptr; // an edit committed, its rename still to run
    bool m_notifyDeferred = false;           // changes on disk arrived while editing
    bool m_dragPending = false;
    QPoint m_pressPos;

    TQvDirTree21PopUp* m_popupMenu = nullptr; // a child: deleted with the tree
    TFolderContents* m_filesWindow = nullptr;
    TNetPathDlg* m_netPathDlg = nullptr;
};

// The folder the contents window of any tree shows.
extern QString FilesWindowPath;
