#pragma once

// The small routines the directory trees, the file lists, their context menus and the
// network drive dialog share: running a verb on a file, the folder picker, drive
// readiness and sizes, icon indexes, the user's special folders, the properties dialog,
// network connections, and the path and display texts the controls exchange.
//
// Paths are absolute POSIX paths; "/" is the separator and a directory path handed
// between the controls ends in "/". The helpers keep the names they have always had:
// AddBackslash appends "/", RemoveBackslash removes one trailing "/".
//
// Every helper returns normally; failures are results (false, 0, an empty text, a
// code). The helpers that show a message say so; their words come from the shared
// explorer texts (SharedText), that is, in the language a tree or a list applied last.
// Texts of any length pass through unchanged. User-interface thread only.

#include <QDateTime>
#include <QMimeType>
#include <QString>
#include <QtGlobal>
#include <memory>

class QFileDialog;
class QWidget;

// --- Running a verb on a file ------------------------------------------------------

// Result codes of ShellExecuteFile. Anything above 32 means success.
inline constexpr int SeOk = 33;
inline constexpr int SeFileNotFound = 2;
inline constexpr int SePathNotFound = 3;
inline constexpr int SeNoAssociation = 31; // unknown verb, no tool, or the start failed

// Runs a verb on a file, detached:
//  - "Open" (any letter case): fileName, relative to directory unless it is absolute,
//    is opened with its default application, and it fails when no application takes
//    it (the opener's verdict is awaited with the events running, see
//    platform::openWithDefaultApp); an executable program is started with the
//    parameters in directory. Blanks separate the parameters and double quotes
//    group them ("a b" is one). A bare name that is neither in directory nor absolute
//    is looked up on PATH.
//  - "Find": starts the desktop's file search tool on the folder fileName (directory
//    when fileName is empty). The tools tried, the desktop's own first: kfind,
//    gnome-search-tool, mate-search-tool, catfish.
// Shows an error box (StrErrorCant + operation + StrFileWord + fileName) when it fails.
// showCommand is accepted for the callers' sake; every program decides its own window.
int ShellExecuteFile(const QString& operation, const QString& fileName, const QString& parameters,
                     const QString& directory, int showCommand);

// --- Texts -----------------------------------------------------------------------

// The text ending in one NUL character: empty stays empty, a text that already ends
// in NUL stays as it is. Lists of paths are NUL-separated.
QString AppendNul(const QString& text);

// Whether any character of set occurs in text.
bool ContainsAnyChar(const QString& set, const QString& text);

// 1-based position of the last occurrence of c in text, 0 when there is none.
int LastCharPos(QChar c, const QString& text);

// Appends "/" unless the text is empty or already ends in "/".
QString AddBackslash(const QString& path);

// Removes one trailing "/" if there is one. "/" itself becomes "" on purpose: the
// result is a name-like text, not a directory any more (AddBackslash("") stays ""), so
// an operation handed RemoveBackslash("/") by mistake fails instead of acting on the
// root folder.
QString RemoveBackslash(const QString& path);

// AddBackslash(directory) + name; empty when either part is empty.
QString JoinPath(const QString& directory, const QString& name);

// The last path component without its extension (from the last "."): "/a.b/c.txt"
// gives "c", "x.tar.gz" gives "x.tar". A leading dot marks a hidden file, not an
// extension: ".profile" stays ".profile". A path ending in "/" gives "".
QString NameWithoutExt(const QString& path);

// The size column text: size / 1024 in whole KB followed by " KB", 1 to 1023 bytes
// counting as 1 KB. A single blank when kind, upper-cased, is "DIR".
QString SizeInKBText(const QString& kind, qint64 size);

// --- Date and time texts --------------------------------------------------------

