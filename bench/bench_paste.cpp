// A paste of 10,000 small files from the clipboard into another folder, as the file
// list does it (clipboard read, one file operation, the folder listed again), against
// `cp --preserve=mode,timestamps` on the same files. Both run as whole processes:
// this program started again with --paste reads the list of files, places them on the
// clipboard and pastes them into a target list; cp gets the same list through xargs.
// Rounds alternate which side goes first, on an emptied target. Pass a scratch folder.
#include "benchutil.h"

#include "explorer/list/qvfilelistview28.h"
#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <cstdio>
#include <string>

namespace {

int paste(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = "/tmp/tobrin-bench-runtime-" + QByteArray::number(::getuid());
        ::mkdir(runtime.constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QApplication app(argc, argv);
    QByteArray list;
    if (std::FILE* f = std::fopen(argv[2], "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            list.append(buffer, qsizetype(n));
        std::fclose(f);
    }
    QStringList paths;
    for (const QByteArray& p : list.split('\0'))
        if (!p.isEmpty())
            paths.append(platform::decodeName(p));
    platform::setClipboardFiles(paths, false);
    TQvFilelistView28 target;
    target.SetDirectory(platform::decodeName(QByteArray(argv[3])));
    target.PasteFiles();
    return target.ItemCount() > paths.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--paste")
        return paste(argc, argv);

    const std::string self = bench::selfPath();
    if (self.empty())
        return 1;
    const std::string base = bench::scratch(argc, argv, "paste");
    const std::string small = base + "/small", out = base + "/out";
    ::mkdir(base.c_str(), 0755);
    bench::smallFiles(small);
    const std::string smallList = base + "/small.lst";
    bench::shell("find '" + small + "' -type f -print0 > '" + smallList + "'");

    auto fresh = [&] { bench::emptyDir(out); };
    bench::paired("paste 10,000 small files", 9, fresh,
                  self + " --paste '" + smallList + "' '" + out + "'",
                  "xargs -0 -a '" + smallList + "' cp --preserve=mode,timestamps -t '" + out + "'");
    bench::removeAside(out);
}
