#pragma once

#include "explorer/list/filelistmodel.h"
#include "explorer/shell/filetype.h"
#include "explorer/lang/qvconsts.h"
#include "explorer/shell/shellhelpers.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QTreeView>
#include <vector>

namespace platform {
struct FileInfo;
enum class DriveType;
} // namespace platform
class TQvDirTree21;

// The file list of an explorer pane: the entries of one directory through a set of
// name masks, or in its drive view ("My Computer") one row per volume. A report view
// over FileListModel, which holds the entries; this class decides what is listed,
// keeps the sort state and reports the selection. It is coupled to a directory tree
// through DirTree.
//
// A directory path ends in "/". "My Computer" is recognised in any letter case; every
// other path is compared exactly, as the file system does.
class TQvFilelistView28 : public QTreeView
{
    Q_OBJECT
public:
    explicit TQvFilelistView28(QWidget* parent = nullptr);
    ~TQvFilelistView28() override;

    static inline const QString MyComputer = QStringLiteral("My Computer");

    // --- What is listed ------------------------------------------------------
    QString Directory() const { return m_directory; }
    // Ignored when value is already shown, or names neither "My Computer" nor an
    // existing directory (an absolute path); otherwise stored (with a trailing "/")
    // and listed. The process's current directory is left alone.
    void SetDirectory(const QString& value);
    QString Mask() const { return m_mask; }
    void SetMask(const QString& mask);
    TFileType FileType() const { return m_fileType; }
    void SetFileType(TFileType type);
    bool ShowFolders() const { return m_showFolders; }
    void SetShowFolders(bool show);
    bool ParentDirEnabled() const { return m_parentDirEnabled; }
    // Takes effect at the next rebuild.
    void SetParentDirEnabled(bool enabled) { m_parentDirEnabled = enabled; }
    QString ParentDirCaption() const { return m_parentDirCaption; }
    void SetParentDirCaption(const QString& caption);

    // --- Selection -----------------------------------------------------------
    QString SelectedItem() const { return m_selectedItem; }
    void SetSelectedItem(const QString& path);
    // The number of selected rows, or of all rows when none is selected. O(n).
    int SelectedNumber() const;
    // The sum of the sizes of the selected entries. O(n).
    qint64 SelectedSize() const;
    // Free space in KB of the file system holding Directory; 0 in the drive view or
    // when it cannot be read. One statvfs.
    qint64 DriveFreeSpace() const;
    // The selected rows in display order. O(n).
    QList<int> SelectedRows() const;

    // --- Items in display order ----------------------------------------------
    int ItemCount() const { return m_model->EntryCount(); }
    QString ItemCaption(int row) const { return m_model->Caption(row); }
    QString ItemSubItem(int row, int sub) const { return m_model->SubItem(row, sub); }
    bool ItemSelected(int row) const;
    FileListModel* ListModel() const { return m_model; }

    // --- Coupling ------------------------------------------------------------
    TQvDirTree21* DirTree() const { return m_dirTree; }
    void SetDirTree(TQvDirTree21* tree);

    // --- Display -------------------------------------------------------------
    int ColWidth_Name() const { return m_colWidth[0]; }
    void SetColWidth_Name(int width) { setColWidth(0, width); }
    int ColWidth_Size() const { return m_colWidth[1]; }
    void SetColWidth_Size(int width) { setColWidth(1, width); }
    int ColWidth_Type() const { return m_colWidth[2]; }
    void SetColWidth_Type(int width) { setColWidth(2, width); }
    int ColWidth_Mod() const { return m_colWidth[3]; }
    void SetColWidth_Mod(int width) { setColWidth(3, width); }
    int ColWidth_Attr() const { return m_colWidth[4]; }
    void SetColWidth_Attr(int width) { setColWidth(4, width); }

    // The patterns are derived from the locale at the moment of setting; entries
    // get them at the next rebuild.
    TDtFormat DateFormat() const { return m_dateFormat; }
    virtual void SetDateFormat(TDtFormat format);
    TTmFormat TimeFormat() const { return m_timeFormat; }
    virtual void SetTimeFormat(TTmFormat format);
    QString DatePattern() const { return m_datePattern; }
    QString TimePattern() const { return m_timePattern; }

    TFileSize FileSize() const { return m_fileSize; }
    void SetFileSize(TFileSize mode);
    bool HideFileExt() const { return m_hideFileExt; }
    void SetHideFileExt(bool hide);

