#include "explorer/tree/qvdirtree21.h"

#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/iconlist.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/foldercontents.h"
#include "explorer/tree/netpathdlg.h"
#include "explorer/tree/popupmenu.h"
#include "platform/dirwatcher.h"
#include "platform/filesystem.h"
#include "platform/langid.h"
#include "platform/netconnections.h"
#include "platform/volumes.h"

#include <QApplication>
#include <QCollator>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace {
constexpr int MountRole = Qt::UserRole;         // volume nodes: the mount point
constexpr int DriveTypeRole = Qt::UserRole + 1; // volume nodes: platform::DriveType

const QString MyComputer = QStringLiteral("My Computer");

bool isMyComputer(const QString& text)
{
    return text.compare(MyComputer, Qt::CaseInsensitive) == 0;
}

// A node shows its closed icon normally and its open icon while selected.
QIcon nodeIcon(int closed, int open)
{
    static QHash<quint64, QIcon> cache;
    const quint64 key = (quint64(quint32(closed)) << 32) | quint32(open);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QIcon icon;
        const QIcon c = IconList::instance().icon(closed);
        const QIcon o = IconList::instance().icon(open);
        for (const QSize& size : {QSize(16, 16), QSize(24, 24), QSize(32, 32)}) {
            icon.addPixmap(c.pixmap(size), QIcon::Normal);
            icon.addPixmap(o.pixmap(size), QIcon::Selected);
        }
        it = cache.insert(key, icon);
    }
    return *it;
}

} // namespace

TQvDirTree21::TQvDirTree21(QWidget* parent) : QTreeWidget(parent)
{
    resize(180, 120);
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // Drops are handled here; drags start in mousePressEvent/mouseMoveEvent.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setAutoScroll(true);

    SetLanguage(lnEnglish);
    LoadTreeTexts();

    m_watcher = new platform::DirWatcher(this);
    connect(m_watcher, &platform::DirWatcher::changed, this, &TQvDirTree21::ShellNotify);
    connect(this, &QTreeWidget::itemExpanded, this, &TQvDirTree21::NodeExpanding);

    AddRootNode();
}

TQvDirTree21::~TQvDirTree21() = default;

TQvFilelistView28* TQvDirTree21::FileList() const
{
    return m_fileList;
}

void TQvDirTree21::SetFileList(TQvFilelistView28* list)
{
    if (list != m_fileList)
        m_fileList = list;
    if (m_fileList && !m_selectedPath.isEmpty())
        m_fileList->SetDirectory(m_selectedPath);
}

void TQvDirTree21::SetLanguage(TLanguage language)
{
    const TLanguage resolved =
        language == lnSysDefault ? ResolveLanguage(UserDefaultLangId()) : language;
    if (resolved == m_language)
        return;
    m_language = resolved;
    CurrentTreeLanguage = resolved;
    LoadTreeTexts();
    RebuildPopupMenu();
    // Everything the tree shows is built again; outside loading only the root
    // stays, and the volumes come back at the next selection or OpenPath.
    if (!m_loading && topLevelItemCount())
        AddRootNode();
}

void TQvDirTree21::SetSelectedPath(const QString& path)
{
    if (path != m_selectedPath && !(isMyComputer(path) && isMyComputer(m_selectedPath)))
        m_selectedPath = path;
}

void TQvDirTree21::SetSelectedFile(const QString& file)
{
    if (file != m_selectedFile)
        m_selectedFile = file;
}

void TQvDirTree21::EndLoad()
{
    m_loading = false;
    ReloadTree();
    if (QTreeWidgetItem* root = RootNode())
        root->setExpanded(true);
}

void TQvDirTree21::SetNotifyDelay(int milliseconds)
{
    m_watcher->setDelay(milliseconds);
}

void TQvDirTree21::SetWatchVolumes(bool watch)
{
    m_watcher->setWatchMounts(watch);
}

