#pragma once

#include "explorer/lang/qvconsts.h"
#include "explorer/list/itemcolors.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One entry of a file list as the list shows it: a file or folder of the shown
// directory, or a volume of the drive view. A snapshot made from the model's compact
// record (FileListRecord) when asked for; changing it changes nothing in the list.
struct TFileInfo
{
    QString Name;            // as the file system reports it; ".." for the parent item
    QString Path;            // directory + Name; a volume's mount point + "/"
    QString AttrText;        // attribute letters ("RHS"); empty for volumes
    QString DateText;        // the Modified text; empty for volumes; see DateLoaded
    QString Kind;            // "dir", "file" or "drv"
    qint64 Size = 0;         // bytes; a volume's total size in KB
    qint64 FreeSpace = 0;    // a volume's free space in KB; 0 for files and folders
    QString DateKey;         // FileTimeKey of the modification time; see DateLoaded
    quint32 Attributes = 0;  // platform::Attribute bits
    bool InfoLoaded = false; // icon and type name looked up (the row was shown)
    bool DateLoaded = false; // DateText and DateKey are filled (DatedEntry)
    int ImageIndex = 0;      // into IconList; filled with InfoLoaded
    QString TypeName;        // the type's display name; filled once looked up
    qint64 MTimeNs = 0;      // the modification time the Modified column sorts by

    bool isParent() const { return Name == QLatin1String(".."); }
};

// What a file list keeps of one entry: 56 bytes and the name's text. The path, the
// kind's text, the attribute letters and the date texts are made from it when a row
// is shown or an entry asked for; the type name is an index into a table of the
// distinct names, so 100,000 ".txt" files share one text.
struct FileListRecord
{
    enum Kinds : quint8
    {
        File,
        Folder,
        Volume
    };
    QString Name;
    qint64 Size = 0;        // bytes; a volume's total size in KB
    qint64 MTimeNs = 0;     // a volume's free space in KB
    quint32 Attributes = 0; // platform::Attribute bits; a volume's index into its paths
    qint32 TypeIndex = -1;  // into the model's type names; -1 until looked up
    qint32 ImageIndex = 0;  // into IconList; filled with InfoLoaded
    quint8 Kind = File;
    bool InfoLoaded = false; // icon and type name looked up (the row was shown)

    bool isParent() const { return Name.size() == 2 && Name == QLatin1String(".."); }
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
// Entries are held as FileListRecord, all of one directory (SetDirectory); the texts a
// row shows are made when it is drawn, so a listing costs little more than its names.
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
    // The directory the entries of files and folders lie in, with its trailing "/":
    // an entry's path is this and its name.
    void SetDirectory(const QString& dir) { m_directory = dir; }
    const QString& Directory() const { return m_directory; }
    // Appends the entries as new rows at the end. O(batch) amortised.
    void Append(std::vector<FileListRecord>&& batch);
    // Appends volumes of the drive view (Kind "drv", with their path, sizes, type name
    // and icon) as new rows.
    void AppendVolumes(const std::vector<TFileInfo>& volumes);
    // Snapshots of all entries in row order. O(n); for checks, not for drawing.
    std::vector<TFileInfo> Entries() const;
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    // Snapshot of entry row; its icon and type may not be loaded yet (the type name is
    // filled once known), the date texts are left empty. O(1).
    TFileInfo Entry(int row) const;
    // Entry row with its date texts made (the Modified column and the date key). O(1).
    TFileInfo DatedEntry(int row) const;
    // The parts of entry row without a snapshot. O(1).
    const FileListRecord& Record(int row) const { return m_entries[std::size_t(row)]; }
    const QString& Name(int row) const { return Record(row).Name; }
    QString Path(int row) const;
    bool IsParent(int row) const
    {
        return Record(row).Kind != FileListRecord::Volume && Record(row).isParent();
    }
    bool IsFolder(int row) const { return Record(row).Kind == FileListRecord::Folder; }
    bool IsVolume(int row) const { return Record(row).Kind == FileListRecord::Volume; }
    // Makes the Modified text of a modification time (nanoseconds since the epoch).
    void SetDateFormatter(std::function<QString(qint64)> formatter);
    // Entry row with its icon and type name loaded. O(1); the first call for a row
    // costs one or two stat calls and at most one MIME lookup by name.
    TFileInfo LoadedEntry(int row) const;

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
    // so that rows never shown sort by their type too; the type database is asked
    // once per ending, not per file). Entries move in place.
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
    void loadInfo(FileListRecord& entry) const;
    // The index of entry's type name, looked up by name only when not known yet.
    int typeIndex(FileListRecord& entry) const;
    int typeSlot(const QString& name) const;
    const QString& typeName(const FileListRecord& entry) const;
    QString sizeText(const FileListRecord& entry) const;
    TFileInfo snapshot(const FileListRecord& entry) const;
    void refreshAll();

    mutable std::vector<FileListRecord> m_entries;
    QString m_directory;
    QStringList m_volumePaths; // of the drive view's rows, by their Attributes
    ColumnSet m_columns = ColumnSet::Files;
    TLanguage m_language = lnEnglish;
    QString m_parentCaption;
    int m_parentImageIndex = -1;
    bool m_hideFileExt = false;
    TFileSize m_fileSize = fsKB;
    const TListItemColors* m_itemColors = nullptr;
    std::function<QString(qint64)> m_dateFormatter;
    // The distinct type names (kept while entries point into them), and the lookups
    // that find them again: by ending, for folders, for names without an ending that
    // no whole-name pattern can match.
    mutable QStringList m_typeNames;
    mutable QHash<QString, int> m_typeSlotOfName;
    mutable QHash<QString, int> m_typeByEnding;
    mutable int m_folderType = -1;
    mutable int m_plainType = -1;
};

// "A" archive, "R" read-only, "H" hidden, "S" system, in this order.
QString AttributeLetters(quint32 attributes);

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
