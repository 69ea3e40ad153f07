#include "platform/langid.h"
#include "testenv.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(LangIdFromLocaleName, MapsLocaleNames)
{
    const struct
    {
        const char* name;
        quint16 expected;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407},
        {"de_CH", 0x0807},
        {"de_AT.UTF-8@euro", 0x0C07},
        {"de", 0x0407},
        {"de_BR", 0x0407}, // unknown country: the language's main variant
        {"de-DE", 0x0407},
        {" DE_de ", 0x0407},
        {"en_US.UTF-8", 0x0409},
        {"en_GB", 0x0809},
        {"en_AU", 0x0C09},
        {"fr_FR", 0x040C},
        {"fr_CA.UTF-8", 0x0C0C},
        {"fr_BE", 0x080C},
        {"it_IT", 0x0410},
        {"it_CH", 0x0810},
        {"es_ES.UTF-8", 0x0C0A},
        {"es_MX", 0x080A},
        {"es", 0x040A},
        {"nl_NL", 0x0413},
        {"nl_BE", 0x0813},
        {"pt_BR", 0x0416},
        {"pt_PT", 0x0816},
        {"pt", 0x0416},
        {"sv_SE", 0x041D},
        {"sv_FI", 0x081D},
        {"pl_PL", 0x0415},
        {"sk_SK", 0x041B},
        {"sl_SI", 0x0424},
        {"tr_TR", 0x041F},
        {"ja_JP.eucJP", 0x0411},
        {"ko_KR.UTF-8", 0x0412},
        {"zh_CN.UTF-8", 0x0804},
        {"zh_TW", 0x0404},
        {"zh_HK", 0x0C04},
        {"zh_SG", 0x1004},
        {"zh", 0x0804},
        {"zh-Hant", 0x0404},
        {"zh-Hant-TW", 0x0404},
        {"zh-Hans-CN", 0x0804},
        {"ru_RU", 0x0419},
        {"cs_CZ", 0x0405},
        {"da_DK", 0x0406},
        {"fi_FI", 0x040B},
        {"nb_NO", 0x0414},
        {"el_GR", 0x0408},
        {"hu_HU", 0x040E},
        {"iw_IL", 0x040D}, // old code for Hebrew
        {"xx_YY", 0x0409},
        {"C", 0x0409},
        {"C.UTF-8", 0x0409},
        {"POSIX", 0x0409},
        {"", 0x0409},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LangIdFromLocaleName(QString::fromLatin1(c.name)), c.expected)
            << '"' << c.name << '"';
    }
}

// Sets the locale variables for one case and puts the old values back afterwards.
class LocaleEnvironment
{
public:
    LocaleEnvironment()
    {
        for (int i = 0; i < 4; ++i) {
            if (qEnvironmentVariableIsSet(kNames[i]))
                m_saved[i] = qgetenv(kNames[i]);
        }
    }
    ~LocaleEnvironment()
    {
        for (int i = 0; i < 4; ++i)
            set(i, m_saved[i] ? m_saved[i]->constData() : nullptr);
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

    // nullptr unsets the variable.
    static void set(int index, const char* value)
    {
        if (value)
            qputenv(kNames[index], value);
        else
            qunsetenv(kNames[index]);
    }

    static constexpr const char* kNames[4] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

private:
    std::optional<QByteArray> m_saved[4];
};

TEST(LangIdUserDefault, FollowsTheFirstLocaleVariableThatIsSet)
{
    const struct
    {
        const char* values[4]; // LANGUAGE, LC_ALL, LC_MESSAGES, LANG; nullptr = unset
        quint16 expected;
    } cases[] = {
        {{"fr_FR:de_DE", "de_DE.UTF-8", "it_IT", "es_ES"}, 0x040C},
        {{":sv_SE:de", "de_DE.UTF-8", nullptr, nullptr}, 0x041D},
        {{"", "de_CH.UTF-8", "it_IT", "es_ES"}, 0x0807},
        {{nullptr, "", "it_IT.UTF-8", "es_ES"}, 0x0410},
        {{nullptr, nullptr, nullptr, "pt_BR.UTF-8"}, 0x0416},
        {{nullptr, "C", nullptr, "de_DE.UTF-8"}, 0x0409}, // LC_ALL=C overrides LANG
        {{nullptr, nullptr, nullptr, nullptr}, 0x0409},
        {{"", "", "", ""}, 0x0409},
    };
    LocaleEnvironment restore;
    for (const auto& c : cases) {
        for (int i = 0; i < 4; ++i)
            LocaleEnvironment::set(i, c.values[i]);
        EXPECT_EQ(UserDefaultLangId(), c.expected)
            << (c.values[0] ? c.values[0] : "-") << ' ' << (c.values[1] ? c.values[1] : "-") << ' '
            << (c.values[2] ? c.values[2] : "-") << ' ' << (c.values[3] ? c.values[3] : "-");
    }
}

TEST(LangIdSystemDefault, ReadsLangFromTheLocaleFiles)
{
    const struct
    {
        const char* defaultLocale; // nullptr = no such file
        const char* localeConf;
        quint16 expected;
    } cases[] = {
        {"LANG=\"de_DE.UTF-8\"\n", nullptr, 0x0407},
        {nullptr, "LANG=fr_CA.UTF-8\n", 0x0C0C},
        {"LANG=sv_SE.UTF-8\n", "LANG=fr_FR.UTF-8\n", 0x041D},
        {"# set by the installer\nLC_MESSAGES=it_IT.UTF-8\n", "LANG=pl_PL.UTF-8\n", 0x0415},
        {"  export LANG='sl_SI.UTF-8'  \n", nullptr, 0x0424},
        {"LANG=de_DE.UTF-8\nLANG=zh_TW.UTF-8\n", nullptr, 0x0404},
        {"LANG=C.UTF-8\n", "LANG=de_DE.UTF-8\n", 0x0409},
        {"LANG=\n", "LANG=ko_KR.UTF-8\n", 0x0412},
        {nullptr, nullptr, 0x0409},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QByteArray defaultLocale = dir / "default-locale";
        const QByteArray localeConf = dir / "locale.conf";
        if (c.defaultLocale)
            fixture::writeFile(defaultLocale, c.defaultLocale);
        if (c.localeConf)
            fixture::writeFile(localeConf, c.localeConf);
        EXPECT_EQ(SystemDefaultLangId(QString::fromLocal8Bit(defaultLocale),
                                      QString::fromLocal8Bit(localeConf)),
                  c.expected)
            << (c.defaultLocale ? c.defaultLocale : "-") << " / "
            << (c.localeConf ? c.localeConf : "-");
    }
}

} // namespace
