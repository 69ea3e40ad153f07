#include "transferreport.h"

#include "collectionlist.h"
#include "filesizes.h"

#include <algorithm>

namespace {

QString files(int n)
{
    return n == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(n);
}

} // namespace

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 Bytes").arg(bytes);
    static const char* const units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    // Rounded to one decimal, 1023.96 KB would read "1024,0 KB": move up a unit first.
    while (value >= 1023.95 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QLatin1Char(' ') + QLatin1String(units[unit]);
}

QString durationText(qint64 seconds)
{
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

int TransferFigures::permille() const
{
    if (bytesTotal > 0)
        return int(std::min<qint64>(1000, bytesDone * 1000 / bytesTotal));
    if (filesTotal > 0)
        return int(std::min<qint64>(1000, qint64(filesDone) * 1000 / filesTotal));
    return 0;
}

QString TransferFigures::text() const
{
    QString out = QStringLiteral("%1 von %2 Dateien, %3 von %4")
                      .arg(filesDone)
                      .arg(filesTotal)
                      .arg(sizeText(bytesDone), sizeText(bytesTotal));
    if (bytesPerSecond > 0)
        out += QStringLiteral(", %1/s").arg(sizeText(bytesPerSecond));
    if (secondsLeft >= 0)
        out += QStringLiteral(", noch %1").arg(durationText(secondsLeft));
    return out;
}

TransferProgress::TransferProgress(const CollectionList& list, qint64 totalBytes)
    : m_list(list), m_totalBytes(totalBytes)
{
}

void TransferProgress::nextFile()
{
    if (m_inFile)
        return;
    m_inFile = true;
    m_currentDone = 0;
    m_currentSize = m_failed < m_list.count() ? Dateigroesse(m_list.line(m_failed)) : 0;
}

void TransferProgress::fileProgress(qint64 done, qint64 total)
{
    m_currentDone = std::max<qint64>(0, done);
    m_currentSize = std::max({m_currentSize, total, m_currentDone});
}

void TransferProgress::lineFailed()
{
    ++m_failed;
}

void TransferProgress::fileDone()
{
    ++m_filesDone;
    m_completedBytes += m_currentSize;
    m_currentSize = m_currentDone = 0;
    m_inFile = false;
}

TransferFigures TransferProgress::figures(qint64 elapsedMs) const
{
    TransferFigures f;
    f.filesDone = m_filesDone;
    f.filesTotal = m_filesDone + std::max(0, m_list.count() - m_failed);
    f.bytesDone = m_completedBytes + std::min(m_currentDone, m_currentSize);
    f.bytesTotal = std::max(m_totalBytes, m_completedBytes + m_currentSize);
    if (elapsedMs >= 500 && f.bytesDone > 0) {
        f.bytesPerSecond = f.bytesDone * 1000 / elapsedMs;
        if (f.bytesPerSecond > 0)
            f.secondsLeft = (f.bytesTotal - f.bytesDone + f.bytesPerSecond - 1) / f.bytesPerSecond;
    } else if (elapsedMs >= 500 && f.bytesTotal == 0 && f.filesDone > 0) {
        // Only empty files: the time left by the files' pace.
        f.secondsLeft = (qint64(f.filesTotal - f.filesDone) * elapsedMs / f.filesDone + 999) / 1000;
    }
    return f;
}

void FailureTally::add(const QString& reason)
{
    int& count = m_counts[reason];
    if (count++ == 0)
        m_order.append(reason);
    ++m_total;
}

QStringList FailureTally::lines() const
{
    QStringList reasons = m_order;
    std::stable_sort(reasons.begin(), reasons.end(), [this](const QString& a, const QString& b) {
        return m_counts.value(a) > m_counts.value(b);
    });
    QStringList out;
    int rest = 0;
    for (qsizetype i = 0; i < reasons.size(); ++i) {
        const int n = m_counts.value(reasons[i]);
        if (i < MaxLines || reasons.size() == MaxLines + 1)
            out.append(QStringLiteral("%1 nicht übertragen: %2").arg(files(n), reasons[i]));
        else
            rest += n;
    }
    if (rest > 0)
        out.append(QStringLiteral("%1 aus weiteren Gründen nicht übertragen").arg(files(rest)));
    return out;
}
