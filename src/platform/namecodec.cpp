#include "namecodec.h"

namespace platform {

namespace {
constexpr char16_t RawBase = 0xDC00;

// Length of the valid UTF-8 sequence at p (1..4), or 0 when the byte at p does
// not start one. Overlong forms, surrogates and code points past U+10FFFF are
// invalid, exactly as in strict UTF-8.
int validSequence(const unsigned char* p, const unsigned char* end, char32_t& cp)
{
    const unsigned char c = p[0];
    auto cont = [&](int i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF && cont(1)) {
        cp = (char32_t(c & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
        cp = (char32_t(c & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
        cp = (char32_t(c & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
             (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        if (cp < 0x10000 || cp > 0x10FFFF)
            return 0;
        return 4;
    }
    return 0;
}
} // namespace

QString decodeName(const char* bytes, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + size;

    // Most names are plain ASCII.
    const auto* q = p;
    while (q < end && *q < 0x80)
        ++q;
    if (q == end)
        return QString::fromLatin1(bytes, size);

    QString out;
    out.reserve(size);
    out.append(QLatin1StringView(bytes, q - p));
    p = q;
    while (p < end) {
        char32_t cp = 0;
        const int n = validSequence(p, end, cp);
        if (n == 0) {
            out.append(QChar(char16_t(RawBase + *p)));
            ++p;
            continue;
        }
        if (cp >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(cp)));
            out.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        p += n;
    }
    return out;
}

QByteArray encodeName(const QString& name)
{
    QByteArray out;
    out.reserve(name.size() * 3 / 2 + 1);
    const QChar* s = name.constData();
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        if (u < 0x80) {
            out.append(char(u));
        } else if (u < 0x800) {
            out.append(char(0xC0 | (u >> 6)));
            out.append(char(0x80 | (u & 0x3F)));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && s[i + 1].isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(u, s[i + 1].unicode());
            ++i;
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (u >= RawBase + 0x80 && u <= RawBase + 0xFF) {
            out.append(char(u - RawBase));
        } else if (QChar::isSurrogate(u)) {
            // A lone surrogate cannot come from a file name; keep it visible.
            out.append('?');
        } else {
            out.append(char(0xE0 | (u >> 12)));
            out.append(char(0x80 | ((u >> 6) & 0x3F)));
            out.append(char(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

bool hasRawBytes(const QString& name)
{
    for (QChar c : name)
        if (c.unicode() >= RawBase + 0x80 && c.unicode() <= RawBase + 0xFF)
            return true;
    return false;
}

} // namespace platform
