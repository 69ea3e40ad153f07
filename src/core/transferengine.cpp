#include "transferengine.h"

#include "collectionlist.h"
#include "filesizes.h"
#include "platform/filesystem.h"

#include <QStringList>
#include <cerrno>
#include <sys/stat.h>

namespace {

QString withSlash(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// The path below the root: without the leading "/", empty and "." steps dropped, and
// ".." taking back the step before it (never above the root), so that the result stays
// below whatever it is appended to.
QString belowRoot(const QString& path)
{
    if (!path.contains(QLatin1String("/.")) && !path.contains(QLatin1String("//")) &&
        !path.startsWith(QLatin1Char('.'))) {
        qsizetype start = 0;
        while (start < path.size() && path[start] == QLatin1Char('/'))
            ++start;
        return path.mid(start);
    }
    QStringList steps;
    for (const QString& step : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("."))
            continue;
        if (step == QLatin1String("..")) {
            if (!steps.isEmpty())
                steps.removeLast();
            continue;
        }
        steps.append(step);
    }
    return steps.join(QLatin1Char('/'));
}

bool copyOne(const QString& source, const QString& target, const TransferOptions& options)
{
    platform::CopyOptions copy;
    copy.replace = !options.noOverwrite;
    return platform::copyFile(source, target, copy) == platform::CopyStatus::Ok;
}

// A move refuses what a copy refuses: a rename would silently replace a read-only
// target, and a rename between two names of the same file succeeds without doing
// anything, which would leave the source in place while counting it as moved.
bool moveOne(const QString& source, const QString& target, const platform::FileInfo& src,
             bool sourceIsLink, const TransferOptions& options)
{
    if (!sourceIsLink) {
        // Usually nothing is there yet: one call, and it never replaces anything.
        if (platform::renamePath(source, target, false))
            return true;
        int error = platform::lastError();
        if (error == EEXIST && !options.noOverwrite) {
            platform::FileInfo existing;
            if (platform::statPath(target, existing) &&
                ((existing.device == src.device && existing.inode == src.inode) ||
                 existing.isDir() || !(existing.mode & S_IWUSR)))
                return false;
            if (platform::renamePath(source, target, true))
                return true;
            error = platform::lastError();
        }
        if (error != EXDEV)
            return false;
    }
    // Another file system, or a link whose file is what the list means: copy, and
    // remove the source only once the copy is complete under its final name.
    if (!copyOne(source, target, options))
        return false;
    // A source that stays where it was has not been moved.
    return platform::removeFile(source) || platform::lastError() == ENOENT;
}

bool transferOne(const QString& source, const QString& target, const TransferOptions& options)
{
    platform::FileInfo a;
    if (!platform::lstatPath(source, a))
        return false;
    const bool isLink = a.isLink;
    if (isLink && !platform::statPath(source, a))
        return false;
    if (!S_ISREG(a.mode))
        return false; // a dangling link, a directory, a device or a pipe
    const bool lifted = options.ignoreAttributes && !(a.mode & S_IWUSR) &&
                        platform::setMode(source, a.mode | S_IWUSR);

    // A failure here is not reported: the copy below fails then.
    platform::makePath(platform::parentPath(target));

    const bool ok = options.copy ? copyOne(source, target, options)
                                 : moveOne(source, target, a, isLink, options);
    if (lifted) {
        if (ok)
            platform::setMode(target, a.mode);
        if (options.copy || !ok)
            platform::setMode(source, a.mode); // a moved source is gone
    }
    return ok;
}

} // namespace

QString SpaceCheck::refusalText() const
{
    return QStringLiteral("Nicht ausreichend freier Speicher vorhanden\rBenötigt: %1\rvorhanden: "
                          "%2 KB")
        .arg(neededBytes / 1024)
        .arg(availableKb);
}

SpaceCheck checkFreeSpace(const CollectionList& list, const QString& target)
{
    SpaceCheck check;
    check.neededBytes = Listengroesse(list);
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
    check.availableKb = available / 1024;
    check.passes = !(check.availableKb * 1024 < check.neededBytes);
    return check;
}

QString transferTargetPath(const QString& source, const QString& target, bool keepStructure)
{
    return keepStructure ? target + belowRoot(source) : target + platform::fileName(source);
}

TransferResult Uebertragen(CollectionList& list, const QString& target,
                           const TransferOptions& options, TransferHooks& hooks)
{
    const QString t = withSlash(target);
    TransferResult result;
    int i = 0;
    while (i < list.count()) {
        if (hooks.aborted()) {
            result.aborted = true;
            return result;
        }
        const QString source = list.line(i);
        if (transferOne(source, transferTargetPath(source, t, options.keepStructure), options)) {
            ++result.transferred;
            list.removeLine(i);
            hooks.lineRemoved(list.count());
        } else {
            ++i;
        }
        hooks.afterFile();
    }
    result.statusText = QString::number(result.transferred) + QStringLiteral(" Dateien in ") + t +
                        (options.copy ? QStringLiteral(" kopiert") : QStringLiteral(" verschoben"));
    return result;
}
