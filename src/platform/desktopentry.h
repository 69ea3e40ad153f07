#pragma once

#include <QString>

// Shortcuts on a freedesktop desktop: .desktop entry files as menus, desktops and file
// managers read them.
namespace platform {

struct DesktopEntry
{
    QString type = QStringLiteral("Application"); // "Application" or "Link"
    QString name;
    QString comment;    // left out when empty
    QString exec;       // an Application's program, one argument, quoted here as needed
    QString workingDir; // Path=, left out when empty
    QString url;        // a Link's target URL
    QString icon;       // Icon=: a theme icon name or an absolute file; left out when empty
    QString categories; // Categories=, ";"-terminated menu categories; left out when empty
};

// The program as the single argument of an Exec key, before the key's own escapes: a
// "%" doubled (it starts field codes), and in double quotes with \ " ` $ escaped when
// the text holds a character that the key reserves (blanks, quotes, shell specials).
QString desktopExecArgument(const QString& program);

// The file's text. Values are escaped as string values need it (\\, \n, \t, \r, a
// leading blank as \s). Empty when the entry cannot be written as a valid file: a name
// or path holding bytes that are not UTF-8 or control characters other than line
// breaks and tabs.
QString desktopEntryText(const DesktopEntry& entry);

// Writes the entry to path (replacing a file of that name at once, never partly) with
// mode 0755, which desktops ask of launchers they are to trust. False when it cannot be
// written, errno telling why (EILSEQ for an entry that has no valid text).
bool writeDesktopEntry(const QString& path, const DesktopEntry& entry);

} // namespace platform
