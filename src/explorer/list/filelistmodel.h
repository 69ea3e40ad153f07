#pragma once

#include "explorer/lang/qvconsts.h"
#include "explorer/list/itemcolors.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

// One entry of a file list: a file or folder of the shown directory, or a volume of
// the drive view.
struct TFileInfo
{
    QString Name;           // as the file system reports it; ".." for the parent item
    QString Path;           // directory + Name; a volume's mount point + "/"
    QString AttrText;       // attribute letters ("RHS"); empty for volumes
    QString DateText;       // the Modified text; empty for volumes; see DateLoaded
    QString Kind;           // "dir", "file" or "drv"
    qint64 Size = 0;        // bytes; a volume's total size in KB
    qint64 FreeSpace = 0;   // a volume's free space in KB; 0 for files and folders
    QString DateKey;        // FileTimeKey of the modification time; see DateLoaded
    quint32 Attributes = 0; // platform::Attribute bits
    bool InfoLoaded = false;
    bool DateLoaded = false; // DateText and DateKey are made when first shown
    int ImageIndex = 0; // into IconList; filled with InfoLoaded
    QString TypeName;   // the type's display name; filled with InfoLoaded
    qint64 MTimeNs = 0; // the modification time the Modified column sorts by

    bool isParent() const { return Name == QLatin1String(".."); }
};

// Size column of the directory view: whole KB or plain bytes.
enum TFileSize
{
    fsKB,
    fsByte,
};

// The entries of one file list and what the list view shows of them. Row i is entry i.
//
// Icon and type name of an entry are looked up only when a view asks for them (the
// icon of column 0 or the text of the Type column), never while entries are added: a
// listing of 100,000 files costs no per-file lookup until rows are shown. Lookups
// mutate the entry from the const data(); everything runs on the user-interface thread.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum class ColumnSet
    {
        Files,
        Drives
    };
    static constexpr int ColumnCount = 5;
    static inline const QString KindDir = QStringLiteral("dir");
    static inline const QString KindFile = QStringLiteral("file");
    static inline const QString KindDrive = QStringLiteral("drv");

    explicit FileListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited caption is reported through CaptionEdited; the entry itself stays.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // --- Entries -------------------------------------------------------------
    // Removes every entry (a model reset). O(n).
    void Clear();
    // Appends the entries as new rows at the end. O(batch) amortised.
    void Append(std::vector<TFileInfo>&& batch);
    const std::vector<TFileInfo>& Entries() const { return m_entries; }
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // Entry row as it stands; its icon and type may not be loaded yet. O(1).
    const TFileInfo& Entry(int row) const { return m_entries[std::size_t(row)]; }
    // Entry row with its date texts made (the Modified column and the date key): only
    // rows that are shown cost the formatting. O(1).
    const TFileInfo& DatedEntry(int row) const;
    // Makes the Modified text of a modification time (nanoseconds since the epoch).
    void SetDateFormatter(std::function<QString(qint64)> formatter);
    // Entry row with its icon and type name loaded. O(1) once loaded; the first call
    // for a row costs one or two stat calls and a MIME lookup by name.
    const TFileInfo& LoadedEntry(int row) const;

    // The caption and the sub-item texts of a row: in the directory view 0 size,
    // 1 type, 2 modified, 3 attributes, 4 path, 5 kind, 6 date key; in the drive view
    // 0 type, 1 total size, 2 free space, 3 " ". Empty for rows or sub-items that do
    // not exist. Sub-item 1 of the directory view loads the row's info.
    QString Caption(int row) const;
    QString SubItem(int row, int sub) const;

    // Orders the entries: folders before files, then by column (0 name and 4
    // attributes by the locale without regard to case, 1 size, 2 type name lower-cased
    // by the locale, 3 modification time). Ascending, the parent item is a folder like
    // any other; descending inverts everything (files before folders) except that the
    // parent item comes first. Not stable.
    // Costs O(n log n) comparisons of precomputed keys plus O(n) to build them: one
    // collation key per entry for the name; a ranking of the distinct texts for type
    // and attributes (the type names of all entries are looked up first, by name only,
    // so that rows never shown sort by their type too). Entries move in place.
    // Selection and current row follow their entries.
    void Sort(int column, bool descending);

    // --- What the rows show --------------------------------------------------
    ColumnSet Columns() const { return m_columns; }
    void SetColumns(ColumnSet columns);
    TLanguage Language() const { return m_language; }
    void SetLanguage(TLanguage language);
    void SetParentCaption(const QString& caption);
    void SetParentImageIndex(int index);
    void SetHideFileExt(bool hide);
    void SetFileSize(TFileSize mode);
    // Colours the rows' texts by their entries' attributes; nullptr leaves the view's
    // own colour. The colours are read at each drawing, not copied.
    void SetItemColors(const TListItemColors* colors);

Q_SIGNALS:
    // The user ended editing the caption of row with text.
    void CaptionEdited(int row, const QString& text);

private:
    void loadInfo(TFileInfo& entry) const;
    void loadTypeName(TFileInfo& entry) const;
    QString sizeText(const TFileInfo& entry) const;
    void refreshAll();

    mutable std::vector<TFileInfo> m_entries;
    ColumnSet m_columns = ColumnSet::Files;
    TLanguage m_language = lnEnglish;
    QString m_parentCaption;
    int m_parentImageIndex = -1;
    bool m_hideFileExt = false;
    TFileSize m_fileSize = fsKB;
    const TListItemColors* m_itemColors = nullptr;
    std::function<QString(qint64)> m_dateFormatter;
    mutable QHash<QString, QString> m_typeNameByEnding;
};

// The date key text of an entry: the count of 100-ns units since 1601-01-01 as a
// double in general format with 15 significant digits, "E" notation without "+" and
// without trailing zeros (1.335E17). The Modified column sorts by the time itself:
// as text these keys misorder times before 1918 (E16) and keys that lost zeros.
QString FileTimeKey(qint64 mtimeNs);

// A size in KB as whole MB with the locale's thousands separator: "476.937 Mb".
QString MbText(qint64 kb);

// The caption a name gets with HideFileExt: the name up to its last ".", so
// "a.b.c" gives "a.b" and ".profile" gives "".
QString NameWithoutExtension(const QString& name);
