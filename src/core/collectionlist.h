#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// The collection list: the ordered full paths the user gathers for the transfer, one
// line each, duplicates allowed. The list window shows it, the transfer consumes it.
// Paths are lossless QStrings (see platform/namecodec.h). A line that failed in the last
// transfer keeps the reason as its tooltip (by its text: equal lines share it). Rows
// drag out as text/uri-list.
//
// Storage is a vector with one movable gap of dead slots. The transfer removes the
// line it has just transferred, which sits at the count of lines that failed before
// it; the gap follows that cursor, so each such removal moves no other line.
//
// Costs (n = lines):
//   count(), line(i), data()           O(1)
//   appendBatch(batch)                 O(batch) amortised, one beginInsertRows
//   removeLine(i)                      O(1) amortised when i is the previous removal's
//                                      index or next to it (the transfer's pattern);
//                                      O(distance to the previous removal) otherwise
//   removeRows(selectedRows)           O(n + k log k) for k rows, one pass; range signals
//                                      for a few contiguous runs, one reset for many
//   clear()                            O(n), one reset
class CollectionList : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit CollectionList(QObject* parent = nullptr);

    int count() const { return int(m_items.size() - m_gapLength); }
    bool isEmpty() const { return count() == 0; }
    const QString& line(int i) const { return m_items[physical(i)]; }
    QStringList lines() const;

    void appendBatch(const QStringList& batch);
    void removeLine(int i);
    // Removes the given rows (any order, duplicates and rows out of range ignored);
    // returns how many lines went.
    int removeRows(const QList<int>& selectedRows);
    void clear();

    // The reason the line failed in the last transfer, shown as its tooltip; empty when
    // it did not fail. setFailureReason costs O(1) plus one dataChanged over all rows.
    QString failureReason(const QString& line) const { return m_reasons.value(line); }
    void setFailureReason(const QString& line, const QString& reason);
    void clearFailureReasons();

    // The list window's caption after lines went: "%d Dateien gelöscht, %d Dateien
    // verbleiben".
    static QString captionText(int removed, int left);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    // file:// URLs of the rows (names percent-encoded byte for byte) as text/uri-list.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    size_t physical(int i) const
    {
        return size_t(i) < m_gapStart ? size_t(i) : size_t(i) + m_gapLength;
    }
    // Moves the gap so that it starts at logical index i.
    void moveGap(size_t i);
    // Removes the logical lines [first, first + n) by widening the gap over them.
    void eraseRange(size_t first, size_t n);
    // Closes the gap once it holds more dead slots than live lines.
    void compactIfSparse();

    std::vector<QString> m_items; // live lines around the gap [m_gapStart, +m_gapLength)
    size_t m_gapStart = 0;
    size_t m_gapLength = 0;
    QHash<QString, QString> m_reasons;
};
