#pragma once

#include <QByteArray>
#include <QString>

// Small files read and written as a whole: settings and other INI files. On failure
// both functions return false and leave errno telling why.
namespace platform {

// Reads the whole regular file at path into out (cleared first). Anything that is
// not a regular file is refused (a FIFO would block, a directory has no content).
bool readWholeFile(const QString& path, QByteArray& out);

// Replaces the file at path with data so that no reader ever sees a partial file:
// the data goes into a new temporary file in the same directory (O_EXCL), is synced
// to disk and then renamed onto path. An existing file's permission bits and owner
// are kept; a symbolic link stays a link and its target gets the new content. On any
// failure (missing directory, full disk, read-only file system) the temporary file is
// removed and the old file is left as it was.
bool writeFileAtomically(const QString& path, const QByteArray& data);

// Writes data to path in place (created or truncated), as a shell redirection does:
// also right for /dev/stdout or a pipe, where a rename cannot work.
bool writeFileInPlace(const QString& path, const QByteArray& data);

// Writes all of data to an open descriptor, going on after interrupts and short
// writes. False (errno set) when the descriptor takes no more.
bool writeAll(int fd, const QByteArray& data);

} // namespace platform
