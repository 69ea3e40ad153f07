#include "platform/dirwatcher.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(DirWatcher, ReportsFolderChangesOnlyAndGathersThem)
{
    TempDir dir;
    platform::DirWatcher watcher;
    watcher.setActive(true);
    watcher.setDelay(50);
    watcher.setWatchMounts(false); // other tests mount file systems meanwhile
    ASSERT_TRUE(watcher.watch(platform::decodeName(dir.path())));
    EXPECT_TRUE(watcher.watch(platform::decodeName(dir.path()))); // twice is fine
    EXPECT_EQ(watcher.watchCount(), 1);
    QSignalSpy changed(&watcher, &platform::DirWatcher::changed);

    fixture::writeFile(dir / "file", "x");
    EXPECT_FALSE(changed.wait(300));

    fixture::makeDir(dir / "a\xe4");
    fixture::makeDir(dir / "b");
    ::rename((dir / "b").constData(), (dir / "c").constData());
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_FALSE(changed.wait(300));
    EXPECT_EQ(changed.count(), 1);
    // Which directories: the one watched, named as it was given (no trailing "/").
    const platform::DirWatcher::Changes changes = watcher.takeChanges();
    EXPECT_FALSE(changes.everything);
    EXPECT_EQ(changes.dirs, QSet<QString>{platform::decodeName(dir.path().chopped(1))});
    EXPECT_TRUE(watcher.takeChanges().dirs.isEmpty());

    watcher.clear();
    fixture::makeDir(dir / "d");
    EXPECT_FALSE(changed.wait(300));
    EXPECT_FALSE(watcher.watch(platform::decodeName(dir / "missing")));
}

TEST(DirWatcher, ReportsVolumesComingAndGoing)
{
    TempDir dir;
    platform::DirWatcher watcher;
    watcher.setActive(true);
    watcher.setDelay(50);
    QSignalSpy changed(&watcher, &platform::DirWatcher::changed);
    if (!fixture::mountTmpfs(dir / "vol", "1m"))
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    EXPECT_TRUE(changed.wait(2000));
    fixture::unmount(dir / "vol");
    EXPECT_TRUE(changed.wait(2000));
}
