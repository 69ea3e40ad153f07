#include "core/mask.h"
#include "platform/namecodec.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

struct Case
{
    const char* name; // UTF-8, or raw bytes decoded like a file name
    const char* mask;
    bool matches;
};

const Case Cases[] = {
    // "*.*" and "*" take every name, with or without a dot.
    {"brief.txt", "*.*", true},
    {"Makefile", "*.*", true},
    {".bashrc", "*.*", true},
    {"", "*", true},
    {"", "*.*", true},
    {"a", "*", true},
    // Everything else is matched as written.
    {"Makefile", "*.", false},
    {"brief.txt", "*.txt", true},
    {"brief.txt.bak", "*.txt", false},
    {"txt", "*.txt", false},
    {".txt", "*.txt", true},
    {"a.b.c", "*.c", true},
    {"a.b.c", "*.b", false},
    {"abc", "a*c", true},
    {"ac", "a*c", true},
    {"abcb", "a*c", false},
    {"abc", "abc*", true},
    {"abc", "*abc", true},
    {"abc", "ab", false},
    {"ab", "abc", false},
    {"foo.c", "*.?", true},
    {"foo.cc", "*.?", false},
    {"foo", "???", true},
    {"fo", "???", false},
    {"fooo", "???", false},
    {"a", "?*", true},
    {"", "?*", false},
    {"", "?", false},
    // Letters without regard to case, also beyond ASCII.
    {"BRIEF.TXT", "*.txt", true},
    {"brief.txt", "*.TXT", true},
    {"Ärger.doc", "ä*", true},
    {"ΣΊΣΥΦΟΣ", "σίσυφος", true},
    {"ΣΊΣΥΦΟΣ", "σίσυφοσ", true},
    // "[" and the other signs of regular expressions or other globs are literal.
    {"[a].txt", "[a].txt", true},
    {"a.txt", "[a].txt", false},
    {"b", "[abc]", false},
    {"x+y", "x+y", true},
    {"xxy", "x+y", false},
    {"a\\b", "a\\b", true},
    {"a.b", "a\\.b", false},
    {"file{1}", "file{1}", true},
    // One "?" is one character: a surrogate pair, an umlaut, a raw byte.
    {"\xf0\x9f\x98\x80", "?", true},
    {"\xf0\x9f\x98\x80", "??", false},
    {"x\xf0\x9f\x98\x80y.txt", "x?y.*", true},
    {"caf\xe9", "caf?", true},
    {"caf\xe9", "CAF?", true},
    {"caf\xe9", "caf", false},
    {"caf\xe9\xe9", "caf?", false},
    {"\xed\xa0\x80", "???", true}, // an encoded surrogate is three raw bytes
    {"\xf0\x9f\x98\x80\xe9", "??", true},
    // The empty mask matches nothing.
    {"", "", false},
    {"a", "", false},
    // Blanks around a mask are not part of it (one mask of "*.png; *.JPG"); inside
    // it they are literal, and a mask of blanks alone is empty.
    {"bild.jpg", " *.JPG", true},
    {"bild.png", "*.png ", true},
    {"bild.png", "\t *.png\t ", true},
    {" bild.png", " bild.png", false},
    {" bild.png", "?bild.png", true},
    {"a b.txt", " a b.txt ", true},
    {"ab.txt", "a b.txt", false},
    {" ", " ", false},
};

QString decoded(const char* text)
{
    return platform::decodeName(QByteArray(text));
}

} // namespace

TEST(Mask, MatchesTheTable)
{
    for (const Case& c : Cases) {
        const QString name = decoded(c.name);
        const QString mask = decoded(c.mask);
        EXPECT_EQ(MatchesMask(name, mask), c.matches) << c.name << " ~ " << c.mask;
        EXPECT_EQ(Mask(mask).matches(name), c.matches) << c.name << " ~ " << c.mask;
    }
}

TEST(Mask, PathologicalPatternsStayFast)
{
    // A backtracking matcher that tries every split takes exponential time here.
    const QString name = QString(20000, QLatin1Char('a'));
    const struct
    {
        QString mask;
        bool matches;
    } cases[] = {
        {QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b"), false},
        {QStringLiteral("*a*a*a*a*a*a*a*a*a*a*"), true},
        {QStringLiteral("a*a*a*a*a*a*a*a*a*a?a"), true},
        {QStringLiteral("****************************b"), false},
        {QString(5000, QLatin1Char('?')) + QStringLiteral("*b"), false},
    };
    QElapsedTimer timer;
    timer.start();
    for (const auto& c : cases)
        EXPECT_EQ(Mask(c.mask).matches(name), c.matches) << c.mask.left(40).toStdString();
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(Mask, APrecompiledMaskServesManyNames)
{
    const Mask mask(QStringLiteral("IMG_*.JP?"));
    int matched = 0;
    for (int i = 0; i < 100000; ++i) {
        const QString name = QStringLiteral("img_%1.%2")
                                 .arg(i)
                                 .arg(i % 2 ? QStringLiteral("jpg") : QStringLiteral("png"));
        matched += mask.matches(name);
    }
    EXPECT_EQ(matched, 50000);
}
