#pragma once

#include <QString>

// Where the program keeps its settings, the settings file's [MainForm] entries, and the
// registration file shared by all of the maker's programs. Nothing here shows a message:
// failures come back as results for the window to show.

// Process-wide values filled by InitEnvironment and not changed afterwards.
const QString& SettingsDir();  // the settings directory, ending in "/"
const QString& SettingsFile(); // SettingsDir + the program file's name with ".ini"
const QString& PersonalDir();  // the documents folder, ending in "/" (home of Vetmark.ini)

// The start-up sequence, before any window exists: SettingsDir, PersonalDir, SettingsFile,
// then the entry in the registration file. programPath is the program file's full path.
void InitEnvironment(const QString& programPath);

// The settings directory. The folder "Vetmark" in the user's configuration folder is
// created (with its parents) at every call. A file "usethis.ini" beside the program
// redirects: its [Settingsdir] Dir names the directory (not created here; a relative
// one lies below the program's directory), and an empty or missing Dir means the
// program's own directory, for a copy carried on a stick. Without usethis.ini the
// Vetmark folder is the settings directory. The result ends in "/".
QString SettingsDirErmitteln(const QString& programPath);

// Records the program in PersonalDir + "Vetmark.ini": [Vetmark] <title>=<programPath>,
// the title being the program file's name without extension with all but its first
// character in lower case. Every other entry and the file's encoding are kept. A file
// that cannot be read or written is left alone without a word: the start goes on.
void ProgrammRegistrieren(const QString& programPath);

// The main window's state kept between runs.
struct Fensterstatus
{
    QString quellbaum;                      // the source tree's selected directory
    QString zielbaum;                       // the target tree's selected directory
    QString filter = QStringLiteral("*.*"); // the mask of the recursive search
};

// Reads [MainForm] Quellbaum, Zielbaum and Filter from SettingsFile; a missing or
// unreadable file or key gives the defaults ("", "", "*.*").
Fensterstatus FensterstatusLaden();

// Stores all three values in SettingsFile, empty ones too (a file that already holds
// exactly these values is left as it is). A directory whose path holds a line break
// cannot be kept in the file and is stored as empty. On failure returns false and, when
// errorText is given, sets it to the message for the user ("In <file> kann nicht
// geschrieben werden"); the file on disk is then untouched.
bool FensterstatusSpeichern(const Fensterstatus& state, QString* errorText = nullptr);
