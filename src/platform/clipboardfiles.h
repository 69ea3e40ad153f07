#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;

// File lists on the system clipboard and in drags and drops, in the forms the
// freedesktop file managers exchange:
//   text/uri-list                   file:// URIs, one per line (CR LF)
//   x-special/gnome-copied-files    "copy" or "cut", then the URIs (GNOME, Xfce, ...)
//   application/x-kde-cutselection  "1" when the files were cut (KDE)
//   text/plain                      the paths, one per line
// A URI carries the name's bytes percent-encoded, so a name that is not UTF-8 comes
// back as the same bytes (see namecodec.h).
namespace platform {

struct ClipboardFiles
{
    QStringList paths;   // absolute paths, in the order given
    bool cut = false;    // the files were cut: a paste moves them
    bool marked = false; // the content says "copy" or "cut" at all
    bool ours = false;   // placed by this process
};

// file:///... for an absolute path, every byte outside the unreserved characters and
// "/" percent-encoded.
QByteArray fileUri(const QString& path);
// The path of a file:// URI (host empty, "localhost" or this machine), else empty.
QString pathFromUri(const QByteArray& uri);

// Fills data with the file list in every form above (cut sets the cut marks).
void setFileListData(QMimeData& data, const QStringList& paths, bool cut);
// A new QMimeData holding the file list (for the clipboard or a drag).
QMimeData* fileListMimeData(const QStringList& paths, bool cut);
// Whether data holds a file list in one of the forms readFileList reads. Looks at
// the formats, and at the first line of plain text.
bool hasFileList(const QMimeData* data);
// The file list of data: GNOME's form first (it says copy or cut), else the URI
// list with KDE's cut mark, else the plain text form older Nautilus versions write
// ("x-special/nautilus-clipboard", then "copy" or "cut" and the URIs). Entries that
// are no local file URIs are left out.
ClipboardFiles readFileList(const QMimeData* data);

// The system clipboard. The clipboard owns what it is given; on X11 its content lives
// as long as this process does.
void setClipboardFiles(const QStringList& paths, bool cut);
bool clipboardHasFiles();
ClipboardFiles clipboardFiles();

// Texts and file contents to the clipboard.
// The paths one per line as plain text (names kept byte for byte).
void setClipboardPathsText(const QStringList& paths);
// The contents of a file: pictures (.bmp .gif .jpg .jpeg .tif .tiff .png .wmf .ico)
// as an image, RTF as rich text plus its plain text, anything else as text (UTF-8,
// else Latin-1). A picture the image readers cannot decode goes on the clipboard
// under its own MIME type, as the file's bytes. False when the file cannot be read.
bool setClipboardFileContents(const QString& path);

// The plain text of an RTF document: paragraphs become line breaks, destinations
// (font and colour tables, pictures, ...) are skipped, \'hh is read as Windows-1252
// and \uN as Unicode.
QString rtfToPlainText(const QByteArray& rtf);

} // namespace platform
