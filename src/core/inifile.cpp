#include "inifile.h"

#include "platform/namecodec.h"
#include "platform/wholefile.h"

#include <cerrno>

namespace {

constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The name of a section header line ("[ Name ] ; note" gives "Name").
bool sectionOf(const QString& text, QString& name)
{
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    qsizetype end = t.indexOf(QLatin1Char(']'));
    if (end < 0)
        end = t.size();
    name = t.mid(1, end - 1).trimmed();
    return true;
}

// The key of an entry line; false for blank lines, comments, headers and lines
// without "=" or without a name before it.
bool keyOf(const QString& text, QString& key, qsizetype& equals)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || isComment(t) || t.startsWith(QLatin1Char('[')))
        return false;
    equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return false;
    key = text.left(equals).trimmed();
    return !key.isEmpty();
}

bool same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

QString decodeUtf16(const QByteArray& bytes, qsizetype from, bool littleEndian)
{
    const qsizetype n = (bytes.size() - from) / 2;
    QString out(n, Qt::Uninitialized);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + from;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned lo = littleEndian ? p[2 * i] : p[2 * i + 1];
        const unsigned hi = littleEndian ? p[2 * i + 1] : p[2 * i];
        out[i] = QChar(char16_t(lo | (hi << 8)));
    }
    return out;
}

void appendUtf16(QByteArray& out, const QString& text, bool littleEndian)
{
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xFF);
        const char hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi);
        out.append(littleEndian ? hi : lo);
    }
}

} // namespace

bool IniFile::load(const QString& path)
{
    m_path = path;
    QByteArray bytes;
    const bool read = platform::readWholeFile(path, bytes);
    const int error = errno;
    setContent(read ? bytes : QByteArray());
    m_onDisk = read;
    m_loadError = read || error == ENOENT || error == ENOTDIR ? 0 : error;
    m_changed = false;
    return m_loadError == 0;
}

void IniFile::setContent(const QByteArray& bytes)
{
    m_lines.clear();
    m_tail.clear();
    m_eol = QStringLiteral("\n");
    m_changed = true;

    QString text;
    if (bytes.startsWith(Utf8Bom)) {
        m_encoding = Encoding::Utf8Bom;
        text = platform::decodeName(bytes.constData() + 3, bytes.size() - 3);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.at(0) == '\xFF';
        m_encoding = le ? Encoding::Utf16Le : Encoding::Utf16Be;
        text = decodeUtf16(bytes, 2, le);
        if (bytes.size() % 2 != 0)
            m_tail = bytes.right(1);
    } else {
        m_encoding = Encoding::Utf8;
        text = platform::decodeName(bytes);
    }

    bool eolKnown = false;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype nl = text.indexOf(QLatin1Char('\n'), start);
        Line line;
        if (nl < 0) {
            line.text = text.mid(start);
            start = text.size();
        } else {
            const bool crlf = nl > start && text.at(nl - 1) == QLatin1Char('\r');
            line.text = text.mid(start, nl - start - (crlf ? 1 : 0));
            line.eol = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
            start = nl + 1;
            if (!eolKnown) {
                m_eol = line.eol;
                eolKnown = true;
            }
        }
        m_lines.append(line);
    }
}

QByteArray IniFile::content() const
{
    QString text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += line.eol;
    }
    QByteArray out;
    switch (m_encoding) {
    case Encoding::Utf8:
        return platform::encodeName(text);
    case Encoding::Utf8Bom:
        return Utf8Bom + platform::encodeName(text);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool le = m_encoding == Encoding::Utf16Le;
        out.reserve(2 + 2 * text.size() + m_tail.size());
        out.append(le ? "\xFF\xFE" : "\xFE\xFF", 2);
        appendUtf16(out, text, le);
        out.append(m_tail);
        break;
    }
    }
    return out;
}

int IniFile::findSection(const QString& section) const
{
    const QString wanted = section.trimmed();
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (sectionOf(m_lines[i].text, name) && same(name, wanted))
            return i;
    return -1;
}

int IniFile::findKey(int header, const QString& key) const
{
    const QString wanted = key.trimmed();
    QString name;
    qsizetype equals = 0;
    for (int i = header + 1; i < m_lines.size(); ++i) {
        if (sectionOf(m_lines[i].text, name))
            break;
        if (keyOf(m_lines[i].text, name, equals) && same(name, wanted))
            return i;
    }
    return -1;
}

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const
{
    const int header = findSection(section);
    if (header < 0)
        return defaultValue;
    const int line = findKey(header, key);
    if (line < 0)
        return defaultValue;
    const QString& text = m_lines[line].text;
    return text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    if (s.isEmpty() || k.isEmpty() || hasLineBreak(s) || hasLineBreak(k) || hasLineBreak(value) ||
        s.contains(QLatin1Char(']')) || k.contains(QLatin1Char('=')) ||
        k.startsWith(QLatin1Char('[')) || isComment(k))
        return false;

    const int header = findSection(s);
    if (header < 0) {
        insertLine(m_lines.size(), QLatin1Char('[') + s + QLatin1Char(']'));
        insertLine(m_lines.size(), k + QLatin1Char('=') + value);
        m_changed = true;
        return true;
    }

    const int line = findKey(header, k);
    if (line >= 0) {
        if (this->value(s, k) == value)
            return true;
        QString& text = m_lines[line].text;
        qsizetype keep = text.indexOf(QLatin1Char('=')) + 1;
        while (keep < text.size() &&
               (text.at(keep) == QLatin1Char(' ') || text.at(keep) == QLatin1Char('\t')))
            ++keep;
        text = text.left(keep) + value;
        m_changed = true;
        return true;
    }

    // After the section's last entry, so that blank lines and comments that lead into
    // the next section stay with it.
    int after = header;
    QString name;
    for (int i = header + 1; i < m_lines.size(); ++i) {
        if (sectionOf(m_lines[i].text, name))
            break;
        const QString t = m_lines[i].text.trimmed();
        if (!t.isEmpty() && !isComment(t))
            after = i;
    }
    insertLine(after + 1, k + QLatin1Char('=') + value);
    m_changed = true;
    return true;
}

void IniFile::insertLine(int pos, const QString& text)
{
    Line line{text, m_eol};
    // A last line without a line ending gets one, and the new line becomes the last.
    if (pos > 0 && m_lines[pos - 1].eol.isEmpty()) {
        m_lines[pos - 1].eol = m_eol;
        line.eol.clear();
    }
    m_lines.insert(pos, line);
}

bool IniFile::save()
{
    if (m_path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    if (m_loadError != 0) {
        errno = m_loadError;
        return false;
    }
    if (m_onDisk && !m_changed)
        return true;
    if (!platform::writeFileAtomically(m_path, content()))
        return false;
    m_onDisk = true;
    m_changed = false;
    return true;
}