// Fixed date patterns of the file list, and df_Customize for the short date of the
// locale (with a four-digit year).
enum TDtFormat
{
    df_MMddyyyy,
    df_MMddyy,
    df_ddMMyyyy,
    df_ddMMyy_GB,
    df_ddMMyy_DE,
    df_ddMMyy_IT,
    df_yyyyMMdd,
    df_yyMMdd,
    df_Customize,
};

// tfLongFormat: hours, minutes and seconds of the locale; tfShortFormat: hours and
// minutes; tfCustomize: the locale's time with a 12-hour clock and " AM/PM".
enum TTmFormat
{
    tfLongFormat,
    tfShortFormat,
    tfCustomize,
};

// The patterns, derived from QLocale() at the moment of the call.
QString DatePatternFor(TDtFormat format);
QString TimePatternFor(TTmFormat format);

// The time in local time, formatted with datePattern + " " + timePattern.
//
// Pattern notation (letters are case-sensitive except the hour):
//   d dd ddd dddd   day, two-digit day, short and long weekday name
//   M MM MMM MMMM   month, two-digit month, short and long month name
//   yy yyyy         two-digit and four-digit year
//   h hh H HH       hour, two-digit hour; a 12-hour clock when the pattern holds an
//                   AM/PM marker, else 24 hours
//   m mm  s ss      minutes, seconds; z zzz milliseconds
//   AM/PM am/pm     "AM"/"PM" respectively "am"/"pm"; A/P a/p one letter
//   AP ap           the locale's AM/PM text, upper respectively lower case
//   t               the time zone's abbreviation
//   '...' "..."     literal text ('' is a single quote); anything else is literal
// This is QLocale's notation plus the AM/PM forms, so the locale's own patterns work.
QString FileTimeToText(qint64 mtimeNs, const QString& datePattern, const QString& timePattern);
QString FileTimeToText(const QDateTime& utc, const QString& datePattern,
                       const QString& timePattern);

// --- Drives, sizes, existence ----------------------------------------------------

// Total size and free space (for the user) of the file system holding path, in KB
// (bytes / 1024, truncated). A path that cannot be read gives 0.
qint64 DiskSizeKB(const QString& path);
qint64 DiskFreeKB(const QString& path);

// Whether the volume mounted at drive (a mount point, with or without a trailing "/")
// can be read. A text that is not an absolute path always shows the error box
// StrInvalidDrive and counts as not ready. When the volume is not ready and
// showMessages is set: a beep and the warning box StrNoDisk. Then false.
bool DriveReady(const QString& drive, bool showMessages);

// Whether anything (even a dangling link) exists at path; if so, shows the error box
// '"' + name + "\" " + StrAlreadyExists and returns true.
bool ReportIfExists(const QString& path);

// --- Icons ---------------------------------------------------------------------

// Indexes into IconList::instance() for the small icon of path, respectively its
// "open" state (an open folder for folders; files have no other state). Files are
// told apart by the MIME type their name gives; mount points get a drive icon.
// Costs one or two stat calls; icons are created once per kind.
int SmallIconIndex(const QString& path);
int SmallOpenIconIndex(const QString& path);
// The type name of a MIME type in the language the explorer lists speak (the last one
// a file list applied), not the process's locale. Cached per type and language.
QString TypeNameOf(const QMimeType& type);
// The plain folder icons, for callers that already know a path is an ordinary folder
// (not a mount point) and need not ask the file system again.
int FolderIconIndex(bool open);

// --- Special folders ---------------------------------------------------------------

enum TShellFolder
{
    sfDesktop,
    sfFavorites,
    sfNetHood,
    sfPersonal,
    sfPrograms,
    sfSendTo,
    sfStartMenu,
    sfStartUp,
    sfWindows,
    sfSystem,
};

