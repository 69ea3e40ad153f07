#include "core/collectionlist.h"
#include "core/filesizes.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

namespace {

QStringList numbered(int from, int n)
{
    QStringList out;
    for (int i = from; i < from + n; ++i)
        out.append(QStringLiteral("/d/f%1").arg(i));
    return out;
}

// Counts the warnings the model tester writes when the model breaks the rules of
// QAbstractItemModel (wrong signals, rows that disagree with rowCount).
int g_modelWarnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg) {
        ++g_modelWarnings;
        fprintf(stderr, "%s\n", qPrintable(text));
    }
}

void expectSame(const CollectionList& list, const std::vector<QString>& expected)
{
    ASSERT_EQ(list.count(), int(expected.size()));
    ASSERT_EQ(list.rowCount(), int(expected.size()));
    for (int i = 0; i < list.count(); ++i) {
        ASSERT_EQ(list.line(i), expected[size_t(i)]) << "line " << i;
        ASSERT_EQ(list.data(list.index(i)).toString(), expected[size_t(i)]);
    }
}

} // namespace

// Every operation, in random mixes, against a plain vector, with the model tester
// watching the signals a view relies on.
TEST(CollectionList, AgreesWithPlainVectorUnderRandomEdits)
{
    g_modelWarnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    CollectionList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::Warning);
    std::vector<QString> expected;
    QRandomGenerator rng(4711);
    int next = 0;
    int cursor = 0; // the transfer's index: lines that failed before it
    for (int step = 0; step < 3000; ++step) {
        const int op = int(rng.bounded(10));
        const int n = int(expected.size());
        if (op < 3 || n == 0) {
            const QStringList batch = numbered(next, int(rng.bounded(1, 40)));
            next += int(batch.size());
            list.appendBatch(batch);
            expected.insert(expected.end(), batch.begin(), batch.end());
        } else if (op < 7) {
            // The transfer's pattern: remove at the cursor, or let the line fail.
            if (cursor >= n)
                cursor = 0;
            if (rng.bounded(4) == 0) {
                ++cursor;
            } else {
                list.removeLine(cursor);
                expected.erase(expected.begin() + cursor);
            }
        } else if (op < 8) {
            const int i = int(rng.bounded(n));
            list.removeLine(i);
            expected.erase(expected.begin() + i);
        } else if (op < 10) {
            // A selection: a few runs, or many scattered rows (duplicates and rows out of
            // range included).
            QList<int> rows;
            const int k = op == 8 ? int(rng.bounded(1, 4)) : int(rng.bounded(n) / 2 + 40);
            for (int j = 0; j < k; ++j)
                rows.append(int(rng.bounded(n + 2)) - 1);
            std::vector<bool> gone(size_t(n), false);
            int removedExpected = 0;
            for (int r : rows)
                if (r >= 0 && r < n && !gone[size_t(r)]) {
                    gone[size_t(r)] = true;
                    ++removedExpected;
                }
            EXPECT_EQ(list.removeRows(rows), removedExpected);
            std::vector<QString> kept;
            for (int i = 0; i < n; ++i)
                if (!gone[size_t(i)])
                    kept.push_back(expected[size_t(i)]);
            expected = std::move(kept);
        }
        if (step % 500 == 499) {
            list.clear();
            expected.clear();
        }
        expectSame(list, expected);
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_modelWarnings, 0);
}

// Deleting selected lines signals a removal per run for a few runs (the view keeps its
// place) and one reset for many; the caption is filled with the counts.
TEST(CollectionList, RemoveSelectedRowsSignals)
{
    CollectionList list;
    list.appendBatch(numbered(0, 5));
    QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
    EXPECT_EQ(list.removeRows(QList<int>{4, 0, 1}), 3);
    EXPECT_EQ(list.lines(), (QStringList{"/d/f2", "/d/f3"}));
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(CollectionList::captionText(3, list.count()),
              QStringLiteral("3 Dateien gelöscht, 2 Dateien verbleiben"));

    list.appendBatch(numbered(100, 1000));
    QList<int> everyOther;
    for (int i = 0; i < list.count(); i += 2)
        everyOther.append(i);
    removed.clear();
    EXPECT_EQ(list.removeRows(everyOther), 501);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(list.count(), 501);
    EXPECT_EQ(list.line(0), QStringLiteral("/d/f3"));
    EXPECT_EQ(list.line(1), QStringLiteral("/d/f101"));
}

// A million lines arrive in one insertion; the transfer's removals (every tenth line
// fails and stays) and a large selection stay linear. Removing from the front of a plain
// vector would take minutes here.
TEST(CollectionList, LargeListsStayLinear)
{
    CollectionList list;
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    list.appendBatch(numbered(0, 1000000));
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(list.count(), 1000000);

    QElapsedTimer timer;
    timer.start();
    int i = 0, pass = 0;
    while (i < list.count()) {
        if (pass++ % 10 == 0)
            ++i;
        else
            list.removeLine(i);
    }
    EXPECT_EQ(list.count(), 100000);
    EXPECT_EQ(list.line(0), QStringLiteral("/d/f0"));
    EXPECT_EQ(list.line(1), QStringLiteral("/d/f10"));
    EXPECT_EQ(list.line(99999), QStringLiteral("/d/f999990"));

    QList<int> all;
    for (int r = 0; r < list.count(); r += 3)
        all.append(r);
    list.removeRows(all);
    EXPECT_EQ(list.count(), 66666);
    EXPECT_LT(timer.elapsed(), 5000);
}

// Sizes come from the file system on every call: missing paths, directories and
// dangling links count 0, duplicates twice, and sizes beyond 32 bits stay whole.
TEST(FileSizes, DateigroesseAndListengroesse)
{
    TempDir dir;
    fixture::writeFile(dir / "a", QByteArray(1500, 'a'));
    fixture::writeFile(dir / "caf\xe9", QByteArray(10, 'c'));
    fixture::makeSparse(dir / "big", 5368709120LL);
    fixture::makeDir(dir / "sub");
    ASSERT_EQ(::symlink("missing", (dir / "dangling").constData()), 0);
    ASSERT_EQ(::symlink("a", (dir / "link").constData()), 0);
    auto p = [&](const QByteArray& name) { return platform::decodeName(dir / name); };

    EXPECT_EQ(Dateigroesse(p("a")), 1500);
    EXPECT_EQ(Dateigroesse(p("caf\xe9")), 10);
    EXPECT_EQ(Dateigroesse(p("big")), 5368709120LL);
    EXPECT_EQ(Dateigroesse(p("sub")), 0);
    EXPECT_EQ(Dateigroesse(p("missing")), 0);
    EXPECT_EQ(Dateigroesse(p("dangling")), 0);
    EXPECT_EQ(Dateigroesse(p("link")), 1500);
    EXPECT_EQ(Dateigroesse(QString()), 0);

    CollectionList list;
    list.appendBatch({p("a"), p("a"), p("big"), p("sub"), p("missing")});
    EXPECT_EQ(Listengroesse(list), 3000 + 5368709120LL);
    ::unlink((dir / "a").constData());
    EXPECT_EQ(Listengroesse(list), 5368709120LL);
}
