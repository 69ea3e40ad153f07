#include "explorer/list/filelistmodel.h"

#include "explorer/shell/iconlist.h"
#include "explorer/shell/shellhelpers.h"
#include "platform/filesystem.h"

#include <QCollator>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <system_error>
#include <thread>

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

// The type database's patterns that can match a name without any dot ("Makefile",
// "README*", "*~"), lower-cased. A name that none of them can match has the type of
// every such name, so the database is asked once for all of them instead of running
// every pattern over each name (some 25 us a name). The test is a superset: letter
// case is ignored and patterns in brackets are taken as they come, so a name it lets
// through is merely asked for itself.
class WholeNamePatterns
{
public:
    WholeNamePatterns()
    {
        const auto special = [](QChar c) {
            return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[');
        };
        for (const QMimeType& type : mimeDatabase().allMimeTypes()) {
            for (const QString& glob : type.globPatterns()) {
                const QString p = glob.toLower();
                if (hasDotOutsideBrackets(p))
                    continue;
                const qsizetype wild = std::count_if(p.begin(), p.end(), special);
                if (wild == 0)
                    m_literals.insert(p);
                else if (wild == 1 && p.endsWith(QLatin1Char('*')))
                    m_prefixes.append(p.chopped(1));
                else if (wild == 1 && p.startsWith(QLatin1Char('*')))
                    m_suffixes.append(p.mid(1));
                else
                    m_others.append(QRegularExpression::fromWildcard(p, Qt::CaseInsensitive));
            }
        }
    }

    // Whether some pattern may match name, which holds no dot.
    bool mayMatch(const QString& name) const
    {
        const QString lower = name.toLower();
        if (m_literals.contains(lower))
            return true;
        for (const QString& p : m_prefixes)
            if (lower.startsWith(p))
                return true;
        for (const QString& s : m_suffixes)
            if (lower.endsWith(s))
                return true;
        for (const QRegularExpression& re : m_others)
            if (re.match(lower).hasMatch())
                return true;
        return false;
    }

private:
    static bool hasDotOutsideBrackets(const QString& p)
    {
        int depth = 0;
        for (QChar c : p) {
            if (c == QLatin1Char('['))
                ++depth;
            else if (c == QLatin1Char(']') && depth > 0)
                --depth;
            else if (c == QLatin1Char('.') && depth == 0)
                return true;
        }
        return false;
    }

    QSet<QString> m_literals;
    QStringList m_prefixes;
    QStringList m_suffixes;
    QList<QRegularExpression> m_others;
};

const WholeNamePatterns& wholeNamePatterns()
{
    static const WholeNamePatterns patterns;
    return patterns;
}

// Sorts with a second thread taking one half where a second core is there and the list
// is long enough to repay starting it; the halves are merged. The comparison must be
// safe to call from two threads at once (it only reads).
template<typename Less>
void sortOnTwoCores(std::vector<int>& order, const Less& less)
{
    constexpr std::size_t WorthASecondThread = 20000;
    if (order.size() < WorthASecondThread || std::thread::hardware_concurrency() < 2) {
        std::sort(order.begin(), order.end(), less);
        return;
    }
    const auto middle = order.begin() + std::ptrdiff_t(order.size() / 2);
    std::thread firstHalf;
    try {
        firstHalf = std::thread([&] { std::sort(order.begin(), middle, less); });
    } catch (const std::system_error&) {
        std::sort(order.begin(), order.end(), less); // no thread to be had
        return;
    }
    std::sort(middle, order.end(), less);
    firstHalf.join();
    std::inplace_merge(order.begin(), middle, order.end(), less);
}

// Ranks that order values by their texts under a collator, equal texts (by the
// collator) sharing a rank; empty texts first.
std::vector<int> rankDistinct(const std::vector<QString>& distinct, const QCollator& collator)
{
    auto collated = [&](const QString& a, const QString& b) {
        if (a.isEmpty() || b.isEmpty())
            return a.isEmpty() && !b.isEmpty();
        return collator.compare(a, b) < 0;
    };
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int x, int y) {
        return collated(distinct[std::size_t(x)], distinct[std::size_t(y)]);
    });
    std::vector<int> rankOf(distinct.size());
    int rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && collated(distinct[std::size_t(order[i - 1])], distinct[std::size_t(order[i])]))
            ++rank;
        rankOf[std::size_t(order[i])] = rank;
    }
    return rankOf;
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
        FileListRecord& e = m_entries[std::size_t(row)];
        if (e.Kind != FileListRecord::Volume && e.isParent())
            return IconList::instance().icon(m_parentImageIndex);
        loadInfo(e);
        return IconList::instance().icon(e.ImageIndex);
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
        m_columns == ColumnSet::Files && !IsParent(index.row()))
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
    m_volumePaths.clear();
    endResetModel();
}