    TLanguage Language() const { return m_language; }
    // Resolves lnSysDefault through the system's language; a new language reloads
    // the list's message texts and the column captions.
    void SetLanguage(TLanguage language);

    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }
    bool SortEnabled() const { return m_sortEnabled; }
    bool FileColumnsShown() const { return m_fileColumnsShown; }
    int ParentImageIndex() const { return m_parentImageIndex; }

    // --- Building the listing --------------------------------------------------
    // While the host sets the properties up, UpdateFileList does nothing; EndLoad
    // runs it once.
    void BeginLoad() { m_loading = true; }
    void EndLoad();
    bool Loading() const { return m_loading; }

    // Lists Directory anew: one directory read, then a folder pass and one pass per
    // mask over the names read, then the rows are sorted by name. O(n log n) for n
    // entries; icons and type names are not looked up here. Ends by processing the
    // pending events once.
    void UpdateFileList();
    // Takes the next mask off masks: the text before the first ";" (all of it when
    // there is none), which is removed together with the ";".
    static QString NextMask(QString& masks);
    // One pass over a directory's entries: appends those that match mask and pass
    // the admission bits (platform::Attribute bits; see AdmissionMask). O(n).
    void AddMatchingEntries(const std::vector<platform::FileInfo>& listing, const QString& mask,
                            quint32 admission);
    // The admission bits of a FileType: read-only 0x01, hidden 0x02, system 0x04,
    // ftVolumeID 0x10 (folders), ftDirectory 0x20, ftArchive 0x80, ftNormal 0x800.
    static quint32 AdmissionMask(TFileType type);
    // "A" archive, "R" read-only, "H" hidden, "S" system, in this order.
    static QString AttributeLetters(quint32 attributes);
    // The drive view: one row per volume. Sorting is off while it is shown.
    void ListDrives();
    // The drive type texts of the list language that applied last.
    static QString DriveTypeName(platform::DriveType type);
    QString DriveTypeName(const QString& root) const;

    void CreateFileColumns();
    void CreateDriveColumns();
    // A click on a column header: the same column again turns the direction round,
    // another column sorts descending first. Does nothing in the drive view.
    void SortColumnClick(int column);

    // Reports the first selected row: SelectedItem gets its path and OnItemChange
    // fires. Nothing happens without a selection.
    virtual void Click();

Q_SIGNALS:
    void OnItemChange(QObject* sender, const QString& selectedItem);
    // After every rebuild of the listing.
    void Rebuilt();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setColWidth(int column, int width);
    void applyColumnWidths(const int* widths);
    // Shows the arrow of the sort column: down for descending, up for ascending.
    void UpdateSortArrows();
    // Sets the header's indicator to the sort column and the order whose arrow the
    // style draws the right way (shown or not).
    void applySortIndicator();
    void RebuildPopupMenu() {}
    TFileInfo makeEntry(const platform::FileInfo& info);
    QString dateText(qint64 mtimeNs);
    void patternsChanged();

    FileListModel* m_model = nullptr;
    QString m_directory = MyComputer;
    QString m_mask = QStringLiteral("*.*");
    TFileType m_fileType = DefaultFileType;
    bool m_showFolders = true;
    bool m_parentDirEnabled = true;
    QString m_parentDirCaption = QStringLiteral(" Up one level");
    QString m_selectedItem;

    TQvDirTree21* m_dirTree = nullptr;
    QMetaObject::Connection m_dirTreeGone;

    int m_colWidth[5] = {165, 75, 95, 125, 40};
    TDtFormat m_dateFormat = df_Customize;
    TTmFormat m_timeFormat = tfShortFormat;
    QString m_datePattern;
    QString m_timePattern;
    TFileSize m_fileSize = fsKB;
    bool m_hideFileExt = false;
    TLanguage m_language = lnSysDefault;

    bool m_fileColumnsShown = false;
    int m_sortColumn = 0;
    bool m_sortDescending = true;
    bool m_sortEnabled = true;
    int m_parentImageIndex = -1;
    bool m_loading = false;
    QString m_listedDirectory; // AddBackslash(Directory) during a rebuild
    // Date texts of the rebuild under way, by the time they were made for: files
    // written together share one text.
    QHash<qint64, QString> m_dateTexts;
    qint64 m_dateTextUnitNs = 1000000;
};
