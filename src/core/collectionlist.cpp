#include "collectionlist.h"

#include "platform/namecodec.h"

#include <QMimeData>
#include <algorithm>

namespace {
// Beyond this many contiguous runs, one reset is cheaper for a view than a signal per
// run (each signal makes the view and the selection walk their persistent indexes).
constexpr size_t MaxRangeSignals = 32;
// A gap smaller than this is never closed: not worth the move.
constexpr size_t MinGapToCompact = 1024;
} // namespace

CollectionList::CollectionList(QObject* parent) : QAbstractListModel(parent) {}

QStringList CollectionList::lines() const
{
    QStringList out;
    out.reserve(count());
    for (int i = 0, n = count(); i < n; ++i)
        out.append(line(i));
    return out;
}

void CollectionList::appendBatch(const QStringList& batch)
{
    if (batch.isEmpty())
        return;
    const int first = count();
    beginInsertRows(QModelIndex(), first, first + int(batch.size()) - 1);
    m_items.reserve(m_items.size() + size_t(batch.size()));
    for (const QString& path : batch)
        m_items.push_back(path);
    endInsertRows();
}

void CollectionList::removeLine(int i)
{
    if (i < 0 || i >= count())
        return;
    beginRemoveRows(QModelIndex(), i, i);
    eraseRange(size_t(i), 1);
    endRemoveRows();
    compactIfSparse();
}

bool CollectionList::removeRows(int row, int n, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || n <= 0 || row + n > count())
        return false;
    beginRemoveRows(QModelIndex(), row, row + n - 1);
    eraseRange(size_t(row), size_t(n));
    endRemoveRows();
    compactIfSparse();
    return true;
}

int CollectionList::removeRows(const QList<int>& selectedRows)
{
    std::vector<int> rows;
    rows.reserve(size_t(selectedRows.size()));
    const int n = count();
    for (int r : selectedRows)
        if (r >= 0 && r < n)
            rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return 0;

    // Contiguous runs as (first, length).
    std::vector<std::pair<size_t, size_t>> runs;
    for (int r : rows) {
        if (!runs.empty() && runs.back().first + runs.back().second == size_t(r))
            ++runs.back().second;
        else
            runs.emplace_back(size_t(r), 1);
    }

    if (runs.size() <= MaxRangeSignals) {
        // Front to back: the gap only moves forward, so all runs together cost O(n).
        size_t removed = 0;
        for (const auto& [first, length] : runs) {
            const size_t at = first - removed;
            beginRemoveRows(QModelIndex(), int(at), int(at + length - 1));
            eraseRange(at, length);
            endRemoveRows();
            removed += length;
        }
    } else {
        beginResetModel();
        std::vector<QString> kept;
        kept.reserve(size_t(n) - rows.size());
        size_t next = 0;
        for (int i = 0; i < n; ++i) {
            if (next < rows.size() && rows[next] == i) {
                ++next;
                continue;
            }
            kept.push_back(std::move(m_items[physical(i)]));
        }
        m_items = std::move(kept);
        m_gapStart = m_gapLength = 0;
        endResetModel();
    }
    compactIfSparse();
    return int(rows.size());
}

void CollectionList::clear()
{
    m_reasons.clear();
    if (m_items.empty())
        return;
    beginResetModel();
    m_items = {};
    m_gapStart = m_gapLength = 0;
    endResetModel();
}

QString CollectionList::captionText(int removed, int left)
{
    return QStringLiteral("%1 Dateien gelöscht, %2 Dateien verbleiben").arg(removed).arg(left);
}

int CollectionList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant CollectionList::data(const QModelIndex& index, int role) const
{
    if (index.parent().isValid() || index.row() < 0 || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return line(index.row());
    if (role == Qt::ToolTipRole && !m_reasons.isEmpty()) {
        const auto reason = m_reasons.constFind(line(index.row()));
        if (reason != m_reasons.constEnd())
            return *reason;
    }
    return {};
}

void CollectionList::setFailureReason(const QString& line, const QString& reason)
{
    m_reasons.insert(line, reason);
    if (!isEmpty())
        Q_EMIT dataChanged(index(0), index(count() - 1), {Qt::ToolTipRole});
}

void CollectionList::clearFailureReasons()
{
    if (m_reasons.isEmpty())
        return;
    m_reasons.clear();
    if (!isEmpty())
        Q_EMIT dataChanged(index(0), index(count() - 1), {Qt::ToolTipRole});
}

Qt::ItemFlags CollectionList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (index.isValid())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList CollectionList::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CollectionList::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && !i.parent().isValid() && i.row() < count())
            rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray uris;
    for (int row : rows) {
        // Every byte that is not unreserved is percent-encoded, raw bytes of names that
        // are not UTF-8 included, so the receiver gets the name byte for byte.
        uris += "file://" + platform::encodeName(line(row)).toPercentEncoding("/") + "\r\n";
    }
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), uris);
    return data;
}

void CollectionList::moveGap(size_t i)
{
    if (m_gapLength == 0) {
        m_gapStart = i;
        return;
    }
    const auto base = m_items.begin();
    if (i < m_gapStart) {
        std::move_backward(base + ptrdiff_t(i), base + ptrdiff_t(m_gapStart),
                           base + ptrdiff_t(m_gapStart + m_gapLength));
    } else if (i > m_gapStart) {
        std::move(base + ptrdiff_t(m_gapStart + m_gapLength), base + ptrdiff_t(i + m_gapLength),
                  base + ptrdiff_t(m_gapStart));
    }
    m_gapStart = i;
}

void CollectionList::eraseRange(size_t first, size_t n)
{
    moveGap(first);
    const size_t from = m_gapStart + m_gapLength;
    for (size_t k = from; k < from + n; ++k)
        m_items[k] = QString(); // free the text now, not at the next compaction
    m_gapLength += n;
    if (m_gapStart + m_gapLength == m_items.size()) {
        // A gap at the end is just a shorter vector.
        m_items.resize(m_gapStart);
        m_gapLength = 0;
    }
}

void CollectionList::compactIfSparse()
{
    if (m_gapLength < MinGapToCompact || m_gapLength <= size_t(count()))
        return;
    // Each compaction moves fewer live lines than the removals that made the gap, so the
    // cost per removal stays O(1) amortised.
    const auto base = m_items.begin();
    std::move(base + ptrdiff_t(m_gapStart + m_gapLength), m_items.end(),
              base + ptrdiff_t(m_gapStart));
    m_items.resize(m_items.size() - m_gapLength);
    m_gapLength = 0;
    if (m_items.capacity() > 4 * m_items.size() + 1024)
        m_items.shrink_to_fit();
}
