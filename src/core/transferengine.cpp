#include "transferengine.h"

#include "collectionlist.h"
#include "fileidset.h"
#include "platform/filecopy.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

using platform::CopyStatus;
using platform::TargetDirectory;

QString withSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// The target directory and the folder below it that the last line went into: lines of
// one source folder follow each other, so each folder is entered once per run of them.
class TargetFolders
{
public:
    explicit TargetFolders(const QString& target) : m_target(target) {}

    // The folder for a file whose source folder is sourceFolder ("/a/b/", encoded);
    // nullptr with status and error set when it cannot be reached.
    const TargetDirectory* folderFor(const QByteArray& sourceFolder, bool keepStructure,
                                     CopyStatus& status, int& error)
    {
        if (!openRoot(error)) {
            status = CopyStatus::TargetUnwritable;
            return nullptr;
        }
        if (!keepStructure)
            return &m_root;
        if (sourceFolder == "/")
            return &m_root;
        if (m_last.valid() && sourceFolder == m_lastFolder)
            return &m_last;
        m_last = {};
        const TargetDirectory* current = &m_root;
        for (const QByteArray& step : sourceFolder.split('/')) {
            if (step.isEmpty())
                continue;
            TargetDirectory next = current->enter(step);
            if (!next.valid()) {
                error = next.error();
                status = error == ELOOP ? CopyStatus::TargetPathIsLink
                                        : CopyStatus::TargetUnwritable;
                m_last = {};
                return nullptr;
            }
            m_last = std::move(next);
            current = &m_last;
        }
        m_lastFolder = sourceFolder;
        return &m_last;
    }

private:
    bool openRoot(int& error)
    {
        if (m_root.valid())
            return true;
        m_root = TargetDirectory::open(m_target);
        // A target that vanished is created again.
        if (!m_root.valid() && m_root.error() == ENOENT && platform::makePath(m_target))
            m_root = TargetDirectory::open(m_target);
        error = m_root.error();
        return m_root.valid();
    }

    const QString m_target;
    TargetDirectory m_root;
    QByteArray m_lastFolder;
    TargetDirectory m_last;
};

QString invalidLineReason(const QString& line)
{
    return line.startsWith(QLatin1Char('/'))
               ? QStringLiteral("Pfad mit leeren, \".\"- oder \"..\"-Schritten")
               : QStringLiteral("Kein absoluter Pfad");
}

} // namespace

QString SpaceCheck::refusalText() const
{
    return QStringLiteral("Nicht ausreichend freier Speicher vorhanden\rBenötigt: %1\rvorhanden: "
                          "%2 KB")
        .arg(neededBytes / 1024)
        .arg(availableKb);
}

SpaceCheck checkFreeSpace(const CollectionList& list, const QString& target, bool move)
{
    SpaceCheck check;
    // A target that vanished is created again during the transfer, on the file system
    // of its nearest existing parent.
    QString dir = withSlash(target);
    qint64 total = 0, available = 0;
    while (!platform::diskSpace(dir, total, available)) {
        available = 0;
        if (dir.isEmpty() || dir == QLatin1String("/"))
            break;
        dir = platform::parentPath(dir);
    }
    platform::FileInfo targetFs;
    const bool sameFsKnown = move && platform::statPath(dir, targetFs);
    // Lines of one folder follow each other: its device is asked once per run of them.
    QStringView lastFolder;
    bool lastFolderRenames = false;
    for (int i = 0, n = list.count(); i < n; ++i) {
        const QString& line = list.line(i);
        if (sameFsKnown) {
            const QStringView folder = QStringView(line).left(line.lastIndexOf(QLatin1Char('/')) + 1);
            if (folder.isEmpty())
                continue;
            if (folder != lastFolder) {
                platform::FileInfo folderInfo;
                lastFolder = folder;
                lastFolderRenames = platform::statPath(folder.toString(), folderInfo) &&
                                    folderInfo.device == targetFs.device;
            }
            if (lastFolderRenames)
                continue;
        }
        platform::FileInfo info;
        if (!platform::statPath(line, info) || !S_ISREG(info.mode))
            continue;
        check.totalBytes += info.size;
        // A link is copied (its file stays), so it needs the space even when moved.
        if (!(sameFsKnown && !info.isLink && info.device == targetFs.device))
            check.neededBytes += info.size;
    }
    check.availableKb = available / 1024;
    check.passes = !(check.availableKb * 1024 < check.neededBytes);
    return check;
}

bool isTransferableLine(const QString& line)
{
    if (!line.startsWith(QLatin1Char('/')) || line.size() < 2)
        return false;
    const QStringView rest = QStringView(line).mid(1);
    for (const QStringView step : rest.tokenize(QLatin1Char('/')))
        if (step.isEmpty() || step == QLatin1String(".") || step == QLatin1String(".."))
            return false;
    return true;
}

QString transferTargetPath(const QString& source, const QString& target, bool keepStructure)
{
    return keepStructure ? target + source.mid(1) : target + platform::fileName(source);
}

TransferResult Uebertragen(CollectionList& list, const QString& target,
                           const TransferOptions& options, TransferHooks& hooks)
{
    const QString t = withSlash(target);
    TransferResult result;
    TargetFolders folders(t);
    // The files this run has put in place: a later line never replaces one of them (two
    // files of one name in a flat transfer would otherwise leave only the last, and a
    // move would destroy the first).
    FileIdSet written;
    platform::CopyOptions copy;
    copy.replace = !options.noOverwrite;
    copy.liftReadOnly = options.ignoreAttributes;
    copy.progress = [&hooks](qint64 done, qint64 total) {
        return hooks.fileProgress(done, total);
    };
    if (copy.replace)
        copy.mayReplace = [&written](quint64 device, quint64 inode) {
            return !written.contains(device, inode);
        };

    int i = 0;
    while (i < list.count()) {
        if (hooks.aborted()) {
            result.aborted = true;
            return result;
        }
        const QString source = list.line(i);
        QString reason;
        if (isTransferableLine(source)) {
            const QByteArray bytes = platform::encodeName(source);
            const qsizetype slash = bytes.lastIndexOf('/');
            platform::CopyResult r;
            const TargetDirectory* dir =
                folders.folderFor(bytes.left(slash + 1), options.keepStructure, r.status, r.error);
            if (dir) {
                const QByteArray name = bytes.mid(slash + 1);
                r = options.copy ? platform::copyInto(bytes, *dir, name, copy)
                                 : platform::moveInto(bytes, *dir, name, copy);
            }
            if (r.ok()) {
                if (copy.replace)
                    written.insert(r.device, r.inode);
                ++result.transferred;
                list.removeLine(i);
                hooks.lineRemoved(list.count());
                hooks.afterFile();
                continue;
            }
            reason = platform::copyStatusText(r.status, r.error);
        } else {
            reason = invalidLineReason(source);
        }
        hooks.lineFailed(source, reason);
        ++i;
        hooks.afterFile();
    }
    result.statusText = QString::number(result.transferred) + QStringLiteral(" Dateien in ") + t +
                        (options.copy ? QStringLiteral(" kopiert") : QStringLiteral(" verschoben"));
    return result;
}
