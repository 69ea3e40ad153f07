// The size of the folder tree below a node, shown in a message.
#include "platform/treesize.h"
#include "core/messages.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/filesystem.h"

#include <QLocale>

double TQvDirTree21::GetFolderSize(const QString& path)
{
    if (path.isEmpty())
        return 0;
    // The window waits for the count; it may use several threads meanwhile.
    return double(platform::treeSize(AddBackslash(path)).bytes);
}

QString TQvDirTree21::TreeSizeText(const QString& heading, double total)
{
    const QLocale locale;
    const QString byteLine = locale.toString(total, 'f', 0) + QStringLiteral(" Bytes");
    double kb = total / 1024;
    if (total > 0 && total < 1024)
        kb = 1;
    const QString sizeText = kb > 99999 ? locale.toString(kb / 1024, 'f', 2) + QStringLiteral(" MB")
                                        : locale.toString(kb, 'f', 2) + QStringLiteral(" KB");
    return QStringLiteral("===== ") + SharedText(TStrKey::StrTreeSizeTitle) +
           QStringLiteral(" =====\r\r") + heading + QLatin1Char('\r') +
           SharedText(TStrKey::StrAndSubFolders) + QStringLiteral("\r =  ") + byteLine +
           QStringLiteral("\r     (i.e. ") + sizeText + QStringLiteral(" )");
}

double TQvDirTree21::ShowTreeSize()
{
    QTreeWidgetItem* node = currentItem();
    if (!node)
        return 0;
    QString path;
    QString heading;
    double total = 0;
    {
        const WaitCursor wait;
        const UpdatesBracket bracket(this);
        path = GetNodePath(node);
        total = GetFolderSize(path);
        if (IsDriveNode(node))
            heading = SharedText(TStrKey::StrDrive) + path;
        else if (node != RootNode())
            heading =
                SharedText(TStrKey::StrFolderQuote) + platform::fileName(path) + QLatin1Char('"');
    }
    msg::InfoBox(TreeSizeText(heading, total));
    return total;
}
