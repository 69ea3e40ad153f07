#include "platform/fileoperation.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Answers nothing and stops the operation at the progress report given.
class StoppingObserver : public FileOpObserver
{
public:
    explicit StoppingObserver(int stopAt) : m_stopAt(stopAt) {}
    bool confirmDelete(const QStringList&) override { return true; }
    bool confirmPermanentDelete(const QString&) override { return false; }
    ReplaceChoice askReplace(const QString&, bool, bool&) override { return ReplaceChoice::Skip; }
    void error(const QString&) override {}
    bool progress(qint64, qint64, const QString&) override { return ++reports < m_stopAt; }

    int reports = 0;

private:
    const int m_stopAt;
};

} // namespace

// Empty files report no progress while they are copied; the operation still reports
// between them, so a dialog follows and a cancel is heard after the file under way.
TEST(FileOperation, CopiesOfEmptyFilesReportAndCanBeStopped)
{
    TempDir tmp;
    fixture::makeDir(tmp / "src");
    fixture::makeDir(tmp / "dst");
    QStringList sources;
    for (int i = 0; i < 5; ++i) {
        const QByteArray path = tmp / ("src/empty" + QByteArray::number(i));
        fixture::writeFile(path, "");
        sources.append(decodeName(path));
    }
    for (const int stopAt : {1000, 2}) {
        SCOPED_TRACE(stopAt);
        for (const QByteArray& name : fixture::names(tmp / "dst"))
            ASSERT_EQ(::unlink((tmp / "dst/" + name).constData()), 0);
        StoppingObserver observer(stopAt);
        const FileOpResult result =
            runFileOperation(FileOp::Copy, sources, decodeName(tmp / "dst"), observer);
        const int copied = int(fixture::names(tmp / "dst").size());
        if (stopAt > 5) {
            EXPECT_TRUE(result.ok);
            EXPECT_GE(observer.reports, 5);
            EXPECT_EQ(copied, 5);
        } else {
            EXPECT_TRUE(result.cancelled);
            EXPECT_EQ(copied, stopAt); // the file under way completes, no further one starts
        }
    }
}
