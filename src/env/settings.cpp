#include "settings.h"

#include "core/inifile.h"
#include "platform/filesystem.h"
#include "sonderordner.h"

namespace {

struct Environment
{
    QString settingsDir;
    QString settingsFile;
    QString personalDir;
};

Environment& environment()
{
    static Environment env;
    return env;
}

const QChar Slash = QLatin1Char('/');
const QString MainForm = QStringLiteral("MainForm");

// The program file's name without directory and extension ("tobrin.AppImage" gives
// "tobrin"; a leading dot does not start an extension).
QString programBaseName(const QString& programPath)
{
    QString name = platform::fileName(programPath);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return name;
}

// The title the program registers under: "TOBRIN" gives "Tobrin", "tobrin" stays.
QString programTitle(const QString& programPath)
{
    const QString name = programBaseName(programPath);
    return name.left(1) + name.mid(1).toLower();
}

void store(IniFile& ini, const QString& section, const QString& key, const QString& value)
{
    if (!ini.setValue(section, key, value))
        ini.setValue(section, key, QString());
}

} // namespace

const QString& SettingsDir()
{
    return environment().settingsDir;
}

const QString& SettingsFile()
{
    return environment().settingsFile;
}

const QString& PersonalDir()
{
    return environment().personalDir;
}

void InitEnvironment(const QString& programPath)
{
    Environment& env = environment();
    env.settingsDir = SettingsDirErmitteln(programPath);
    env.personalDir = Sonderordner(5);
    env.settingsFile = env.settingsDir + programBaseName(programPath) + QStringLiteral(".ini");
    ProgrammRegistrieren(programPath);
}

QString SettingsDirErmitteln(const QString& programPath)
{
    QString vetmark = Sonderordner(26) + QStringLiteral("Vetmark");
    platform::makePath(vetmark);
    vetmark = ZeichenAnhaengen(vetmark, Slash);

    const QString programDir = platform::parentPath(programPath);
    if (programDir.isEmpty())
        return vetmark;
    const QString redirection = programDir + QStringLiteral("usethis.ini");
    if (!platform::exists(redirection) || platform::isDirectory(redirection))
        return vetmark;

    IniFile ini;
    ini.load(redirection);
    QString dir = ini.value(QStringLiteral("Settingsdir"), QStringLiteral("Dir"));
    if (dir.isEmpty())
        return programDir;
    if (!dir.startsWith(Slash))
        dir = programDir + dir;
    return ZeichenAnhaengen(dir, Slash);
}

void ProgrammRegistrieren(const QString& programPath)
{
    if (PersonalDir().isEmpty())
        return;
    IniFile ini;
    if (!ini.load(PersonalDir() + QStringLiteral("Vetmark.ini")))
        return;
    if (!ini.setValue(QStringLiteral("Vetmark"), programTitle(programPath), programPath))
        return;
    ini.save();
}

Fensterstatus FensterstatusLaden()
{
    Fensterstatus state;
    IniFile ini;
    if (!ini.load(SettingsFile()))
        return state;
    state.quellbaum = ini.value(MainForm, QStringLiteral("Quellbaum"));
    state.zielbaum = ini.value(MainForm, QStringLiteral("Zielbaum"));
    state.filter =
        ini.value(QStringLiteral("Mainform"), QStringLiteral("Filter"), QStringLiteral("*.*"));
    return state;
}

bool FensterstatusSpeichern(const Fensterstatus& state, QString* errorText)
{
    IniFile ini;
    bool ok = ini.load(SettingsFile());
    if (ok) {
        store(ini, MainForm, QStringLiteral("Quellbaum"), state.quellbaum);
        store(ini, MainForm, QStringLiteral("Zielbaum"), state.zielbaum);
        store(ini, QStringLiteral("Mainform"), QStringLiteral("Filter"), state.filter);
        ok = ini.save();
    }
    if (!ok && errorText)
        *errorText = QStringLiteral("In ") + SettingsFile() +
                     QStringLiteral(" kann nicht geschrieben werden");
    return ok;
}
