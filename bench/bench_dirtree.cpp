// Expanding a folder in the directory tree, as a whole process that starts, opens the
// tree at the folder's parent, expands the folder (its subfolders listed, each probed
// for subfolders of its own, nodes made and drawn) and exits; against
// `find DIR -mindepth 1 -maxdepth 2 -type d`, which reads the folder and every
// subfolder as well. Folders of 1,000, 10,000 and 100,000 subfolders holding nine
// entries each (every tenth one a folder): 10,000, 100,000 and 1,000,000 entries below
// the expanded folder, so the growth of the cost shows. Rounds alternate which side
// goes first; the median of the paired ratios is printed with its spread, then the peak
// memory of one run of each. The data is made once and kept in the scratch folder.
// Usage: bench_dirtree SCRATCH [quick]  ("quick" leaves out the million).
#include "benchutil.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <QTreeWidgetItem>
#include <cstring>

namespace {

// The child: expands dir's node and exits; fails when the node has no children.
int expandOnce(int argc, char** argv, const char* dir)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = platform::decodeName(QByteArray(dir));
    const QString parent = path.left(path.lastIndexOf(QLatin1Char('/')));
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    TQvDirTree21 tree;
    tree.resize(300, 600);
    tree.show();
    tree.OpenPath(parent);
    QTreeWidgetItem* node = tree.currentItem();
    for (int i = 0; node && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == name) {
            node->child(i)->setExpanded(true);
            QCoreApplication::processEvents();
            return node->child(i)->childCount() > 0 ? 0 : 1;
        }
    }
    return 1;
}

// root/d0 .. root/d<folders-1>, each with nine entries: files f1..f8 and, in every
// tenth folder, a folder "inner" (else a ninth file).
void makeTree(const std::string& root, int folders)
{
    struct stat st;
    if (::stat((root + "/../" + "done" + std::to_string(folders)).c_str(), &st) == 0)
        return;
    std::printf("creating %d folders of nine entries in %s ...\n", folders, root.c_str());
    std::fflush(stdout);
    bench::shell("rm -rf " + bench::quoted(root));
    ::mkdir(root.c_str(), 0755);
    for (int i = 0; i < folders; ++i) {
        const std::string sub = root + "/d" + std::to_string(i);
        ::mkdir(sub.c_str(), 0755);
        for (int k = 1; k <= 8; ++k)
            ::close(::open((sub + "/f" + std::to_string(k)).c_str(), O_WRONLY | O_CREAT, 0644));
        if (i % 10 == 0)
            ::mkdir((sub + "/inner").c_str(), 0755);
        else
            ::close(::open((sub + "/f9").c_str(), O_WRONLY | O_CREAT, 0644));
    }
    ::close(::open((root + "/../" + "done" + std::to_string(folders)).c_str(), O_WRONLY | O_CREAT,
                   0644));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--expand") == 0)
        return expandOnce(argc, argv, argv[2]);

    const std::string base = bench::scratch(argc, argv, "dirtree");
    ::mkdir(base.c_str(), 0755);
    const bool quick = argc > 2 && std::string(argv[2]) == "quick";
    for (const int folders : {1000, 10000, 100000}) {
        if (quick && folders > 10000)
            break;
        const std::string entries = std::to_string(folders * 10);
        const std::string root = base + "/t" + entries;
        makeTree(root, folders);
        const std::string ours = bench::quoted(bench::selfPath()) + " --expand " +
                                 bench::quoted(root) + " >/dev/null 2>&1";
        const std::string find =
            "find " + bench::quoted(root) + " -mindepth 1 -maxdepth 2 -type d >/dev/null";
        bench::shell(ours); // warms the caches for both sides
        const std::string what = "tree: expand, " + entries + " entries vs find";
        bench::paired(
            what.c_str(), folders > 10000 ? 5 : 9, [] {}, ours, find);
        std::printf("%-40s ours %ld KB  find %ld KB\n",
                    ("peak memory, " + entries + " entries").c_str(), bench::childPeakKb(ours),
                    bench::childPeakKb(find));
        std::fflush(stdout);
    }
}
