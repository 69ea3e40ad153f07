#include "explorer/shell/shellhelpers.h"

#include "core/messages.h"
#include "explorer/shell/iconlist.h"
#include "platform/desktop.h"
#include "platform/netconnections.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "platform/volumes.h"
#include "explorer/lang/qvconsts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const QChar Slash = QLatin1Char('/');

// --- Running a verb ------------------------------------------------------------------

// The code for a path that is not there: the file is missing, or already a folder
// above it.
int missingCode(const QString& path)
{
    const QString parent = platform::parentPath(path);
    return parent.isEmpty() || platform::isDirectory(parent) ? SeFileNotFound : SePathNotFound;
}

int openFile(const QString& fileName, const QString& parameters, const QString& directory)
{
    if (fileName.isEmpty())
        return SeFileNotFound;
    if (!directory.isEmpty() && !platform::isDirectory(directory))
        return SePathNotFound;

    QString path;
    if (fileName.startsWith(Slash)) {
        path = fileName;
    } else if (!directory.isEmpty() && platform::exists(JoinPath(directory, fileName))) {
        path = JoinPath(directory, fileName);
    } else if (!fileName.contains(Slash)) {
        // A program name, as on a command line.
        if (QStandardPaths::findExecutable(fileName).isEmpty())
            return SeFileNotFound;
        path = fileName;
    } else {
        return directory.isEmpty() ? SeFileNotFound : missingCode(JoinPath(directory, fileName));
    }
    if (path.startsWith(Slash) && !platform::exists(path))
        return missingCode(path);

    const bool started =
        platform::isDirectory(path)
            ? platform::openWithDefaultApp(path)
            : platform::startProgram(path, QProcess::splitCommand(parameters), directory);
    return started ? SeOk : SeNoAssociation;
}

struct SearchTool
{
    const char* program;
    const char* desktop;  // XDG_CURRENT_DESKTOP entry it belongs to
    const char* pathFlag; // prefix of the folder argument
};

constexpr SearchTool kSearchTools[] = {
    {"kfind", "KDE", ""},
    {"gnome-search-tool", "GNOME", "--path="},
    {"mate-search-tool", "MATE", "--path="},
    {"catfish", "XFCE", ""},
};

int findIn(const QString& folder)
{
    if (!folder.startsWith(Slash) || !platform::isDirectory(folder))
        return SePathNotFound;

    // The running desktop's own tool first, then any other one installed.
    const QStringList desktops =
        QString::fromLocal8Bit(qgetenv("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'));
    std::vector<const SearchTool*> order;
    for (const SearchTool& tool : kSearchTools)
        if (desktops.contains(QLatin1String(tool.desktop), Qt::CaseInsensitive))
            order.push_back(&tool);
    for (const SearchTool& tool : kSearchTools)
        if (!desktops.contains(QLatin1String(tool.desktop), Qt::CaseInsensitive))
            order.push_back(&tool);

    for (const SearchTool* tool : order) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(tool->program));
        if (program.isEmpty())
            continue;
        const QStringList args{QLatin1String(tool->pathFlag) + folder};
        return platform::startProgram(program, args, folder) ? SeOk : SeNoAssociation;
    }
    return SeNoAssociation;
}

// --- Date and time patterns -----------------------------------------------------

bool isQuote(QChar c)
{
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Reads the quoted literal that starts at i; appends its text to out (when given) and
// returns the index after the closing quote. '' inside single quotes is one quote.
qsizetype readQuoted(const QString& p, qsizetype i, QString* out)
{
    const QChar quote = p[i++];
    while (i < p.size()) {
        if (p[i] == quote) {
            if (quote == QLatin1Char('\'') && i + 1 < p.size() && p[i + 1] == quote) {
                if (out)
                    out->append(quote);
                i += 2;
                continue;
            }
            return i + 1;
        }
        if (out)
            out->append(p[i]);
        ++i;
    }
    return i;
}

qsizetype runLength(const QString& p, qsizetype i)
{
    qsizetype n = 1;
    while (i + n < p.size() && p[i + n] == p[i])
        ++n;
    return n;
}

bool isMarkerStart(QChar c)
{
    return c == QLatin1Char('a') || c == QLatin1Char('A');
}

// Length of the AM/PM marker at i, in any of its forms.
qsizetype markerLength(const QString& p, qsizetype i)
{
    const QStringView rest = QStringView(p).mid(i);
    if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive))
        return 5;
    if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive))
        return 3;
    if (rest.size() > 1 && (rest[1] == QLatin1Char('p') || rest[1] == QLatin1Char('P')))
        return 2;
    return 1;
}

