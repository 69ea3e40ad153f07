#pragma once

#include <QString>

// Where the help page lies: beside the program under the program's name + ".html" (a
// build or a portable copy), else in share/doc/tobrin/ of the installation the program
// belongs to (/usr/bin/tobrin -> /usr/share/doc/tobrin/tobrin.html). The page beside
// the program when neither exists, so that the error names the expected place.
QString helpPagePath(const QString& programPath);
