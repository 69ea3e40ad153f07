#include "fileoperation.h"

#include "filecopy.h"
#include "filesystem.h"
#include "namecodec.h"
#include "trash.h"

#include <QStringBuilder>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString child(const QString& dir, const QString& name)
{
    if (dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir % QLatin1Char('/') % name;
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/')) || folder == u"/";
}

class Operation
{
public:
    Operation(FileOp op, FileOpObserver& observer) : m_op(op), m_observer(observer) {}

    FileOpResult run(const QStringList& sources, const QString& target);

private:
    bool stopped() const { return m_cancelled; }
    void fail(const QString& text)
    {
        m_ok = false;
        m_observer.error(text);
    }
    void failErrno(const QString& what, const QString& path)
    {
        fail(what % u" \"" % path % u"\": " % errorText(lastError()));
    }
    bool tick(const QString& current)
    {
        if (!m_observer.progress(m_done, m_total, current))
            m_cancelled = true;
        return !m_cancelled;
    }
    ReplaceChoice replace(const QString& target, bool isFolder);

    qint64 measure(const QString& path, const FileInfo& info);
    // known: the source as lstat saw it, where the caller looked already.
    void transfer(const QString& source, const QString& target, bool move,
                  const FileInfo* known = nullptr);
    const TargetDirectory& targetDirectory(const QString& path);
    void copyFileTo(const QString& source, const QString& target, bool move);
    void copyLink(const QString& source, const QString& target, bool move);
    void copyFolder(const QString& source, const QString& target, bool move);
    void remove(const QString& path);
    void rename(const QString& source, const QString& target);

    FileOp m_op;
    FileOpObserver& m_observer;
    bool m_ok = true;
    bool m_cancelled = false;
    bool m_haveStandingAnswer = false;
    ReplaceChoice m_standingAnswer = ReplaceChoice::Skip;
    qint64 m_done = 0;
    qint64 m_total = 0;
    // The folder the last file went into, open: a paste of many files into one folder
    // opens it once.
    QString m_targetPath;
    TargetDirectory m_target;
};

ReplaceChoice Operation::replace(const QString& target, bool isFolder)
{
    if (m_haveStandingAnswer)
        return m_standingAnswer;
    bool forAll = false;
    const ReplaceChoice choice = m_observer.askReplace(target, isFolder, forAll);
    if (forAll && choice != ReplaceChoice::Cancel) {
        m_haveStandingAnswer = true;
        m_standingAnswer = choice;
    }
    if (choice == ReplaceChoice::Cancel)
        m_cancelled = true;
    return choice;
}

qint64 Operation::measure(const QString& path, const FileInfo& info)
{
    if (info.isLink || !S_ISDIR(info.mode))
        return info.size;
    std::vector<FileInfo> entries;
    listDirectory(path, entries);
    qint64 sum = 0;
    for (const FileInfo& e : entries)
        sum += e.isLink ? 0 : e.isDir() ? measure(child(path, e.name), e) : e.size;
    return sum;
}

const TargetDirectory& Operation::targetDirectory(const QString& path)
{
    if (path != m_targetPath || !m_target.valid()) {
        m_target = TargetDirectory::open(path);
        m_targetPath = path;
    }
    return m_target;
}

FileOpResult Operation::run(const QStringList& sources, const QString& target)
{
    switch (m_op) {
    case FileOp::Delete:
        if (!m_observer.confirmDelete(sources))
            return {false, true};
        m_total = sources.size();
        for (const QString& s : sources) {
            if (!tick(s))
                break;
            remove(withoutTrailingSlash(s));
            ++m_done;
        }
        break;
    case FileOp::Rename:
        if (sources.size() != 1) {
            fail(QStringLiteral("Es kann nur ein Objekt auf einmal umbenannt werden."));
            break;
        }
        rename(withoutTrailingSlash(sources.first()), withoutTrailingSlash(target));
        break;
    case FileOp::Copy:
    case FileOp::Move: {
        const QString dest = withoutTrailingSlash(target);
        const bool intoFolder = isDirectory(dest);
        if (!intoFolder && sources.size() > 1) {
            fail(u"Das Ziel \"" % target % u"\" ist kein Ordner.");
            break;
        }
        // Byte progress matters only where data is really copied: a move within
        // one file system is a rename and needs no walk of the tree beforehand.
        // Each source is looked at once, for the total and for its transfer.
        FileInfo destInfo;
        statPath(intoFolder ? dest : parentPath(dest), destInfo);
        std::vector<FileInfo> infos(std::size_t(sources.size()));
        std::vector<bool> found(std::size_t(sources.size()));
        for (qsizetype i = 0; i < sources.size(); ++i) {
            const QString s = withoutTrailingSlash(sources[i]);
            FileInfo& info = infos[std::size_t(i)];
            found[std::size_t(i)] = lstatPath(s, info);
            if (found[std::size_t(i)] && (m_op == FileOp::Copy || info.device != destInfo.device))
                m_total += measure(s, info);
        }
        for (qsizetype i = 0; i < sources.size(); ++i) {
            if (stopped())
                break;
            const QString s = withoutTrailingSlash(sources[i]);
            const QString d = intoFolder ? child(dest, fileName(s)) : dest;
            const FileInfo& info = infos[std::size_t(i)];
            if (!found[std::size_t(i)]) {
                fail(u"\"" % s % u"\" wurde nicht gefunden.");
                continue;
            }
            // A link is copied or moved as a link, so only a real folder can land in itself.
            if (S_ISDIR(info.mode) && !info.isLink && isInside(d, s)) {
                fail(u"Der Ordner \"" % s % u"\" kann nicht in sich selbst " %
                     (m_op == FileOp::Move ? u"verschoben" : u"kopiert") % u" werden.");
                continue;
            }
            if (d == s) {
                fail(u"Quelle und Ziel sind gleich: \"" % s % u"\"");
                continue;
            }
            transfer(s, d, m_op == FileOp::Move, &info);
        }
        break;
    }
    }
    return {m_ok && !m_cancelled, m_cancelled};
}

void Operation::transfer(const QString& source, const QString& target, bool move,
                         const FileInfo* known)
{
    FileInfo looked;
    if (!known && !lstatPath(source, looked)) {
        failErrno(QStringLiteral("Fehler beim Lesen von"), source);
        return;
    }
    const FileInfo& info = known ? *known : looked;
    const bool folder = S_ISDIR(info.mode);
    if (move) {
        // Within one file system a move is a rename, unless it has to merge.
        if (renamePath(source, target, false)) {
            tick(target);
            return;
        }
        if (lastError() != EXDEV && lastError() != EEXIST && lastError() != ENOTEMPTY) {
            failErrno(QStringLiteral("Fehler beim Verschieben von"), source);
            return;
        }
    }
    if (folder)
        copyFolder(source, target, move);
    else if (info.isLink)
        copyLink(source, target, move);
    else if (S_ISREG(info.mode))
        copyFileTo(source, target, move);
    else
        fail(u"\"" % source % u"\" ist keine gewöhnliche Datei.");
}

void Operation::copyFileTo(const QString& source, const QString& target, bool move)
{
    FileInfo existing;
    bool replaceTarget = false;
    if (lstatPath(target, existing)) {
        if (existing.isDir() && !existing.isLink) {
            fail(u"\"" % target % u"\" ist ein Ordner.");
            return;
        }
        switch (replace(target, false)) {
        case ReplaceChoice::Replace:
            replaceTarget = true;
            break;
        case ReplaceChoice::Skip:
            return;
        case ReplaceChoice::Cancel:
            return;
        }
    }
    const qint64 before = m_done;
    CopyOptions options;
    options.replace = replaceTarget;
    options.progress = [&](qint64 done, qint64) {
        m_done = before + done;
        return tick(target);
    };
    // A move renames within one file system; otherwise the source goes only once its
    // copy is complete under its final name and the source did not change meanwhile.
    const TargetDirectory& dir = targetDirectory(parentPath(target));
    const CopyResult result =
        !dir.valid() ? CopyResult{CopyStatus::TargetUnwritable, errno}
        : move       ? moveInto(encodeName(source), dir, encodeName(fileName(target)), options)
                     : copyInto(encodeName(source), dir, encodeName(fileName(target)), options);
    if (result.status == CopyStatus::Cancelled) {
        m_cancelled = true;
        return;
    }
    if (!result.ok()) {
        fail(u"\"" % source % u"\" \u2192 \"" % target % u"\": " %
             copyStatusText(result.status, result.error));
        return;
    }
    // Also after files too small to report progress while copied: the dialog follows,
    // and Escape is heard, between any two files.
    tick(target);
}

void Operation::copyLink(const QString& source, const QString& target, bool move)
{
    QByteArray dest(4096, '\0');
    const ssize_t n = ::readlink(encodeName(source).constData(), dest.data(), size_t(dest.size()));
    if (n < 0) {
        failErrno(QStringLiteral("Fehler beim Lesen von"), source);
        return;
    }
    dest.truncate(n);
    if (exists(target)) {
        if (replace(target, false) != ReplaceChoice::Replace)
            return;
        removeFile(target);
    }
    if (::symlink(dest.constData(), encodeName(target).constData()) != 0)
        failErrno(QStringLiteral("Fehler beim Anlegen von"), target);
    else if (move && !removeFile(source))
        failErrno(QStringLiteral("Die Quelle konnte nicht entfernt werden:"), source);
}

void Operation::copyFolder(const QString& source, const QString& target, bool move)
{
    FileInfo existing;
    if (lstatPath(target, existing)) {
        if (!existing.isDir() || existing.isLink) {
            fail(u"\"" % target % u"\" existiert bereits und ist kein Ordner.");
            return;
        }
        // Merging into an existing folder is a replace of that folder's content.
        if (replace(target, true) != ReplaceChoice::Replace)
            return;
    } else if (!makeDirectory(target)) {
        failErrno(QStringLiteral("Fehler beim Anlegen von"), target);
        return;
    }
    std::vector<FileInfo> entries;
    if (!listDirectory(source, entries)) {
        failErrno(QStringLiteral("Fehler beim Lesen von"), source);
        return;
    }
    for (const FileInfo& e : entries) {
        if (stopped())
            return;
        transfer(child(source, e.name), child(target, e.name), move);
    }
    FileInfo info;
    if (lstatPath(source, info))
        setMode(target, info.mode);
    // A moved folder goes only once everything in it has gone; what was skipped
    // or failed keeps it (and has been reported already).
    if (move && !stopped() && !removeDirectory(source) && lastError() != ENOTEMPTY &&
        lastError() != EEXIST)
        failErrno(QStringLiteral("Der Ordner konnte nicht entfernt werden:"), source);
}

void Operation::remove(const QString& path)
{
    if (!exists(path)) {
        fail(u"\"" % path % u"\" wurde nicht gefunden.");
        return;
    }
    if (canTrash(path)) {
        if (!moveToTrash(path)) {
            const int error = errno; // the trash reports its cause through errno
            fail(QStringLiteral("Fehler beim Verschieben in den Papierkorb: \"") + path +
                 QStringLiteral("\": ") + errorText(error));
        }
        return;
    }
    if (!m_observer.confirmPermanentDelete(path))
        return;
    if (!removeTree(path))
        failErrno(QStringLiteral("Fehler beim Löschen von"), path);
}

void Operation::rename(const QString& source, const QString& target)
{
    if (!exists(source)) {
        fail(u"\"" % source % u"\" wurde nicht gefunden.");
        return;
    }
    if (source == target)
        return;
    if (isDirectory(source) && isInside(target, source)) {
        fail(u"Der Ordner \"" % source % u"\" kann nicht in sich selbst verschoben werden.");
        return;
    }
    if (!renamePath(source, target, false))
        failErrno(QStringLiteral("Fehler beim Umbenennen von"), source);
}

} // namespace

FileOpResult runFileOperation(FileOp op, const QStringList& sources, const QString& target,
                              FileOpObserver& observer)
{
    Operation operation(op, observer);
    return operation.run(sources, target);
}

} // namespace platform
