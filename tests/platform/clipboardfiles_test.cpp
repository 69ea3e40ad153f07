#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

namespace {

QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

QStringList awkwardPaths()
{
    QStringList paths;
    for (const QByteArray& name : fixture::awkwardNames())
        paths.append(q("/tmp/dir with blank/" + name));
    paths.append(q("/tmp/100% #1?.txt"));
    paths.append(q("/tmp/Ordner/Übersicht, März.pdf"));
    return paths;
}

} // namespace

TEST(ClipboardFiles, UrisCarryEveryNameByteForByte)
{
    for (const QString& path : awkwardPaths()) {
        const QByteArray uri = fileUri(path);
        EXPECT_TRUE(uri.startsWith("file:///")) << uri.constData();
        // Nothing a URI list or GNOME's line format could split on.
        EXPECT_FALSE(uri.contains('\n') || uri.contains('\r') || uri.contains(' '));
        EXPECT_EQ(encodeName(pathFromUri(uri)), encodeName(path)) << uri.constData();
    }
    EXPECT_EQ(fileUri(q("/tmp/a b/\xe4.txt")), QByteArray("file:///tmp/a%20b/%E4.txt"));
}

TEST(ClipboardFiles, OnlyLocalFileUrisGivePaths)
{
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const struct
    {
        QByteArray uri;
        QString path;
    } cases[] = {
        {"file:///tmp/a", QStringLiteral("/tmp/a")},
        {"file://localhost/tmp/a", QStringLiteral("/tmp/a")},
        {"file://" + QByteArray(host) + "/tmp/a", QStringLiteral("/tmp/a")},
        {"file:/tmp/a", QStringLiteral("/tmp/a")},
        {"FILE:///tmp/%C3%A4", QStringLiteral("/tmp/ä")},
        {"file://otherhost/tmp/a", QString()},
        {"http://example.org/a", QString()},
        {"sftp://host/tmp/a", QString()},
        {"/tmp/a", QString()},
        {"file://", QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathFromUri(c.uri), c.path) << c.uri.constData();
}

// What other file managers read: each format by its exact bytes.
TEST(ClipboardFiles, WritesEveryFormat)
{
    const QStringList paths = {q("/tmp/a b.txt"), q("/tmp/\xff.bin")};
    for (const bool cut : {false, true}) {
        QMimeData data;
        setFileListData(data, paths, cut);
        EXPECT_EQ(data.data("text/uri-list"), "file:///tmp/a%20b.txt\r\nfile:///tmp/%FF.bin\r\n");
        EXPECT_EQ(data.data("x-special/gnome-copied-files"),
                  QByteArray(cut ? "cut" : "copy") +
                      "\nfile:///tmp/a%20b.txt\nfile:///tmp/%FF.bin");
        EXPECT_EQ(data.data("application/x-kde-cutselection"), cut ? "1" : "0");
        EXPECT_EQ(data.data("text/plain"), "/tmp/a b.txt\n/tmp/\xff.bin\n");
    }
}

TEST(ClipboardFiles, ReadsTheCutMarkOfEachForm)
{
    const struct
    {
        const char* what;
        QList<std::pair<QString, QByteArray>> formats;
        bool cut;
        bool marked;
    } cases[] = {
        {"GNOME cut",
         {{"x-special/gnome-copied-files", "cut\nfile:///tmp/a\nfile:///tmp/b\n"}},
         true,
         true},
        {"GNOME copy",
         {{"x-special/gnome-copied-files", "copy\nfile:///tmp/a\nfile:///tmp/b"}},
         false,
         true},
        {"KDE cut",
         {{"text/uri-list", "file:///tmp/a\r\n# comment\r\nfile:///tmp/b\r\n"},
          {"application/x-kde-cutselection", "1"}},
         true,
         true},
        {"URI list alone", {{"text/uri-list", "file:///tmp/a\nfile:///tmp/b"}}, false, false},
        {"older Nautilus, in plain text",
         {{"text/plain", "x-special/nautilus-clipboard\ncut\nfile:///tmp/a\nfile:///tmp/b\n"}},
         true,
         true},
        // A GNOME entry without files does not hide the URI list beside it.
        {"empty GNOME entry",
         {{"x-special/gnome-copied-files", "copy\n"},
          {"text/uri-list", "file:///tmp/a\r\nhttp://x/\r\nfile:///tmp/b"}},
         false,
         false},
    };
    for (const auto& c : cases) {
        QMimeData data;
        for (const auto& [format, bytes] : c.formats)
            data.setData(format, bytes);
        ASSERT_TRUE(hasFileList(&data)) << c.what;
        const ClipboardFiles files = readFileList(&data);
        EXPECT_EQ(files.paths, QStringList({"/tmp/a", "/tmp/b"})) << c.what;
        EXPECT_EQ(files.cut, c.cut) << c.what;
        EXPECT_EQ(files.marked, c.marked) << c.what;
        EXPECT_FALSE(files.ours) << c.what;
    }
    QMimeData text;
    text.setText(QStringLiteral("/tmp/a"));
    EXPECT_FALSE(hasFileList(&text));
}

// Through the toolkit's clipboard (the offscreen one in the tests), names that are not
// UTF-8 included.
TEST(ClipboardFiles, SystemClipboardRoundTrip)
{
    const QStringList paths = awkwardPaths();
    for (const bool cut : {false, true}) {
        setClipboardFiles(paths, cut);
        ASSERT_TRUE(clipboardHasFiles());
        const ClipboardFiles files = clipboardFiles();
        ASSERT_EQ(files.paths.size(), paths.size());
        for (qsizetype i = 0; i < paths.size(); ++i)
            EXPECT_EQ(encodeName(files.paths[i]), encodeName(paths[i]));
        EXPECT_EQ(files.cut, cut);
        EXPECT_TRUE(files.ours);
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("/tmp/a"));
    EXPECT_FALSE(clipboardHasFiles());
    EXPECT_TRUE(clipboardFiles().paths.isEmpty());
}

TEST(ClipboardFiles, FileContentsByKind)
{
    TempDir dir;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    fixture::writeFile(dir / "Bild.PNG", png);
    fixture::writeFile(
        dir / "Brief.rtf",
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "\\f0 Sehr geehrte Gr\\'fc\\'dfe,\\par\\b zweite\\b0  Zeile \\u8364?\\tab Ende}");
    fixture::writeFile(dir / "notiz.txt", "Grüße\n");
    fixture::writeFile(dir / "alt.txt", "Gr\xfc\xdf"
                                        "e");
    fixture::writeFile(dir / "kaputt.wmf", "no picture at all");

    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(setClipboardFileContents(q(dir / "Bild.PNG")));
    EXPECT_EQ(clipboard->image().size(), QSize(3, 2));

    ASSERT_TRUE(setClipboardFileContents(q(dir / "Brief.rtf")));
    EXPECT_TRUE(clipboard->mimeData()->data("text/rtf").startsWith("{\\rtf1"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Sehr geehrte Grüße,\nzweite Zeile €\tEnde"));

    ASSERT_TRUE(setClipboardFileContents(q(dir / "notiz.txt")));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Grüße\n"));
    ASSERT_TRUE(setClipboardFileContents(q(dir / "alt.txt")));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Grüße"));

    // A picture the readers cannot decode keeps its bytes under its own type.
    ASSERT_TRUE(setClipboardFileContents(q(dir / "kaputt.wmf")));
    EXPECT_FALSE(clipboard->mimeData()->hasImage());
    EXPECT_EQ(clipboard->mimeData()->data(clipboard->mimeData()->formats().value(0)),
              "no picture at all");

    EXPECT_FALSE(setClipboardFileContents(q(dir / "fehlt.txt")));
}