void FileListModel::Append(std::vector<FileListRecord>&& batch)
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

void FileListModel::AppendVolumes(const std::vector<TFileInfo>& volumes)
{
    std::vector<FileListRecord> batch;
    batch.reserve(volumes.size());
    for (const TFileInfo& v : volumes) {
        FileListRecord r;
        r.Kind = FileListRecord::Volume;
        r.Name = v.Name;
        r.Size = v.Size;
        r.MTimeNs = v.FreeSpace;
        r.Attributes = quint32(m_volumePaths.size());
        m_volumePaths.append(v.Path);
        r.TypeIndex = typeSlot(v.TypeName);
        r.ImageIndex = v.ImageIndex;
        r.InfoLoaded = true;
        batch.push_back(std::move(r));
    }
    Append(std::move(batch));
}

QString FileListModel::Path(int row) const
{
    const FileListRecord& e = Record(row);
    if (e.Kind == FileListRecord::Volume)
        return m_volumePaths.value(qsizetype(e.Attributes));
    return m_directory + e.Name;
}

TFileInfo FileListModel::snapshot(const FileListRecord& e) const
{
    TFileInfo s;
    s.Name = e.Name;
    if (e.Kind == FileListRecord::Volume) {
        s.Path = m_volumePaths.value(qsizetype(e.Attributes));
        s.Kind = KindDrive;
        s.FreeSpace = e.MTimeNs;
    } else {
        s.Path = m_directory + e.Name;
        s.Kind = e.Kind == FileListRecord::Folder ? KindDir : FileListModel::KindFile;
        s.Attributes = e.Attributes;
        s.AttrText = AttributeLetters(e.Attributes);
        s.MTimeNs = e.MTimeNs;
    }
    s.Size = e.Size;
    s.InfoLoaded = e.InfoLoaded;
    s.ImageIndex = e.ImageIndex;
    if (e.TypeIndex >= 0)
        s.TypeName = m_typeNames.at(e.TypeIndex);
    return s;
}

TFileInfo FileListModel::Entry(int row) const
{
    return snapshot(Record(row));
}

std::vector<TFileInfo> FileListModel::Entries() const
{
    std::vector<TFileInfo> all;
    all.reserve(m_entries.size());
    for (const FileListRecord& e : m_entries)
        all.push_back(snapshot(e));
    return all;
}

