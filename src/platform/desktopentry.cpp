#include "desktopentry.h"

#include "filesystem.h"
#include "namecodec.h"
#include "wholefile.h"

#include <cerrno>

namespace platform {

namespace {

bool writable(const QString& text)
{
    if (hasRawBytes(text))
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\n' && u != '\t' && u != '\r') || u == 0x7F)
            return false;
    }
    return true;
}

// A string value: backslash escapes for what a line cannot hold as it is.
QString escapedValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0) // readers trim blanks after "="
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

void addLine(QString& text, const char* key, const QString& value)
{
    text += QLatin1String(key) + QLatin1Char('=') + escapedValue(value) + QLatin1Char('\n');
}

} // namespace

QString desktopExecArgument(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    bool quote = program.isEmpty();
    for (const QChar c : program)
        quote = quote || reserved.contains(c);
    QString out;
    if (quote)
        out += QLatin1Char('"');
    for (const QChar c : program) {
        if (quote && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                      c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        out += c;
    }
    if (quote)
        out += QLatin1Char('"');
    return out;
}

QString desktopEntryText(const DesktopEntry& entry)
{
    for (const QString* value : {&entry.type, &entry.name, &entry.comment, &entry.exec,
                                 &entry.workingDir, &entry.url, &entry.icon, &entry.categories})
        if (!writable(*value))
            return QString();
    QString text = QStringLiteral("[Desktop Entry]\n");
    addLine(text, "Type", entry.type);
    addLine(text, "Name", entry.name);
    if (!entry.comment.isEmpty())
        addLine(text, "Comment", entry.comment);
    if (!entry.exec.isEmpty())
        addLine(text, "Exec", desktopExecArgument(entry.exec));
    if (!entry.workingDir.isEmpty())
        addLine(text, "Path", entry.workingDir);
    if (!entry.url.isEmpty())
        addLine(text, "URL", entry.url);
    if (!entry.icon.isEmpty())
        addLine(text, "Icon", entry.icon);
    if (!entry.categories.isEmpty())
        addLine(text, "Categories", entry.categories);
    return text;
}

bool writeDesktopEntry(const QString& path, const DesktopEntry& entry)
{
    const QString text = desktopEntryText(entry);
    if (text.isEmpty()) {
        errno = EILSEQ;
        return false;
    }
    return writeFileAtomically(path, text.toUtf8()) && setMode(path, 0755);
}

} // namespace platform
