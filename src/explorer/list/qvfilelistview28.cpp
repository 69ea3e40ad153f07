#include "explorer/list/qvfilelistview28.h"

#include "core/mask.h"
#include "explorer/shell/iconlist.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/filesystem.h"
#include "platform/langid.h"
#include "platform/volumes.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QStyle>
#include <QStyleOptionHeader>
#include <numeric>
#include <vector>

namespace {

constexpr int DriveColumnWidths[FileListModel::ColumnCount] = {160, 110, 90, 90, 40};

bool isMyComputer(const QString& text)
{
    return text.compare(TQvFilelistView28::MyComputer, Qt::CaseInsensitive) == 0;
}

// "/" (or "//"): the file system root has no parent item.
bool isRoot(const QString& dir)
{
    return !dir.isEmpty() && dir.count(QLatin1Char('/')) == dir.size();
}

// QHeaderView draws Qt::AscendingOrder as QStyleOptionHeader::SortDown and descending
// as SortUp, and the styles disagree about which way these point: Fusion on Linux
// draws SortDown as a down arrow, the Windows style as an up arrow. So the style in
// use is asked, by drawing its SortDown arrow once: a down arrow is wider in its upper
// rows. Costs one 32 x 32 drawing, little beside the sort it follows.
bool sortDownPointsDown(const QWidget* header)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QStyleOptionHeader option;
    option.initFrom(header);
    option.rect = image.rect();
    option.sortIndicator = QStyleOptionHeader::SortDown;
    {
        QPainter painter(&image);
        header->style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &option, &painter, header);
    }
    std::vector<int> widths; // of the ink, per row that has any
    for (int y = 0; y < image.height(); ++y) {
        int left = -1;
        int right = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 64) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left >= 0)
            widths.push_back(right - left + 1);
    }
    const auto half = std::ptrdiff_t(widths.size() / 2);
    const int upper = std::accumulate(widths.begin(), widths.begin() + half, 0);
    const int lower = std::accumulate(widths.end() - half, widths.end(), 0);
    return upper >= lower; // a style that draws nothing keeps Qt's reading
}

// The header order that shows descending order with a down arrow and ascending order
// with an up arrow.
Qt::SortOrder indicatorOrder(bool descending, const QWidget* header)
{
    return descending == sortDownPointsDown(header) ? Qt::AscendingOrder : Qt::DescendingOrder;
}

// The parent item's icon joins the process-wide icon list once.
int parentImageIndex(const QStyle* style)
{
    const QString key = QStringLiteral("tobrin#parent");
    int index = IconList::instance().find(key);
    if (index < 0) {
        QIcon icon = QIcon::fromTheme(QStringLiteral("go-up"));
        if (icon.isNull())
            icon = style->standardIcon(QStyle::SP_FileDialogToParent);
        index = IconList::instance().indexFor(key, icon);
    }
    return index;
}

} // namespace

TQvFilelistView28::TQvFilelistView28(QWidget* parent) : QTreeView(parent)
{
    m_model = new FileListModel(this);
    setModel(m_model);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // A slow second click on a caption starts renaming it (CanEdit permitting); F2 is
    // the list's own key.
    setEditTriggers(QAbstractItemView::SelectedClicked);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    applySortIndicator();
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &TQvFilelistView28::SortColumnClick);
    m_model->SetDateFormatter([this](qint64 mtimeNs) { return dateText(mtimeNs); });
    connect(m_model, &FileListModel::CaptionEdited, this,
            [this](int, const QString& text) { Edit(text); });

    m_parentImageIndex = parentImageIndex(style());
    m_model->SetParentImageIndex(m_parentImageIndex);
    m_model->SetParentCaption(m_parentDirCaption);
    SetDateFormat(m_dateFormat);
    SetTimeFormat(m_timeFormat);
    SetLanguage(lnEnglish);
    CreateFileColumns();
}

TQvFilelistView28::~TQvFilelistView28() = default;

// --- What is listed ----------------------------------------------------------

