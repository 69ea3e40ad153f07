#include "updatecheck.h"

#include "core/inifile.h"
#include "env/settings.h"
#include "maker.h"

namespace {

QString withSlash(const QString& url)
{
    return url.endsWith(QLatin1Char('/')) ? url : url + QLatin1Char('/');
}

} // namespace

QString UpdateDownloadDir()
{
    const QString fromEnvironment = qEnvironmentVariable("TOBRIN_UPDATE_URL").trimmed();
    if (!fromEnvironment.isEmpty())
        return withSlash(fromEnvironment);
    if (!SettingsFile().isEmpty()) {
        IniFile settings;
        if (settings.load(SettingsFile())) {
            const QString fromSettings =
                settings.value(QStringLiteral("Update"), QStringLiteral("Url")).trimmed();
            if (!fromSettings.isEmpty())
                return withSlash(fromSettings);
        }
    }
    return maker::DownloadDir;
}

QString ChangeFileExt(const QString& name, const QString& ext)
{
    const qsizetype nameStart = name.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > nameStart)
        return name.left(dot) + ext;
    return name + ext;
}

double ServerVersionNumber(const QByteArray& body)
{
    qsizetype end = 0;
    while (end < body.size() && ((body[end] >= '0' && body[end] <= '9') || body[end] == ','))
        ++end;
    const QList<QByteArray> parts = body.left(end).split(',');
    if (parts.size() > 2 || end == 0 || body.left(end) == ",")
        return 1.0;
    const QByteArray whole = parts[0].isEmpty() ? QByteArray("0") : parts[0];
    const QByteArray fraction = parts.size() < 2 || parts[1].isEmpty() ? QByteArray("0") : parts[1];
    bool ok = false;
    const double value = (whole + '.' + fraction).toDouble(&ok);
    return ok ? value : 1.0;
}
