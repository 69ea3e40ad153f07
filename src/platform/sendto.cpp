#include "sendto.h"

#include "clipboardfiles.h"
#include "desktop.h"
#include "filesystem.h"
#include "namecodec.h"
#include "wholefile.h"

#include <QHash>
#include <QMimeDatabase>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace platform {

namespace {

QString unescapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar e = value[++i];
        if (e == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (e == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        else
            out += QLatin1Char('\\') + e; // kept for the Exec quoting to read
    }
    return out;
}

// The keys of the [Desktop Entry] group, raw values.
QHash<QString, QString> desktopGroup(const QByteArray& text)
{
    QHash<QString, QString> keys;
    bool inGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (inGroup)
                break; // only the first group counts
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

// The locale keys to try, best first: lang_COUNTRY@MODIFIER, lang_COUNTRY,
// lang@MODIFIER, lang. The encoding (".UTF-8") is no part of them.
QStringList localeKeys(QString locale)
{
    QStringList out;
    QString modifier;
    const qsizetype at = locale.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        modifier = locale.mid(at);
        locale.truncate(at);
    }
    const qsizetype dot = locale.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        locale.truncate(dot);
    locale.replace(QLatin1Char('-'), QLatin1Char('_'));
    if (locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX"))
        return out;
    const QString lang = locale.section(QLatin1Char('_'), 0, 0);
    const bool hasCountry = locale.contains(QLatin1Char('_'));
    if (hasCountry && !modifier.isEmpty())
        out << locale + modifier;
    if (hasCountry)
        out << locale;
    if (!modifier.isEmpty())
        out << lang + modifier;
    out << lang;
    return out;
}

QString localisedValue(const QHash<QString, QString>& keys, const QString& key,
                       const QString& locale)
{
    for (const QString& l : localeKeys(locale)) {
        const auto it = keys.find(key + QLatin1Char('[') + l + QLatin1Char(']'));
        if (it != keys.end())
            return unescapeValue(it.value());
    }
    return unescapeValue(keys.value(key));
}

bool isDesktopFile(const QString& name)
{
    return name.endsWith(QLatin1String(".desktop"));
}

// The final target of a symbolic link, or empty when it dangles.
QString resolvedLink(const QString& path)
{
    char buffer[PATH_MAX];
    if (!::realpath(encodeName(path).constData(), buffer))
        return {};
    return decodeName(QByteArray(buffer));
}

QString iconForTarget(const QString& target)
{
    FileInfo info;
    if (!statPath(target, info))
        return {};
    if (info.isDir())
        return QStringLiteral("folder");
    if (S_ISREG(info.mode) && (info.mode & 0111))
        return QStringLiteral("application-x-executable");
    return QMimeDatabase().mimeTypeForFile(target, QMimeDatabase::MatchExtension).iconName();
}

Shortcut readDesktopShortcut(const QString& path, const QString& locale)
{
    Shortcut s;
    QByteArray text;
    if (!readWholeFile(path, text))
        return s;
    const QHash<QString, QString> keys = desktopGroup(text);
    if (keys.isEmpty())
        return s;
    s.name = localisedValue(keys, QStringLiteral("Name"), locale);
    s.icon = localisedValue(keys, QStringLiteral("Icon"), locale);
    const QString type = keys.value(QStringLiteral("Type"));
    if (type == QLatin1String("Application")) {
        s.exec = unescapeValue(keys.value(QStringLiteral("Exec")));
        s.workingDir = unescapeValue(keys.value(QStringLiteral("Path")));
        if (!s.exec.trimmed().isEmpty())
            s.kind = Shortcut::Application;
    } else if (type == QLatin1String("Link")) {
        s.target = pathFromUri(unescapeValue(keys.value(QStringLiteral("URL"))).toUtf8());
        if (!s.target.isEmpty())
            s.kind = Shortcut::Link;
    }
    return s;
}

} // namespace

QString sendToFolder()
{
    return specialFolderPath(9);
}

QString desktopEntryValue(const QByteArray& text, const QString& key, const QString& locale)
{
    return localisedValue(desktopGroup(text), key, locale);
}

Shortcut readShortcut(const QString& path, const QString& locale)
{
    FileInfo self;
    if (!lstatPath(path, self))
        return {};
    const QString name = fileName(path);
    if (isDesktopFile(name))
        return readDesktopShortcut(path, locale);
    Shortcut s;
    if (!self.isLink)
        return s;
    s.target = resolvedLink(path);
    if (s.target.isEmpty())
        return s;
    s.kind = Shortcut::Link;
    s.name = name;
    s.icon = iconForTarget(s.target);
    return s;
}

std::vector<SendToEntry> sendToEntries(const QString& folder, const QString& locale)
{
    const QString dir = folder.isEmpty() ? sendToFolder() : folder;
    std::vector<FileInfo> listing;
    std::vector<SendToEntry> entries;
    if (dir.isEmpty() || !listDirectory(dir, listing))
        return entries;
    std::sort(listing.begin(), listing.end(), [](const FileInfo& a, const FileInfo& b) {
        return encodeName(a.name) < encodeName(b.name);
    });
    const QString base = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    for (const FileInfo& info : listing) {
        const QString path = base + info.name;
        if (isDesktopFile(info.name)) {
            QByteArray text;
            if (!readWholeFile(path, text))
                continue;
            const QHash<QString, QString> keys = desktopGroup(text);
            const QString type = keys.value(QStringLiteral("Type"));
            if (keys.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
                (type != QLatin1String("Application") && type != QLatin1String("Link")))
                continue;
            SendToEntry e{path, localisedValue(keys, QStringLiteral("Name"), locale),
                          localisedValue(keys, QStringLiteral("Icon"), locale)};
            if (e.name.isEmpty())
                e.name = info.name.chopped(8);
            if (e.iconName.isEmpty() && type == QLatin1String("Link"))
                e.iconName = iconForTarget(
                    pathFromUri(unescapeValue(keys.value(QStringLiteral("URL"))).toUtf8()));
            entries.push_back(std::move(e));
        } else if (info.isLink) {
            const QString target = resolvedLink(path);
            if (target.isEmpty())
                continue;
            entries.push_back({path, info.name, iconForTarget(target)});
        }
    }
    return entries;
}

QStringList splitExec(const QString& exec)
{
    QStringList args;
    QString current;
    bool inArg = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                const QChar e = exec[i + 1];
                if (e == QLatin1Char('"') || e == QLatin1Char('`') || e == QLatin1Char('$') ||
                    e == QLatin1Char('\\')) {
                    current += e;
                    ++i;
                    continue;
                }
            }
            if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArg)
                args.append(current);
            current.clear();
            inArg = false;
            continue;
        }
        inArg = true;
        if (c == QLatin1Char('"'))
            quoted = true;
        else
            current += c;
    }
    if (inArg)
        args.append(current);
    return args;
}

