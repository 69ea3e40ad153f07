#include "core/collectionlist.h"
#include "core/transferengine.h"
#include "core/transferreport.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>

namespace {
QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

// The window's use of the hooks, recording the figures after every report.
struct ProgressHooks : TransferHooks
{
    explicit ProgressHooks(TransferProgress& p) : progress(p) {}
    bool aborted() override
    {
        progress.nextFile();
        return false;
    }
    bool fileProgress(qint64 done, qint64 total) override
    {
        progress.fileProgress(done, total);
        during.append(progress.figures(0));
        return true;
    }
    void lineFailed(const QString&, const QString&) override { progress.lineFailed(); }
    void afterFile() override
    {
        progress.fileDone();
        after.append(progress.figures(0));
    }
    TransferProgress& progress;
    QList<TransferFigures> during, after;
};
} // namespace

TEST(TransferReport, SizesAndDurations)
{
    const struct
    {
        qint64 bytes;
        const char* text;
    } sizes[] = {{0, "0 Bytes"},
                 {1023, "1023 Bytes"},
                 {1024, "1,0 KB"},
                 {1536, "1,5 KB"},
                 {1024 * 1024 - 1, "1,0 MB"},
                 {qint64(5) << 30, "5,0 GB"},
                 {qint64(3) << 40, "3,0 TB"},
                 {qint64(2048) << 40, "2048,0 TB"}};
    for (const auto& s : sizes)
        EXPECT_EQ(sizeText(s.bytes), QString::fromUtf8(s.text)) << s.bytes;

    const struct
    {
        qint64 seconds;
        const char* text;
    } durations[] = {{0, "0:00"}, {42, "0:42"}, {725, "12:05"}, {3723, "1:02:03"}};
    for (const auto& d : durations)
        EXPECT_EQ(durationText(d.seconds), QString::fromUtf8(d.text)) << d.seconds;

    TransferFigures f{3, 10, 1536 * 1024, 4 * 1024 * 1024, 0, -1};
    EXPECT_EQ(f.text(), QStringLiteral("3 von 10 Dateien, 1,5 MB von 4,0 MB"));
    EXPECT_EQ(f.permille(), 375);
    f.bytesPerSecond = 2 * 1024 * 1024;
    f.secondsLeft = 2;
    EXPECT_EQ(f.text(), QStringLiteral("3 von 10 Dateien, 1,5 MB von 4,0 MB, 2,0 MB/s, noch 0:02"));
    // Only empty files: the share of files.
    EXPECT_EQ((TransferFigures{1, 4, 0, 0, 0, -1}).permille(), 250);
}

// The figures a real transfer produces through its hooks: a large file moves them while
// it is copied, every file counts once it is over (failed or not), and the end is
// exactly the total the free-space check found.
TEST(TransferReport, ProgressFromTheTransferHooks)
{
    TempDir tmp;
    fixture::makeDir(tmp / "src");
    fixture::makeDir(tmp / "dst");
    const qint64 big = 20 << 20;                                   // several copy chunks
    fixture::writeFile(tmp / "src/big.bin", QByteArray(big, 'x')); // data, not holes
    fixture::writeFile(tmp / "src/small.txt", "12345");
    fixture::writeFile(tmp / "src/kept.txt", "1234567");
    fixture::writeFile(tmp / "dst/kept.txt", "old");
    CollectionList list;
    list.appendBatch({q(tmp / "src/small.txt"), q(tmp / "src/kept.txt"), q(tmp / "src/gone.txt"),
                      q(tmp / "src/big.bin")});
    const SpaceCheck space = checkFreeSpace(list, q(tmp / "dst"));
    ASSERT_EQ(space.neededBytes, big + 12);

    TransferProgress progress(list, space.neededBytes);
    const TransferFigures start = progress.figures(0);
    EXPECT_EQ(start.filesDone, 0);
    EXPECT_EQ(start.filesTotal, 4);
    EXPECT_EQ(start.bytesTotal, big + 12);
    ProgressHooks hooks(progress);
    TransferOptions options;
    options.noOverwrite = true;
    Uebertragen(list, q(tmp / "dst"), options, hooks);

    const struct
    {
        int files;
        qint64 bytes;
    } after[] = {{1, 5}, {2, 12}, {3, 12}, {4, big + 12}};
    ASSERT_EQ(hooks.after.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(hooks.after[i].filesDone, after[i].files) << i;
        EXPECT_EQ(hooks.after[i].filesTotal, 4) << i;
        EXPECT_EQ(hooks.after[i].bytesDone, after[i].bytes) << i;
        EXPECT_EQ(hooks.after[i].bytesTotal, big + 12) << i;
    }
    EXPECT_EQ(hooks.after.last().permille(), 1000);

    // While the large file is copied the bytes grow, the files stay.
    QList<qint64> bigSteps;
    for (const TransferFigures& f : hooks.during)
        if (f.filesDone == 3)
            bigSteps.append(f.bytesDone);
    ASSERT_GE(bigSteps.size(), 2);
    for (qsizetype i = 1; i < bigSteps.size(); ++i)
        EXPECT_GT(bigSteps[i], bigSteps[i - 1]);
    EXPECT_GT(bigSteps.first(), 12);
    EXPECT_LE(bigSteps.last(), big + 12);
}