bool hasMarker(const QString& p)
{
    for (qsizetype i = 0; i < p.size();) {
        if (isQuote(p[i]))
            i = readQuoted(p, i, nullptr);
        else if (isMarkerStart(p[i]))
            return true;
        else
            ++i;
    }
    return false;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString formatPattern(const QDateTime& dt, const QString& p)
{
    const QLocale locale;
    const QDate date = dt.date();
    const QTime time = dt.time();
    const bool clock12 = hasMarker(p);
    const bool pm = time.hour() >= 12;
    QString out;
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        if (c == QLatin1Char('\'') && i + 1 < p.size() && p[i + 1] == c) {
            out.append(c);
            i += 2;
            continue;
        }
        if (isQuote(c)) {
            i = readQuoted(p, i, &out);
            continue;
        }
        if (isMarkerStart(c)) {
            const qsizetype len = markerLength(p, i);
            const bool upper = c == QLatin1Char('A');
            QString text;
            if (len == 5)
                text = pm ? QStringLiteral("PM") : QStringLiteral("AM");
            else if (len == 3)
                text = pm ? QStringLiteral("P") : QStringLiteral("A");
            else
                text = pm ? locale.pmText() : locale.amText();
            out += upper ? text.toUpper() : text.toLower();
            i += len;
            continue;
        }
        const qsizetype run = runLength(p, i);
        qsizetype used = 1;
        switch (c.unicode()) {
        case 'd':
            used = qMin<qsizetype>(run, 4);
            if (used == 4)
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else if (used == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += used == 2 ? twoDigits(date.day()) : QString::number(date.day());
            break;
        case 'M':
            used = qMin<qsizetype>(run, 4);
            if (used == 4)
                out += locale.monthName(date.month(), QLocale::LongFormat);
            else if (used == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += used == 2 ? twoDigits(date.month()) : QString::number(date.month());
            break;
        case 'y':
            if (run >= 4) {
                used = 4;
                out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            } else if (run >= 2) {
                used = 2;
                out += twoDigits(qAbs(date.year()) % 100);
            } else {
                out += QString::number(date.year());
            }
            break;
        case 'h':
        case 'H': {
            used = qMin<qsizetype>(run, 2);
            int hour = time.hour();
            if (clock12) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += used == 2 ? twoDigits(hour) : QString::number(hour);
            break;
        }
        case 'm':
            used = qMin<qsizetype>(run, 2);
            out += used == 2 ? twoDigits(time.minute()) : QString::number(time.minute());
            break;
        case 's':
            used = qMin<qsizetype>(run, 2);
            out += used == 2 ? twoDigits(time.second()) : QString::number(time.second());
            break;
        case 'z':
            used = run >= 3 ? 3 : 1;
            out += used == 3 ? QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'))
                             : QString::number(time.msec());
            break;
        case 't':
            out += dt.timeZoneAbbreviation();
            break;
        default:
            out += c;
            break;
        }
        i += used;
    }
    return out;
}

// Removes every unquoted token for which tokenLength gives a length above 0, together
// with the blanks before it (after it, when it leads the pattern).
template <typename TokenLength> QString removeTokens(const QString& p, TokenLength tokenLength)
{
    QString out;
    bool dropBlanks = false; // right after a token removed at the start
    for (qsizetype i = 0; i < p.size();) {
        if (isQuote(p[i])) {
            const qsizetype end = readQuoted(p, i, nullptr);
            out += QStringView(p).mid(i, end - i);
            i = end;
            dropBlanks = false;
            continue;
        }
        if (const qsizetype len = tokenLength(p, i); len > 0) {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            dropBlanks = out.isEmpty();
            i += len;
            continue;
        }
        if (!(dropBlanks && p[i].isSpace())) {
            out += p[i];
            dropBlanks = false;
        }
        ++i;
    }
    return out.trimmed();
}

qsizetype zoneLength(const QString& p, qsizetype i)
{
    return p[i] == QLatin1Char('t') ? runLength(p, i) : 0;
}

qsizetype zoneOrMarkerLength(const QString& p, qsizetype i)
{
    return isMarkerStart(p[i]) ? markerLength(p, i) : zoneLength(p, i);
}

// --- Icons -----------------------------------------------------------------------

QFileIconProvider& iconProvider()
{
    static QFileIconProvider provider;
    return provider;
}

QIcon themedOr(const QString& name, const QString& generic,
               QAbstractFileIconProvider::IconType fallback)
{
    QIcon icon = QIcon::fromTheme(name, QIcon::fromTheme(generic));
    return icon.isNull() ? iconProvider().icon(fallback) : icon;
}

int folderIcon(bool open)
{
    const QString key =
        open ? QStringLiteral("inode/directory#open") : QStringLiteral("inode/directory");
    int index = IconList::instance().find(key);
    if (index < 0) {
        const QIcon closed =
            themedOr(QStringLiteral("folder"), QString(), QAbstractFileIconProvider::Folder);
        const QIcon icon = open ? QIcon::fromTheme(QStringLiteral("folder-open"), closed) : closed;
        index = IconList::instance().indexFor(key, icon);
    }
    return index;
}

int driveIcon(const QString& mountPoint)
{
    const platform::Volume volume = platform::volumeForPath(mountPoint);
    QString name = QStringLiteral("drive-harddisk");
    auto fallback = QAbstractFileIconProvider::Drive;
    switch (volume.type) {
    case platform::DriveType::Removable:
        name = QStringLiteral("drive-removable-media");
        break;
    case platform::DriveType::CDROM:
        name = QStringLiteral("drive-optical");
        break;
    case platform::DriveType::Network:
        name = QStringLiteral("folder-remote");
        fallback = QAbstractFileIconProvider::Network;
        break;
    default:
        break;
    }
    const QString key = QStringLiteral("drive#") + name;
    int index = IconList::instance().find(key);
    if (index < 0)
        index = IconList::instance().indexFor(key, themedOr(name, QString(), fallback));
    return index;
}

QMimeType mimeForName(const QString& name)
{
    // By name only: no file is opened, so listing a large folder stays cheap.
    static const QMimeDatabase db;
    return db.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
}

int fileIcon(const QString& path)
{
    const QMimeType mime = mimeForName(platform::fileName(path));
    int index = IconList::instance().find(mime.name());
    if (index < 0)
        index = IconList::instance().indexFor(
            mime.name(),
            themedOr(mime.iconName(), mime.genericIconName(), QAbstractFileIconProvider::File));
    return index;
}

bool isMountPoint(const QString& path, const platform::FileInfo& info)
{
    const QString clean = platform::withoutTrailingSlash(path);
    if (clean == QLatin1String("/"))
        return true;
    platform::FileInfo self;
    if (!platform::lstatPath(clean, self) || self.isLink)
        return false;
    platform::FileInfo parent;
    return platform::statPath(platform::parentPath(clean), parent) && parent.device != info.device;
}

int iconIndex(const QString& path, bool open)
{
    platform::FileInfo info;
    const bool known = platform::statPath(path, info);
    const bool dir = known ? info.isDir() : path.endsWith(Slash);
    if (!dir)
        return fileIcon(path);
    if (known && isMountPoint(path, info))
        return driveIcon(path);
    return folderIcon(open);
}

// --- Properties ------------------------------------------------------------------

struct PropertyLabels
{
    const char* title;
    const char* name;
    const char* kind;
    const char* location;
    const char* size;
    const char* modified;
    const char* accessed;
    const char* owner;
    const char* group;
    const char* permissions;
    const char* fileSystem;
    const char* label;
    const char* capacity;
    const char* free;
};

constexpr PropertyLabels kGermanLabels = {
    "Eigenschaften von %1",
    "Name:",
    "Typ:",
    "Ort:",
    "Größe:",
    "Geändert:",
    "Letzter Zugriff:",
    "Besitzer:",
    "Gruppe:",
    "Berechtigungen:",
    "Dateisystem:",
    "Bezeichnung:",
    "Kapazität:",
    "Frei:",
};

constexpr PropertyLabels kEnglishLabels = {
    "Properties of %1", "Name:",     "Type:",     "Location:",   "Size:",
    "Modified:",        "Accessed:", "Owner:",    "Group:",      "Permissions:",
    "File system:",     "Label:",    "Capacity:", "Free space:",
};

// The dialog speaks the user's language, as the desktop's own dialogs do.
const PropertyLabels& labels()
{
    return QLocale().language() == QLocale::German ? kGermanLabels : kEnglishLabels;
}

QString sizeText(qint64 bytes)
{
    const QLocale locale;
    return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat) +
           QStringLiteral(" (") + locale.toString(bytes) + QStringLiteral(" Bytes)");
}

QString timeText(const QDateTime& local)
{
    if (!local.isValid())
        return QString();
    return FileTimeToText(local.toUTC(), DatePatternFor(df_Customize),
                          TimePatternFor(tfLongFormat));
}

void buildPropertiesDialog(QDialog& dialog, const PathProperties& p)
{
    const PropertyLabels& l = labels();
    dialog.setWindowTitle(QString::fromUtf8(l.title).arg(p.name));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto row = [&](const char* label, const QString& value) {
        auto* text = new QLabel(value, &dialog);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setTextFormat(Qt::PlainText);
        form->addRow(QString::fromUtf8(label), text);
    };
    row(l.name, p.name);
    row(l.kind, p.kind);
    row(l.location, p.location);
    if (!p.isDir)
        row(l.size, sizeText(p.size));
    row(l.modified, timeText(p.modified));
    row(l.accessed, timeText(p.accessed));
    row(l.owner, p.owner);
    row(l.group, p.group);
    row(l.permissions, PermissionText(p.mode) + QStringLiteral(" (") +
                           QString::number(p.mode & 07777, 8) + QLatin1Char(')'));
    if (p.isVolume) {
        row(l.fileSystem, p.fileSystem);
        row(l.label, p.volumeLabel);
        row(l.capacity, sizeText(p.volumeTotal));
        row(l.free, sizeText(p.volumeFree));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace

// --- Running a verb --------------------------------------------------------------

int ShellExecuteFile(const QString& operation, const QString& fileName, const QString& parameters,
                     const QString& directory, int /*showCommand*/)
{
    int result = SeNoAssociation;
    if (operation.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0)
        result = openFile(fileName, parameters, directory);
    else if (operation.compare(QLatin1String("find"), Qt::CaseInsensitive) == 0)
        result = findIn(fileName.isEmpty() ? directory : fileName);
    if (result <= 32)
        msg::ErrorBox(SharedText(TStrKey::StrErrorCant) + operation +
                      SharedText(TStrKey::StrFileWord) + fileName);
    return result;
}

// --- Texts -----------------------------------------------------------------------

QString AppendNul(const QString& text)
{
    if (text.isEmpty() || text.back() == QChar(0))
        return text;
    return text + QChar(0);
}

bool ContainsAnyChar(const QString& set, const QString& text)
{
    for (const QChar c : set)
        if (text.contains(c))
            return true;
    return false;
}

int LastCharPos(QChar c, const QString& text)
{
    return static_cast<int>(text.lastIndexOf(c)) + 1;
}

QString AddBackslash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(Slash))
        return path;
    return path + Slash;
}

QString RemoveBackslash(const QString& path)
{
    return path.endsWith(Slash) ? path.chopped(1) : path;
}

QString JoinPath(const QString& directory, const QString& name)
{
    if (directory.isEmpty() || name.isEmpty())
        return QString();
    return AddBackslash(directory) + name;
}

QString NameWithoutExt(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(Slash) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString SizeInKBText(const QString& kind, qint64 size)
{
    if (kind.toUpper() == QLatin1String("DIR"))
        return QStringLiteral(" ");
    if (size > 0 && size < 1024)
        size = 1024;
    return QString::number(size / 1024) + QStringLiteral(" KB");
}

// --- Date and time texts --------------------------------------------------------

QString DatePatternFor(TDtFormat format)
{
    switch (format) {
    case df_MMddyyyy:
        return QStringLiteral("MM/dd/yyyy");
    case df_MMddyy:
        return QStringLiteral("MM/dd/yy");
    case df_ddMMyyyy:
        return QStringLiteral("dd/MM/yyyy");
    case df_ddMMyy_GB:
        return QStringLiteral("dd/MM/yy");
    case df_ddMMyy_DE:
        return QStringLiteral("dd.MM.yy");
    case df_ddMMyy_IT:
        return QStringLiteral("dd-MM-yy");
    case df_yyyyMMdd:
        return QStringLiteral("yyyy-MM-dd");
    case df_yyMMdd:
        return QStringLiteral("yy-MM-dd");
    case df_Customize:
        break;
    }
    // The locale's short date, with the whole year: a file list spans decades.
    const QString p = QLocale().dateFormat(QLocale::ShortFormat);
    QString out;
    for (qsizetype i = 0; i < p.size();) {
        if (isQuote(p[i])) {
            const qsizetype end = readQuoted(p, i, nullptr);
            out += QStringView(p).mid(i, end - i);
            i = end;
        } else if (p[i] == QLatin1Char('y')) {
            out += QStringLiteral("yyyy");
            i += runLength(p, i);
        } else {
            out += p[i++];
        }
    }
    return out;
}

QString TimePatternFor(TTmFormat format)
{
    const QLocale locale;
    switch (format) {
    case tfShortFormat:
        return removeTokens(locale.timeFormat(QLocale::ShortFormat), zoneLength);
    case tfCustomize:
        // The locale's time without its own marker and zone, on a 12-hour clock.
        return removeTokens(locale.timeFormat(QLocale::LongFormat), zoneOrMarkerLength) +
               QStringLiteral(" AM/PM");
    case tfLongFormat:
        break;
    }
    return removeTokens(locale.timeFormat(QLocale::LongFormat), zoneLength);
}

QString FileTimeToText(qint64 mtimeNs, const QString& datePattern, const QString& timePattern)
{
    qint64 ms = mtimeNs / 1000000;
    if (mtimeNs % 1000000 < 0)
        --ms;
    return FileTimeToText(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC), datePattern, timePattern);
}

QString FileTimeToText(const QDateTime& utc, const QString& datePattern, const QString& timePattern)
{
    if (!utc.isValid())
        return QString();
    return formatPattern(utc.toLocalTime(), datePattern + QLatin1Char(' ') + timePattern);
}

// --- Drives, sizes, existence ----------------------------------------------------

qint64 DiskSizeKB(const QString& path)
{
    qint64 total = 0;
    qint64 available = 0;
    return platform::diskSpace(path, total, available) ? total / 1024 : 0;
}

qint64 DiskFreeKB(const QString& path)
{
    qint64 total = 0;
    qint64 available = 0;
    return platform::diskSpace(path, total, available) ? available / 1024 : 0;
}

bool DriveReady(const QString& drive, bool showMessages)
{
    bool ready = false;
    if (!drive.startsWith(Slash))
        msg::ErrorBox(SharedText(TStrKey::StrInvalidDrive));
    else
        ready = platform::volumeReady(drive);
    if (!ready && showMessages) {
        msg::Beep();
        msg::WarningBox(SharedText(TStrKey::StrNoDisk));
    }
    return ready;
}

bool ReportIfExists(const QString& path)
{
    if (!platform::exists(path))
        return false;
    QString name = RemoveBackslash(path);
    name = name.mid(name.lastIndexOf(Slash) + 1);
    if (name.endsWith(QChar(0)))
        name.chop(1);
    msg::ErrorBox(QLatin1Char('"') + name + QStringLiteral("\" ") +
                  SharedText(TStrKey::StrAlreadyExists));
    return true;
}

// --- Icons ---------------------------------------------------------------------

QString TypeNameOf(const QMimeType& type)
{
    static const QHash<int, QLocale::Language> languages = {
        {lnEnglish, QLocale::English},     {lnChinese_Tra, QLocale::Chinese},
        {lnChinese_Sim, QLocale::Chinese}, {lnDutch, QLocale::Dutch},
        {lnFrench, QLocale::French},       {lnGerman, QLocale::German},
        {lnItalian, QLocale::Italian},     {lnJapanese, QLocale::Japanese},
        {lnPolish, QLocale::Polish},       {lnPortuguese, QLocale::Portuguese},
        {lnSlovenian, QLocale::Slovenian}, {lnSlovak, QLocale::Slovak},
        {lnSpanish, QLocale::Spanish},     {lnSwedish, QLocale::Swedish},
        {lnKorean, QLocale::Korean},       {lnTurkish, QLocale::Turkish},
    };
    static QHash<QString, QString> cache;
    const auto language = languages.constFind(CurrentListLanguage);
    if (language == languages.constEnd())
        return type.comment();
    const QString key = QString::number(int(CurrentListLanguage)) + QLatin1Char('|') + type.name();
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    // QMimeType reads the default locale when asked; lend it the list's language.
    const QLocale previous;
    QLocale::setDefault(QLocale(
        *language, CurrentListLanguage == lnChinese_Tra ? QLocale::Taiwan : QLocale::AnyTerritory));
    const QString name = type.comment();
    QLocale::setDefault(previous);
    return *cache.insert(key, name);
}

int FolderIconIndex(bool open)
{
    return folderIcon(open);
}

int SmallIconIndex(const QString& path)
{
    return iconIndex(path, false);
}

int SmallOpenIconIndex(const QString& path)
{
    return iconIndex(path, true);
}

// --- Special folders ---------------------------------------------------------------

QString ShellFolderPath(TShellFolder kind)
{
    switch (kind) {
    case sfDesktop:
        return AddBackslash(platform::specialFolderPath(16));
    case sfPersonal:
        return AddBackslash(platform::specialFolderPath(5));
    case sfPrograms:
    case sfStartMenu:
        return AddBackslash(platform::specialFolderPath(2));
    case sfSendTo:
        return AddBackslash(platform::specialFolderPath(9));
    case sfStartUp:
        return AddBackslash(platform::configHome() + QStringLiteral("/autostart"));
    case sfWindows:
        return QStringLiteral("/usr/");
    case sfSystem:
        return QStringLiteral("/usr/bin/");
    case sfFavorites:
    case sfNetHood:
        break;
    }
    return QString();
}

// --- Folder picker -----------------------------------------------------------------

QString BrowseRootFolder(TBrowseRoot root)
{
    const QString home = AddBackslash(platform::homeDir());
    switch (root) {
    case brPersonal:
        return AddBackslash(platform::specialFolderPath(5));
    case brCommonPrograms:
    case brCommonStartMenu: {
        const QString menu = QStringLiteral("/usr/share/applications/");
        return platform::isDirectory(menu) ? menu : home;
    }
    case brNetwork: {
        // gio shows the shares it mounted below the runtime folder.
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.startsWith('/')) {
            const QString gvfs = platform::decodeName(runtime) + QStringLiteral("/gvfs/");
            if (platform::isDirectory(gvfs))
                return gvfs;
        }
        for (const platform::Volume& v : platform::listVolumes())
            if (v.type == platform::DriveType::Network)
                return AddBackslash(v.mountPoint);
        return home;
    }
    case brDesktop:
    case brPrinters:
        break;
    }
    return home;
}

