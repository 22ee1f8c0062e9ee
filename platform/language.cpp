#include "platform/language.h"

#include <QRegularExpression>
#include <QtGlobal>

namespace {

struct LocaleLangId {
    const char* szLocale; ///< "ll" (the language's default) or "ll_CC"
    uint16_t nLangID;
};

// Windows language identifiers by POSIX language and country. A bare language is the identifier Windows
// gives the language's default locale.
const LocaleLangId kLocaleTable[] = {
    {"ar", 0x0401},    {"ar_SA", 0x0401}, {"ar_IQ", 0x0801}, {"ar_EG", 0x0C01}, {"ar_LY", 0x1001},
    {"ar_DZ", 0x1401}, {"ar_MA", 0x1801}, {"ar_TN", 0x1C01}, {"ar_OM", 0x2001}, {"ar_YE", 0x2401},
    {"ar_SY", 0x2801}, {"ar_JO", 0x2C01}, {"ar_LB", 0x3001}, {"ar_KW", 0x3401}, {"ar_AE", 0x3801},
    {"ar_BH", 0x3C01}, {"ar_QA", 0x4001}, {"bg", 0x0402},    {"ca", 0x0403},    {"zh", 0x0804},
    {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404},
    {"cs", 0x0405},    {"da", 0x0406},    {"de", 0x0407},    {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el", 0x0408},    {"en", 0x0409},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_JM", 0x2009}, {"en_BZ", 0x2809}, {"en_TT", 0x2C09},
    {"en_ZW", 0x3009}, {"en_PH", 0x3409}, {"en_IN", 0x4009}, {"en_MY", 0x4409}, {"en_SG", 0x4809},
    {"es", 0x0C0A},    {"es_MX", 0x080A}, {"es_ES", 0x0C0A}, {"es_GT", 0x100A}, {"es_CR", 0x140A},
    {"es_PA", 0x180A}, {"es_DO", 0x1C0A}, {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE", 0x280A},
    {"es_AR", 0x2C0A}, {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A},
    {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A}, {"es_PR", 0x500A},
    {"es_US", 0x540A}, {"es_CU", 0x5C0A}, {"fi", 0x040B},    {"fr", 0x040C},    {"fr_FR", 0x040C},
    {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr_MC", 0x180C},
    {"he", 0x040D},    {"hu", 0x040E},    {"is", 0x040F},    {"it", 0x0410},    {"it_IT", 0x0410},
    {"it_CH", 0x0810}, {"ja", 0x0411},    {"ko", 0x0412},    {"nl", 0x0413},    {"nl_NL", 0x0413},
    {"nl_BE", 0x0813}, {"nb", 0x0414},    {"no", 0x0414},    {"nn", 0x0814},    {"pl", 0x0415},
    {"pt", 0x0416},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"ro", 0x0418},    {"ru", 0x0419},
    {"hr", 0x041A},    {"sk", 0x041B},    {"sq", 0x041C},    {"sv", 0x041D},    {"sv_SE", 0x041D},
    {"sv_FI", 0x081D}, {"th", 0x041E},    {"tr", 0x041F},    {"ur", 0x0420},    {"id", 0x0421},
    {"uk", 0x0422},    {"be", 0x0423},    {"sl", 0x0424},    {"et", 0x0425},    {"lv", 0x0426},
    {"lt", 0x0427},    {"fa", 0x0429},    {"vi", 0x042A},    {"hy", 0x042B},    {"eu", 0x042D},
    {"mk", 0x042F},    {"af", 0x0436},    {"ka", 0x0437},    {"hi", 0x0439},    {"ms", 0x043E},
    {"kk", 0x043F},    {"sw", 0x0441},    {"bn", 0x0445},    {"ta", 0x0449},    {"te", 0x044A},
    {"gl", 0x0456},    {"sr", 0x281A},
};

uint16_t FindLangId(const QString& strKey) {
    for (const LocaleLangId& entry : kLocaleTable) {
        if (strKey == QLatin1String(entry.szLocale))
            return entry.nLangID;
    }
    return 0;
}

} // namespace

QString SelectLocaleName(const QString& strLcAll, const QString& strLcMessages, const QString& strLang) {
    if (!strLcAll.isEmpty())
        return strLcAll;
    if (!strLcMessages.isEmpty())
        return strLcMessages;
    return strLang;
}

uint16_t LangIdFromLocaleName(const QString& strLocale) {
    // language[_territory][.codeset][@modifier]
    QString strName = strLocale.trimmed();
    const int nCut = strName.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (nCut >= 0)
        strName.truncate(nCut);
    strName.replace(QLatin1Char('-'), QLatin1Char('_'));
    const int nSep = strName.indexOf(QLatin1Char('_'));
    const QString strLanguage = (nSep >= 0 ? strName.left(nSep) : strName).toLower();
    const QString strCountry = nSep >= 0 ? strName.mid(nSep + 1).toUpper() : QString();
    if (strLanguage.isEmpty() || strLanguage == QLatin1String("c") || strLanguage == QLatin1String("posix"))
        return kLangIdEnglishUS;
    if (!strCountry.isEmpty()) {
        if (const uint16_t nLangID = FindLangId(strLanguage + QLatin1Char('_') + strCountry))
            return nLangID;
    }
    if (const uint16_t nLangID = FindLangId(strLanguage))
        return nLangID;
    return kLangIdEnglishUS;
}

uint16_t GetSystemDefaultLangID() {
    return LangIdFromLocaleName(SelectLocaleName(
        qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG")));
}

int GetLanguageCode(uint16_t nLangID) {
    switch (nLangID) {
    case 0x0804:
    case 0x0C04:
    case 0x1004:
    case 0x1404:
        return 2; // simplified Chinese
    case 0x0404:
        return 3; // traditional Chinese
    case 0x0411:
        return 4; // Japanese
    case 0x0407:
    case 0x0807:
    case 0x0C07:
    case 0x1007:
    case 0x1407:
        return 5; // German
    case 0x040C:
    case 0x080C:
    case 0x0C0C:
    case 0x100C:
    case 0x140C:
        return 6; // French
    case 0x0419:
        return 7; // Russian
    case 0x0412:
    case 0x0812:
        return 8; // Korean
    case 0x0416:
    case 0x0816:
        return 9; // Portuguese
    case 0x040A:
    case 0x080A:
    case 0x0C0A:
    case 0x100A:
    case 0x140A:
    case 0x180A:
    case 0x1C0A:
    case 0x200A:
    case 0x240A:
    case 0x2C0A:
    case 0x300A:
    case 0x340A:
    case 0x380A:
    case 0x3C0A:
    case 0x400A:
    case 0x440A:
    case 0x480A:
    case 0x4C0A:
    case 0x500A:
        return 10; // Spanish; 0x280A is not among them
    case 0x0410:
    case 0x0810:
        return 11; // Italian
    case 0x0413:
    case 0x0813:
        return 12; // Dutch
    case 0x0415:
        return 13; // Polish
    default:
        return 1; // English
    }
}

int GetLanguageCode() {
    return GetLanguageCode(GetSystemDefaultLangID());
}
