#include "installer.h"

#include "core/messages.h"
#include "env/sonderordner.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/filesystem.h"
#include "platform/langid.h"
#include "version.h"

#include <cerrno>

namespace installer {

namespace {

std::optional<FileVersion> g_override;

FileVersion programVersion()
{
    if (g_override)
        return *g_override;
    return {TOBRIN_VERSION_MAJOR, TOBRIN_VERSION_MINOR, TOBRIN_VERSION_RELEASE,
            TOBRIN_VERSION_BUILD};
}

// The shortcut boxes ask nothing but show the question symbol, with one OK button.
void shortcutFailed(const QString& text)
{
    msg::Ask({msg::Kind::Question, msg::TitleConfirm, text, msg::Buttons::Ok, false});
}

// folder + name + ".desktop"; empty when the folder is unknown.
QString linkIn(const QString& folder, const QString& name)
{
    return folder.isEmpty() ? QString() : folder + name + QStringLiteral(".desktop");
}

// The application icon for a launcher of the program at target: the icon file beside
// the program where there is one (a build or a portable copy), else the installed
// theme icon by its name.
QString launcherIcon(const QString& target)
{
    const QString beside = platform::parentPath(target) + QStringLiteral("tobrin.svg");
    platform::FileInfo info;
    if (platform::statPath(beside, info) && !info.isDir())
        return beside;
    return QStringLiteral("tobrin");
}

} // namespace

void Verknuepfenclick()
{
    CreateShortcuts(QStringLiteral("Tobrin"), platform::programPath());
}

void CreateShortcuts(const QString& name, const QString& target)
{
    // The menu folder itself may not exist yet for a new user; desktops create it on
    // demand as well.
    const QString programs = Sonderordner(CSIDL_PROGRAMS);
    QString folder;
    if (!programs.isEmpty()) {
        platform::makePath(programs);
        folder = programs + MakerFolder + QLatin1Char('/');
        CreateFolderIfMissing(folder); // a failure shows when the link is written
    }
    if (!CreateLink(target, linkIn(folder, name), name))
        shortcutFailed(QStringLiteral("Konnte keine Verknüpfung in Programme anlegen !"));
    if (!CreateLink(target, linkIn(Sonderordner(CSIDL_DESKTOPDIRECTORY), name), name))
        shortcutFailed(QStringLiteral("Konnte keine Verknüpfung auf dem Desktop anlegen !"));
    if (!CreateLink(target, linkIn(Sonderordner(CSIDL_SENDTO), name), name))
        shortcutFailed(QStringLiteral("Konnte keine Verknüpfung im Senden Menü anlegen !"));
}

bool CreateLink(const QString& target, const QString& linkFile, const QString& description)
{
    if (!linkFile.startsWith(QLatin1Char('/')) || target.isEmpty()) {
        errno = EINVAL;
        return false;
    }
    platform::DesktopEntry entry;
    entry.name = description;
    entry.comment = description;
    entry.exec = target;
    entry.icon = launcherIcon(target);
    entry.categories = QStringLiteral("Utility;FileTools;");
    return platform::writeDesktopEntry(linkFile, entry);
}

bool CreateFolderIfMissing(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/'))) {
        errno = EINVAL;
        return false;
    }
    return platform::makeDirectory(path) || platform::lastError() == EEXIST;
}

QString VersionText(const FileVersion& version)
{
    return QStringLiteral("%1.%2.%3 Build: %4")
        .arg(version.major)
        .arg(version.minor)
        .arg(version.release)
        .arg(version.build);
}

double VersionNumber(const FileVersion& version)
{
    // One correctly rounded division, as reading the decimal text gives; adding
    // minor / 100.0 to major would round twice and could miss by one unit.
    return double(qint64(version.major) * 100 + version.minor) / 100.0;
}

bool VersionText(QString& text)
{
    text = VersionText(programVersion());
    return true;
}

bool VersionNumber(double& value)
{
    value = VersionNumber(programVersion());
    return true;
}

void SetVersionOverride(std::optional<FileVersion> version)
{
    g_override = version;
}

int UILanguage(quint16 langId)
{
    switch (langId & 0x3FF) {
    case 0x07:
        return 0;
    case 0x09:
        return 1;
    default:
        return 2;
    }
}

int UILanguage()
{
    return UILanguage(UserDefaultLangId());
}

} // namespace installer