std::vector<QStringList> execCommands(const QString& exec, const QStringList& files)
{
    const QStringList args = splitExec(exec);
    // Which file codes the line holds decides how often the program runs.
    bool single = false;
    for (const QString& a : args)
        single = single || a.contains(QLatin1String("%f")) || a.contains(QLatin1String("%u"));
    const int runs = single && files.size() > 1 ? int(files.size()) : 1;

    std::vector<QStringList> commands;
    for (int run = 0; run < runs; ++run) {
        const QString one = files.isEmpty() ? QString() : files[single ? run : 0];
        QStringList command;
        for (const QString& a : args) {
            if (a == QLatin1String("%F")) {
                command += files;
                continue;
            }
            if (a == QLatin1String("%U")) {
                for (const QString& f : files)
                    command += QString::fromLatin1(fileUri(f));
                continue;
            }
            QString out;
            bool onlyCodes = true;
            for (qsizetype i = 0; i < a.size(); ++i) {
                if (a[i] != QLatin1Char('%') || i + 1 == a.size()) {
                    out += a[i];
                    onlyCodes = false;
                    continue;
                }
                const QChar code = a[++i];
                if (code == QLatin1Char('%')) {
                    out += QLatin1Char('%');
                    onlyCodes = false;
                } else if (code == QLatin1Char('f') || code == QLatin1Char('F')) {
                    out += one;
                    onlyCodes = onlyCodes && one.isEmpty();
                } else if (code == QLatin1Char('u') || code == QLatin1Char('U')) {
                    if (!one.isEmpty())
                        out += QString::fromLatin1(fileUri(one));
                    onlyCodes = onlyCodes && one.isEmpty();
                }
            }
            if (!(onlyCodes && out.isEmpty()))
                command += out;
        }
        if (!command.isEmpty())
            commands.push_back(command);
    }
    return commands;
}

bool startApplication(const Shortcut& shortcut, const QStringList& files, const QString& workingDir,
                      QString* error)
{
    if (shortcut.kind != Shortcut::Application)
        return false;
    const QString dir = !shortcut.workingDir.isEmpty() && isDirectory(shortcut.workingDir)
                            ? shortcut.workingDir
                            : workingDir;
    const std::vector<QStringList> commands = execCommands(shortcut.exec, files);
    if (commands.empty()) {
        if (error)
            *error = QStringLiteral("Der Eintrag nennt kein Programm.");
        return false;
    }
    bool ok = true;
    for (const QStringList& command : commands) {
        QString why;
        if (!startProgram(command.first(), command.mid(1), dir, &why)) {
            ok = false;
            if (error && error->isEmpty())
                *error = why;
        }
    }
    return ok;
}

} // namespace platform