TFileInfo FileListModel::DatedEntry(int row) const
{
    TFileInfo e = Entry(row);
    if (e.Kind != KindDrive) {
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

TFileInfo FileListModel::LoadedEntry(int row) const
{
    loadInfo(m_entries[std::size_t(row)]);
    return Entry(row);
}

void FileListModel::loadInfo(FileListRecord& entry) const
{
    if (entry.InfoLoaded)
        return;
    entry.ImageIndex = SmallIconIndex(m_directory + entry.Name);
    typeIndex(entry);
    entry.InfoLoaded = true;
}

int FileListModel::typeSlot(const QString& name) const
{
    auto it = m_typeSlotOfName.constFind(name);
    if (it == m_typeSlotOfName.constEnd()) {
        it = m_typeSlotOfName.insert(name, int(m_typeNames.size()));
        m_typeNames.append(name);
    }
    return it.value();
}

const QString& FileListModel::typeName(const FileListRecord& entry) const
{
    static const QString none;
    return entry.TypeIndex >= 0 ? m_typeNames.at(entry.TypeIndex) : none;
}

int FileListModel::typeIndex(FileListRecord& entry) const
{
    if (entry.TypeIndex >= 0)
        return entry.TypeIndex;
    // By name only: no file is opened or read. Names that share everything from their
    // first dot on ("a.tar.gz", "b.tar.gz") share their type: the type database is
    // asked once per such ending, not once per file. Hidden names are asked one by one;
    // so are names without an ending that a whole-name pattern ("Makefile") may match,
    // the others share the answer for such names.
    int* shared = nullptr;
    QString ending;
    if (entry.Kind == FileListRecord::Folder) {
        shared = &m_folderType;
    } else {
        const qsizetype dot = entry.Name.indexOf(QLatin1Char('.'));
        if (dot > 0)
            ending = entry.Name.mid(dot);
        else if (dot < 0 && !wholeNamePatterns().mayMatch(entry.Name))
            shared = &m_plainType;
    }
    if (shared && *shared >= 0)
        return entry.TypeIndex = *shared;
    if (!ending.isEmpty()) {
        const auto known = m_typeByEnding.constFind(ending);
        if (known != m_typeByEnding.constEnd())
            return entry.TypeIndex = known.value();
    }
    const QMimeType type =
        entry.Kind == FileListRecord::Folder
            ? mimeDatabase().mimeTypeForName(QStringLiteral("inode/directory"))
            : mimeDatabase().mimeTypeForFile(entry.Name, QMimeDatabase::MatchExtension);
    entry.TypeIndex = typeSlot(TypeNameOf(type).left(MaxTypeNameLength));
    if (shared)
        *shared = entry.TypeIndex;
    else if (!ending.isEmpty())
        m_typeByEnding.insert(ending, entry.TypeIndex);
    return entry.TypeIndex;
}

QString FileListModel::Caption(int row) const
{
    if (row < 0 || row >= EntryCount())
        return QString();
    const FileListRecord& e = m_entries[std::size_t(row)];
    if (e.Kind == FileListRecord::Volume)
        return e.Name;
    if (e.isParent())
        return m_parentCaption;
    return m_hideFileExt ? NameWithoutExtension(e.Name) : e.Name;
}

QString FileListModel::SubItem(int row, int sub) const
{
    if (row < 0 || row >= EntryCount())
        return QString();
    FileListRecord& e = m_entries[std::size_t(row)];
    if (e.Kind == FileListRecord::Volume) {
        switch (sub) {
        case 0:
            return typeName(e);
        case 1:
            return MbText(e.Size);
        case 2:
            return MbText(e.MTimeNs);
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
        if (parent)
            return Blank;
        loadInfo(e);
        return typeName(e);
    case 2:
        return parent ? Blank : m_dateFormatter ? m_dateFormatter(e.MTimeNs) : QString();
    case 3:
        return parent ? Blank : AttributeLetters(e.Attributes);
    case 4:
        return m_directory + e.Name;
    case 5:
        return e.Kind == FileListRecord::Folder ? KindDir : FileListModel::KindFile;
    case 6:
        return FileTimeKey(e.MTimeNs);
    default:
        return QString();
    }
}

QString FileListModel::sizeText(const FileListRecord& entry) const
{
    const bool folder = entry.Kind == FileListRecord::Folder;
    if (m_fileSize == fsKB)
        return SizeInKBText(folder ? KindDir : FileListModel::KindFile, entry.Size);
    return folder ? Blank : QString::number(entry.Size);
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
        folder[i] = m_entries[i].Kind == FileListRecord::Folder;
        parent[i] = m_entries[i].Kind != FileListRecord::Volume && m_entries[i].isParent();
    }
    std::vector<QCollatorSortKey> nameKeys;
    std::vector<qint64> numbers;
    if (column == 0) {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        nameKeys.reserve(n);
        for (const FileListRecord& e : m_entries)
            nameKeys.push_back(collator.sortKey(e.Name));
    } else if (column == 2) {
        // Type names are few: they are ranked once, lower-cased by the locale, and
        // every entry takes the rank of its name.
        numbers.reserve(n);
        for (FileListRecord& e : m_entries)
            numbers.push_back(typeIndex(e));
        std::vector<QString> lowered;
        lowered.reserve(std::size_t(m_typeNames.size()));
        for (const QString& name : std::as_const(m_typeNames))
            lowered.push_back(name.toLower());
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseSensitive);
        const std::vector<int> rank = rankDistinct(lowered, collator);
        for (qint64& number : numbers)
            number = rank[std::size_t(number)];
    } else if (column == 4) {
        // The letters depend on four bits only.
        constexpr quint32 Letters = platform::AttrArchive | platform::AttrReadOnly |
                                    platform::AttrHidden | platform::AttrSystem;
        std::vector<QString> texts(Letters + 1);
        for (quint32 bits = 0; bits <= Letters; ++bits)
            texts[bits] = AttributeLetters(bits & Letters);
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const std::vector<int> rank = rankDistinct(texts, collator);
        numbers.reserve(n);
        for (const FileListRecord& e : m_entries)
            numbers.push_back(e.Kind == FileListRecord::Volume ? 0 : rank[e.Attributes & Letters]);
    } else {
        numbers.reserve(n);
        for (const FileListRecord& e : m_entries)
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
    sortOnTwoCores(order, less);

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
        FileListRecord held = std::move(m_entries[start]);
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
    // Type names are in the list's language: lookups from here on ask again; names
    // already looked up stay as they are.
    m_typeByEnding.clear();
    m_folderType = -1;
    m_plainType = -1;
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

QString AttributeLetters(quint32 attributes)
{
    QString letters;
    if (attributes & platform::AttrArchive)
        letters += QLatin1Char('A');
    if (attributes & platform::AttrReadOnly)
        letters += QLatin1Char('R');
    if (attributes & platform::AttrHidden)
        letters += QLatin1Char('H');
    if (attributes & platform::AttrSystem)
        letters += QLatin1Char('S');
    return letters;
}
