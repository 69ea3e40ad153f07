#include "commandline.h"
#include "platform/desktop.h"
#include "platform/filecopy.h"
#include "platform/filesystem.h"
#include "platform/module.h"

#include <cstdio>

namespace {

// The window's module: beside the program in a build folder, in the library folder of
// an installed one.
QString windowModulePath()
{
    const QString programDir = platform::parentPath(platform::programPath());
    const QString beside = programDir + QStringLiteral("tobrin-window.so");
    if (platform::exists(beside))
        return beside;
    return programDir + QStringLiteral(TOBRIN_WINDOW_RELATIVE "/tobrin-window.so");
}

} // namespace

int main(int argc, char** argv)
{
    // Where a file system has no unnamed files, a copy under way has a temporary name
    // that must not outlive the process.
    platform::installTemporaryCleanup();

    // With arguments the program works on the command line, without a window.
    bool handled = false;
    const int rc = runCommandLine(argc, argv, handled);
    if (handled)
        return rc;

    // The window's libraries are loaded only now.
    QString error;
    using WindowMain = int (*)(int, char**);
    const auto windowMain = reinterpret_cast<WindowMain>(
        platform::moduleFunction(windowModulePath(), "tobrin_window_main", error));
    if (!windowMain) {
        std::fprintf(stderr, "tobrin: Das Fenster lässt sich nicht laden: %s\n",
                     qPrintable(error));
        return 1;
    }
    return windowMain(argc, argv);
}
