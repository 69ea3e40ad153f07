#pragma once

#include "explorer/lang/qvconsts.h"
#include "explorer/list/filelistmodel.h"
#include "explorer/list/itemcolors.h"
#include "explorer/list/shortcuts.h"
#include "explorer/shell/filetype.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/shelloperations.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QPoint>
#include <QStringList>
#include <QTreeView>
#include <vector>

namespace platform {
struct FileInfo;
enum class DriveType;
} // namespace platform
class TQvDirTree21;
class QMimeData;
class TQvFilelistView28PopUp;
class QContextMenuEvent;
class QKeyEvent;

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

    // --- File operations (list/fileoperations.cpp) ----------------------------
    // Each works on the selected item, the selected row with the lowest index, and
    // does nothing when its condition fails. The process's current directory is never
    // changed; in the drive view the operations that need a directory do nothing.
    bool OpenByDblClick() const { return m_openByDblClick; }
    void SetOpenByDblClick(bool open) { m_openByDblClick = open; }
    bool OpenByEnter() const { return m_openByEnter; }
    void SetOpenByEnter(bool open) { m_openByEnter = open; }
    bool PopUpMenuEnabled() const { return m_popUpMenuEnabled; }
    void SetPopUpMenuEnabled(bool enabled);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // The path of the entry whose caption is being edited in place.
    QString OldPath() const { return m_oldPath; }
    // The first selected row, -1 without a selection. O(selection ranges).
    int FirstSelectedRow() const;
    // The extensions ViewFile opens (upper case with their dot), in their order: the
    // text row, the word processor's row, the picture row, the web row.
    static const QStringList& ViewableExtensions();
    // The position of path's upper-cased extension in ViewableExtensions, -1 when it
    // has none there.
    static int ViewableIndex(const QString& path);

    // A folder or drive is listed (and opened in the coupled tree), a file opened with
    // its application, the parent item goes up.
    void OpenItem();
    // To the parent directory, the folder left keeping the focus mark; from "/" to the
    // drive view.
    void OneLevelUp();
    // Opens the file with the desktop's application for its row of ViewableExtensions.
    void ViewFile();
    // The desktop's search tool on Directory, while the list has the keyboard focus.
    void FindFile();
    void ShowProperties();
    // Creates "Neuer Ordner" (or "Neuer Ordner(2)", ...) and starts editing its name.
    void NewFolder();
    // Starts editing the selected item's name in place; refused for a read-only file.
    void RenameItem();
    // Asked before in-place editing starts; records OldPath when it may.
    bool CanEdit();
    // In-place editing ended with text: renames OldPath to text in its directory.
    void Edit(const QString& text);
    // Moves the selected items (not the parent item) to the trash.
    void DeleteItems();
    // Deletes the selected files for good, asking for each; stops at a folder.
    void DeletePermanently();

    // --- Keys and colours (list/keys.cpp) --------------------------------------
    TQvFileListShortCuts& ShortCuts() { return m_shortCuts; }
    const TQvFileListShortCuts& ShortCuts() const { return m_shortCuts; }
    const TListItemColors& LItemColors() const { return m_itemColors; }
    // Copies the colours; they show at the next drawing.
    void SetLItemColors(const TListItemColors& colors) { m_itemColors.Assign(colors); }
    bool LItemColorByATTR() const { return m_itemColorByAttr; }
    void SetLItemColorByATTR(bool on);

    // --- Context menu (list/popupmenu.cpp) ------------------------------------
    TQvFilelistView28PopUp* PopupMenu() const { return m_popupMenu; }

    // --- Clipboard, send-to and drops ------------------------------------------
    // (list/clipboard.cpp, list/sendto.cpp, list/dragdrop.cpp)
    // The pending paste list: full paths, filled by CutCopy and DropFiles, emptied by
    // every paste, by DeleteItems and by the send-to copies (their working list).
    const QStringList& ClipList() const { return m_clipList; }
    void ClearClipList() { m_clipList.clear(); }
    // ClipOperation := code (opCopy or opMove); the selected items but the parent item
    // become ClipList and go to the clipboard. Nothing is moved yet: a cut only decides
    // that the next paste moves.
    void CutCopy(TFileOpCode code);
    // Places paths on the system clipboard in every file-list form; ClipOperation ==
    // opMove marks them as cut, so that other file managers move them too.
    static void SetClipboardFiles(const QStringList& paths);
    // Fills ClipList from the clipboard's file list and returns the operation it asks
    // for: opNone for content this program placed (the paste follows ClipOperation),
    // opMove for files cut elsewhere, opCopy for any other content.
    TFileOpCode GetClipboardFiles();
    // Whether the clipboard holds a file list in any of its forms.
    static bool ClipboardHasFiles();
    // Copies or moves ClipList (else the clipboard's files) into Directory with one
    // file operation, then rebuilds the listing and the coupled tree. Nothing happens
    // in the drive view or when Directory is gone.
    void PasteFiles();
    // Whether a drag carries files this list can take (for the window's drag enter).
    static bool AcceptsDrop(const QMimeData* data);
    // Files dropped from elsewhere: they become ClipList (DropList keeps them) and are
    // copied into Directory.
    void DropFiles(const QMimeData* data);
    void DropFiles(const QStringList& names);
    const QStringList& DropList() const { return m_dropList; }
    // The fixed send-to commands: 0 to any folder (asked for), 1 the file's contents
    // to the clipboard, 2 the selected paths to the clipboard, 3 a desktop shortcut.
    void SendToSpecial(int n);
    // The send-to-folder dialog (modal); the folder typed or picked, empty on cancel.
    QString AskTargetFolder(const QString& initial);
    // Copies the selected items (not the parent item) into folder; a relative folder
    // lies below Directory, a missing one is created.
    void CopyToFolder(const QString& folder);
    // As CopyToFolder once the volume holding path is ready (else DriveReady's boxes).
    void CopyToRemovable(const QString& path);
    // An entry of the Send To folder (platform::sendToEntries): a Link or a symbolic
    // link to a folder copies there, to a file starts it with the selected file; an
    // Application runs with the selected files in its Exec field codes.
    void SendToShortcut(const QString& path);
    // The local target of a Send To entry (Link or symbolic link, resolved; for an
    // Application its program), empty when it has none.
    static QString ResolveShortcut(const QString& path);
    // A Type=Link entry for the selected file on the desktop, named after the file
    // without its extension (an older one of that name is replaced).
    void CreateDesktopShortcut();
    // The paths of the selected items but the parent item, in item order. O(n).
    QStringList SelectedPaths() const;

