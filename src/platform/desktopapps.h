#pragma once

#include <QString>
#include <QStringList>

// The desktop's applications as freedesktop desktop entries: which one the user chose
// for a kind of file (the MIME-application associations), and starting one with files.
namespace platform {

// The desktop entry file of the default application for mimeType: the first entry of
// "[Default Applications]" in the mimeapps.list files (user config, system config,
// user data, system data; a desktop-specific "<desktop>-mimeapps.list" before each
// plain one) that names an installed entry, then the old "defaults.list" files.
// Empty when there is none.
QString defaultApplicationFor(const QString& mimeType);

// The full path of an installed desktop entry given by its id ("org.gnome.gedit.desktop",
// looked up in the applications folders of the data directories, "-" standing for a
// subfolder as the entry id rules say); empty when none is there.
QString desktopEntryPath(const QString& id);

// Starts the application of a desktop entry with files, in workingDir. False, with a
// German text in error, when the entry cannot be read, has no Exec line, or its
// program cannot be started.
bool launchDesktopEntry(const QString& entryPath, const QStringList& files,
                        const QString& workingDir, QString* error = nullptr);

} // namespace platform
