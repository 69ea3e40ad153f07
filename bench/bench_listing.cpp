// Reading a 100,000-entry directory with the size and time of every entry, as whole
// processes: ours (platform::listDirectory, one line "size mtime path" per entry
// written out) against `find DIR -mindepth 1 -maxdepth 1 -printf '%s %T@ %p\n'`, which
// reads, stats and prints the same. Rounds alternate which side goes first; the median
// of the paired ratios is printed with its spread, then the peak memory of one run of
// each. Usage: bench_listing SCRATCH [quick]  ("quick" runs fewer rounds).
#include "benchutil.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <cstring>

namespace {

// The child: lists dir and writes one line per entry.
int readOnce(const char* dir)
{
    const QByteArray base = QByteArray(dir) + '/';
    size_t listed = 0;
    const bool ok = platform::listDirectory(
        platform::decodeName(QByteArray(dir)), [&](platform::FileInfo& info) {
            const QByteArray name = platform::encodeName(info.name);
            std::printf("%lld %lld.%09lld %s%s\n", static_cast<long long>(info.size),
                        static_cast<long long>(info.mtimeNs / 1000000000),
                        static_cast<long long>(info.mtimeNs % 1000000000), base.constData(),
                        name.constData());
            ++listed;
        });
    return ok && listed > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--read") == 0)
        return readOnce(argv[2]);

    const std::string dir = bench::scratch(argc, argv, "listing");
    const bool quick = argc > 2 && std::string(argv[2]) == "quick";
    const int count = 100000;
    struct stat st;
    if (::stat((dir + "/f99999.txt").c_str(), &st) != 0) {
        std::printf("creating %d files in %s ...\n", count, dir.c_str());
        ::mkdir(dir.c_str(), 0755);
        for (int i = 0; i < count; ++i)
            ::close(::open((dir + "/f" + std::to_string(i) + ".txt").c_str(), O_WRONLY | O_CREAT,
                           0644));
    }
    const std::string ours =
        bench::quoted(bench::selfPath()) + " --read " + bench::quoted(dir) + " >/dev/null";
    const std::string find =
        "find " + bench::quoted(dir) + " -mindepth 1 -maxdepth 1 -printf '%s %T@ %p\\n' >/dev/null";
    bench::shell(ours); // warms the caches for both sides
    bench::paired(
        "read+stat+print 100,000 entries vs find -printf", quick ? 5 : 11, [] {}, ours, find);
    std::printf("%-40s ours %ld KB  find %ld KB\n", "peak memory, 100,000 entries",
                bench::childPeakKb(ours), bench::childPeakKb(find));
}
