#include "clipboardfiles.h"

#include "namecodec.h"
#include "wholefile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QMimeDatabase>
#include <cctype>
#include <unistd.h>

namespace platform {

namespace {

const QString UriListType = QStringLiteral("text/uri-list");
const QString GnomeType = QStringLiteral("x-special/gnome-copied-files");
const QString KdeCutType = QStringLiteral("application/x-kde-cutselection");
const QString PlainType = QStringLiteral("text/plain");
const QString Utf8PlainType = QStringLiteral("text/plain;charset=utf-8");
// Marks content this process placed, so that a paste can tell its own cut from one
// made elsewhere. The process id: another instance of the program counts as elsewhere.
const QString OwnerType = QStringLiteral("application/x-tobrin-owner");

QByteArray ownerId()
{
    return QByteArray::number(qint64(::getpid()));
}

QByteArray localHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return QByteArray(name);
}

QByteArray joinedPaths(const QStringList& paths)
{
    QByteArray out;
    for (const QString& p : paths) {
        out += encodeName(p);
        out += '\n';
    }
    return out;
}

QStringList pathsOfUriLines(const QList<QByteArray>& lines)
{
    QStringList paths;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QString path = pathFromUri(line);
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); 0 marks the unused codes.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar cp1252(uchar c)
{
    if (c >= 0x80 && c < 0xA0 && Cp1252High[c - 0x80])
        return QChar(Cp1252High[c - 0x80]);
    return QChar(c);
}

bool isPictureExtension(const QString& ext)
{
    static const QStringList pictures = {
        QStringLiteral("bmp"),  QStringLiteral("gif"), QStringLiteral("jpg"),
        QStringLiteral("jpeg"), QStringLiteral("tif"), QStringLiteral("tiff"),
        QStringLiteral("png"),  QStringLiteral("wmf"), QStringLiteral("ico")};
    return pictures.contains(ext);
}

} // namespace

QByteArray fileUri(const QString& path)
{
    return "file://" + encodeName(path).toPercentEncoding("/");
}

QString pathFromUri(const QByteArray& uri)
{
    if (uri.size() < 8 || qstrnicmp(uri.constData(), "file:", 5) != 0)
        return {};
    QByteArray rest = uri.mid(5);
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        if (slash < 0)
            return {};
        const QByteArray host = rest.mid(2, slash - 2);
        if (!host.isEmpty() && host != "localhost" && host != localHostName())
            return {};
        rest = rest.mid(slash);
    }
    if (!rest.startsWith('/'))
        return {};
    // A fragment or query has no place in a file path; a literal "#" or "?" in a name
    // arrives percent-encoded.
    const qsizetype cut = rest.indexOf('#');
    if (cut >= 0)
        rest.truncate(cut);
    return decodeName(QByteArray::fromPercentEncoding(rest));
}

void setFileListData(QMimeData& data, const QStringList& paths, bool cut)
{
    QByteArray uriList;
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QString& p : paths) {
        const QByteArray uri = fileUri(p);
        uriList += uri + "\r\n";
        gnome += '\n' + uri;
    }
    data.setData(UriListType, uriList);
    data.setData(GnomeType, gnome);
    data.setData(KdeCutType, cut ? "1" : "0");
    const QByteArray text = joinedPaths(paths);
    data.setData(PlainType, text);
    data.setData(Utf8PlainType, text);
    data.setData(OwnerType, ownerId());
}

QMimeData* fileListMimeData(const QStringList& paths, bool cut)
{
    auto* data = new QMimeData;
    setFileListData(*data, paths, cut);
    return data;
}

// Nautilus 3.30 to 42 put its file list into plain text, under a header line.
const QByteArray NautilusHeader = "x-special/nautilus-clipboard\n";

bool isNautilusText(const QMimeData* data)
{
    return data->hasFormat(PlainType) && data->data(PlainType).startsWith(NautilusHeader);
}

bool hasFileList(const QMimeData* data)
{
    return data &&
           (data->hasFormat(GnomeType) || data->hasFormat(UriListType) || isNautilusText(data));
}

ClipboardFiles readFileList(const QMimeData* data)
{
    ClipboardFiles files;
    if (!data)
        return files;
    files.ours = data->hasFormat(OwnerType) && data->data(OwnerType) == ownerId();
    const bool nautilus = !data->hasFormat(GnomeType) && isNautilusText(data);
    if (data->hasFormat(GnomeType) || nautilus) {
        QList<QByteArray> lines = nautilus
                                      ? data->data(PlainType).mid(NautilusHeader.size()).split('\n')
                                      : data->data(GnomeType).split('\n');
        if (!lines.isEmpty()) {
            const QByteArray action = lines.takeFirst().trimmed();
            files.marked = action == "cut" || action == "copy";
            files.cut = action == "cut";
            files.paths = pathsOfUriLines(lines);
            if (!files.paths.isEmpty())
                return files;
        }
    }
    files.paths = pathsOfUriLines(data->data(UriListType).split('\n'));
    files.marked = data->hasFormat(KdeCutType);
    files.cut = data->data(KdeCutType).trimmed() == "1";
    return files;
}

void setClipboardFiles(const QStringList& paths, bool cut)
{
    if (QClipboard* cb = clipboard())
        cb->setMimeData(fileListMimeData(paths, cut));
}

bool clipboardHasFiles()
{
    const QClipboard* cb = clipboard();
    return cb && hasFileList(cb->mimeData());
}

