#pragma once

#include <QString>
#include <QStringList>

// The recursive file collector behind the search command.
//
// Each directory is read once: its own entries that are not directories and whose name
// matches the mask are appended first, in the order the file system enumerates them,
// then every subdirectory is walked completely, depth first, in that same order. The
// mask (see mask.h) is one pattern: ";" is an ordinary character, an empty mask matches
// nothing, and it restricts only files, never which subdirectories are entered. Hidden
// files and folders are taken like all others. A directory that cannot be read
// contributes nothing and the walk goes on.
//
// A symbolic link to a directory is entered like a directory, except when it leads to
// a directory that is already on the path being walked (same device and inode as an
// ancestor): that would be a cycle, and it is skipped. A link to a directory elsewhere
// is entered once per link, as any path to it is a path the user can see; the walk
// stays finite because no directory repeats on one path.
//
// Results are full paths: the directory (given a trailing "/" when it lacks one)
// followed by the names as the file system reports them.

// Collects into liste; leeren empties it first; rekursiv false searches verzeichnis
// alone. An empty verzeichnis yields nothing.
void Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv);

// Durchsuche with rekursiv set: verzeichnis and all its subdirectories, at any depth.
void SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste,
                  bool leeren);
