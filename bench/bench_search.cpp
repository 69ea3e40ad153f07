// The recursive search over a tree of 100,000 files against
// `find DIR -type f -iname MASK` on the same tree in the same run.
#include "app/commandline.h"
#include "benchutil.h"
#include "core/filecollector.h"
#include "platform/namecodec.h"

#include <QStringList>
#include <climits>
#include <cstdio>

namespace {

// 10 x 10 folders of 1,000 files each, half of them *.txt, and 10 more levels of a
// narrow chain so that depth is exercised too.
void makeTree(const std::string& root)
{
    struct stat st;
    if (::stat((root + "/done").c_str(), &st) == 0)
        return;
    bench::shell("rm -rf '" + root + "'");
    ::mkdir(root.c_str(), 0755);
    int n = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string a = root + "/d" + std::to_string(i);
        ::mkdir(a.c_str(), 0755);
        for (int j = 0; j < 10; ++j) {
            const std::string b = a + "/e" + std::to_string(j);
            ::mkdir(b.c_str(), 0755);
            for (int k = 0; k < 1000; ++k, ++n) {
                const std::string name =
                    b + "/file" + std::to_string(n) + (k % 2 ? ".txt" : ".dat");
                ::close(::open(name.c_str(), O_WRONLY | O_CREAT, 0644));
            }
        }
    }
    ::close(::open((root + "/done").c_str(), O_WRONLY | O_CREAT, 0644));
}

std::string selfDir()
{
    char buffer[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string exe(buffer, n > 0 ? size_t(n) : 0);
    return exe.substr(0, exe.rfind('/'));
}

} // namespace

int main(int argc, char** argv)
{
    const std::string root = bench::scratch(argc, argv, "search");
    makeTree(root);
    const QString dir = platform::decodeName(QByteArray::fromStdString(root));
    const QString mask = QStringLiteral("*.txt");

    QStringList found;
    const double collect = bench::bestOf(5, [&] { SucheDateien(dir, mask, found, true); });
    std::printf("files found: %lld of 100,000\n", (long long)found.size());

    // The command line's whole path: collect, encode, write.
    const int devnull = ::open("/dev/null", O_WRONLY);
    const double command = bench::bestOf(5, [&] {
        bool handled = false;
        runCommandLine({"search", QByteArray::fromStdString(root), "*.txt"},
                       CommandLineIo{0, devnull, 2, {}}, handled);
    });
    const double find = bench::bestOf(
        5, [&] { bench::shell("find '" + root + "' -type f -iname '*.txt' > /dev/null"); });
    bench::report("SucheDateien (in process)", collect, "find -type f -iname", find);
    bench::report("search command (in process, to /dev/null)", command, "find -type f -iname",
                  find);

    // As programs, so both pay for starting a process.
    const std::string tobrin = selfDir() + "/../src/tobrin";
    struct stat st;
    if (::stat(tobrin.c_str(), &st) == 0) {
        const double program = bench::bestOf(
            5, [&] { bench::shell("'" + tobrin + "' search '" + root + "' '*.txt' > /dev/null"); });
        bench::report("tobrin search (program)", program, "find -type f -iname", find);
    }
    std::printf("peak RSS %ld MB\n", bench::peakRssMb());
    ::close(devnull);
}
