// The transfer as the program runs it (`tobrin transfer`, a whole process) against cp and
// mv as whole processes on the same data in the same run: 10,000 small files flat and
// with their structure, one 1 GiB file, a move of 10,000 files within one file system;
// rounds alternate which side goes first, and the median of the paired ratios is
// printed with its spread. Then how the cost grows from 1,000 to 100,000 files (left
// out with a second argument "quick"), the collection list's own cost per line, and
// Listengroesse over 100,000 lines.
#include "benchutil.h"
#include "core/collectionlist.h"
#include "core/filesizes.h"
#include "core/transferengine.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QStringList>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int Small = 10000;

std::string base;

void writeList(const std::string& file, const std::vector<std::string>& paths)
{
    std::string data;
    for (const std::string& p : paths)
        data += p + '\0';
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, data.data(), data.size()) != ssize_t(data.size()))
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
    ::close(fd);
}

// count files of 1 to 7 KB, 100 to a folder, unique names so that a flat copy keeps
// them all.
std::vector<std::string> makeSmallFiles(const std::string& root, int count = Small)
{
    std::vector<std::string> paths;
    struct stat st;
    const bool present = ::stat((root + "/done").c_str(), &st) == 0;
    if (!present) {
        bench::shell("rm -rf '" + root + "'");
        ::mkdir(root.c_str(), 0755);
    }
    for (int i = 0; i < count / 100; ++i) {
        const std::string dir = root + "/d" + std::to_string(i);
        if (!present)
            ::mkdir(dir.c_str(), 0755);
        for (int j = 0; j < 100; ++j) {
            const int n = i * 100 + j;
            paths.push_back(dir + "/f" + std::to_string(n));
            if (!present)
                bench::writeFile(paths.back(), 1000 + size_t(n % 7) * 1000);
        }
    }
    if (!present)
        ::close(::open((root + "/done").c_str(), O_WRONLY | O_CREAT, 0644));
    return paths;
}

// The program's transfer command, as a whole process, on the list in a file.
std::string tobrinTransfer(const std::string& list, const std::string& target,
                           const std::string& options = "")
{
    return std::string(TOBRIN_BINARY) + " transfer -0 " + options + " '" + target + "' < '" +
           list + "' > /dev/null";
}

void copies(const std::vector<std::string>& small)
{
    const std::string list = base + "/small.lst", out = base + "/out";
    writeList(list, small);
    auto emptyOut = [&] { bench::emptyDir(out); };

    bench::paired("10,000 small files flat", 7, emptyOut, tobrinTransfer(list, out),
                  "xargs -0 -a '" + list + "' cp --preserve=mode,timestamps -t '" + out + "'");

    // cp --parents wants the paths relative to "/" when it preserves the folders' modes.
    std::vector<std::string> relative;
    for (const std::string& p : small)
        relative.push_back(p.substr(1));
    const std::string relativeList = base + "/small-relative.lst";
    writeList(relativeList, relative);
    bench::paired("10,000 small files, keep structure", 7, emptyOut,
                  tobrinTransfer(list, out, "--keep-structure"),
                  "cd / && xargs -0 -a '" + relativeList +
                      "' cp --preserve=mode,timestamps --parents -t '" + out + "'");

    const std::string big = base + "/big.bin", bigList = base + "/big.lst";
    struct stat st;
    if (::stat(big.c_str(), &st) != 0 || st.st_size != (1LL << 30))
        bench::writeFile(big, size_t(1) << 30);
    writeList(bigList, {big});
    bench::paired("one 1 GiB file", 5, emptyOut, tobrinTransfer(bigList, out),
                  "cp --preserve=mode,timestamps '" + big + "' '" + out + "/'");
}

void moves(const std::string& pristine, const std::vector<std::string>& small)
{
    const std::string from = base + "/movesrc", out = base + "/moved", list = base + "/move.lst";
    std::vector<std::string> paths;
    for (const std::string& p : small)
        paths.push_back(from + p.substr(pristine.size()));
    writeList(list, paths);
    auto again = [&] {
        bench::emptyDir(out);
        bench::shell("rm -rf '" + from + "' && cp -r '" + pristine + "' '" + from + "' && sync");
    };
    bench::paired("move 10,000 files, one file system", 7, again,
                  tobrinTransfer(list, out, "--move"),
                  "xargs -0 -a '" + list + "' mv -t '" + out + "'");
    bench::shell("rm -rf '" + from + "'");
}

