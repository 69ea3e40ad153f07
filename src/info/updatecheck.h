#pragma once

#include <QByteArray>
#include <QString>

// The pieces of the update exchange with the maker's web server that need no window:
// where the files lie, what a version file says, and the names involved.

// The download directory, ending in "/": TOBRIN_UPDATE_URL when set, else [Update] Url
// of the settings file when set, else the maker's (maker.h).
QString UpdateDownloadDir();

// name with its extension replaced by ext (".ver", ".zip"). The extension starts at the
// last "." of the last path component; a leading "." marks a hidden file, not an
// extension. "tobrin.zip" gives "tobrin.ver", "/a.b/update" "/a.b/update.zip".
QString ChangeFileExt(const QString& name, const QString& ext);

// The number a version file starts with: its leading run of digits and commas, read
// with "," as the decimal separator ("1,10\r\n" gives 1.1, "1.10" gives 1.0 because
// the period ends the run). 1.0 when the run is empty or is no number ("1,,2").
double ServerVersionNumber(const QByteArray& body);
