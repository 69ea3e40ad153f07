#pragma once

#include <QString>
#include <QStringList>

// Copy, move, delete (to the trash) and rename of files and whole folders, with
// the questions a file manager asks on the way. UI-free: the questions, errors
// and progress go to an observer, so dialogs, the command line and tests can all
// drive the same code.
namespace platform {

// The operation codes the explorer hands around.
enum class FileOp
{
    Move = 1,
    Copy = 2,
    Delete = 3,
    Rename = 4
};

enum class ReplaceChoice
{
    Replace,
    Skip,
    Cancel
};

class FileOpObserver
{
public:
    virtual ~FileOpObserver() = default;
    // Before anything is deleted; false cancels the whole operation.
    virtual bool confirmDelete(const QStringList& paths) = 0;
    // Where no trash can take the item: delete it for good? false skips it.
    virtual bool confirmPermanentDelete(const QString& path) = 0;
    // The target exists already. forAll = true makes the answer stick for the
    // rest of the operation.
    virtual ReplaceChoice askReplace(const QString& target, bool isFolder, bool& forAll) = 0;
    // One item failed; the operation goes on with the next.
    virtual void error(const QString& text) = 0;
    // Progress in bytes (copies) or items (deletes); false cancels.
    virtual bool progress(qint64 done, qint64 total, const QString& current) = 0;
};

struct FileOpResult
{
    bool ok = true;         // everything succeeded and nothing was cancelled
    bool cancelled = false; // the user stopped it
};

// Runs one operation on the sources. For copy and move, a target that names an
// existing directory receives the sources inside it; otherwise it is the new
// name (one source only). For rename, target is the new full path. A folder can
// never be copied or moved into itself. Moves within one file system are renames.
FileOpResult runFileOperation(FileOp op, const QStringList& sources, const QString& target,
                              FileOpObserver& observer);

} // namespace platform