std::unique_ptr<QFileDialog> CreateFolderDialog(QWidget* owner, const QString& startPath,
                                                TBrowseRoot root, bool includeFiles)
{
    auto dialog = std::make_unique<QFileDialog>(owner, SharedText(TStrKey::StrSpecifyDir));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, !includeFiles);
    const bool startHere = startPath.startsWith(Slash) && platform::isDirectory(startPath);
    dialog->setDirectory(startHere ? startPath : BrowseRootFolder(root));
    return dialog;
}

bool BrowseForFolder(QWidget* owner, QString& path, TBrowseRoot root, bool includeFiles)
{
    const auto dialog = CreateFolderDialog(owner, path, root, includeFiles);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || !chosen.first().startsWith(Slash))
        return false;
    path = platform::isDirectory(chosen.first()) ? AddBackslash(chosen.first()) : chosen.first();
    return true;
}

// --- Properties ------------------------------------------------------------------

bool GatherProperties(const QString& path, PathProperties& props, int* error)
{
    props = PathProperties();
    props.path = path;
    platform::FileInfo info;
    platform::FileInfo self;
    if (!platform::lstatPath(path, self)) {
        if (error)
            *error = platform::lastError();
        return false;
    }
    // A dangling link is described by the link itself.
    if (!self.isLink || !platform::statPath(path, info))
        info = self;

    const QString clean = platform::withoutTrailingSlash(path);
    props.name = platform::fileName(clean);
    props.location = clean == QLatin1String("/") ? QString() : platform::parentPath(clean);
    props.isDir = info.isDir();
    props.isLink = self.isLink;
    props.size = props.isDir ? 0 : info.size;
    props.mode = info.mode & 07777;
    props.modified = QDateTime::fromMSecsSinceEpoch(info.mtimeNs / 1000000, Qt::UTC).toLocalTime();
    props.accessed = QDateTime::fromMSecsSinceEpoch(info.atimeNs / 1000000, Qt::UTC).toLocalTime();
    props.owner = platform::userName(info.owner);
    props.group = platform::groupName(info.group);

    static const QMimeDatabase db;
    if (props.isDir) {
        const platform::Volume volume = platform::volumeForPath(clean);
        props.isVolume = volume.type != platform::DriveType::NotExist && volume.mountPoint == clean;
        props.kind = db.mimeTypeForName(props.isVolume ? QStringLiteral("inode/mount-point")
                                                       : QStringLiteral("inode/directory"))
                         .comment();
        if (props.isVolume) {
            props.fileSystem = volume.fsType;
            props.volumeLabel = volume.label;
            platform::diskSpace(clean, props.volumeTotal, props.volumeFree);
        }
    } else {
        props.kind = mimeForName(props.name).comment();
    }
    return true;
}

