#pragma once

// The user's and the system's language as Windows language ids
// (primary language | sublanguage << 10), so that tables keyed by such ids apply
// unchanged on Linux. 0x0409 (English, United States) stands for "nothing set".

#include <QString>
#include <QtGlobal>

inline constexpr quint16 DefaultLangId = 0x0409;

// The language id of a POSIX or BCP 47 locale name such as "de_DE.UTF-8", "de-CH",
// "sr_RS@latin" or "zh-Hant-TW". A known language in an unknown (or no) country gets
// the id of its main variant, for most languages sublanguage 1 ("es" gives 0x040A,
// "pt" 0x0416). Bare "zh" counts as Simplified Chinese, as on Linux; "zh-Hant" without
// a known country as Taiwan's Traditional Chinese. An unknown language, "C", "POSIX"
// and an empty name give DefaultLangId.
quint16 LangIdFromLocaleName(const QString& name);

// The user's language: the first of LANGUAGE (its first non-empty entry), LC_ALL,
// LC_MESSAGES and LANG that is set and not empty. LC_ALL=C therefore means English even
// when LANG is set, as it does for the C library.
quint16 UserDefaultLangId();

// The system's language: the LANG= line of the first of the two files that has one
// (quotes stripped), else DefaultLangId. The paths are parameters so tests can point
// them elsewhere.
quint16
SystemDefaultLangId(const QString& defaultLocalePath = QStringLiteral("/etc/default/locale"),
                    const QString& localeConfPath = QStringLiteral("/etc/locale.conf"));

// The LANG value of one such file, or an empty text when the file cannot be read or has
// no LANG line. Lines may carry "export " and comments.
QString LangFromLocaleFile(const QString& path);