void TQvDirTree21::SetWatchChanges(bool watch)
{
    m_watcher->setActive(watch);
}

// ---- population --------------------------------------------------------------

void TQvDirTree21::ReloadTree()
{
    const UpdatesBracket bracket(this);
    AddRootNode();
    AddDriveNodes();
}

void TQvDirTree21::AddRootNode()
{
    const UpdatesBracket bracket(this);
    // Nodes are gone from here on: an edit in progress and a drag source with them.
    if (m_editNode)
        m_editReleased = true;
    m_editNode = nullptr;
    m_renameNode = nullptr;
    m_dragSourceNode = nullptr;
    clear();
    m_watcher->clear();
    m_listed.clear();
    m_probed.clear();
    auto* root = new QTreeWidgetItem(this, QStringList{QStringLiteral("Computer")});
    const int icon = IconList::instance().indexFor(
        QStringLiteral("computer"),
        QIcon::fromTheme(QStringLiteral("computer"),
                         style()->standardIcon(QStyle::SP_ComputerIcon)));
    root->setIcon(0, nodeIcon(icon, icon));
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

QTreeWidgetItem* TQvDirTree21::makeDriveNode(const QString& mountPoint, const QString& text,
                                             int type)
{
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, MountRole, mountPoint);
    node->setData(0, DriveTypeRole, type);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    const QString path = AddBackslash(mountPoint);
    node->setIcon(0, nodeIcon(SmallIconIndex(path), SmallOpenIconIndex(path)));
    return node;
}

void TQvDirTree21::AddDriveNodes()
{
    QTreeWidgetItem* root = RootNode();
    if (!root)
        return;
    const UpdatesBracket bracket(this);
    QList<QTreeWidgetItem*> nodes;
    const QString gvfs = platform::gvfsFolder();
    for (const platform::Volume& volume : platform::listVolumes()) {
        // gio's shares show one by one instead of the file system that holds them all.
        if (volume.mountPoint == gvfs)
            continue;
        nodes.append(
            makeDriveNode(volume.mountPoint, platform::volumeNodeText(volume), int(volume.type)));
    }
    appendNetworkShares(nodes);
    root->addChildren(nodes);
}

quint32 TQvDirTree21::attributeMask() const
{
    quint32 mask = platform::AttrDirectory;
    if (m_folderType & ftReadOnly)
        mask |= platform::AttrReadOnly;
    if (m_folderType & ftHidden)
        mask |= platform::AttrHidden;
    if (m_folderType & ftSystem)
        mask |= platform::AttrSystem;
    return mask;
}

void TQvDirTree21::AddSubFolders(const QString& path, QTreeWidgetItem* node)
{
    const QString dir = AddBackslash(path);
    // Only folders are read with their details: the files beside them cost nothing
    // beyond the directory read.
    std::vector<platform::FileInfo> entries;
    if (!platform::listFolders(dir,
                               [&](platform::FileInfo& e) { entries.push_back(std::move(e)); }))
        return;
    m_watcher->watch(dir);
    m_listed.insert(platform::withoutTrailingSlash(dir));

    // Network volumes are not probed: every folder there offers to expand.
    const platform::Volume volume = platform::volumeForPath(dir);
    const bool network = volume.type == platform::DriveType::Network;
    platform::FileInfo self;
    platform::statPath(dir, self);
    const quint32 mask = attributeMask();

    struct Child
    {
        QString name;
        QCollatorSortKey key;
        bool subfolders;
        bool mountPoint;
    };
    std::vector<Child> children;
    QCollator collator; // the user's locale, letter case significant
    collator.setCaseSensitivity(Qt::CaseSensitive);
    for (const platform::FileInfo& e : entries) {
        const quint32 bits = e.attributes & (platform::AttrReadOnly | platform::AttrHidden |
                                             platform::AttrSystem | platform::AttrDirectory);
        if (!(bits & platform::AttrDirectory) || (bits & ~mask))
            continue;
        const QString childPath = dir + e.name;
        bool subfolders = true;
        if (!network) {
            // The probe's answer shows as the expand button: a folder created in the
            // child later must be noticed as well.
            subfolders = HasSubFolders(childPath);
            m_watcher->watch(childPath);
            m_probed.insert(childPath, subfolders);
        }
        children.push_back({e.name, collator.sortKey(e.name), subfolders, e.device != self.device});
    }
    std::sort(children.begin(), children.end(),
              [](const Child& a, const Child& b) { return a.key.compare(b.key) < 0; });

    const QIcon folder = nodeIcon(FolderIconIndex(false), FolderIconIndex(true));
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(children.size()));
    for (const Child& c : children) {
        auto* item = new QTreeWidgetItem(QStringList{c.name});
        if (c.mountPoint) {
            const QString childPath = dir + c.name;
            item->setIcon(0, nodeIcon(SmallIconIndex(childPath), SmallOpenIconIndex(childPath)));
        } else {
            item->setIcon(0, folder);
        }
        item->setChildIndicatorPolicy(c.subfolders ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicator);
        items.append(item);
    }
    node->addChildren(items);
}

