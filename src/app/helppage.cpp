#include "helppage.h"

#include "platform/filesystem.h"

QString helpPagePath(const QString& programPath)
{
    const QString beside = programPath + QStringLiteral(".html");
    platform::FileInfo info;
    if (platform::statPath(beside, info) && !info.isDir())
        return beside;
    // <prefix>/bin/tobrin -> <prefix>/share/doc/tobrin/tobrin.html
    const QString bin = platform::parentPath(programPath);
    const QString installed = platform::parentPath(bin) + QStringLiteral("share/doc/tobrin/") +
                              platform::fileName(programPath) + QStringLiteral(".html");
    if (platform::fileName(bin) == QLatin1String("bin") && platform::statPath(installed, info) &&
        !info.isDir())
        return installed;
    return beside;
}