void TQvFilelistView28::SetDirectory(const QString& value)
{
    if (value == m_directory)
        return;
    if (isMyComputer(value)) {
        if (isMyComputer(m_directory))
            return;
        m_directory = MyComputer;
        UpdateFileList();
        return;
    }
    if (!value.startsWith(QLatin1Char('/')) || !platform::isDirectory(value))
        return;
    m_directory = AddBackslash(value);
    UpdateFileList();
}

void TQvFilelistView28::SetMask(const QString& mask)
{
    if (mask == m_mask)
        return;
    m_mask = mask;
    UpdateFileList();
}

void TQvFilelistView28::SetFileType(TFileType type)
{
    if (type == m_fileType)
        return;
    m_fileType = type;
    UpdateFileList();
}

void TQvFilelistView28::SetShowFolders(bool show)
{
    if (show == m_showFolders)
        return;
    m_showFolders = show;
    UpdateFileList();
}

void TQvFilelistView28::SetParentDirCaption(const QString& caption)
{
    const QString trimmed = caption.trimmed();
    if (trimmed.compare(m_parentDirCaption.trimmed(), Qt::CaseInsensitive) == 0)
        return;
    m_parentDirCaption = QLatin1Char(' ') + trimmed;
    m_model->SetParentCaption(m_parentDirCaption);
}

// --- Selection ---------------------------------------------------------------

void TQvFilelistView28::SetSelectedItem(const QString& path)
{
    if (path != m_selectedItem)
        m_selectedItem = path;
}

QList<int> TQvFilelistView28::SelectedRows() const
{
    const int count = m_model->EntryCount();
    std::vector<bool> marked(std::size_t(count), false);
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom() && row < count; ++row)
            marked[std::size_t(row)] = true;
    QList<int> rows;
    for (int row = 0; row < count; ++row)
        if (marked[std::size_t(row)])
            rows.append(row);
    return rows;
}

bool TQvFilelistView28::ItemSelected(int row) const
{
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.top() <= row && row <= range.bottom())
            return true;
    return false;
}

int TQvFilelistView28::SelectedNumber() const
{
    const qsizetype selected = SelectedRows().size();
    return selected > 0 ? int(selected) : m_model->EntryCount();
}

qint64 TQvFilelistView28::SelectedSize() const
{
    qint64 sum = 0;
    for (int row : SelectedRows())
        sum += m_model->Record(row).Size;
    return sum;
}

qint64 TQvFilelistView28::DriveFreeSpace() const
{
    return isMyComputer(m_directory) ? 0 : DiskFreeKB(m_directory);
}

void TQvFilelistView28::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeView::closeEditor(editor, hint);
    if (m_rebuildAfterEdit && state() != QAbstractItemView::EditingState) {
        m_rebuildAfterEdit = false;
        UpdateFileList();
    }
}

bool TQvFilelistView28::isDriveView() const
{
    return isMyComputer(m_directory);
}

void TQvFilelistView28::Click()
{
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    if (first < 0 || first >= m_model->EntryCount())
        return;
    SetSelectedItem(m_model->Path(first));
    Q_EMIT OnItemChange(this, m_selectedItem);
}

void TQvFilelistView28::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Click();
}

void TQvFilelistView28::keyReleaseEvent(QKeyEvent* event)
{
    QTreeView::keyReleaseEvent(event);
    // A held key repeats its press; the selection is reported once it is let go.
    if (!event->isAutoRepeat() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down))
        Click();
}

// --- Coupling ----------------------------------------------------------------

void TQvFilelistView28::SetDirTree(TQvDirTree21* tree)
{
    if (tree == m_dirTree)
        return;
    if (m_dirTree) {
        disconnect(m_dirTreeGone);
        m_dirTree->SetFileList(nullptr);
    }
    m_dirTree = tree;
    if (m_dirTree) {
        m_dirTreeGone =
            connect(m_dirTree, &QObject::destroyed, this, [this] { m_dirTree = nullptr; });
        m_dirTree->SetFileList(this);
    }
}

// --- Display -----------------------------------------------------------------

void TQvFilelistView28::setColWidth(int column, int width)
{
    if (width == m_colWidth[column])
        return;
    m_colWidth[column] = width;
    if (m_fileColumnsShown)
        header()->resizeSection(column, width);
}

