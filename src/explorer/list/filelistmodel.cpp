#include "explorer/list/filelistmodel.h"

#include "explorer/shell/iconlist.h"
#include "explorer/shell/shellhelpers.h"

#include <QCollator>
#include <QLocale>
#include <QMimeDatabase>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

const QString& KindDir = FileListModel::KindDir;
const QString& KindDrive = FileListModel::KindDrive;
const QString Blank = QStringLiteral(" ");

// Longest type name a row shows.
constexpr int MaxTypeNameLength = 80;

const QMimeDatabase& mimeDatabase()
{
    static const QMimeDatabase db;
    return db;
}

// Sizes are right-aligned: column 1 of the directory view, 2 and 3 of the drive view.
QVariant alignment(FileListModel::ColumnSet columns, int column)
{
    const bool right =
        columns == FileListModel::ColumnSet::Files ? column == 1 : column == 2 || column == 3;
    return int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

TStrKey captionKey(FileListModel::ColumnSet columns, int column)
{
    static const TStrKey files[FileListModel::ColumnCount] = {
        TStrKey::StrColName, TStrKey::StrColSize, TStrKey::StrColType, TStrKey::StrColModified,
        TStrKey::StrColAttr};
    static const TStrKey drives[FileListModel::ColumnCount] = {
        TStrKey::StrColName, TStrKey::StrColType, TStrKey::StrColDiskSize, TStrKey::StrColFreeSpace,
        TStrKey::StrColAttr};
    return columns == FileListModel::ColumnSet::Files ? files[column] : drives[column];
}

// Ranks of the distinct texts of all entries under a collator, equal texts (by the
// collator) sharing a rank. Texts are few where this is used (type names, attribute
// letters), so sorting them with compare() is cheap.
std::vector<int> rankTexts(const std::vector<QString>& texts, const QCollator& collator,
                           bool lowerCase)
{
    // Listings repeat few texts many times (type names): each distinct text is folded
    // and collated once, and every entry gets the rank of its text.
    QHash<QString, int> slotOf;
    std::vector<QString> distinct;
    std::vector<int> slotOfText;
    slotOfText.reserve(texts.size());
    for (const QString& t : texts) {
        auto it = slotOf.constFind(t);
        if (it == slotOf.constEnd()) {
            it = slotOf.insert(t, int(distinct.size()));
            distinct.push_back(lowerCase ? t.toLower() : t);
        }
        slotOfText.push_back(it.value());
    }
    auto collated = [&](const QString& a, const QString& b) {
        if (a.isEmpty() || b.isEmpty())
            return a.isEmpty() && !b.isEmpty();
        return collator.compare(a, b) < 0;
    };
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int x, int y) { return collated(distinct[std::size_t(x)], distinct[std::size_t(y)]); });
    std::vector<int> rankOfSlot(distinct.size());
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && collated(distinct[std::size_t(order[i - 1])], distinct[std::size_t(order[i])]))
            ++rank;
        rankOfSlot[std::size_t(order[i])] = rank;
    }
    std::vector<int> ranks;
    ranks.reserve(texts.size());
    for (int slot : slotOfText)
        ranks.push_back(rankOfSlot[std::size_t(slot)]);
    return ranks;
}

} // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : EntryCount();
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= EntryCount())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == 0 ? Caption(row) : SubItem(row, column - 1);
    case Qt::DecorationRole: {
        if (column != 0)
            return QVariant();
        const TFileInfo& e = m_entries[std::size_t(row)];
        if (e.Kind != KindDrive && e.isParent())
            return IconList::instance().icon(m_parentImageIndex);
        return IconList::instance().icon(LoadedEntry(row).ImageIndex);
    }
    case Qt::TextAlignmentRole:
        return alignment(m_columns, column);
    case Qt::ForegroundRole: {
        if (!m_itemColors || m_columns != ColumnSet::Files)
            return QVariant();
        const QColor color = m_itemColors->ColorFor(m_entries[std::size_t(row)].Attributes);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::EditRole:
        return column == 0 ? Caption(row) : QVariant();
    default:
        return QVariant();
    }
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    // Captions of files and folders can be edited in place (renamed); the view asks
    // first whether it may.
    if (index.isValid() && index.column() == 0 && index.row() < EntryCount() &&
        m_columns == ColumnSet::Files && !m_entries[std::size_t(index.row())].isParent())
        f |= Qt::ItemIsEditable;
    return f;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    // The entry changes only when the file system does: the view renames, then lists
    // the directory anew.
    if (role == Qt::EditRole && index.isValid() && index.column() == 0)
        Q_EMIT CaptionEdited(index.row(), value.toString());
    return false;
}

void FileListModel::SetItemColors(const TListItemColors* colors)
{
    m_itemColors = colors;
    if (EntryCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(EntryCount() - 1, ColumnCount - 1),
                           {Qt::ForegroundRole});
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return ExplorerString(captionKey(m_columns, section), m_language);
    if (role == Qt::TextAlignmentRole)
        return alignment(m_columns, section);
    return QVariant();
}