bool TQvDirTree21::HasSubFolders(const QString& path) const
{
    const QString dir = AddBackslash(path);
    const quint32 mask = attributeMask();
    const bool needMode = !(mask & platform::AttrReadOnly);
    bool found = false;
    platform::walkDirectory(dir, [&](const QString& name, platform::EntryKind kind) {
        if (kind != platform::EntryKind::Directory)
            return true;
        if (name.startsWith(QLatin1Char('.')) && !(mask & platform::AttrHidden))
            return true;
        if (needMode) {
            platform::FileInfo info;
            if (!platform::statPath(dir + name, info) || (info.attributes & platform::AttrReadOnly))
                return true;
        }
        found = true;
        return false;
    });
    return found;
}

QString TQvDirTree21::GetNodePath(const QTreeWidgetItem* node) const
{
    QString path;
    for (const QTreeWidgetItem* n = node; n && n->parent(); n = n->parent()) {
        if (IsDriveNode(n))
            return AddBackslash(DriveMountPoint(n)) + path;
        path = path.isEmpty() ? n->text(0) : n->text(0) + QLatin1Char('/') + path;
    }
    return QString(); // the root, or no node at all
}

bool TQvDirTree21::IsDriveNode(const QTreeWidgetItem* node) const
{
    return node && node->parent() && !node->parent()->parent();
}

QString TQvDirTree21::DriveMountPoint(const QTreeWidgetItem* node) const
{
    return node ? node->data(0, MountRole).toString() : QString();
}

void TQvDirTree21::NodeExpanding(QTreeWidgetItem* node)
{
    if (!node || node->childCount() > 0 || node == RootNode())
        return;
    const WaitCursor wait;
    const QString path = GetNodePath(node);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    AddSubFolders(path, node);
}

// ---- navigation ----------------------------------------------------------------

bool TQvDirTree21::SelectNode(QTreeWidgetItem* node)
{
    QTreeWidgetItem* root = RootNode();
    QString path;
    if (node != root || root->childCount() > 0)
        path = GetNodePath(node);
    else
        AddDriveNodes();
    m_selectedPath = node == root ? MyComputer : path;
    // The list shows this folder now; folders made in it must reach the tree even
    // where it was never probed (network volumes).
    if (node != root)
        m_watcher->watch(path);

    if (IsDriveNode(node)) {
        const auto type = platform::DriveType(node->data(0, DriveTypeRole).toInt());
        if ((type == platform::DriveType::Removable || type == platform::DriveType::CDROM) &&
            !DriveReady(DriveMountPoint(node), true))
            return false;
    }
    Q_EMIT OnDirChange(this, m_selectedPath);
    if (m_fileList && !m_selectedPath.isEmpty()) {
        m_fileList->SetDirectory(m_selectedPath);
        m_fileList->Click();
    }
    return true;
}

