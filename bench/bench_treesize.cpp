// Tree size of a 100,000-file tree through the platform layer against `du -sb`, both as
// whole processes, and what more threads give.
//
//   bench_treesize [SCRATCH]            runs the comparison
//   bench_treesize --count DIR THREADS  prints the byte total of DIR (one side of it)
#include "benchutil.h"
#include "platform/namecodec.h"
#include "platform/treesize.h"

#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--count") == 0) {
        const platform::TreeSize s =
            platform::treeSize(platform::decodeName(QByteArray(argv[2])), std::atoi(argv[3]));
        std::printf("%lld\t%s\n", static_cast<long long>(s.bytes), argv[2]);
        return 0;
    }
    const std::string dir = bench::scratch(argc, argv, "treesize");
    // 10 x 10 folders of 1,000 files each, of 0 to 9,999 bytes.
    struct stat st;
    if (::stat((dir + "/d9/e9/f999").c_str(), &st) != 0) {
        std::printf("creating 100,000 files in %s ...\n", dir.c_str());
        ::mkdir(dir.c_str(), 0755);
        for (int d = 0; d < 10; ++d) {
            const std::string dd = dir + "/d" + std::to_string(d);
            ::mkdir(dd.c_str(), 0755);
            for (int e = 0; e < 10; ++e) {
                const std::string ee = dd + "/e" + std::to_string(e);
                ::mkdir(ee.c_str(), 0755);
                for (int f = 0; f < 1000; ++f)
                    bench::writeFile(ee + "/f" + std::to_string(f),
                                     size_t((d * 7919 + e * 104729 + f * 31) % 10000));
            }
        }
    }
    const std::string self = bench::selfPath();
    if (self.empty())
        return 1;
    // Warm caches for both: one run of each first.
    bench::shell("du -sb '" + dir + "' >/dev/null");
    bench::shell(self + " --count '" + dir + "' 1 >/dev/null");
    for (int threads : {1, 2, 4, 8}) {
        const std::string what = "tree size, " + std::to_string(threads) + " thread(s) vs du -sb";
        bench::paired(
            what.c_str(), 11, [] {},
            self + " --count '" + dir + "' " + std::to_string(threads) + " >/dev/null",
            "du -sb '" + dir + "' >/dev/null");
    }
    bench::shell(self + " --count '" + dir + "' 0");
    bench::shell("du -sb --apparent-size '" + dir + "'");
}
