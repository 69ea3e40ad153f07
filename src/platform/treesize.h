#pragma once

#include <QString>
#include <QtGlobal>

// The total size of a folder tree, as a file manager's "folder size" shows it.
namespace platform {

struct TreeSize
{
    qint64 bytes = 0;      // apparent sizes (st_size) of the regular files below
    qint64 files = 0;      // regular files counted
    qint64 folders = 0;    // folders entered, the top one included
    qint64 unreadable = 0; // folders that could not be opened (they count 0 bytes)
};

// Walks everything below dir (an absolute path; a trailing "/" does not matter).
// Symbolic links are not followed and count nothing; a file with several hard links
// counts once; each directory (by device and inode) is entered once, so a loop of
// bind mounts ends. threads > 1 reads that many folders at a time; 0 picks a number
// from the machine's processors (at most 8). The result does not depend on the
// number of threads. A dir that cannot be opened gives all zeros.
TreeSize treeSize(const QString& dir, int threads = 0);

} // namespace platform