QString PermissionText(quint32 mode)
{
    QString text(9, QLatin1Char('-'));
    static constexpr char kLetters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        if (mode & (0400u >> i))
            text[i] = QLatin1Char(kLetters[i]);
    auto special = [&](int at, quint32 bit, char set, char unset) {
        if (mode & bit)
            text[at] = QLatin1Char(text[at] == QLatin1Char('x') ? set : unset);
    };
    special(2, S_ISUID, 's', 'S');
    special(5, S_ISGID, 's', 'S');
    special(8, S_ISVTX, 't', 'T');
    return text;
}

QString PropertiesErrorText(int error, const QString& path)
{
    switch (error) {
    case ENOENT:
        return missingCode(platform::withoutTrailingSlash(path)) == SeFileNotFound
                   ? QStringLiteral("The specified file was not found.")
                   : QStringLiteral("The specified path was not found.");
    case ENOTDIR:
        return QStringLiteral("The specified path was not found.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Access denied");
    case ENOMEM:
        return QStringLiteral("Not enough memory for this operation");
    default:
        return QString();
    }
}

void ShowPropertiesDialog(const QString& path)
{
    PathProperties props;
    int error = 0;
    if (!GatherProperties(path, props, &error)) {
        const QString text = PropertiesErrorText(error, path);
        if (!text.isEmpty())
            msg::PlainBox(text, QApplication::applicationDisplayName());
        return;
    }
    QDialog dialog(QApplication::activeWindow());
    buildPropertiesDialog(dialog, props);
    dialog.exec();
}

// --- Network and system ------------------------------------------------------------

int ConnectNetDrive(const QString& localName, const QString& remoteName, bool showError,
                    bool reconnect)
{
    QString error;
    if (platform::connectShare(localName, remoteName, reconnect, &error))
        return 0;
    if (showError)
        msg::PlainBox(QStringLiteral("An error occured while connecting:\r\n") + error.trimmed(),
                      QStringLiteral("Error while connecting!"));
    return 1;
}

bool IsModernNT()
{
    return true;
}