Q_SIGNALS:
    // A key the list passed on (every key but Escape and those it consumed).
    void OnKeyDown(QKeyEvent* event);
    // A double click the list did not handle itself.
    void OnDblClick();
    void OnItemChange(QObject* sender, const QString& selectedItem);
    // After every rebuild of the listing.
    void Rebuilt();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // In-place editing starts only when CanEdit allows it.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    // Runs a rebuild that came while the editor was open.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void setColWidth(int column, int width);
    void applyColumnWidths(const int* widths);
    // Shows the arrow of the sort column: down for descending, up for ascending.
    void UpdateSortArrows();
    // Sets the header's indicator to the sort column and the order whose arrow the
    // style draws the right way (shown or not).
    void applySortIndicator();
    // A new context menu in the list's language (the old one goes).
    void RebuildPopupMenu();
    bool isDriveView() const;
    // Starts editing row's caption, CanEdit permitting.
    void editCaption(int row);
    // Reads Directory into the model: the parent item, folders, then the entries of
    // each mask that pass the admission bits (see AdmissionMask). O(n) for n entries
    // and a few masks; the entries are taken as they are read.
    void listFiles();
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

    bool m_openByDblClick = true;
    bool m_openByEnter = true;
    bool m_popUpMenuEnabled = true;
    bool m_readOnly = false;
    QString m_oldPath;
    bool m_rebuildAfterEdit = false;
    TQvFileListShortCuts m_shortCuts;
    TListItemColors m_itemColors;
    bool m_itemColorByAttr = false;
    TQvFilelistView28PopUp* m_popupMenu = nullptr; // a child: deleted with the list

    // --- Clipboard, send-to and drops ------------------------------------------
    // The mouse on the viewport before the view sees it: a press on an item may start
    // a drag of the marked items towards the coupled tree (and out to other programs)
    // once the mouse has moved the toolkit's drag distance plus 10 pixels.
    bool viewportEvent(QEvent* event) override;
    void startFileDrag();
    bool showsDriveView() const;
    QStringList m_clipList;
    QStringList m_dropList;
    QPoint m_pressPos;
    bool m_dragPending = false;   // a press that may still become a drag
    bool m_pressHeldBack = false; // ... and the view has not seen it yet
};
