#include "platform/netconnections.h"

#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/filesystem.h"
#include "platform/wholefile.h"

#include <QUrl>
#include <algorithm>
#include <unistd.h>

namespace platform {

namespace {

QString recordPath()
{
    return configHome() + QStringLiteral("/Vetmark/netdrives");
}

bool saveConnections(const std::vector<NetConnection>& connections)
{
    QByteArray text;
    for (const NetConnection& c : connections)
        text += c.drive.toUtf8() + '\t' + c.url.toUtf8() + '\n';
    makePath(configHome() + QStringLiteral("/Vetmark"));
    return writeFileAtomically(recordPath(), text);
}

// "X:" for a letter; the letter of a drive name, 0 when it is none.
char driveLetter(const QString& drive)
{
    if (drive.size() < 1 || drive.size() > 2 || (drive.size() == 2 && drive[1] != QLatin1Char(':')))
        return 0;
    const char c = char(drive[0].toUpper().toLatin1());
    return c >= 'A' && c <= 'Z' ? c : 0;
}

QString driveName(char letter)
{
    return QString(QLatin1Char(letter)) + QLatin1Char(':');
}

// The value of key in a gvfs folder name's "key=value,key=value" part.
QString gvfsField(const QString& folderName, const QString& key)
{
    const qsizetype colon = folderName.indexOf(QLatin1Char(':'));
    const QStringList fields = folderName.mid(colon + 1).split(QLatin1Char(','));
    for (const QString& f : fields)
        if (f.startsWith(key + QLatin1Char('=')))
            return QUrl::fromPercentEncoding(f.mid(key.size() + 1).toUtf8());
    return QString();
}

} // namespace

QString gvfsFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/'))
        return withoutTrailingSlash(QString::fromLocal8Bit(runtime)) + QStringLiteral("/gvfs");
    return QStringLiteral("/run/user/%1/gvfs").arg(::getuid());
}

std::vector<NetConnection> netConnections()
{
    std::vector<NetConnection> out;
    QByteArray text;
    if (!readWholeFile(recordPath(), text))
        return out;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab < 0)
            continue;
        NetConnection c{QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1))};
        if (driveLetter(c.drive) && !c.url.isEmpty())
            out.push_back(c);
    }
    return out;
}

DriveProposal proposeDrives(const std::vector<NetConnection>& connections)
{
    bool used[26] = {};
    char highest = 0;
    for (const NetConnection& c : connections)
        if (const char l = driveLetter(c.drive)) {
            used[l - 'A'] = true;
            highest = std::max(highest, l);
        }
    DriveProposal p;
    if (highest < 'Z') {
        for (char l = highest ? char(highest + 1) : 'A'; l <= 'Z'; ++l)
            p.offered.push_back(driveName(l));
    } else {
        for (char l = 'A'; l <= 'Z'; ++l)
            if (!used[l - 'A'])
                p.offered.push_back(driveName(l));
    }
    if (!p.offered.empty())
        p.proposed = p.offered.front();
    return p;
}

bool gvfsNameMatches(const QString& folderName, const QString& url)
{
    const QUrl u(uncToUrl(url));
    const QString scheme = u.scheme().toLower();
    if (scheme.isEmpty() || u.host().isEmpty())
        return false;
    const QString kind = folderName.left(folderName.indexOf(QLatin1Char(':')));
    const QString host = scheme == QLatin1String("smb")
                             ? gvfsField(folderName, QStringLiteral("server"))
                             : gvfsField(folderName, QStringLiteral("host"));
    if (host.compare(u.host(), Qt::CaseInsensitive) != 0)
        return false;
    if (scheme == QLatin1String("smb")) {
        const QString share = u.path().section(QLatin1Char('/'), 1, 1);
        return kind == QLatin1String("smb-share") &&
               gvfsField(folderName, QStringLiteral("share")).compare(share, Qt::CaseInsensitive) ==
                   0;
    }
    // davs:// mounts as dav with ssl=true.
    const QString wanted = scheme == QLatin1String("davs") ? QStringLiteral("dav") : scheme;
    return kind == wanted;
}

