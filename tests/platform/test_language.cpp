// The system locale as a Windows language identifier, and the product's language code of an identifier.
#include "platform/language.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(uint16_t nLangID) {
    char sz[8];
    std::snprintf(sz, sizeof sz, "%04X", static_cast<unsigned>(nLangID));
    return sz;
}

// ---- GetLanguageCode: every listed identifier, and the unlisted ones that look as if they should be.

struct CodeCase {
    uint16_t nLangID;
    int nCode;
};

class LanguageCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LanguageCodeTest, MapsIdentifierToCode) {
    EXPECT_EQ(GetLanguageCode(GetParam().nLangID), GetParam().nCode);
}

const CodeCase kCodeCases[] = {
    {0x0804, 2},
    {0x0C04, 2},
    {0x1004, 2},
    {0x1404, 2},
    {0x0404, 3},
    {0x0411, 4},
    {0x0407, 5},
    {0x0807, 5},
    {0x0C07, 5},
    {0x1007, 5},
    {0x1407, 5},
    {0x040C, 6},
    {0x080C, 6},
    {0x0C0C, 6},
    {0x100C, 6},
    {0x140C, 6},
    {0x0419, 7},
    {0x0412, 8},
    {0x0812, 8},
    {0x0416, 9},
    {0x0816, 9},
    {0x040A, 10},
    {0x080A, 10},
    {0x0C0A, 10},
    {0x100A, 10},
    {0x140A, 10},
    {0x180A, 10},
    {0x1C0A, 10},
    {0x200A, 10},
    {0x240A, 10},
    {0x2C0A, 10},
    {0x300A, 10},
    {0x340A, 10},
    {0x380A, 10},
    {0x3C0A, 10},
    {0x400A, 10},
    {0x440A, 10},
    {0x480A, 10},
    {0x4C0A, 10},
    {0x500A, 10},
    {0x0410, 11},
    {0x0810, 11},
    {0x0413, 12},
    {0x0813, 12},
    {0x0415, 13},
    // English, and identifiers next to listed ones that are not listed themselves.
    {0x0409, 1},
    {0x0809, 1},
    {0x280A, 1},
    {0x540A, 1},
    {0x5C0A, 1},
    {0x180C, 1},
    {0x0819, 1},
    {0x0004, 1},
    {0x7C04, 1},
    {0x000A, 1},
    {0x0000, 1},
    {0xFFFF, 1},
};

INSTANTIATE_TEST_SUITE_P(Table, LanguageCodeTest, ::testing::ValuesIn(kCodeCases),
                         [](const ::testing::TestParamInfo<CodeCase>& info) {
                             return "Id" + Hex(info.param.nLangID) + "_Code" +
                                    std::to_string(info.param.nCode);
                         });

// ---- LangIdFromLocaleName: POSIX locale names as found in LANG and LC_*.

struct LocaleCase {
    const char* szName; ///< row name
    const char* szLocale;
    uint16_t nLangID;
};

class LocaleLangIdTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleLangIdTest, MapsLocaleToIdentifier) {
    EXPECT_EQ(Hex(LangIdFromLocaleName(QString::fromUtf8(GetParam().szLocale))), Hex(GetParam().nLangID));
}

