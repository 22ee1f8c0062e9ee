#pragma once
// The system language as a Windows language identifier, so the product's language table applies unchanged.

#include <QString>
#include <cstdint>

/// English (United States): what every unknown, empty, "C" or "POSIX" locale maps to.
constexpr uint16_t kLangIdEnglishUS = 0x0409;

/// The locale that decides the messages' language: the first non-empty of LC_ALL, LC_MESSAGES, LANG.
QString SelectLocaleName(const QString& strLcAll, const QString& strLcMessages, const QString& strLang);

/// Maps a POSIX locale name ("de_CH.UTF-8", "zh_TW.Big5", "ja", "sr_RS@latin") to its Windows language
/// identifier. A language without a country, or with a country Windows has no identifier for, maps to the
/// language's default identifier; an unknown language, "C" and "POSIX" map to English.
uint16_t LangIdFromLocaleName(const QString& strLocale);

/// The language identifier of the system locale, read from the environment.
uint16_t GetSystemDefaultLangID();

/// The product's language code, 1 to 13, of a language identifier; every unlisted identifier is 1 (English).
int GetLanguageCode(uint16_t nLangID);

/// The language code of the system locale.
int GetLanguageCode();