std::vector<NetShare> gvfsShares()
{
    std::vector<NetShare> out;
    const QString dir = gvfsFolder();
    std::vector<FileInfo> entries;
    if (!listDirectory(dir + QLatin1Char('/'), entries))
        return out;
    const std::vector<NetConnection> connections = netConnections();
    std::sort(entries.begin(), entries.end(),
              [](const FileInfo& a, const FileInfo& b) { return a.name < b.name; });
    for (const FileInfo& e : entries) {
        if (!e.isDir() || !e.name.contains(QLatin1Char(':')))
            continue;
        NetShare s;
        s.mountPoint = dir + QLatin1Char('/') + e.name;
        if (e.name.startsWith(QLatin1String("smb-share:")))
            s.description = gvfsField(e.name, QStringLiteral("share")) + QStringLiteral(" auf ") +
                            gvfsField(e.name, QStringLiteral("server"));
        else
            s.description = gvfsField(e.name, QStringLiteral("host"));
        if (s.description.isEmpty() || s.description == QLatin1String(" auf "))
            s.description = e.name;
        for (const NetConnection& c : connections)
            if (gvfsNameMatches(e.name, c.url))
                s.drive = c.drive;
        out.push_back(s);
    }
    return out;
}

QString shareUrlForFolder(const QString& path)
{
    const QString base = gvfsFolder() + QLatin1Char('/');
    if (!path.startsWith(base))
        return path;
    const QString rest = path.mid(base.size());
    const QString name = rest.section(QLatin1Char('/'), 0, 0);
    const QString below = withoutTrailingSlash(rest.section(QLatin1Char('/'), 1));
    const QString kind = name.left(name.indexOf(QLatin1Char(':')));
    QString url;
    if (kind == QLatin1String("smb-share")) {
        url = QStringLiteral("smb://") + gvfsField(name, QStringLiteral("server")) +
              QLatin1Char('/') + gvfsField(name, QStringLiteral("share"));
    } else if (!kind.isEmpty() && name.contains(QLatin1Char(':'))) {
        const QString user = gvfsField(name, QStringLiteral("user"));
        const bool ssl = gvfsField(name, QStringLiteral("ssl")) == QLatin1String("true");
        const QString scheme = kind == QLatin1String("dav") && ssl ? QStringLiteral("davs") : kind;
        url = scheme + QStringLiteral("://") +
              (user.isEmpty() ? QString() : user + QLatin1Char('@')) +
              gvfsField(name, QStringLiteral("host")) +
              withoutTrailingSlash(gvfsField(name, QStringLiteral("prefix")));
    } else {
        return path;
    }
    return below.isEmpty() ? url : url + QLatin1Char('/') + below;
}

QString autostartEntryPath(const QString& drive)
{
    return configHome() + QStringLiteral("/autostart/tobrin-netdrive-") +
           QString(QLatin1Char(driveLetter(drive) ? driveLetter(drive) : '_')) +
           QStringLiteral(".desktop");
}

QString autostartEntryText(const QString& drive, const QString& url)
{
    // The URL is one argument of the Exec key; the value escapes its backslashes.
    QString argument = desktopExecArgument(url);
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tobrin: Netzlaufwerk %1\n"
                          "Comment=Verbindet %2 bei der Anmeldung wieder\n"
                          "Exec=gio mount %3\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(drive,
             QString(url)
                 .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                 .replace(QLatin1Char('\n'), QStringLiteral("\\n")),
             argument);
}

bool connectShare(const QString& drive, const QString& url, bool reconnect, QString* error)
{
    const QString target = uncToUrl(url.trimmed());
    if (!mountNetworkShare(target, error))
        return false;
    std::vector<NetConnection> connections = netConnections();
    std::erase_if(connections, [&](const NetConnection& c) {
        return c.drive.compare(drive, Qt::CaseInsensitive) == 0;
    });
    if (driveLetter(drive)) {
        connections.push_back({driveName(driveLetter(drive)), target});
        saveConnections(connections);
        const QString entry = autostartEntryPath(drive);
        if (reconnect) {
            makePath(configHome() + QStringLiteral("/autostart"));
            writeFileAtomically(entry,
                                autostartEntryText(driveName(driveLetter(drive)), target).toUtf8());
        } else {
            removeFile(entry);
        }
    }
    return true;
}

bool disconnectShare(const QString& mountPoint, QString* error)
{
    if (!unmountNetworkShare(mountPoint, error))
        return false;
    const QString name = fileName(mountPoint);
    std::vector<NetConnection> connections = netConnections();
    const auto gone =
        std::remove_if(connections.begin(), connections.end(), [&](const NetConnection& c) {
            return gvfsNameMatches(name, c.url) || c.url == mountPoint;
        });
    for (auto it = gone; it != connections.end(); ++it)
        removeFile(autostartEntryPath(it->drive));
    if (gone != connections.end()) {
        connections.erase(gone, connections.end());
        saveConnections(connections);
    }
    return true;
}

} // namespace platform