const LocaleCase kLocaleCases[] = {
    {"Empty", "", 0x0409},
    {"C", "C", 0x0409},
    {"CUtf8", "C.UTF-8", 0x0409},
    {"Posix", "POSIX", 0x0409},
    {"EnUS", "en_US.UTF-8", 0x0409},
    {"EnGB", "en_GB.UTF-8", 0x0809},
    {"ZhCN", "zh_CN.UTF-8", 0x0804},
    {"ZhHK", "zh_HK.UTF-8", 0x0C04},
    {"ZhSG", "zh_SG.GBK", 0x1004},
    {"ZhMO", "zh_MO.UTF-8", 0x1404},
    {"ZhTWBig5", "zh_TW.Big5", 0x0404},
    {"ZhBare", "zh", 0x0804},
    {"JaBare", "ja", 0x0411},
    {"JaJP", "ja_JP.eucJP", 0x0411},
    {"DeDE", "de_DE.UTF-8", 0x0407},
    {"DeCH", "de_CH.UTF-8", 0x0807},
    {"DeAT", "de_AT.UTF-8", 0x0C07},
    {"DeLU", "de_LU.UTF-8", 0x1007},
    {"DeLI", "de_LI.UTF-8", 0x1407},
    {"DeDEEuro", "de_DE@euro", 0x0407},
    {"DeBEUnknownCountry", "de_BE.UTF-8", 0x0407},
    {"FrFR", "fr_FR.UTF-8", 0x040C},
    {"FrBE", "fr_BE.UTF-8", 0x080C},
    {"FrCA", "fr_CA.UTF-8", 0x0C0C},
    {"FrCH", "fr_CH.UTF-8", 0x100C},
    {"FrLU", "fr_LU.UTF-8", 0x140C},
    {"RuBare", "ru", 0x0419},
    {"RuRU", "ru_RU.KOI8-R", 0x0419},
    {"KoKR", "ko_KR.UTF-8", 0x0412},
    {"PtBR", "pt_BR.UTF-8", 0x0416},
    {"PtPT", "pt_PT.UTF-8", 0x0816},
    {"EsES", "es_ES.UTF-8", 0x0C0A},
    {"EsMX", "es_MX.UTF-8", 0x080A},
    {"EsAR", "es_AR.UTF-8", 0x2C0A},
    {"EsPE", "es_PE.UTF-8", 0x280A},
    {"EsUS", "es_US.UTF-8", 0x540A},
    {"ItIT", "it_IT.UTF-8", 0x0410},
    {"ItCH", "it_CH.UTF-8", 0x0810},
    {"NlNL", "nl_NL.UTF-8", 0x0413},
    {"NlBE", "nl_BE.UTF-8", 0x0813},
    {"PlBare", "pl", 0x0415},
    {"PlPL", "pl_PL.UTF-8", 0x0415},
    {"LowerCaseCountry", "de_ch.utf8", 0x0807},
    {"Hyphen", "zh-TW", 0x0404},
    {"Blanks", " fr_CA.UTF-8 ", 0x0C0C},
    {"UnknownLanguage", "xx_YY.UTF-8", 0x0409},
    {"Garbage", "@._", 0x0409},
};

INSTANTIATE_TEST_SUITE_P(Table, LocaleLangIdTest, ::testing::ValuesIn(kLocaleCases),
                         [](const ::testing::TestParamInfo<LocaleCase>& info) { return info.param.szName; });

// ---- Which variable decides, and the whole path from the environment to the code.

struct EnvCase {
    const char* szName;
    const char* szLcAll;
    const char* szLcMessages;
    const char* szLang;
    uint16_t nLangID;
    int nCode;
};

class SystemLanguageTest : public ::testing::TestWithParam<EnvCase> {
protected:
    static constexpr const char* kVars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            m_bHad[i] = qEnvironmentVariableIsSet(kVars[i]);
            m_saved[i] = qgetenv(kVars[i]);
        }
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i) {
            if (m_bHad[i])
                qputenv(kVars[i], m_saved[i]);
            else
                qunsetenv(kVars[i]);
        }
    }
    static void Set(const char* szVar, const char* szValue) {
        if (szValue)
            qputenv(szVar, szValue);
        else
            qunsetenv(szVar);
    }

    bool m_bHad[3] = {};
    QByteArray m_saved[3];
};

TEST_P(SystemLanguageTest, ReadsTheDecidingVariable) {
    const EnvCase& c = GetParam();
    Set("LC_ALL", c.szLcAll);
    Set("LC_MESSAGES", c.szLcMessages);
    Set("LANG", c.szLang);
    EXPECT_EQ(Hex(GetSystemDefaultLangID()), Hex(c.nLangID));
    EXPECT_EQ(GetLanguageCode(), c.nCode);
}

const EnvCase kEnvCases[] = {
    {"NothingSet", nullptr, nullptr, nullptr, 0x0409, 1},
    {"LangOnly", nullptr, nullptr, "zh_HK.UTF-8", 0x0C04, 2},
    {"LcMessagesBeatsLang", nullptr, "ja_JP.UTF-8", "de_DE.UTF-8", 0x0411, 4},
    {"LcAllBeatsAll", "ru_RU.UTF-8", "ja_JP.UTF-8", "de_DE.UTF-8", 0x0419, 7},
    {"EmptyLcAllIsSkipped", "", "", "ko_KR.UTF-8", 0x0412, 8},
    {"LcAllC", "C", nullptr, "zh_CN.UTF-8", 0x0409, 1},
    {"PeruIsEnglish", nullptr, nullptr, "es_PE.UTF-8", 0x280A, 1},
    {"TaiwanTraditional", nullptr, nullptr, "zh_TW.UTF-8", 0x0404, 3},
};

INSTANTIATE_TEST_SUITE_P(Table, SystemLanguageTest, ::testing::ValuesIn(kEnvCases),
                         [](const ::testing::TestParamInfo<EnvCase>& info) { return info.param.szName; });

} // namespace