void FileListModel::Clear()
{
    beginResetModel();
    m_entries.clear();
    m_entries.shrink_to_fit();
    endResetModel();
}

void FileListModel::Append(std::vector<TFileInfo>&& batch)
{
    if (batch.empty())
        return;
    const int first = EntryCount();
    beginInsertRows(QModelIndex(), first, first + int(batch.size()) - 1);
    if (m_entries.empty())
        m_entries = std::move(batch);
    else
        m_entries.insert(m_entries.end(), std::make_move_iterator(batch.begin()),
                         std::make_move_iterator(batch.end()));
    endInsertRows();
}

const TFileInfo& FileListModel::DatedEntry(int row) const
{
    TFileInfo& e = m_entries[std::size_t(row)];
    if (!e.DateLoaded && e.Kind != KindDrive) {
        e.DateText = m_dateFormatter ? m_dateFormatter(e.MTimeNs) : QString();
        e.DateKey = FileTimeKey(e.MTimeNs);
        e.DateLoaded = true;
    }
    return e;
}

void FileListModel::SetDateFormatter(std::function<QString(qint64)> formatter)
{
    m_dateFormatter = std::move(formatter);
}

const TFileInfo& FileListModel::LoadedEntry(int row) const
{
    TFileInfo& e = m_entries[std::size_t(row)];
    loadInfo(e);
    return e;
}

void FileListModel::loadInfo(TFileInfo& entry) const
{
    if (entry.InfoLoaded)
        return;
    entry.ImageIndex = SmallIconIndex(entry.Path);
    loadTypeName(entry);
    entry.InfoLoaded = true;
}

void FileListModel::loadTypeName(TFileInfo& entry) const
{
    // By name only: no file is opened or read. Names that share everything from their
    // first dot on ("a.tar.gz", "b.tar.gz") share their type: the type database is
    // asked once per such ending, not once per file. Names without an ending, or
    // hidden ones, are asked one by one (whole-name patterns such as "Makefile").
    QString ending;
    if (entry.Kind != KindDir) {
        const qsizetype dot = entry.Name.indexOf(QLatin1Char('.'));
        if (dot > 0)
            ending = entry.Name.mid(dot);
    }
    if (!ending.isEmpty()) {
        const auto known = m_typeNameByEnding.constFind(ending);
        if (known != m_typeNameByEnding.constEnd()) {
            entry.TypeName = known.value();
            return;
        }
    }
    const QMimeType type =
        entry.Kind == KindDir
            ? mimeDatabase().mimeTypeForName(QStringLiteral("inode/directory"))
            : mimeDatabase().mimeTypeForFile(entry.Name, QMimeDatabase::MatchExtension);
    entry.TypeName = TypeNameOf(type).left(MaxTypeNameLength);
    if (!ending.isEmpty())
        m_typeNameByEnding.insert(ending, entry.TypeName);
}

QString FileListModel::Caption(int row) const
{
    if (row < 0 || row >= EntryCount())
        return QString();
    const TFileInfo& e = m_entries[std::size_t(row)];
    if (e.Kind == KindDrive)
        return e.Name;
    if (e.isParent())
        return m_parentCaption;
    return m_hideFileExt ? NameWithoutExtension(e.Name) : e.Name;
}

QString FileListModel::SubItem(int row, int sub) const
{
    if (row < 0 || row >= EntryCount())
        return QString();
    const TFileInfo& e = m_entries[std::size_t(row)];
    if (e.Kind == KindDrive) {
        switch (sub) {
        case 0:
            return e.TypeName;
        case 1:
            return MbText(e.Size);
        case 2:
            return MbText(e.FreeSpace);
        case 3:
            return Blank;
        default:
            return QString();
        }
    }
    const bool parent = e.isParent();
    switch (sub) {
    case 0:
        return sizeText(e);
    case 1:
        return parent ? Blank : LoadedEntry(row).TypeName;
    case 2:
        return parent ? Blank : DatedEntry(row).DateText;
    case 3:
        return parent ? Blank : e.AttrText;
    case 4:
        return e.Path;
    case 5:
        return e.Kind;
    case 6:
        return DatedEntry(row).DateKey;
    default:
        return QString();
    }
}

QString FileListModel::sizeText(const TFileInfo& entry) const
{
    if (m_fileSize == fsKB)
        return SizeInKBText(entry.Kind, entry.Size);
    return entry.Kind == KindDir ? Blank : QString::number(entry.Size);
}

