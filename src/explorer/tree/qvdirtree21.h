#pragma once

#include "explorer/shell/filetype.h"
#include "platform/dirwatcher.h"
#include "explorer/lang/qvconsts.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTreeWidget>

class TQvFilelistView28;

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
    void SetDragDropEnabled(bool enabled) { m_dragDropEnabled = enabled; }

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

    // Operations on the selected folder that the keyboard reaches; they arrive
    // with the folder operations and do nothing yet.
    void AddNewFolder(QTreeWidgetItem* node, const QString& name);
    void CutOrCopyFolder(int operation);
    void PasteFolder();
    void ShowFolderProperties();

    // How long change notifications are gathered before one rebuild.
    void SetNotifyDelay(int milliseconds);
    // Whether volumes mounted or unmounted rebuild the tree (on by default).
    void SetWatchVolumes(bool watch);
    // Whether changes on disk rebuild the tree at all (on by default).
    void SetWatchChanges(bool watch);

Q_SIGNALS:
    void OnDirChange(QObject* sender, const QString& selectedPath);
    void OnFileChange(QObject* sender, const QString& selectedFile);
    // After a rebuild caused by a change on disk.
    void Rebuilt();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

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
    quint32 attributeMask() const;

    TFileType m_folderType = DefaultFileType;
    QPointer<TQvFilelistView28> m_fileList;
    TLanguage m_language = lnSysDefault;
    bool m_popUpMenuEnabled = true;
    bool m_dragDropEnabled = true;
    bool m_loading = false;
    QString m_selectedPath;
    QString m_selectedFile;
    QString m_prevPath;
    platform::DirWatcher* m_watcher = nullptr;
    // Watched folders whose children are nodes, and those only probed for subfolders
    // with the probe's answer; both without a trailing "/".
    QSet<QString> m_listed;
    QHash<QString, bool> m_probed;
};
