// Lists a 100,000-entry directory through the platform layer and with `ls -lU`.
#include "benchutil.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"

#include <vector>

int main(int argc, char** argv)
{
    const std::string dir = bench::scratch(argc, argv, "listing");
    const int count = 100000;
    struct stat st;
    if (::stat((dir + "/f99999.txt").c_str(), &st) != 0) {
        std::printf("creating %d files in %s ...\n", count, dir.c_str());
        ::mkdir(dir.c_str(), 0755);
        for (int i = 0; i < count; ++i)
            ::close(::open((dir + "/f" + std::to_string(i) + ".txt").c_str(), O_WRONLY | O_CREAT,
                           0644));
    }
    const QString qdir = platform::decodeName(QByteArray::fromStdString(dir));
    size_t listed = 0;
    const double ours = bench::bestOf(5, [&] {
        std::vector<platform::FileInfo> entries;
        entries.reserve(count);
        platform::listDirectory(qdir, entries);
        listed = entries.size();
    });
    const double ls =
        bench::bestOf(5, [&] { bench::shell("ls -lU --color=never '" + dir + "' >/dev/null"); });
    std::printf("entries listed: %zu\n", listed);
    bench::report("listDirectory (100,000 entries)", ours, "ls -lU", ls);
    std::printf("peak memory: %ld MB\n", bench::peakRssMb());
}
