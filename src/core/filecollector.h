#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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
// A symbolic link to a directory is entered like a directory, but every real directory
// (device and inode) is walked at most once per search: a second path to it, through a
// link or a bind mount, is skipped. So links that lead back or fan out cannot make the
// walk run in circles or grow exponentially.
//
// Results are full paths: the directory (given a trailing "/" when it lacks one)
// followed by the names as the file system reports them.

// Collects into liste; leeren empties it first; rekursiv false searches verzeichnis
// alone. An empty verzeichnis yields nothing. False when verzeichnis itself cannot be
// read (platform::lastError() says why, or is 0 when it is no directory); the window
// ignores that and shows nothing.
bool Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv);

// Durchsuche with rekursiv set: verzeichnis and all its subdirectories, at any depth.
bool SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste,
                  bool leeren);

// The same walk for the command line: each match is handed over as the bytes of its
// full path the moment it is found, and nothing is kept, so memory does not grow with
// the number of matches. Names that are all ASCII are matched without being decoded.
// False when verzeichnis itself cannot be read.
bool SucheDateienStream(const QByteArray& verzeichnis, const QString& maske,
                        const std::function<void(const QByteArray& path)>& found);
