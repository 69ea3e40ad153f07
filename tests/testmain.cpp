// Test main shared by every test program: runs headless, with HOME and the XDG
// folders pointed at a private temporary folder, under a QApplication.
#include "platform/dirwatcher.h"
#include "testenv.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray g_home;
}

QByteArray testHome()
{
    return g_home;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    char templ[] = "/tmp/tobrin-test.XXXXXX";
    if (!::mkdtemp(templ))
        return 3;
    g_home = QByteArray(templ) + "/";
    const QByteArray runtime = g_home + "runtime";
    ::mkdir(runtime.constData(), 0700);
    qputenv("HOME", g_home.chopped(1));
    qputenv("XDG_CONFIG_HOME", g_home + ".config");
    qputenv("XDG_DATA_HOME", g_home + ".local/share");
    qputenv("XDG_CACHE_HOME", g_home + ".cache");
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("LANGUAGE", "");
    qputenv("LC_ALL", "de_DE.UTF-8");

    QApplication app(argc, argv);
    // Folders come and go all over the machine while tests run side by side; only
    // the tests about change notifications listen to them.
    platform::DirWatcher::setActiveByDefault(false);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    fixture::removeTree(g_home.chopped(1));
    return rc;
}
