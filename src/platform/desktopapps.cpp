#include "desktopapps.h"

#include "desktop.h"
#include "namecodec.h"
#include "sendto.h"
#include "wholefile.h"

#include <sys/stat.h>

namespace platform {

namespace {

QStringList searchDirs(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    QStringList dirs;
    for (const QString& dir : (value.isEmpty() ? fallback : value).split(QLatin1Char(':')))
        if (dir.startsWith(QLatin1Char('/')))
            dirs.append(dir);
    return dirs;
}

// The data directories, the user's first.
QStringList dataDirs()
{
    QStringList dirs{dataHome()};
    dirs += searchDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    return dirs;
}

bool isFile(const QString& path)
{
    struct stat st;
    return ::stat(encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The value of key in a section of a list file such as mimeapps.list (its first
// occurrence).
QString valueOf(const QByteArray& content, const QByteArray& section, const QByteArray& key)
{
    bool inSection = false;
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).trimmed() == key)
            return QString::fromUtf8(line.mid(eq + 1).trimmed());
    }
    return {};
}

// The first installed entry named in the default list of mimeType in one list file.
QString defaultIn(const QString& listFile, const QString& mimeType)
{
    QByteArray content;
    if (!readWholeFile(listFile, content))
        return {};
    for (const QString& id : valueOf(content, "Default Applications", mimeType.toUtf8())
                                 .split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString path = desktopEntryPath(id.trimmed());
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace

QString desktopEntryPath(const QString& id)
{
    if (id.isEmpty() || id.contains(QLatin1String("..")) || id.startsWith(QLatin1Char('/')))
        return {};
    for (const QString& dir : dataDirs()) {
        const QString apps = dir + QStringLiteral("/applications/");
        if (isFile(apps + id))
            return apps + id;
        // "kde-foo.desktop" may live at kde/foo.desktop.
        QString nested = id;
        for (qsizetype dash = nested.indexOf(QLatin1Char('-')); dash > 0;
             dash = nested.indexOf(QLatin1Char('-'), dash + 1)) {
            QString candidate = nested;
            candidate[dash] = QLatin1Char('/');
            if (isFile(apps + candidate))
                return apps + candidate;
        }
    }
    return {};
}

QString defaultApplicationFor(const QString& mimeType)
{
    QStringList desktops;
    for (const QString& d : qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                                .split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops.append(d.toLower());
    QStringList lists;
    auto addListsIn = [&](const QString& dir) {
        for (const QString& d : desktops)
            lists.append(dir + QLatin1Char('/') + d + QStringLiteral("-mimeapps.list"));
        lists.append(dir + QStringLiteral("/mimeapps.list"));
    };
    addListsIn(configHome());
    for (const QString& dir : searchDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        addListsIn(dir);
    for (const QString& dir : dataDirs())
        addListsIn(dir + QStringLiteral("/applications"));
    for (const QString& dir : dataDirs())
        lists.append(dir + QStringLiteral("/applications/defaults.list"));
    for (const QString& list : lists) {
        const QString entry = defaultIn(list, mimeType);
        if (!entry.isEmpty())
            return entry;
    }
    return {};
}

bool launchDesktopEntry(const QString& entryPath, const QStringList& files,
                        const QString& workingDir, QString* error)
{
    const Shortcut entry = readShortcut(entryPath);
    if (entry.kind != Shortcut::Application) {
        if (error)
            *error = QStringLiteral("%1 nennt kein Programm").arg(entryPath);
        return false;
    }
    return startApplication(entry, files, workingDir, error);
}

} // namespace platform