// Rate and time left from the clock, and a move by renaming (no copy progress at all)
// still counts its bytes.
TEST(TransferReport, RateAndTimeLeft)
{
    TempDir tmp;
    fixture::makeDir(tmp / "src");
    fixture::makeDir(tmp / "dst");
    fixture::writeFile(tmp / "src/a", QByteArray(3000, 'a'));
    fixture::writeFile(tmp / "src/b", QByteArray(1000, 'b'));
    CollectionList list;
    list.appendBatch({q(tmp / "src/a"), q(tmp / "src/b")});
    TransferProgress progress(list, 4000);
    progress.nextFile();
    EXPECT_EQ(progress.figures(400).bytesPerSecond, 0); // too early to tell
    EXPECT_EQ(progress.figures(400).secondsLeft, -1);
    // The first file went by renaming: no progress calls, its size still counts.
    list.removeLine(0);
    progress.fileDone();
    const TransferFigures f = progress.figures(1500);
    EXPECT_EQ(f.bytesDone, 3000);
    EXPECT_EQ(f.bytesPerSecond, 2000);
    EXPECT_EQ(f.secondsLeft, 1);
    EXPECT_EQ(f.filesTotal, 2);
    // Lines added during the run lengthen it.
    list.appendBatch({q(tmp / "src/c")});
    EXPECT_EQ(progress.figures(1500).filesTotal, 3);
}

TEST(TransferReport, FailureTallyOneLinePerReason)
{
    FailureTally tally;
    EXPECT_TRUE(tally.lines().isEmpty());
    for (const char* reason :
         {"Datei existiert bereits", "Kein Speicherplatz am Ziel", "Datei existiert bereits",
          "Ziel ist schreibgeschützt", "Datei existiert bereits", "Ziel ist schreibgeschützt"})
        tally.add(QString::fromUtf8(reason));
    EXPECT_EQ(tally.total(), 6);
    EXPECT_EQ(
        tally.lines(),
        (QStringList{QStringLiteral("3 Dateien nicht übertragen: Datei existiert bereits"),
                     QStringLiteral("2 Dateien nicht übertragen: Ziel ist schreibgeschützt"),
                     QStringLiteral("1 Datei nicht übertragen: Kein Speicherplatz am Ziel")}));

    // Beyond the last line's worth of reasons, the rest are summed up.
    FailureTally many;
    for (int i = 0; i < FailureTally::MaxLines + 2; ++i)
        many.add(QStringLiteral("Grund %1").arg(i));
    const QStringList lines = many.lines();
    ASSERT_EQ(lines.size(), FailureTally::MaxLines + 1);
    EXPECT_EQ(lines.first(), QStringLiteral("1 Datei nicht übertragen: Grund 0"));
    EXPECT_EQ(lines.last(), QStringLiteral("2 Dateien aus weiteren Gründen nicht übertragen"));
}
