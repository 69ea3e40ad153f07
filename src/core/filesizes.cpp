#include "filesizes.h"

#include "collectionlist.h"
#include "platform/filesystem.h"

#include <sys/stat.h>

qint64 Dateigroesse(const QString& path)
{
    platform::FileInfo info;
    if (path.isEmpty() || !platform::statPath(path, info))
        return 0;
    // statPath describes a dangling link by the link itself; only a regular file counts.
    return S_ISREG(info.mode) ? info.size : 0;
}

qint64 Listengroesse(const CollectionList& list)
{
    qint64 total = 0;
    for (int i = 0, n = list.count(); i < n; ++i)
        total += Dateigroesse(list.line(i));
    return total;
}
