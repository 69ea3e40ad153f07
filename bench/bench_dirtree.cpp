// Expands a folder with 10,000 subfolders in the directory tree and compares it
// with `find DIR -mindepth 1 -maxdepth 2 -type d` on the same folder.
#include "benchutil.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <QTreeWidgetItem>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string dir = bench::scratch(argc, argv, "tree");
    const int count = 10000;
    struct stat st;
    if (::stat((dir + "/d9999").c_str(), &st) != 0) {
        std::printf("creating %d folders in %s ...\n", count, dir.c_str());
        ::mkdir(dir.c_str(), 0755);
        for (int i = 0; i < count; ++i) {
            const std::string sub = dir + "/d" + std::to_string(i);
            ::mkdir(sub.c_str(), 0755);
            if (i % 3 == 0) // every third one has a subfolder of its own
                ::mkdir((sub + "/inner").c_str(), 0755);
            else
                bench::writeFile(sub + "/file", 10);
        }
    }
    const QString qdir = platform::decodeName(QByteArray::fromStdString(dir));
    const QString parent = qdir.left(qdir.lastIndexOf(QLatin1Char('/')));

    int children = 0;
    double ours = 1e300;
    for (int round = 0; round < 5; ++round) {
        TQvDirTree21 tree;
        tree.OpenPath(parent); // the folder above, filled before the clock starts
        QTreeWidgetItem* node = tree.currentItem();
        QTreeWidgetItem* target = nullptr;
        for (int i = 0; i < node->childCount() && !target; ++i)
            if (node->child(i)->text(0) == QLatin1String("tree"))
                target = node->child(i);
        QElapsedTimer t;
        t.start();
        target->setExpanded(true);
        ours = std::min(ours, t.nsecsElapsed() / 1e6);
        children = target->childCount();
    }
    const double find = bench::bestOf(
        5, [&] { bench::shell("find '" + dir + "' -mindepth 1 -maxdepth 2 -type d >/dev/null"); });
    std::printf("subfolders shown: %d\n", children);
    bench::report("tree: expand a folder of 10,000 folders", ours, "find -maxdepth 2 -type d",
                  find);
    std::printf("peak memory: %ld MB\n", bench::peakRssMb());
}
