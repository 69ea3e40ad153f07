// `tobrin search DIR MASK` against `find DIR -type f -iname MASK`, both as whole
// processes writing to /dev/null, on trees of 10,000, 100,000 and 1,000,000 files (half
// of them *.txt), with a mask that matches half and one that matches nothing. Rounds
// alternate which side goes first; the median of the paired ratios is printed with its
// spread, and the peak memory of one search of each size. Pass a scratch folder; a
// second argument "quick" leaves out the million.
#include "benchutil.h"

#include <cstdio>
#include <string>

namespace {

// Folders of 1,000 files each, half of them *.txt, two levels deep.
void makeTree(const std::string& root, int files)
{
    struct stat st;
    if (::stat((root + "/done").c_str(), &st) == 0)
        return;
    bench::shell("rm -rf '" + root + "'");
    ::mkdir(root.c_str(), 0755);
    int n = 0;
    for (int i = 0; n < files; ++i) {
        const std::string a = root + "/d" + std::to_string(i);
        ::mkdir(a.c_str(), 0755);
        for (int j = 0; j < 10 && n < files; ++j) {
            const std::string b = a + "/e" + std::to_string(j);
            ::mkdir(b.c_str(), 0755);
            for (int k = 0; k < 1000 && n < files; ++k, ++n) {
                const std::string name =
                    b + "/file" + std::to_string(n) + (k % 2 ? ".txt" : ".dat");
                ::close(::open(name.c_str(), O_WRONLY | O_CREAT, 0644));
            }
        }
    }
    ::close(::open((root + "/done").c_str(), O_WRONLY | O_CREAT, 0644));
}

} // namespace

int main(int argc, char** argv)
{
    const std::string base = bench::scratch(argc, argv, "search");
    ::mkdir(base.c_str(), 0755);
    const bool quick = argc > 2 && std::string(argv[2]) == "quick";
    for (const int files : {10000, 100000, 1000000}) {
        if (quick && files > 100000)
            break;
        const std::string root = base + "/tree" + std::to_string(files);
        makeTree(root, files);
        for (const char* mask : {"*.txt", "*.none"}) {
            const std::string what =
                "search " + std::to_string(files) + " files, " + mask;
            bench::paired(what.c_str(), files > 100000 ? 5 : 9, [] {},
                          std::string(TOBRIN_BINARY) + " search '" + root + "' '" + mask +
                              "' > /dev/null",
                          "find '" + root + "' -type f -iname '" + mask + "' > /dev/null");
        }
        std::printf("%-40s ours %ld KB  find %ld KB\n",
                    ("peak memory, " + std::to_string(files) + " files").c_str(),
                    bench::childPeakKb(std::string(TOBRIN_BINARY) + " search '" + root + "' '*'"),
                    bench::childPeakKb("find '" + root + "' -type f -iname '*'"));
    }
}
