// Deleting 10,000 small files to the trash as the file list does it (all marked, Del,
// the question answered yes, the folder listed again), against `gio trash` on the same
// files. Both run as whole processes: this program started again with --trash lists
// the folder, marks everything and deletes it; gio gets the files through xargs. Both
// use a trash of their own below the scratch folder (XDG_DATA_HOME), emptied, like the
// files made anew, before each round and outside the time taken. Rounds alternate which
// side goes first. Pass a scratch folder (on the file system of its trash).
#include "benchutil.h"

#include "core/messages.h"
#include "explorer/list/qvfilelistview28.h"
#include "platform/namecodec.h"

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// Says yes to every question, as the user confirming the delete.
class Yes : public msg::Handler
{
public:
    msg::Reply show(const msg::Message&) override { return {msg::Answer::Yes, false}; }
    bool input(const QString&, const QString&, QString&) override { return false; }
};

int trash(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    msg::setHandler(std::make_shared<Yes>());
    TQvFilelistView28 list;
    list.SetDirectory(platform::decodeName(QByteArray(argv[2])));
    list.selectAll();
    list.DeleteItems();
    return list.ItemCount() <= 1 ? 0 : 1; // only the parent item is left
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--trash")
        return trash(argc, argv);

    const std::string self = bench::selfPath();
    if (self.empty())
        return 1;
    const std::string base = bench::scratch(argc, argv, "trash");
    const std::string files = base + "/files", data = base + "/data";
    ::mkdir(base.c_str(), 0755);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    auto fresh = [&] {
        bench::shell("rm -rf '" + files + "' '" + data + "' && mkdir -p '" + files + "' '" +
                     data + "' && cd '" + files +
                     "' && seq -f 'f%05.0f' 0 9999 | xargs touch && sync");
    };
    bench::paired("trash 10,000 files", 5, fresh, self + " --trash '" + files + "/'",
                  "cd '" + files + "' && find . -mindepth 1 -maxdepth 1 -print0 | xargs -0 gio trash");
    bench::shell("rm -rf '" + files + "' '" + data + "'");
}
