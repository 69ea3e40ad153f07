#include "listfile.h"

#include "platform/namecodec.h"

namespace {

constexpr char16_t RawFirst = 0xDC80; // the codec's raw bytes 0x80..0xFF
constexpr char16_t RawLast = 0xDCFF;

bool isRaw(QChar c)
{
    return c.unicode() >= RawFirst && c.unicode() <= RawLast;
}

bool needsQuotes(const QString& path)
{
    if (path.isEmpty() || path.front() == QLatin1Char('"'))
        return true;
    for (const QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || isRaw(c))
            return true;
    return false;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes between the quotes of a quoted line; false when it is not well formed.
bool unquote(const QByteArray& line, QByteArray& out)
{
    if (line.size() < 2 || !line.startsWith('"') || !line.endsWith('"'))
        return false;
    out.clear();
    out.reserve(line.size());
    for (qsizetype i = 1, end = line.size() - 1; i < end; ++i) {
        const char c = line[i];
        if (c == '"')
            return false; // an unescaped quote inside
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= end)
            return false;
        switch (line[i]) {
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (i + 2 >= end)
                return false;
            const int high = hexValue(line[i + 1]);
            const int low = hexValue(line[i + 2]);
            if (high < 0 || low < 0)
                return false;
            out += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

} // namespace

QByteArray listFileLine(const QString& path)
{
    if (!needsQuotes(path))
        return platform::encodeName(path);
    // Everything outside the escapes stays UTF-8; raw bytes and control characters
    // become \xHH, so the line is valid UTF-8 text.
    QString text = QStringLiteral("\"");
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        if (c == QLatin1Char('\\'))
            text += QLatin1String("\\\\");
        else if (c == QLatin1Char('"'))
            text += QLatin1String("\\\"");
        else if (c == QLatin1Char('\n'))
            text += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            text += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            text += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || isRaw(c))
            text += QStringLiteral("\\x%1").arg(uint(u & 0xFF), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    text += QLatin1Char('"');
    return text.toUtf8();
}

QString parseListFileLine(const QByteArray& line)
{
    QByteArray bytes;
    if (line.startsWith('"') && unquote(line, bytes))
        return platform::decodeName(bytes);
    return platform::decodeName(line);
}

QByteArray listFileText(const QStringList& paths)
{
    QByteArray out;
    for (const QString& path : paths) {
        out += listFileLine(path);
        out += '\n';
    }
    return out;
}

QStringList parseListFile(const QByteArray& text)
{
    QStringList paths;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        if (end > start)
            paths.append(parseListFileLine(text.mid(start, end - start)));
        start = end + 1;
    }
    return paths;
}
