#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The user's Send To folder ($XDG_DATA_HOME/SendTo/) and its entries: .desktop files
// and symbolic links. A Link entry (Type=Link, URL=file://...) or a symbolic link names
// a target to copy into or a program to start; an Application entry is started with
// the files in its Exec line's field codes.
namespace platform {

// One entry as the Send To submenu shows it.
struct SendToEntry
{
    QString path;     // the entry file itself
    QString name;     // Name (localised), or for a symbolic link its file name
    QString iconName; // Icon of the entry, else a theme icon for the target's kind
};

// The Send To folder, ending in "/" (created when missing).
QString sendToFolder();

// The entries of folder (the Send To folder when empty), sorted by file name (byte
// order), so that the submenu keeps its order. Entries with Hidden=true, dangling
// links and other files are left out. locale ("de", "de_DE", ...) picks Name[...] as
// the desktop entry rules match it; "" takes the plain Name. One stat per entry and
// one read per .desktop file.
std::vector<SendToEntry> sendToEntries(const QString& folder = QString(),
                                       const QString& locale = QStringLiteral("de"));

// What one entry stands for.
struct Shortcut
{
    enum Kind
    {
        Invalid,
        Link,        // target: a file or folder
        Application, // exec: the Exec line (string escapes resolved)
    };
    Kind kind = Invalid;
    QString target;     // Link: the local path (a symbolic link's target, resolved)
    QString exec;       // Application
    QString workingDir; // Application: Path=
    QString name;       // Name (localised as sendToEntries does it)
    QString icon;
};

// Reads a .desktop file or a symbolic link (any name). A .desktop Link whose URL is no
// local file, an unreadable file or anything else gives kind Invalid.
Shortcut readShortcut(const QString& path, const QString& locale = QStringLiteral("de"));

// The value of key in the [Desktop Entry] group of a .desktop file's text, with the
// string escapes (\s \n \t \r \\) resolved; for a localised key the best Name[...]
// for locale as the desktop entry rules match it (lang_COUNTRY@MODIFIER,
// lang_COUNTRY, lang@MODIFIER, lang, then the plain key). Empty when missing.
QString desktopEntryValue(const QByteArray& text, const QString& key,
                          const QString& locale = QString());

// The arguments of an Exec line: blanks separate them, double quotes group them (with
// \" \` \$ \\ inside), as the desktop entry rules quote them.
QStringList splitExec(const QString& exec);

// The command lines an Exec line gives for files: %F and %U (standing alone) become
// one argument per file (path respectively file:// URI), %f and %u the one file; with
// several files and %f or %u the program runs once per file. "%%" gives "%"; every
// other field code is removed (and an argument that held nothing else goes). Without
// a file field code the program runs once, without the files.
std::vector<QStringList> execCommands(const QString& exec, const QStringList& files);

// Starts an Application entry's program for files, detached, in its Path= folder or
// else workingDir. False with a reason when a command could not be started.
bool startApplication(const Shortcut& shortcut, const QStringList& files, const QString& workingDir,
                      QString* error = nullptr);

} // namespace platform
