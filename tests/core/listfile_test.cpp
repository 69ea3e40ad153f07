#include "core/listfile.h"
#include "platform/namecodec.h"

#include <gtest/gtest.h>

namespace {
QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}
} // namespace

// Every path comes back exactly as it went, and the line it became is pinned: plain
// where a line can hold it, quoted with escapes where it cannot.
TEST(ListFile, AwkwardNamesRoundTrip)
{
    const struct
    {
        QByteArray path;
        QByteArray line;
    } cases[] = {
        {"/home/anna/Fotos/a.jpg", "/home/anna/Fotos/a.jpg"},
        {"/home/anna/Größe €.txt", "/home/anna/Größe €.txt"},
        {"/tmp/\xf0\x9f\x98\x80.png", "/tmp/\xf0\x9f\x98\x80.png"},
        // Backslashes, quotes and escape look-alikes inside an ordinary path stay as they are.
        {"/a\\b", "/a\\b"},
        {"/a\\nb\\x41", "/a\\nb\\x41"},
        {"/say \"hi\".txt", "/say \"hi\".txt"},
        {"/trailing blank ", "/trailing blank "},
        // What a line cannot hold: line breaks and other control characters...
        {"/tmp/a\nb", "\"/tmp/a\\nb\""},
        {"/tmp/a\r", "\"/tmp/a\\r\""},
        {"/tmp/tab\there", "\"/tmp/tab\\there\""},
        {"/tmp/\x01\x7f", "\"/tmp/\\x01\\x7f\""},
        {"/a\\b\n\"c\"", "\"/a\\\\b\\n\\\"c\\\"\""},
        // ...bytes that are not UTF-8 (the file stays UTF-8 text)...
        {"/tmp/caf\xe9.txt", "\"/tmp/caf\\xe9.txt\""},
        {"/tmp/\xed\xa0\x80", "\"/tmp/\\xed\\xa0\\x80\""},
        {"/tmp/\xff\xfe\xc3\xa4", "\"/tmp/\\xff\\xfe\xc3\xa4\""},
        // ...and lines that would look quoted or vanish.
        {"\"/quoted\"", "\"\\\"/quoted\\\"\""},
        {"\"", "\"\\\"\""},
        {"", "\"\""},
        {"relative/x", "relative/x"},
    };
    QStringList paths;
    QByteArray expectedFile;
    for (const auto& c : cases) {
        const QString path = q(c.path);
        const QByteArray line = listFileLine(path);
        EXPECT_EQ(line, c.line) << c.path.toStdString();
        EXPECT_TRUE(QString::fromUtf8(line).toUtf8() == line)
            << "not UTF-8: " << line.toStdString();
        EXPECT_EQ(platform::encodeName(parseListFileLine(line)), c.path) << line.toStdString();
        paths.append(path);
        expectedFile += c.line + '\n';
    }
    const QByteArray file = listFileText(paths);
    EXPECT_EQ(file, expectedFile);
    EXPECT_EQ(parseListFile(file), paths);
}

// Lines another program wrote: empty lines are skipped, a missing last line end is
// fine, and a line that starts with a quote but is no well-formed quoted path is taken
// as it is.
TEST(ListFile, ReadsWhatOthersWrote)
{
    EXPECT_EQ(parseListFile("\n/a\n\n/b"), (QStringList{q("/a"), q("/b")}));
    EXPECT_EQ(parseListFile("/caf\xe9\n"), QStringList{q("/caf\xe9")});
    for (const QByteArray line :
         {QByteArray("\"/open"), QByteArray("\"/a\\qb\""), QByteArray("\"/a\\x4\""),
          QByteArray("\"/a\\xzz\""), QByteArray("\"/a\"b\""), QByteArray("\"/end\\\"")})
        EXPECT_EQ(parseListFileLine(line), q(line)) << line.toStdString();
    EXPECT_EQ(parseListFileLine("\"/A\\x42\\x43\""), q("/ABC"));
}
