#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The program's shortcuts (a programs-menu entry in the maker's folder, one on the
// desktop and one in Send To), its version, and the language its dialogs speak.
namespace installer {

inline const QString MakerFolder = QStringLiteral("Vetmark");

// Special folders by their Windows numbers (env/sonderordner.h).
inline constexpr int CSIDL_PROGRAMS = 2;
inline constexpr int CSIDL_SENDTO = 9;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 0x10;

// Handler of the main window's "&Verknüpfung einrichten": the shortcuts "Tobrin" to
// this program.
void Verknuepfenclick();

// One shortcut name + ".desktop" in the maker's folder of the programs menu, on the
// desktop and in Send To, each replacing one of the same name. Each that cannot be
// written (or whose folder is unknown) shows its own box; the others are still made.
// The programs menu folder is created when missing, the desktop folder is not: a
// desktop without its folder shows no icons anyway.
void CreateShortcuts(const QString& name, const QString& target);

// Writes a launcher of the program target to linkFile (an absolute path), named and
// described by description. False when it cannot be written.
bool CreateLink(const QString& target, const QString& linkFile, const QString& description);

// Creates the folder (one level); true when it was created or something of that name
// was there already. A relative path is refused.
bool CreateFolderIfMissing(const QString& path);

// A program version: major.minor.release.build.
struct FileVersion
{
    int major = 1;
    int minor = 0;
    int release = 0;
    int build = 0;
};

// "1.2.0 Build: 10" for 1.2.0.10.
QString VersionText(const FileVersion& version);
// major + minor / 100, rounded as the decimal text "major.minor" reads: 1.2 gives 1.02,
// 1.10 gives 1.1. The same double a version file's "1,02" converts to, so the two
// compare equal.
double VersionNumber(const FileVersion& version);

// The version compiled into the program (or the one a test put in its place). There is
// always one, so both are always true; they keep their results for callers that must
// cope with a program that knows no version.
bool VersionText(QString& text);
bool VersionNumber(double& value);

// For tests: the version the program reports about itself; nullopt restores the
// compiled one.
void SetVersionOverride(std::optional<FileVersion> version);

// The dialogs' language for a Windows language id: 0 German, 1 English, 2 any other.
int UILanguage(quint16 langId);
// The same for the user's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
int UILanguage();

} // namespace installer