ClipboardFiles clipboardFiles()
{
    const QClipboard* cb = clipboard();
    return cb ? readFileList(cb->mimeData()) : ClipboardFiles();
}

void setClipboardPathsText(const QStringList& paths)
{
    QClipboard* cb = clipboard();
    if (!cb)
        return;
    auto* data = new QMimeData;
    QByteArray text = joinedPaths(paths);
    text.chop(1); // lines between the paths, none after the last
    data->setData(PlainType, text);
    data->setData(Utf8PlainType, text);
    cb->setMimeData(data);
}

bool setClipboardFileContents(const QString& path)
{
    QClipboard* cb = clipboard();
    QByteArray bytes;
    if (!cb || !readWholeFile(path, bytes))
        return false;
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot > 0 ? name.mid(dot + 1).toLower() : QString();

    auto* data = new QMimeData;
    if (isPictureExtension(ext)) {
        const QImage image = QImage::fromData(bytes);
        if (!image.isNull())
            data->setImageData(image);
        else
            data->setData(QMimeDatabase().mimeTypeForFileNameAndData(name, bytes).name(), bytes);
    } else if (ext == QLatin1String("rtf")) {
        data->setData(QStringLiteral("text/rtf"), bytes);
        data->setData(QStringLiteral("application/rtf"), bytes);
        data->setText(rtfToPlainText(bytes));
    } else {
        QString text = QString::fromUtf8(bytes);
        if (text.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBF\xBD"))
            text = QString::fromLatin1(bytes);
        data->setText(text);
    }
    cb->setMimeData(data);
    return true;
}

QString rtfToPlainText(const QByteArray& rtf)
{
    // Destinations whose text is not part of the document.
    static const QList<QByteArray> skipped = {"fonttbl",   "colortbl",     "stylesheet",
                                              "info",      "pict",         "object",
                                              "header",    "footer",       "headerl",
                                              "headerr",   "footerl",      "footerr",
                                              "xmlnstbl",  "listtable",    "listoverridetable",
                                              "rsidtbl",   "generator",    "themedata",
                                              "datastore", "latentstyles", "colorschememapping",
                                              "fldinst"};
    struct Group
    {
        bool skip;
        int ucSkip;
    };
    QList<Group> stack{{false, 1}};
    QString out;
    int pendingSkip = 0; // fallback characters still to drop after a \uN
    const qsizetype n = rtf.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = rtf[i];
        Group& g = stack.last();
        if (c == '{') {
            const Group inner = g;
            stack.append(inner);
            pendingSkip = 0;
            continue;
        }
        if (c == '}') {
            if (stack.size() > 1)
                stack.removeLast();
            pendingSkip = 0;
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            if (pendingSkip > 0) {
                --pendingSkip;
                continue;
            }
            if (!g.skip)
                out += cp1252(uchar(c));
            continue;
        }
        // A control word or symbol.
        if (i + 1 >= n)
            break;
        const char next = rtf[i + 1];
        if (next == '\\' || next == '{' || next == '}') {
            ++i;
            if (pendingSkip > 0)
                --pendingSkip;
            else if (!g.skip)
                out += QLatin1Char(next);
            continue;
        }
        if (next == '\'') {
            bool ok = false;
            const uchar value = uchar(rtf.mid(i + 2, 2).toInt(&ok, 16));
            i += 3;
            if (pendingSkip > 0)
                --pendingSkip;
            else if (ok && !g.skip)
                out += cp1252(value);
            continue;
        }
        if (next == '*') {
            g.skip = true;
            ++i;
            continue;
        }
        if (!std::isalpha(uchar(next))) {
            ++i;
            if (!g.skip && next == '~')
                out += QChar(0x00A0);
            else if (!g.skip && next == '_')
                out += QChar(0x2011);
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && std::isalpha(uchar(rtf[j])))
            ++j;
        const QByteArray word = rtf.mid(i + 1, j - i - 1);
        bool hasParam = false;
        int param = 0;
        qsizetype k = j;
        if (k < n && (rtf[k] == '-' || std::isdigit(uchar(rtf[k])))) {
            ++k;
            while (k < n && std::isdigit(uchar(rtf[k])))
                ++k;
            param = rtf.mid(j, k - j).toInt();
            hasParam = true;
        }
        if (k < n && rtf[k] == ' ')
            ++k; // the delimiting blank belongs to the control word
        i = k - 1;

        if (skipped.contains(word)) {
            g.skip = true;
        } else if (word == "uc" && hasParam) {
            g.ucSkip = param;
        } else if (word == "u" && hasParam) {
            if (!g.skip)
                out += QChar(char16_t(param < 0 ? param + 65536 : param));
            pendingSkip = g.ucSkip;
        } else if (g.skip) {
            continue;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
            out += QLatin1Char('\n');
        } else if (word == "tab") {
            out += QLatin1Char('\t');
        } else if (word == "cell") {
            out += QLatin1Char('\t');
        } else if (word == "row") {
            out += QLatin1Char('\n');
        } else if (word == "emdash") {
            out += QChar(0x2014);
        } else if (word == "endash") {
            out += QChar(0x2013);
        } else if (word == "bullet") {
            out += QChar(0x2022);
        } else if (word == "lquote") {
            out += QChar(0x2018);
        } else if (word == "rquote") {
            out += QChar(0x2019);
        } else if (word == "ldblquote") {
            out += QChar(0x201C);
        } else if (word == "rdblquote") {
            out += QChar(0x201D);
        }
    }
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

} // namespace platform
