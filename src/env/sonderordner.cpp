#include "sonderordner.h"

#include "platform/desktop.h"

QString Sonderordner(int csidl)
{
    const QString path = platform::specialFolderPath(csidl);
    if (path.isEmpty())
        return path;
    return ZeichenAnhaengen(path, QLatin1Char('/'));
}

QString ZeichenAnhaengen(const QString& text, QChar c)
{
    if (text.isEmpty())
        return QString(c);
    if (EndetMit(text, c))
        return text;
    return text + c;
}

bool EndetMit(const QString& text, QChar c)
{
    return !text.isEmpty() && text.back() == c;
}
