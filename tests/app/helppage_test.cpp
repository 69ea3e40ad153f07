#include "app/helppage.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <gtest/gtest.h>

// The page beside the program wins; an installed program finds it in share/doc/tobrin/
// of its own prefix; with neither, the place beside the program is named.
TEST(HelpPage, BesideTheProgramOrInTheInstallationsDocFolder)
{
    const struct
    {
        const char* program;
        QList<QByteArray> files;
        const char* expected;
    } cases[] = {
        {"build/src/tobrin", {"build/src/tobrin.html"}, "build/src/tobrin.html"},
        {"usr/bin/tobrin",
         {"usr/share/doc/tobrin/tobrin.html"},
         "usr/share/doc/tobrin/tobrin.html"},
        {"usr/bin/tobrin",
         {"usr/bin/tobrin.html", "usr/share/doc/tobrin/tobrin.html"},
         "usr/bin/tobrin.html"},
        {"usr/bin/tobrin", {}, "usr/bin/tobrin.html"},
        // Only a bin folder is an installation's.
        {"opt/t/tobrin", {"share/doc/tobrin/tobrin.html"}, "opt/t/tobrin.html"},
    };
    for (const auto& c : cases) {
        TempDir tmp;
        for (const QByteArray& file : c.files) {
            for (qsizetype slash = file.indexOf('/'); slash >= 0;
                 slash = file.indexOf('/', slash + 1))
                fixture::makeDir(tmp / file.left(slash));
            fixture::writeFile(tmp / file, "<html/>");
        }
        EXPECT_EQ(helpPagePath(platform::decodeName(tmp / c.program)),
                  platform::decodeName(tmp / c.expected))
            << c.program;
    }
}
