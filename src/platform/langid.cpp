#include "langid.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

namespace {

// One language, or one of its country variants when `country` is set. The entry with no
// country is the language's main variant, used for countries not listed.
struct LocaleId
{
    const char* language;
    const char* country;
    quint16 langId;
};

constexpr LocaleId kLocaleIds[] = {
    {"af", "", 0x0436},   {"ar", "", 0x0401},   {"ar", "SA", 0x0401}, {"ar", "IQ", 0x0801},
    {"ar", "EG", 0x0C01}, {"ar", "LY", 0x1001}, {"ar", "DZ", 0x1401}, {"ar", "MA", 0x1801},
    {"ar", "TN", 0x1C01}, {"ar", "OM", 0x2001}, {"ar", "YE", 0x2401}, {"ar", "SY", 0x2801},
    {"ar", "JO", 0x2C01}, {"ar", "LB", 0x3001}, {"ar", "KW", 0x3401}, {"ar", "AE", 0x3801},
    {"ar", "BH", 0x3C01}, {"ar", "QA", 0x4001}, {"be", "", 0x0423},   {"bg", "", 0x0402},
    {"bn", "", 0x0445},   {"bs", "", 0x141A},   {"ca", "", 0x0403},   {"cs", "", 0x0405},
    {"cy", "", 0x0452},   {"da", "", 0x0406},   {"de", "", 0x0407},   {"de", "DE", 0x0407},
    {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407},
    {"el", "", 0x0408},   {"en", "", 0x0409},   {"en", "US", 0x0409}, {"en", "GB", 0x0809},
    {"en", "AU", 0x0C09}, {"en", "CA", 0x1009}, {"en", "NZ", 0x1409}, {"en", "IE", 0x1809},
    {"en", "ZA", 0x1C09}, {"en", "JM", 0x2009}, {"en", "BZ", 0x2809}, {"en", "TT", 0x2C09},
    {"en", "ZW", 0x3009}, {"en", "PH", 0x3409}, {"en", "IN", 0x4009}, {"en", "MY", 0x4409},
    {"en", "SG", 0x4809}, {"es", "", 0x040A},   {"es", "ES", 0x0C0A}, {"es", "MX", 0x080A},
    {"es", "GT", 0x100A}, {"es", "CR", 0x140A}, {"es", "PA", 0x180A}, {"es", "DO", 0x1C0A},
    {"es", "VE", 0x200A}, {"es", "CO", 0x240A}, {"es", "PE", 0x280A}, {"es", "AR", 0x2C0A},
    {"es", "EC", 0x300A}, {"es", "CL", 0x340A}, {"es", "UY", 0x380A}, {"es", "PY", 0x3C0A},
    {"es", "BO", 0x400A}, {"es", "SV", 0x440A}, {"es", "HN", 0x480A}, {"es", "NI", 0x4C0A},
    {"es", "PR", 0x500A}, {"es", "US", 0x540A}, {"et", "", 0x0425},   {"eu", "", 0x042D},
    {"fa", "", 0x0429},   {"fi", "", 0x040B},   {"fr", "", 0x040C},   {"fr", "FR", 0x040C},
    {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C},
    {"fr", "MC", 0x180C}, {"ga", "", 0x083C},   {"gl", "", 0x0456},   {"he", "", 0x040D},
    {"hi", "", 0x0439},   {"hr", "", 0x041A},   {"hr", "BA", 0x101A}, {"hu", "", 0x040E},
    {"hy", "", 0x042B},   {"id", "", 0x0421},   {"is", "", 0x040F},   {"it", "", 0x0410},
    {"it", "IT", 0x0410}, {"it", "CH", 0x0810}, {"ja", "", 0x0411},   {"ka", "", 0x0437},
    {"kk", "", 0x043F},   {"ko", "", 0x0412},   {"lt", "", 0x0427},   {"lv", "", 0x0426},
    {"mk", "", 0x042F},   {"ms", "", 0x043E},   {"nb", "", 0x0414},   {"nl", "", 0x0413},
    {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813}, {"nn", "", 0x0814},   {"no", "", 0x0414},
    {"pl", "", 0x0415},   {"pt", "", 0x0416},   {"pt", "BR", 0x0416}, {"pt", "PT", 0x0816},
    {"ro", "", 0x0418},   {"ru", "", 0x0419},   {"sk", "", 0x041B},   {"sl", "", 0x0424},
    {"sq", "", 0x041C},   {"sr", "", 0x0C1A},   {"sv", "", 0x041D},   {"sv", "SE", 0x041D},
    {"sv", "FI", 0x081D}, {"sw", "", 0x0441},   {"ta", "", 0x0449},   {"th", "", 0x041E},
    {"tr", "", 0x041F},   {"uk", "", 0x0422},   {"ur", "", 0x0420},   {"vi", "", 0x042A},
    {"zh", "", 0x0804},   {"zh", "CN", 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04},
    {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404},
};

// Old codes the C library still accepts.
QString canonicalLanguage(const QString& language)
{
    if (language == QLatin1String("iw"))
        return QStringLiteral("he");
    if (language == QLatin1String("in"))
        return QStringLiteral("id");
    return language;
}

// The id of `language` in `country`, or 0 when that country is not listed.
quint16 countryVariant(const QString& language, const QString& country)
{
    for (const LocaleId& entry : kLocaleIds) {
        if (language == QLatin1String(entry.language) && *entry.country != '\0' &&
            country == QLatin1String(entry.country))
            return entry.langId;
    }
    return 0;
}

// The id of the language's main variant, or 0 for a language not listed.
quint16 mainVariant(const QString& language)
{
    for (const LocaleId& entry : kLocaleIds) {
        if (language == QLatin1String(entry.language) && *entry.country == '\0')
            return entry.langId;
    }
    return 0;
}

bool isAlpha(const QString& text)
{
    for (QChar c : text) {
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) &&
            !(c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

quint16 LangIdFromLocaleName(const QString& name)
{
    // language[_COUNTRY][.encoding][@modifier], or BCP 47 language[-Script][-REGION].
    QString base = name.trimmed();
    const qsizetype cut = base.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        base.truncate(cut);
    if (base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX"))
        return DefaultLangId;

    const QStringList parts = base.split(QRegularExpression(QStringLiteral("[_-]")));
    const QString language = canonicalLanguage(parts.first().toLower());
    QString script;
    QString country;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        if (part.size() == 4 && isAlpha(part) && script.isEmpty() && country.isEmpty())
            script = part.toLower();
        else if (country.isEmpty())
            country = part.toUpper();
    }

    quint16 id = country.isEmpty() ? 0 : countryVariant(language, country);
    // Without a known country the script tells the two Chinese writings apart.
    if (id == 0 && language == QLatin1String("zh") && script == QLatin1String("hant"))
        id = 0x0404;
    if (id == 0)
        id = mainVariant(language);
    return id != 0 ? id : DefaultLangId;
}

quint16 UserDefaultLangId()
{
    // LANGUAGE is a priority list; only its first choice counts here.
    const QStringList languages =
        qEnvironmentVariable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (!languages.isEmpty())
        return LangIdFromLocaleName(languages.first());
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return LangIdFromLocaleName(value);
    }
    return DefaultLangId;
}

QString LangFromLocaleFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString lang;
    QTextStream in(&file);
    while (!in.atEnd()) {
        QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("export ")))
            line = line.mid(7).trimmed();
        if (!line.startsWith(QLatin1String("LANG=")))
            continue;
        QString value = line.mid(5).trimmed();
        if (value.size() >= 2 &&
            (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        // A later assignment overrides an earlier one, as when the file is sourced.
        lang = value.trimmed();
    }
    return lang;
}

quint16 SystemDefaultLangId(const QString& defaultLocalePath, const QString& localeConfPath)
{
    for (const QString& path : {defaultLocalePath, localeConfPath}) {
        const QString lang = LangFromLocaleFile(path);
        if (!lang.isEmpty())
            return LangIdFromLocaleName(lang);
    }
    return DefaultLangId;
}
