#include "commandline.h"
#include "platform/desktop.h"
#include "platform/filecopy.h"

#include <QFileInfo>
#include <QLibrary>
#include <cstdio>

namespace {

// The window's module: beside the program in a build folder, in the library folder of
// an installed one.
QString windowModulePath()
{
    const QString programDir = QFileInfo(platform::programPath()).absolutePath();
    const QString name = QStringLiteral("/tobrin-window.so");
    const QString beside = programDir + name;
    if (QFileInfo::exists(beside))
        return beside;
    return QFileInfo(programDir + QStringLiteral("/" TOBRIN_WINDOW_RELATIVE) + name)
        .absoluteFilePath();
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

    // The window's libraries are loaded only now. The module stays loaded until the
    // process ends.
    QLibrary window(windowModulePath());
    using WindowMain = int (*)(int, char**);
    const auto windowMain = reinterpret_cast<WindowMain>(window.resolve("tobrin_window_main"));
    if (!windowMain) {
        std::fprintf(stderr, "tobrin: Das Fenster lässt sich nicht laden: %s\n",
                     qPrintable(window.errorString()));
        return 1;
    }
    return windowMain(argc, argv);
}
