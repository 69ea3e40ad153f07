#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class CollectionList;

// What the window reports about a transfer while it runs and after it: the progress
// figures and the reasons of the lines that failed. UI-free; fed from TransferHooks.

// A snapshot of a running transfer.
struct TransferFigures
{
    int filesDone = 0;  // transferred or failed
    int filesTotal = 0; // grows when lines are added during the run
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    qint64 bytesPerSecond = 0; // 0 while not known yet
    qint64 secondsLeft = -1;   // -1 while not known yet

    // Done of total in thousandths: by bytes, by files when there are no bytes.
    int permille() const;
    // "3 von 10 Dateien, 1,5 MB von 4,0 MB, 2,0 MB/s, noch 0:02"; rate and time left
    // only once they are known.
    QString text() const;
};

// A size for people: bytes below 1 KB, else KB, MB, GB, TB (1024 each) with one decimal
// and a decimal comma ("1,5 MB").
QString sizeText(qint64 bytes);
// "0:42", "12:05", "1:02:03".
QString durationText(qint64 seconds);

// Follows a transfer through its hooks. The engine works on the first line after those
// that failed, so the file about to be touched is known before each pass and its size
// counts as done once it is over, whether it was transferred or failed; a file that is
// being copied counts with the bytes copied so far. O(1) per call, plus one stat per file
// in nextFile().
class TransferProgress
{
public:
    // totalBytes: the list's size as the free-space check found it.
    TransferProgress(const CollectionList& list, qint64 totalBytes);

    // At the start of every pass (TransferHooks::aborted), before the file is touched.
    void nextFile();
    // TransferHooks::fileProgress.
    void fileProgress(qint64 done, qint64 total);
    // TransferHooks::lineFailed.
    void lineFailed();
    // TransferHooks::afterFile.
    void fileDone();

    // The figures after elapsedMs since the transfer began. The rate is the average
    // since the start; it is known after half a second.
    TransferFigures figures(qint64 elapsedMs) const;

private:
    const CollectionList& m_list;
    const qint64 m_totalBytes;
    int m_filesDone = 0;
    int m_failed = 0;
    bool m_inFile = false;
    qint64 m_completedBytes = 0;
    qint64 m_currentSize = 0;
    qint64 m_currentDone = 0;
};

// The reasons of the failed lines of one transfer, counted per reason.
class FailureTally
{
public:
    void add(const QString& reason);
    int total() const { return m_total; }
    // One line per reason, the most frequent first (ties in the order they came):
    // "5 Dateien nicht übertragen: Datei existiert bereits". Beyond MaxLines reasons,
    // the rest share a last line "3 Dateien aus weiteren Gründen nicht übertragen".
    QStringList lines() const;

    static constexpr int MaxLines = 8;

private:
    QHash<QString, int> m_counts;
    QStringList m_order; // reasons in the order they first came
    int m_total = 0;
};
