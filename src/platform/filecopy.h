#pragma once

#include "uniquefd.h"

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <functional>

// Copying and moving one regular file so that nothing is ever lost or half-written.
//
// A copy is written into an unnamed file in the target directory (O_TMPFILE) and gets
// its name only when it is complete, so a killed process or a power cut leaves nothing
// behind. Where the file system has no unnamed files, a hidden temporary name is used
// instead, removed on every failure and on SIGINT, SIGTERM and SIGHUP (see
// installTemporaryCleanup). The source is copied up to its end-of-file, whatever size it
// reported; a source whose size, modification time or change time differs afterwards has
// changed while it was read, and the copy fails.
namespace platform {

enum class CopyStatus
{
    Ok,
    SourceMissing,
    SourceUnreadable,   // cannot be opened or read, or is not a regular file
    SourceChanged,      // written to while it was copied
    SourceNotRemovable, // a move whose copy was made, but the source could not go
    TargetExists,       // and replacing was not allowed
    TargetReadOnly,     // an existing target without owner write permission
    TargetIsDirectory,
    TargetTaken,        // the caller refused to replace the file that is there
    TargetPathIsLink,   // a folder on the way below the target is a symbolic link
    SameFile,
    NoSpace,
    TargetUnwritable, // directory missing or not writable, or a write failed
    Cancelled,
};

// What went wrong, for a person: the system's error text where the system refused,
// our own words where we did.
QString copyStatusText(CopyStatus status, int error = 0);

// A directory held open, so that everything below it is reached from its descriptor and
// no symbolic link on the way can lead somewhere else.
class TargetDirectory
{
public:
    TargetDirectory() = default;
    // Opens an existing directory; the path itself may be or contain a symbolic link.
    static TargetDirectory open(const QString& path);
    // The subdirectory step (one name), created when missing. A step that is a symbolic
    // link is never followed: the result is invalid with ELOOP in lastError().
    TargetDirectory enter(const QByteArray& step) const;

    bool valid() const { return m_fd.valid(); }
    int fd() const { return m_fd.get(); }
    int error() const { return m_error; } // errno of the failed open

private:
    explicit TargetDirectory(int fd) : m_fd(fd), m_error(fd < 0 ? errno : 0) {}
    UniqueFd m_fd;
    int m_error = EBADF;
};

struct CopyOptions
{
    bool replace = true;
    // Lift the source's read-only for the time of the copy and put it back afterwards;
    // the copy gets the original mode.
    bool liftReadOnly = false;
    // Called after each chunk with the bytes done and the total; false cancels.
    std::function<bool(qint64 done, qint64 total)> progress;
    // Asked before an existing file (device, inode) is replaced; false refuses.
    std::function<bool(quint64 device, quint64 inode)> mayReplace;
};

struct CopyResult
{
    CopyStatus status = CopyStatus::Ok;
    int error = 0;       // errno of the failing call, 0 where there was none
    quint64 device = 0;  // of the file now under the target name (when Ok)
    quint64 inode = 0;
    bool ok() const { return status == CopyStatus::Ok; }
};

// Copies the regular file source (links followed; its path as the file system's bytes,
// see encodeName) into dir under name. The copy takes
// the source's permission bits, without set-user-ID and set-group-ID, and its times.
CopyResult copyInto(const QByteArray& source, const TargetDirectory& dir, const QByteArray& name,
                    const CopyOptions& options);

// Moves source into dir under name. Within one file system it is a rename; otherwise a
// copy that keeps owner, group (where permitted), extended attributes and ACLs, after
// which the source is removed, but only when it did not change since its copy began. A
// move that cannot remove its source takes its copy back: the target is as before. It
// refuses what a copy refuses (an existing target when replace is off, a read-only
// target, the same file). A source that is a symbolic link to a file moves the file's
// content and removes the link.
CopyResult moveInto(const QByteArray& source, const TargetDirectory& dir, const QByteArray& name,
                    const CopyOptions& options);

// copyInto with the target's directory and name taken from a full path.
CopyStatus copyFile(const QString& source, const QString& target, const CopyOptions& options = {});

// Removes the named temporary file of a copy that is under way when SIGINT, SIGTERM or
// SIGHUP ends the process. Installed only for signals nobody else handles.
void installTemporaryCleanup();

// Tests only: false makes copies use named temporaries as on file systems without
// unnamed files.
void setUnnamedCopies(bool enabled);

} // namespace platform