// The folder of the kind, ending in "/", or empty where this system has none:
//   sfDesktop    the XDG desktop folder
//   sfFavorites  -- (empty)
//   sfNetHood    -- (empty)
//   sfPersonal   the XDG documents folder
//   sfPrograms   $XDG_DATA_HOME/applications/  (the user's menu entries)
//   sfSendTo     $XDG_DATA_HOME/SendTo/        (created when missing)
//   sfStartMenu  $XDG_DATA_HOME/applications/  (the menu is that folder here)
//   sfStartUp    $XDG_CONFIG_HOME/autostart/
//   sfWindows    /usr/   (where the system's programs and data are installed)
//   sfSystem     /usr/bin/
QString ShellFolderPath(TShellFolder kind);

// --- Folder picker -----------------------------------------------------------------

enum TBrowseRoot
{
    brDesktop = 1,
    brCommonPrograms,
    brPrinters,
    brPersonal,
    brCommonStartMenu,
    brNetwork,
};

// The folder the picker starts in for a root kind, ending in "/": brDesktop the home
// folder, brNetwork the folder gio mounts network shares in (else the first network
// volume, else home), brPersonal the documents folder, brCommonPrograms and
// brCommonStartMenu /usr/share/applications/. Printers have no folder; they and
// values outside the enumeration give the home folder.
QString BrowseRootFolder(TBrowseRoot root);

// The picker BrowseForFolder shows: a non-native folder dialog titled StrSpecifyDir,
// starting in startPath when that is an existing folder, else in the root's folder.
// includeFiles lists files beside the folders.
std::unique_ptr<QFileDialog> CreateFolderDialog(QWidget* owner, const QString& startPath,
                                                TBrowseRoot root, bool includeFiles);

// Lets the user pick a folder (modal). True and path set to the choice (a folder ends
// in "/") when one was chosen; false and path untouched on cancel.
bool BrowseForFolder(QWidget* owner, QString& path, TBrowseRoot root, bool includeFiles);

// --- Properties ------------------------------------------------------------------

// What the properties dialog shows about a path.
struct PathProperties
{
    QString path;        // as given
    QString name;        // last component ("/" for the root)
    QString kind;        // the MIME type's comment
    QString location;    // the folder holding it, ending in "/"
    bool isDir = false;  // a folder or a link to one
    bool isLink = false; // the path itself is a symbolic link
    qint64 size = 0;     // bytes of a file (0 for folders)
    QDateTime modified;  // local time
    QDateTime accessed;  // local time
    QString owner;       // user name (or number)
    QString group;       // group name (or number)
    quint32 mode = 0;    // permission bits
    // A mount point also shows its volume.
    bool isVolume = false;
    QString fileSystem;
    QString volumeLabel;
    qint64 volumeTotal = 0; // bytes
    qint64 volumeFree = 0;  // bytes available to the user
};

// Fills props for path; false with *error = errno when it cannot be read.
bool GatherProperties(const QString& path, PathProperties& props, int* error = nullptr);

// "rwxr-xr-x" for the permission bits of mode (with s/S, t/T for the special bits).
QString PermissionText(quint32 mode);

// The English box text for a failure of the properties dialog, empty for errors that
// are not reported. ENOENT distinguishes a missing file from a missing folder above
// it by looking at path's parent.
QString PropertiesErrorText(int error, const QString& path);

// Shows the properties dialog of a file, folder or mount point (modal). When the path
// cannot be read, shows PropertiesErrorText in a plain box instead (nothing for other
// errors).
void ShowPropertiesDialog(const QString& path);

// --- Network and system ------------------------------------------------------------

// Mounts the share remoteName (a \\server\share path or a URL such as smb://, sftp://)
// with gio and records it as Tobrin's connection under localName, the drive name the
// user chose ("X:"), which the share's volume shows in its label. With reconnect an
// autostart entry mounts it again at login (platform::connectShare). 0 when connected,
// else 1; with showError a failure shows a plain box
// "An error occured while connecting:\r\n" + gio's message.
int ConnectNetDrive(const QString& localName, const QString& remoteName, bool showError,
                    bool reconnect);

// The system is recent enough for every program the file list names. Always true.
bool IsModernNT();
