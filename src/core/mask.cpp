#include "mask.h"

#include <QChar>

namespace {

// Outside the code point range, so they never equal a character of a name.
constexpr char32_t Star = 0xFFFFFFFF;
constexpr char32_t Any = 0xFFFFFFFE;

// The code point at i and its length in UTF-16 units. A lone surrogate (a raw byte of
// a name that is not UTF-8) is a character of its own.
inline int codePointAt(const char16_t* s, qsizetype i, qsizetype n, char32_t& cp)
{
    const char16_t c = s[i];
    if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
        cp = QChar::surrogateToUcs4(c, s[i + 1]);
        return 2;
    }
    cp = c;
    return 1;
}

inline char32_t fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    return QChar::toCaseFolded(c);
}

// Matches a name against the folded tokens; at(i, cp) reads the code point at position i
// of the name's n units and returns its length in units.
template <class At>
bool matchTokens(const std::vector<char32_t>& tokenList, qsizetype n, At at)
{
    const char32_t* tokens = tokenList.data();
    const size_t count = tokenList.size();

    size_t t = 0;
    qsizetype i = 0;
    // Where to resume when a literal fails after a "*": the token after it, and the
    // name position that "*" has swallowed up to so far.
    size_t starToken = size_t(-1);
    qsizetype starPos = 0;
    while (i < n) {
        if (t < count && tokens[t] == Star) {
            starToken = ++t;
            starPos = i;
            continue;
        }
        char32_t cp = 0;
        const int len = at(i, cp);
        if (t < count && (tokens[t] == Any || tokens[t] == fold(cp))) {
            ++t;
            i += len;
            continue;
        }
        if (starToken == size_t(-1))
            return false;
        // Let the last "*" take one more character and try again from there.
        char32_t skipped = 0;
        starPos += at(starPos, skipped);
        i = starPos;
        t = starToken;
    }
    while (t < count && tokens[t] == Star)
        ++t;
    return t == count;
}

} // namespace

Mask::Mask(const QString& mask)
{
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    const auto* s = reinterpret_cast<const char16_t*>(mask.utf16());
    qsizetype n = mask.size();
    qsizetype first = 0;
    while (first < n && isBlank(s[first]))
        ++first;
    while (n > first && isBlank(s[n - 1]))
        --n;
    for (qsizetype i = first; i < n;) {
        char32_t cp = 0;
        i += codePointAt(s, i, n, cp);
        if (cp == U'*') {
            if (m_tokens.empty() || m_tokens.back() != Star) // "**" is "*"
                m_tokens.push_back(Star);
        } else if (cp == U'?') {
            m_tokens.push_back(Any);
        } else {
            m_tokens.push_back(fold(cp));
        }
    }
    m_matchesNothing = m_tokens.empty();
    m_matchesAll = m_tokens == std::vector<char32_t>{Star} ||
                   m_tokens == std::vector<char32_t>{Star, U'.', Star};
}

bool Mask::matches(const QString& name) const
{
    if (m_matchesNothing)
        return false;
    if (m_matchesAll)
        return true;
    const auto* s = reinterpret_cast<const char16_t*>(name.utf16());
    const qsizetype n = name.size();
    return matchTokens(m_tokens, n,
                       [s, n](qsizetype i, char32_t& cp) { return codePointAt(s, i, n, cp); });
}

bool Mask::matchesAscii(const char* name, qsizetype length) const
{
    if (m_matchesNothing)
        return false;
    if (m_matchesAll)
        return true;
    return matchTokens(m_tokens, length, [name](qsizetype i, char32_t& cp) {
        cp = static_cast<unsigned char>(name[i]);
        return 1;
    });
}

bool MatchesMask(const QString& name, const QString& mask)
{
    return Mask(mask).matches(name);
}
