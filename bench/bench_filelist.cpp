// Rebuilds a file list over a 100,000-entry directory (read, filtered, sorted by name,
// rows laid out) and compares it with `ls -l` on the same directory.
#include "benchutil.h"
#include "explorer/list/qvfilelistview28.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string dir = bench::scratch(argc, argv, "filelist");
    const int count = 100000;
    const char* extensions[] = {".txt", ".jpg", ".pdf", ".Doc", ""};
    auto pathOf = [&](int i) {
        const char* stem = i % 3 == 0 ? "/Datei " : i % 3 == 1 ? "/bild_" : "/Übersicht-";
        return dir + stem + std::to_string(i) + extensions[i % 5];
    };
    struct stat st;
    if (::stat(pathOf(count - 1).c_str(), &st) != 0) {
        std::printf("creating %d files in %s ...\n", count, dir.c_str());
        ::mkdir(dir.c_str(), 0755);
        for (int i = 0; i < count; ++i) {
            const std::string path = pathOf(i);
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
            // Every file its own modification time, spread over some twenty years.
            const timespec times[2] = {{1700000000 - i * 6311L, 0}, {1700000000 - i * 6311L, 0}};
            ::futimens(fd, times);
            ::close(fd);
        }
    }

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    std::printf("peak memory before listing: %ld MB\n", bench::peakRssMb());
    const QString qdir = platform::decodeName(QByteArray::fromStdString(dir));

    TQvFilelistView28 view;
    view.resize(800, 600);
    view.show();
    view.SetDirectory(qdir); // warms the caches for both sides

    const double read = bench::bestOf(5, [&] {
        std::vector<platform::FileInfo> entries;
        platform::listDirectory(qdir, entries);
    });
    const double ours = bench::bestOf(5, [&] { view.UpdateFileList(); });
    const double ls =
        bench::bestOf(5, [&] { bench::shell("ls -l --color=never '" + dir + "' >/dev/null"); });

    // The Type column looks up the type of every entry by its name on its first sort.
    QElapsedTimer typeSort;
    typeSort.start();
    view.SortColumnClick(2);
    const double byType = typeSort.nsecsElapsed() / 1e6;

    std::printf("entries listed: %d\n", view.ItemCount());
    std::printf("directory read alone: %.1f ms\n", read);
    bench::report("UpdateFileList (100,000 entries)", ours, "ls -l", ls);
    std::printf("first sort by type: %.1f ms\n", byType);
    std::printf("peak memory: %ld MB\n", bench::peakRssMb());
}
