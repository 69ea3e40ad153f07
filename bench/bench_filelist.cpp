// The file list over a 100,000-entry directory. A whole process that starts, lists the
// directory in a shown file list (read, filtered, sorted by name, the visible rows
// drawn) and exits, against `ls -l` of the same directory as a whole process; rounds
// alternate which side goes first, and the median of the paired ratios is printed with
// its spread, then the peak memory of one run of each. Then, in this process, every
// sort of that list: each column in each direction, the first sort by type (which
// looks up the type of every entry by its name) apart from the later ones.
// Usage: bench_filelist SCRATCH [quick]  ("quick" runs fewer rounds).
#include "benchutil.h"
#include "explorer/list/qvfilelistview28.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <cstring>

namespace {

// The child: builds the list for dir in a shown window and exits.
int listOnce(int argc, char** argv, const char* dir)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TQvFilelistView28 view;
    view.resize(800, 600);
    view.show();
    view.SetDirectory(platform::decodeName(QByteArray(dir)));
    return view.ItemCount() > 0 ? 0 : 1;
}

void makeFiles(const std::string& dir, int count)
{
    const char* extensions[] = {".txt", ".jpg", ".pdf", ".Doc", ""};
    auto pathOf = [&](int i) {
        const char* stem = i % 3 == 0 ? "/Datei " : i % 3 == 1 ? "/bild_" : "/Übersicht-";
        return dir + stem + std::to_string(i) + extensions[i % 5];
    };
    struct stat st;
    if (::stat(pathOf(count - 1).c_str(), &st) == 0)
        return;
    std::printf("creating %d files in %s ...\n", count, dir.c_str());
    ::mkdir(dir.c_str(), 0755);
    for (int i = 0; i < count; ++i) {
        const int fd = ::open(pathOf(i).c_str(), O_WRONLY | O_CREAT, 0644);
        // Every file its own modification time, spread over some twenty years.
        const timespec times[2] = {{1700000000 - i * 6311L, 0}, {1700000000 - i * 6311L, 0}};
        ::futimens(fd, times);
        ::close(fd);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--list") == 0)
        return listOnce(argc, argv, argv[2]);

    const std::string dir = bench::scratch(argc, argv, "filelist");
    const bool quick = argc > 2 && std::string(argv[2]) == "quick";
    makeFiles(dir, 100000);

    const std::string ours =
        bench::quoted(bench::selfPath()) + " --list " + bench::quoted(dir) + " >/dev/null 2>&1";
    const std::string ls = "ls -l --color=never " + bench::quoted(dir) + " >/dev/null";
    bench::shell(ours); // warms the caches for both sides
    bench::paired(
        "file list 100,000 entries vs ls -l", quick ? 5 : 11, [] {}, ours, ls);
    std::printf("%-40s ours %ld KB  ls -l %ld KB\n", "peak memory, 100,000 entries",
                bench::childPeakKb(ours), bench::childPeakKb(ls));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    TQvFilelistView28 view;
    view.resize(800, 600);
    view.show();
    QElapsedTimer t;
    t.start();
    view.SetDirectory(platform::decodeName(QByteArray::fromStdString(dir)));
    std::printf("in process: UpdateFileList of %d entries %.1f ms\n", view.ItemCount(),
                t.nsecsElapsed() / 1e6);

    // A click on a new column sorts descending, a second one ascending. Type comes
    // first, while no type name is known yet.
    const char* names[] = {"name", "size", "type", "date", "attributes"};
    for (const int column : {2, 0, 1, 3, 4}) {
        for (int click = 0; click < 2; ++click) {
            t.restart();
            view.SortColumnClick(column);
            const double ms = t.nsecsElapsed() / 1e6;
            std::printf("in process: sort by %-10s %-10s %8.1f ms%s\n", names[column],
                        view.SortDescending() ? "descending" : "ascending", ms,
                        column == 2 && click == 0 ? "  (first: looks up every type)" : "");
        }
    }
}