void TQvFilelistView28::applyColumnWidths(const int* widths)
{
    for (int column = 0; column < FileListModel::ColumnCount; ++column)
        header()->resizeSection(column, widths[column]);
}

void TQvFilelistView28::SetDateFormat(TDtFormat format)
{
    m_dateFormat = format;
    m_datePattern = DatePatternFor(format);
    patternsChanged();
}

void TQvFilelistView28::SetTimeFormat(TTmFormat format)
{
    m_timeFormat = format;
    m_timePattern = TimePatternFor(format);
    patternsChanged();
}

void TQvFilelistView28::patternsChanged()
{
    m_dateTexts.clear();
    // Only milliseconds ("z") make a text finer than the second.
    const bool millis = (m_datePattern + m_timePattern).contains(QLatin1Char('z'));
    m_dateTextUnitNs = millis ? 1000000 : 1000000000;
}

void TQvFilelistView28::SetFileSize(TFileSize mode)
{
    m_fileSize = mode;
    m_model->SetFileSize(mode);
}

void TQvFilelistView28::SetHideFileExt(bool hide)
{
    m_hideFileExt = hide;
    m_model->SetHideFileExt(hide);
}

void TQvFilelistView28::SetLanguage(TLanguage language)
{
    const TLanguage resolved =
        language == lnSysDefault ? ResolveLanguage(SystemDefaultLangId()) : language;
    if (resolved == m_language)
        return;
    m_language = resolved;
    CurrentListLanguage = resolved;
    LoadListTexts();
    RebuildPopupMenu();
    m_model->SetLanguage(resolved);
}

void TQvFilelistView28::CreateFileColumns()
{
    UpdatesBracket bracket(this);
    m_model->SetColumns(FileListModel::ColumnSet::Files);
    applyColumnWidths(m_colWidth);
    header()->setSortIndicatorShown(false);
    m_fileColumnsShown = true;
}

void TQvFilelistView28::CreateDriveColumns()
{
    UpdatesBracket bracket(this);
    m_model->SetColumns(FileListModel::ColumnSet::Drives);
    applyColumnWidths(DriveColumnWidths);
    header()->setSortIndicatorShown(false);
    m_fileColumnsShown = false;
}

void TQvFilelistView28::SortColumnClick(int column)
{
    if (!m_sortEnabled || column < 0 || column >= FileListModel::ColumnCount) {
        // The header turns its indicator round by itself on a click; put it back.
        applySortIndicator();
        return;
    }
    // The first sort by type looks up the type of every entry.
    WaitCursor wait;
    if (column == m_sortColumn) {
        m_sortDescending = !m_sortDescending;
    } else {
        m_sortColumn = column;
        m_sortDescending = true;
    }
    m_model->Sort(m_sortColumn, m_sortDescending);
    UpdateSortArrows();
}

void TQvFilelistView28::UpdateSortArrows()
{
    applySortIndicator();
    header()->setSortIndicatorShown(true);
}

void TQvFilelistView28::applySortIndicator()
{
    header()->setSortIndicator(m_sortColumn, indicatorOrder(m_sortDescending, header()));
}

void TQvFilelistView28::changeEvent(QEvent* event)
{
    QTreeView::changeEvent(event);
    // Another style may draw the header's arrows the other way round.
    if (event->type() == QEvent::StyleChange)
        applySortIndicator();
}

// --- Building the listing ------------------------------------------------------

void TQvFilelistView28::EndLoad()
{
    m_loading = false;
    UpdateFileList();
}