// How the cost grows with the list: flat copies of 1,000, 10,000 and 100,000 files, and
// the program's peak memory at each size.
void scale()
{
    const std::string out = base + "/out";
    for (const int count : {1000, 10000, 100000}) {
        const std::string root = base + "/scale" + std::to_string(count);
        const std::vector<std::string> files = makeSmallFiles(root, count);
        const std::string list = root + ".lst";
        writeList(list, files);
        const std::string what = "scale: " + std::to_string(count) + " files flat";
        bench::paired(what.c_str(), count > 10000 ? 5 : 7, [&] { bench::emptyDir(out); },
                      tobrinTransfer(list, out),
                      "xargs -0 -a '" + list + "' cp --preserve=mode,timestamps -t '" + out + "'");
        bench::emptyDir(out);
        std::printf("%-40s ours %ld KB\n", ("peak memory, " + std::to_string(count) + " lines").c_str(),
                    bench::childPeakKb(tobrinTransfer(list, out)));
    }
}

// What the list costs per line while a 100,000-line transfer runs, without copying:
// the removal of each transferred line (every tenth one fails and stays), alone and
// with a list view attached that gets its events after every file as the window does.
void listCosts(const std::vector<std::string>& small)
{
    QStringList lines;
    for (int i = 0; i < 100000; ++i)
        lines.append(QStringLiteral("/data/folder%1/file%2.txt").arg(i / 100).arg(i));

    auto drain = [](CollectionList& list, const std::function<void()>& afterFile,
                    int passes = INT_MAX) {
        QElapsedTimer t;
        t.start();
        int i = 0, pass = 0;
        while (i < list.count() && pass < passes) {
            if (pass++ % 10 == 0)
                ++i;
            else
                list.removeLine(i);
            if (afterFile)
                afterFile();
        }
        return double(t.nsecsElapsed()) / pass;
    };
    {
        CollectionList list;
        list.appendBatch(lines);
        std::printf("%-44s %9.1f ns per line\n", "list removals, 100,000 lines", drain(list, {}));
    }
    // A list view lays out all its rows again after every change it gets to see, so
    // letting it see each removal costs O(lines) per file; every 40 ms is enough for a
    // responsive window and for Escape.
    for (const bool throttled : {false, true}) {
        CollectionList list;
        list.appendBatch(lines);
        QListView view;
        view.setUniformItemSizes(true);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.setModel(&list);
        view.resize(300, 400);
        view.show();
        QApplication::processEvents();
        QElapsedTimer since;
        since.start();
        const double perLine = drain(
            list,
            [&] {
                if (!throttled || since.elapsed() >= 40) {
                    QApplication::processEvents();
                    since.restart();
                }
            },
            throttled ? INT_MAX : 2000);
        std::printf("%-44s %9.1f ns per line\n",
                    throttled ? "... with a list view, events every 40 ms"
                              : "... with a list view, events after each",
                    perLine);
    }
    {
        QStringList million;
        for (int i = 0; i < 1000000; ++i)
            million.append(QStringLiteral("/data/folder%1/file%2.txt").arg(i / 100).arg(i));
        CollectionList list;
        QElapsedTimer t;
        t.start();
        list.appendBatch(million);
        QListView view;
        view.setUniformItemSizes(true);
        view.setModel(&list);
        view.resize(300, 400);
        view.show();
        QApplication::processEvents();
        const double shown = t.nsecsElapsed() / 1e6;
        t.restart();
        QList<int> selected;
        for (int i = 0; i < 1000000; i += 2)
            selected.append(i);
        list.removeRows(selected);
        QApplication::processEvents();
        std::printf("%-44s %9.1f ms\n", "1,000,000 lines appended and shown", shown);
        std::printf("%-44s %9.1f ms\n", "500,000 selected lines deleted, shown",
                    t.nsecsElapsed() / 1e6);
    }

    // Listengroesse: one stat per line over 100,000 lines of real files.
    CollectionList list;
    QStringList real;
    for (int i = 0; i < 100000; ++i)
        real.append(
            platform::decodeName(QByteArray::fromStdString(small[size_t(i) % small.size()])));
    list.appendBatch(real);
    qint64 total = 0;
    const double size = bench::bestOf(3, [&] { total = Listengroesse(list); });
    std::printf("%-44s %9.1f ms   (%.0f ns per line, %lld bytes)\n",
                "Listengroesse over 100,000 lines", size, size * 1e6 / 100000, (long long)total);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    base = bench::scratch(argc, argv, "transfer");
    ::mkdir(base.c_str(), 0755);
    const std::string pristine = base + "/small";
    const std::vector<std::string> small = makeSmallFiles(pristine);

    copies(small);
    moves(pristine, small);
    if (!(argc > 2 && std::string(argv[2]) == "quick"))
        scale();
    // Nothing is deleted while anything is timed.
    bench::removeAside(base + "/out");
    bench::removeAside(base + "/moved");
    listCosts(small);
    std::printf("peak RSS %ld MB\n", bench::peakRssMb());
}