void FileListModel::Sort(int column, bool descending)
{
    const std::size_t n = m_entries.size();
    if (n < 2 || column < 0 || column >= ColumnCount)
        return;

    // Keys first, so that the sort itself compares nothing but prepared values.
    std::vector<quint8> folder(n);
    std::vector<quint8> parent(n);
    for (std::size_t i = 0; i < n; ++i) {
        folder[i] = m_entries[i].Kind == KindDir;
        parent[i] = m_entries[i].isParent();
    }
    std::vector<QCollatorSortKey> nameKeys;
    std::vector<qint64> numbers;
    if (column == 0) {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        nameKeys.reserve(n);
        for (const TFileInfo& e : m_entries)
            nameKeys.push_back(collator.sortKey(e.Name));
    } else if (column == 2 || column == 4) {
        QCollator collator;
        collator.setCaseSensitivity(column == 2 ? Qt::CaseSensitive : Qt::CaseInsensitive);
        std::vector<QString> texts;
        texts.reserve(n);
        for (TFileInfo& e : m_entries) {
            if (column == 2 && !e.InfoLoaded && e.Kind != KindDrive)
                loadTypeName(e);
            texts.push_back(column == 2 ? e.TypeName : e.AttrText);
        }
        const std::vector<int> ranks = rankTexts(texts, collator, column == 2);
        numbers.assign(ranks.begin(), ranks.end());
    } else {
        numbers.reserve(n);
        for (const TFileInfo& e : m_entries)
            numbers.push_back(column == 1 ? e.Size : e.MTimeNs);
    }

    auto ascending = [&](int a, int b) -> int {
        if (folder[a] != folder[b])
            return folder[a] ? -1 : 1;
        if (column == 0)
            return nameKeys[std::size_t(a)].compare(nameKeys[std::size_t(b)]);
        return numbers[a] < numbers[b] ? -1 : numbers[a] > numbers[b] ? 1 : 0;
    };
    // Descending turns every comparison round, folders after files included, but the
    // parent item stays on top: it cannot keep its ascending place among folders that
    // are now in reverse order without contradicting itself.
    auto less = [&](int a, int b) {
        if (!descending)
            return ascending(a, b) < 0;
        if (parent[a] || parent[b])
            return parent[a] && !parent[b];
        return ascending(a, b) > 0;
    };

    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), less);

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Entries move in place along the cycles of the permutation, so a large listing
    // is never held twice.
    std::vector<int> newRow(n);
    for (std::size_t i = 0; i < n; ++i)
        newRow[std::size_t(order[i])] = int(i);
    std::vector<bool> placed(n, false);
    for (std::size_t start = 0; start < n; ++start) {
        if (placed[start])
            continue;
        TFileInfo held = std::move(m_entries[start]);
        std::size_t to = start;
        for (;;) {
            placed[to] = true;
            const std::size_t from = std::size_t(order[to]);
            if (from == start) {
                m_entries[to] = std::move(held);
                break;
            }
            m_entries[to] = std::move(m_entries[from]);
            to = from;
        }
    }
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to.append(this->index(newRow[std::size_t(index.row())], index.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::SetColumns(ColumnSet columns)
{
    if (columns == m_columns)
        return;
    m_columns = columns;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    refreshAll();
}

void FileListModel::SetLanguage(TLanguage language)
{
    if (language == m_language)
        return;
    m_language = language;
    m_typeNameByEnding.clear(); // type names are in the list's language
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void FileListModel::SetParentCaption(const QString& caption)
{
    if (caption == m_parentCaption)
        return;
    m_parentCaption = caption;
    refreshAll();
}

void FileListModel::SetParentImageIndex(int index)
{
    m_parentImageIndex = index;
}

void FileListModel::SetHideFileExt(bool hide)
{
    if (hide == m_hideFileExt)
        return;
    m_hideFileExt = hide;
    refreshAll();
}

void FileListModel::SetFileSize(TFileSize mode)
{
    if (mode == m_fileSize)
        return;
    m_fileSize = mode;
    refreshAll();
}

void FileListModel::refreshAll()
{
    if (!m_entries.empty())
        Q_EMIT dataChanged(index(0, 0), index(EntryCount() - 1, ColumnCount - 1));
}

QString FileTimeKey(qint64 mtimeNs)
{
    // 100-ns units between 1601-01-01 and 1970-01-01.
    constexpr qint64 EpochOffset = 116444736000000000LL;
    constexpr int Digits = 15;
    qint64 units = mtimeNs / 100;
    if (mtimeNs % 100 < 0)
        --units;
    // The count passes through a double, as the key always has; every double of this
    // size is a whole number, so the rest is integer work: %.15g without the cost of
    // a general float formatter.
    const qint64 value = qint64(double(units + EpochOffset));
    if (value > -1000000000000000LL && value < 1000000000000000LL)
        return QString::number(value);
    QByteArray digits = QByteArray::number(value < 0 ? -(value + 1) + 1ULL : quint64(value));
    int exponent = int(digits.size()) - 1;
    const bool roundUp = digits[Digits] >= '5';
    digits.truncate(Digits);
    if (roundUp) {
        int i = Digits - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0) {
            digits.prepend('1');
            digits.truncate(Digits);
            ++exponent;
        } else {
            ++digits[i];
        }
    }
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);
    QString text;
    text.reserve(Digits + 8);
    if (value < 0)
        text += QLatin1Char('-');
    text += QLatin1Char(digits[0]);
    if (digits.size() > 1)
        text += QLatin1Char('.') + QLatin1String(digits.mid(1));
    text += QLatin1Char('E') + QString::number(exponent);
    return text;
}

QString MbText(qint64 kb)
{
    return QLocale().toString(qint64(std::llround(double(kb) / 1024.0))) + QStringLiteral(" Mb");
}

QString NameWithoutExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}
