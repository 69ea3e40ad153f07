// Copies 10,000 small files and one 1 GiB file through the file copy and with
// `cp --preserve=mode,timestamps` on the same data.
#include "benchutil.h"
#include "platform/filecopy.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

int main(int argc, char** argv)
{
    const std::string base = bench::scratch(argc, argv, "copy");
    const std::string small = base + "/small", big = base + "/big.bin";
    const int count = 10000;
    ::mkdir(base.c_str(), 0755);
    struct stat st;
    if (::stat((small + "/f9999").c_str(), &st) != 0) {
        ::mkdir(small.c_str(), 0755);
        for (int i = 0; i < count; ++i)
            bench::writeFile(small + "/f" + std::to_string(i), 1000 + (i % 7) * 1000);
    }
    if (::stat(big.c_str(), &st) != 0 || st.st_size != (1LL << 30))
        bench::writeFile(big, size_t(1) << 30);

    auto q = [](const std::string& s) {
        return platform::decodeName(QByteArray::fromStdString(s));
    };
    const std::string out = base + "/out";
    auto fresh = [&] { bench::shell("rm -rf '" + out + "' && mkdir -p '" + out + "'"); };

    double ours = 1e300, cp = 1e300;
    for (int round = 0; round < 3; ++round) {
        fresh();
        ours = std::min(ours, bench::bestOf(1, [&] {
                            for (int i = 0; i < count; ++i) {
                                const std::string name = "/f" + std::to_string(i);
                                platform::copyFile(q(small + name), q(out + name));
                            }
                        }));
        fresh();
        cp = std::min(cp, bench::bestOf(1, [&] {
                          bench::shell("cd '" + small +
                                       "' && find . -type f -print0 | xargs -0 cp "
                                       "--preserve=mode,timestamps -t '" +
                                       out + "'");
                      }));
    }
    bench::report("copyFile x 10,000 small files", ours, "cp --preserve (xargs)", cp);

    double oursBig = 1e300, cpBig = 1e300;
    for (int round = 0; round < 3; ++round) {
        fresh();
        oursBig = std::min(
            oursBig, bench::bestOf(1, [&] { platform::copyFile(q(big), q(out + "/big.bin")); }));
        fresh();
        cpBig = std::min(cpBig, bench::bestOf(1, [&] {
                             bench::shell("cp --preserve=mode,timestamps '" + big + "' '" + out +
                                          "/big.bin'");
                         }));
    }
    bench::report("copyFile 1 GiB", oursBig, "cp --preserve", cpBig);
    bench::shell("rm -rf '" + out + "'");
}
