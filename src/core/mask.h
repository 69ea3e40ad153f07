#pragma once

#include <QString>
#include <vector>

// File name masks as the display filter, the search and the file list use them:
// "*" stands for any run of characters, "?" for exactly one character, everything else
// (also "[") for itself, letters compared without regard to case. The whole name must
// match. "*.*" matches every name, also names without a dot; an empty mask matches
// nothing. Blanks (spaces, tabs) around a mask are not part of it, so that a list typed
// as "*.png; *.jpg" means what it says; blanks inside it are literal, and a name that
// begins or ends with one is still reached through "?" or "*". A character is a code point: a surrogate pair counts as one, and so does
// each raw byte of a name that is not UTF-8.

// A mask folded and compiled once, for matching many names. matches() is iterative,
// with one backtracking point (the last "*"), so it costs O(name length * mask length)
// in the worst case and never recurses; typical masks ("*.txt") cost one pass.
class Mask
{
public:
    explicit Mask(const QString& mask);
    bool matches(const QString& name) const;
    // The same for a name given as bytes that are all ASCII (below 0x80), without
    // making a text of it first.
    bool matchesAscii(const char* name, qsizetype length) const;

private:
    // Folded code points, with Star and Any for the two wildcards.
    std::vector<char32_t> m_tokens;
    bool m_matchesAll = false;
    bool m_matchesNothing = false;
};

bool MatchesMask(const QString& name, const QString& mask);
