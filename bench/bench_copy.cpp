// The program copying 10,000 small files and one 1 GiB file, as a whole process
// (`tobrin transfer`), against `cp --preserve=mode,timestamps` on the same data, also
// as a whole process: rounds alternate which side goes first, on an emptied target.
// Pass a scratch folder; a second argument names a folder on another file system (a
// tmpfs, say) to measure there too.
#include "benchutil.h"

#include <cstdio>
#include <string>

namespace {

void measure(const std::string& data, const std::string& out, const std::string& smallList,
             const std::string& big)
{
    const std::string tobrin = std::string(TOBRIN_BINARY) + " transfer -0 '" + out + "' < ";
    auto fresh = [&] { bench::emptyDir(out); };
    std::printf("target %s\n", out.c_str());
    bench::paired("10,000 small files, flat", 7, fresh, tobrin + "'" + smallList + "' > /dev/null",
                  "xargs -0 -a '" + smallList + "' cp --preserve=mode,timestamps -t '" + out +
                      "'");
    bench::paired("one 1 GiB file", 5, fresh,
                  tobrin + "'" + data + "/big.lst' > /dev/null",
                  "cp --preserve=mode,timestamps '" + big + "' '" + out + "/'");
    bench::removeAside(out);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string base = bench::scratch(argc, argv, "copy");
    const std::string small = base + "/small", big = base + "/big.bin";
    ::mkdir(base.c_str(), 0755);
    bench::smallFiles(small);
    struct stat st;
    if (::stat(big.c_str(), &st) != 0 || st.st_size != (1LL << 30))
        bench::writeFile(big, size_t(1) << 30);
    const std::string smallList = base + "/small.lst";
    bench::shell("find '" + small + "' -type f -print0 > '" + smallList + "'");
    bench::shell("printf '%s\\0' '" + big + "' > '" + base + "/big.lst'");

    measure(base, base + "/out", smallList, big);
    if (argc > 2)
        measure(base, std::string(argv[2]) + "/out", smallList, big);
}