void TQvFilelistView28::UpdateFileList()
{
    if (m_loading)
        return;
    // While a name is typed in place the listing stays: a rebuild (a change on disk
    // the tree reports) would close the editor and lose the name. It runs once the
    // editor closes.
    if (state() == QAbstractItemView::EditingState) {
        m_rebuildAfterEdit = true;
        return;
    }
    // A rebuild of the directory already shown (a change on disk, F5, a new folder)
    // keeps the user's marks and sort order for the entries that are still there.
    const bool again = m_fileColumnsShown && !isMyComputer(m_directory) &&
                       AddBackslash(m_directory) == m_listedDirectory && m_model->EntryCount() > 0;
    // Marks and the current row are kept by name: the directory is the same.
    QSet<QString> marked;
    QString current;
    const int keptColumn = m_sortColumn;
    const bool keptDescending = m_sortDescending;
    if (again) {
        for (int row : SelectedRows())
            marked.insert(m_model->Name(row));
        if (currentIndex().isValid() && currentIndex().row() < m_model->EntryCount())
            current = m_model->Name(currentIndex().row());
    }
    m_model->Clear();
    {
        WaitCursor wait;
        if (isMyComputer(m_directory)) {
            CreateDriveColumns();
            ListDrives();
        } else {
            if (!m_fileColumnsShown)
                CreateFileColumns();
            m_listedDirectory = AddBackslash(m_directory);
            m_model->SetDirectory(m_listedDirectory);
            listFiles();
            m_dateTexts.clear();
        }
        if (again) {
            m_sortColumn = keptColumn;
            m_sortDescending = !keptDescending; // the click turns it round again
            if (m_model->EntryCount() > 0)
                SortColumnClick(keptColumn);
            QItemSelection selection;
            for (int row = 0; row < m_model->EntryCount(); ++row) {
                const QString& name = m_model->Name(row);
                if (marked.contains(name))
                    selection.select(m_model->index(row, 0), m_model->index(row, 0));
                if (!current.isEmpty() && name == current)
                    selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                      QItemSelectionModel::NoUpdate);
            }
            if (!selection.isEmpty())
                selectionModel()->select(selection,
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        } else {
            m_sortDescending = true;
            if (m_model->EntryCount() > 0 && m_model->columnCount() > 0)
                SortColumnClick(0);
        }
    }
    if (m_model->EntryCount() > 0 && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    Q_EMIT Rebuilt();
    QCoreApplication::processEvents();
}

QString TQvFilelistView28::NextMask(QString& masks)
{
    const qsizetype separator = masks.indexOf(QLatin1Char(';'));
    if (separator < 0) {
        QString mask = masks;
        masks.clear();
        return mask;
    }
    const QString mask = masks.left(separator);
    masks.remove(0, separator + 1);
    return mask;
}

quint32 TQvFilelistView28::AdmissionMask(TFileType type)
{
    static constexpr struct
    {
        TFileAttr member;
        quint32 bit;
    } bits[] = {{ftReadOnly, 0x01},  {ftHidden, 0x02},  {ftSystem, 0x04}, {ftVolumeID, 0x10},
                {ftDirectory, 0x20}, {ftArchive, 0x80}, {ftNormal, 0x800}};
    quint32 mask = 0;
    for (const auto& b : bits)
        if (type.testFlag(b.member))
            mask |= b.bit;
    return mask;
}

QString TQvFilelistView28::AttributeLetters(quint32 attributes)
{
    return ::AttributeLetters(attributes);
}

void TQvFilelistView28::listFiles()
{
    m_sortEnabled = true;
    // One directory read; each entry goes through the passes as it comes: a folder
    // pass, then one pass per mask (ftVolumeID makes these folder passes too). The rows keep that
    // order (folders, then the matches of each mask in turn), an entry that several masks match
    // once per mask.
    struct Pass
    {
        ::Mask matcher;
        quint32 admission;
        bool folders;
        std::vector<FileListRecord> records;
    };
    std::vector<Pass> passes;
    const quint32 admission = AdmissionMask(m_fileType);
    if (m_showFolders)
        passes.push_back(
            {::Mask(QStringLiteral("*.*")), admission | platform::AttrDirectory, true, {}});
    QString masks = m_mask.trimmed();
    if (masks.isEmpty())
        masks = QStringLiteral("*.*");
    while (!masks.isEmpty())
        passes.push_back(
            {::Mask(NextMask(masks)), admission, bool(admission & platform::AttrDirectory), {}});

    auto take = [&](platform::FileInfo& info) {
        const quint32 a = info.attributes;
        for (Pass& pass : passes) {
            if (bool(a & platform::AttrDirectory) != pass.folders)
                continue;
            if ((a & ~pass.admission) &
                (platform::AttrReadOnly | platform::AttrHidden | platform::AttrSystem))
                continue;
            if (!pass.matcher.matches(info.name))
                continue;
            FileListRecord r;
            r.Name = info.name; // shared, not copied
            r.Kind = info.isDir() ? FileListRecord::Folder : FileListRecord::File;
            r.Attributes = a;
            r.Size = info.size;
            r.MTimeNs = info.mtimeNs; // its texts are made when the row is first shown
            pass.records.push_back(std::move(r));
        }
    };

    // The parent item leads the listing, where a directory read on other systems
    // reports "..".
    if (m_parentDirEnabled && !isRoot(m_listedDirectory)) {
        platform::FileInfo up;
        up.name = QStringLiteral("..");
        up.attributes = platform::AttrDirectory;
        platform::FileInfo parentInfo;
        if (platform::statPath(m_listedDirectory + up.name, parentInfo))
            up.mtimeNs = parentInfo.mtimeNs;
        take(up);
    }
    const bool read = platform::listDirectory(m_listedDirectory, [&](platform::FileInfo& info) {
        if (info.name != QLatin1String(".") && info.name != QLatin1String(".."))
            take(info);
    });
    if (!read) // a directory that cannot be read lists nothing, not even its parent item
        return;

    std::size_t total = 0;
    for (const Pass& pass : passes)
        total += pass.records.size();
    for (Pass& pass : passes) {
        if (pass.records.size() == total) {
            m_model->Append(std::move(pass.records));
            return;
        }
    }
    std::vector<FileListRecord> all;
    all.reserve(total);
    for (Pass& pass : passes) {
        std::move(pass.records.begin(), pass.records.end(), std::back_inserter(all));
        std::vector<FileListRecord>().swap(pass.records);
    }
    m_model->Append(std::move(all));
}

QString TQvFilelistView28::dateText(qint64 mtimeNs)
{
    qint64 key = mtimeNs / m_dateTextUnitNs;
    if (mtimeNs % m_dateTextUnitNs < 0)
        --key;
    auto it = m_dateTexts.find(key);
    if (it == m_dateTexts.end())
        it = m_dateTexts.insert(key, FileTimeToText(mtimeNs, m_datePattern, m_timePattern));
    return it.value();
}

void TQvFilelistView28::ListDrives()
{
    m_sortEnabled = false;
    m_model->SetDirectory(QString());
    std::vector<TFileInfo> batch;
    for (const platform::Volume& volume : platform::listVolumes()) {
        // A mounted volume holds its medium, so removable ones are read like any other.
        TFileInfo e;
        e.Kind = FileListModel::KindDrive;
        e.InfoLoaded = true;
        e.ImageIndex = SmallIconIndex(volume.mountPoint);
        e.TypeName = DriveTypeName(volume.type);
        e.Name = platform::volumeNodeText(volume);
        e.Path = AddBackslash(volume.mountPoint);
        e.Size = DiskSizeKB(volume.mountPoint);
        e.FreeSpace = DiskFreeKB(volume.mountPoint);
        batch.push_back(std::move(e));
    }
    m_model->AppendVolumes(batch);
}

QString TQvFilelistView28::DriveTypeName(platform::DriveType type)
{
    TStrKey key;
    switch (type) {
    case platform::DriveType::Unknown:
        key = TStrKey::StrDriveUnknown;
        break;
    case platform::DriveType::NotExist:
        key = TStrKey::StrDriveNotExist;
        break;
    case platform::DriveType::Removable:
        key = TStrKey::StrDriveRemovable;
        break;
    case platform::DriveType::Fixed:
        key = TStrKey::StrDriveFixed;
        break;
    case platform::DriveType::Network:
        key = TStrKey::StrDriveNetwork;
        break;
    case platform::DriveType::CDROM:
        key = TStrKey::StrDriveCDROM;
        break;
    case platform::DriveType::RAM:
        key = TStrKey::StrDriveRAM;
        break;
    default:
        return QString();
    }
    return ExplorerString(key, CurrentListLanguage);
}

QString TQvFilelistView28::DriveTypeName(const QString& root) const
{
    return DriveTypeName(platform::volumeForPath(root).type);
}
