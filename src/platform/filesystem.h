#pragma once

#include <QString>
#include <functional>
#include <vector>

// The program's own file system calls. Every path is an absolute POSIX path held
// losslessly in a QString (see namecodec.h); no other layer touches files itself.
// Functions that can fail return false (or an error code) and leave errno's value
// in lastError().
namespace platform {

// Attribute bits as the rest of the program knows them.
enum Attribute : quint32
{
    AttrReadOnly = 0x01,  // the owner has no write permission
    AttrHidden = 0x02,    // the name begins with "."
    AttrSystem = 0x04,    // not a regular file, directory or link to one
    AttrDirectory = 0x10, // a directory, or a symbolic link to one
    AttrArchive = 0x20,   // never set here
};

struct FileInfo
{
    QString name;           // the last component
    quint32 attributes = 0; // Attribute bits
    qint64 size = 0;        // bytes (0 for directories)
    qint64 mtimeNs = 0;     // modification time, nanoseconds since the epoch (UTC)
    quint32 mode = 0;       // st_mode of the target (of the link itself when dangling)
    bool isLink = false;    // the entry itself is a symbolic link
    quint64 device = 0;
    quint64 inode = 0;
    quint32 owner = 0;  // uid
    quint32 group = 0;  // gid
    qint64 atimeNs = 0; // last access, nanoseconds since the epoch (UTC)

    bool isDir() const { return attributes & AttrDirectory; }
};

int lastError();
QString errorText(int error);

// Attribute bits for a stat result and a name.
quint32 attributesFor(quint32 mode, const QString& name);

// Lists a directory: one fstatat per entry (links followed; a dangling link is
// described by the link itself). "." and ".." are left out. False when the
// directory cannot be opened; entries that vanish while listing are skipped.
bool listDirectory(const QString& dir, std::vector<FileInfo>& out);
// The same, handing each entry to visit as it is read (visit may move from it), so a
// large directory is never held twice.
bool listDirectory(const QString& dir, const std::function<void(FileInfo& info)>& visit);
// As listDirectory, but only the entries that are directories (or links to one): an
// entry the directory read reports as anything else costs no stat.
bool listFolders(const QString& dir, const std::function<void(FileInfo& info)>& visit);

// Lighter listing for walks: names and kinds from the directory read itself,
// stat only where the file system does not report the kind. The callback gets
// the decoded name and whether the entry is a directory (links resolved); it
// returns false to stop. False when the directory cannot be opened.
enum class EntryKind
{
    File,
    Directory,
    Other
};
bool walkDirectory(const QString& dir,
                   const std::function<bool(const QString& name, EntryKind kind)>& visit);
// The same on an encoded path, handing each name's bytes (NUL-terminated) undecoded:
// for walks that write paths out as they go and need no text.
bool walkDirectoryBytes(
    const QByteArray& dir,
    const std::function<bool(const char* name, qsizetype length, EntryKind kind)>& visit);
// Device and inode of the directory at an encoded path (links followed); false when it
// is none or cannot be reached.
bool directoryIdentity(const QByteArray& dir, quint64& device, quint64& inode);

bool statPath(const QString& path, FileInfo& info);  // follows links
bool lstatPath(const QString& path, FileInfo& info); // does not
bool exists(const QString& path);                    // anything there, even a dangling link
bool isDirectory(const QString& path);               // a directory or a link to one
bool isSameFile(const QString& a, const QString& b); // same device and inode

// The names of a user and a group id (the number as text when unknown).
QString userName(quint32 uid);
QString groupName(quint32 gid);

// Creates the directory and all missing parents (mode 0777 & ~umask).
bool makePath(const QString& path);
bool makeDirectory(const QString& path);
// Renames; with replace == false an existing target makes it fail (EEXIST).
bool renamePath(const QString& from, const QString& to, bool replace);
bool removeFile(const QString& path);
bool removeDirectory(const QString& path); // empty directories only
// Removes a file or a whole directory tree (links are removed, not followed).
bool removeTree(const QString& path);
bool setMode(const QString& path, quint32 mode);

// Size of the file system that holds path, in bytes.
bool diskSpace(const QString& path, qint64& total, qint64& available);

// Path text helpers.
QString withoutTrailingSlash(QString path); // "/a/b//" -> "/a/b", "/" stays "/"
QString parentPath(const QString& path);    // "/a/b/c" -> "/a/b/", "/a/b/" -> "/a/", "/" -> "/"
QString fileName(const QString& path);      // last component, trailing "/" ignored

} // namespace platform