bool TQvDirTree21::onLabel(const QTreeWidgetItem* item, const QPoint& pos) const
{
    const QRect rect = visualItemRect(item);
    const int labelWidth = iconSize().width() + fontMetrics().horizontalAdvance(item->text(0)) + 12;
    return pos.x() >= rect.left() && pos.x() <= rect.left() + labelWidth;
}

bool TQvDirTree21::onButton(const QTreeWidgetItem* item, const QPoint& pos) const
{
    const QRect rect = visualItemRect(item);
    return pos.x() < rect.left() && pos.x() >= rect.left() - indentation() &&
           item->childIndicatorPolicy() != QTreeWidgetItem::DontShowIndicator &&
           (item->childCount() > 0 ||
            item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator);
}

void TQvDirTree21::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(pos);
    m_dragPending = false;
    // Only the icon and the label select. The expand button still opens or closes
    // its node; anywhere else a press changes nothing.
    if (!item || !onLabel(item, pos)) {
        if (item && onButton(item, pos))
            item->setExpanded(!item->isExpanded());
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
    m_prevPath = m_selectedPath;
    setCurrentItem(item);
    if (!SelectNode(item)) {
        OpenPath(m_prevPath);
        m_selectedPath = m_prevPath;
        return;
    }
    m_prevPath = m_selectedPath;

    if (!m_dragDropEnabled || event->button() != Qt::LeftButton)
        return;
    // Every left press records its folder as the drag source, whether a drag follows
    // or not; the drag starts once the mouse moved the drag distance plus 8 pixels.
    m_dragSourceNode = item;
    m_dragSourcePath = GetNodePath(item);
    setCurrentItem(item);
    setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    if (!(event->buttons() & Qt::LeftButton) || !m_dragSourceNode)
        return;
    DragOperation = event->modifiers().testFlag(Qt::ControlModifier) ? opCopy : opMove;
    m_dragPending = true;
    m_pressPos = pos;
}

void TQvDirTree21::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragPending) {
        if (!(event->buttons() & Qt::LeftButton)) {
            m_dragPending = false;
        } else {
            // Moving with the button held never moves the selection here.
            if ((event->position().toPoint() - m_pressPos).manhattanLength() >
                QApplication::startDragDistance() + 8) {
                m_dragPending = false;
                startFolderDrag();
            }
            return;
        }
    }
    if (event->buttons() != Qt::NoButton)
        return; // no selection by dragging over the nodes
    QTreeWidget::mouseMoveEvent(event);
}

void TQvDirTree21::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(pos);
    if (!item || !onLabel(item, pos)) {
        mousePressEvent(event); // the expand button toggles again, as on a second click
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void TQvDirTree21::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_popUpMenuEnabled || !m_popupMenu) {
        event->ignore();
        return;
    }
    m_popupMenu->Popup(event->globalPos().x(), event->globalPos().y());
}

void TQvDirTree21::keyPressEvent(QKeyEvent* event)
{
    // Backspace goes up to the parent node; its release selects it like the arrows.
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        if (QTreeWidgetItem* node = currentItem(); node && node->parent())
            setCurrentItem(node->parent());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TQvDirTree21::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right ||
        key == Qt::Key_Backspace) {
        QTreeWidget::keyReleaseEvent(event);
        QTreeWidgetItem* node = currentItem();
        if (!node)
            return;
        if (!SelectNode(node))
            return;
    }
    QTreeWidgetItem* node = currentItem();
    if (!node)
        return;
    if (mods & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_N:
            AddNewFolder(node, QString());
            break;
        case Qt::Key_C:
            CutOrCopyFolder(opCopy);
            break;
        case Qt::Key_X:
            CutOrCopyFolder(opMove);
            break;
        case Qt::Key_V:
            PasteFolder();
            break;
        default:
            break;
        }
    }
    if (mods == Qt::AltModifier && (key == Qt::Key_Return || key == Qt::Key_Enter))
        ShowFolderProperties();
    if (mods == Qt::NoModifier && key == Qt::Key_F2)
        EditSelected();
    if (mods == Qt::NoModifier && key == Qt::Key_F5) {
        ReloadTree();
        OpenPath(m_selectedPath);
        if (m_fileList)
            m_fileList->UpdateFileList();
    }
}

