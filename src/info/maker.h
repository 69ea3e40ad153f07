#pragma once

#include <QString>

// The maker's addresses, named in this one place. The web server has no real home yet;
// the settings file and TOBRIN_UPDATE_URL can point the update check elsewhere
// (updatecheck.h).
namespace maker {

inline const QString DownloadDir = QStringLiteral("https://www.vetmark.example/download/");
inline const QString Homepage = QStringLiteral("https://www.vetmark.example/");
// A display name in double quotes followed by the address in angle brackets.
inline const QString MailAddress = QStringLiteral("\"Vetmark\" <info@vetmark.example>");
inline const QString Copyright = QStringLiteral("Copyright © Vetmark, alle Rechte vorbehalten");

} // namespace maker