void TQvDirTree21::OpenPath(const QString& path)
{
    // Only absolute paths lead along the nodes; "/" is a volume like any other.
    if (!path.startsWith(QLatin1Char('/')) || !platform::isDirectory(path))
        return;
    const QString target = AddBackslash(path);
    QTreeWidgetItem* root = RootNode();
    if (!root)
        return;
    QTreeWidgetItem* last = nullptr;
    {
        const UpdatesBracket bracket(this);
        if (root->childCount() == 0)
            AddDriveNodes();
        if (root->isExpanded())
            collapseAll();

        // The volume whose mount point is the longest leading part of the path.
        QTreeWidgetItem* drive = nullptr;
        QString mount;
        for (int i = 0; i < root->childCount(); ++i) {
            QTreeWidgetItem* node = root->child(i);
            const QString mp = AddBackslash(DriveMountPoint(node));
            if (target.startsWith(mp) && mp.size() > mount.size()) {
                drive = node;
                mount = mp;
            }
        }
        if (!drive)
            return;
        setCurrentItem(drive);
        NodeExpanding(drive);
        drive->setExpanded(true);
        last = drive;
        const QStringList components =
            target.mid(mount.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (const QString& component : components) {
            QTreeWidgetItem* match = nullptr;
            for (int i = 0; i < last->childCount() && !match; ++i)
                if (last->child(i)->text(0) == component)
                    match = last->child(i);
            if (!match)
                return; // stays expanded along what was found
            setCurrentItem(match);
            NodeExpanding(match);
            match->setExpanded(true);
            last = match;
        }
    }
    scrollToItem(last);
    if (m_selectedPath != target)
        m_selectedPath = target;
    Q_EMIT OnDirChange(this, m_selectedPath);
}

bool TQvDirTree21::ChangesShow(const platform::DirWatcher::Changes& changes) const
{
    if (changes.everything)
        return true;
    const QString selected = platform::withoutTrailingSlash(m_selectedPath);
    for (const QString& dir : changes.dirs) {
        if (dir == selected || m_listed.contains(dir))
            return true;
        const auto probe = m_probed.constFind(dir);
        if (probe == m_probed.constEnd() || probe.value() != HasSubFolders(dir))
            return true;
    }
    return false;
}

void TQvDirTree21::ShellNotify()
{
    // A rebuild would take the name being typed away (a new folder's name is edited
    // while its creation is reported): the changes wait for the end of the edit.
    if (state() == QAbstractItemView::EditingState) {
        m_notifyDeferred = true;
        return;
    }
    m_notifyDeferred = false;
    if (!ChangesShow(m_watcher->takeChanges()))
        return;
    const QString copy = m_selectedPath;
    {
        const UpdatesBracket bracket(this);
        ReloadTree();
        if (QTreeWidgetItem* root = RootNode(); root && !root->isExpanded())
            root->setExpanded(true);
        if (!copy.isEmpty())
            OpenPath(copy);
    }
    if (m_fileList) {
        m_fileList->SetDirectory(copy);
        m_fileList->UpdateFileList();
    }
    Q_EMIT Rebuilt();
}

// ---- the context menu --------------------------------------------------------------

void TQvDirTree21::RebuildPopupMenu()
{
    if (m_popupMenu) {
        delete m_popupMenu;
        m_popupMenu = nullptr;
        QCoreApplication::processEvents();
    }
    m_popupMenu = new TQvDirTree21PopUp(this);
    m_popupMenu->BuildItems();
    m_popUpMenuEnabled = true;
}
