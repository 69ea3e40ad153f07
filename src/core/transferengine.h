#pragma once

#include <QString>

class CollectionList;

// The transfer: copies or moves every file the collection list names into one target
// directory, flat or rebuilding each file's path below it. UI-free; the list window and
// the command line drive the same code through TransferHooks.
//
// The list is read anew on every pass, so lines added or removed between two files (by
// the hooks) lengthen or shorten the run. A transferred file's line is removed; a failed
// one stays, so that afterwards the list holds exactly the files that failed.

// The refusals before a transfer, as the window shows them.
inline const QString TextKeinZiel =
    QStringLiteral("Zuerst im Rechten Baum das Zielverzeichnis auswählen !");
inline const QString TextListeLeer = QStringLiteral("Keine Dateien in der Liste");

struct TransferOptions
{
    bool copy = true;              // false: move
    bool noOverwrite = false;      // an existing target is left alone; the file fails
    bool ignoreAttributes = false; // lift the source's read-only for the run, put it back
    bool keepStructure = false;    // rebuild the source's path below the target
};

// Called by the engine; the window processes its events in afterFile (where Escape
// raises the abort flag), the command line polls its interrupt flag.
class TransferHooks
{
public:
    virtual ~TransferHooks() = default;
    // Polled at the start of every pass, before the next file is touched.
    virtual bool aborted() { return false; }
    // Polled while a file is copied, with its bytes done so far and its size; false
    // stops that file at once (it fails and stays listed, nothing is left of it).
    virtual bool fileProgress(qint64 done, qint64 total)
    {
        (void)done;
        (void)total;
        return true;
    }
    // After every file, transferred or failed.
    virtual void afterFile() {}
    // A transferred file's line was removed; linesLeft lines remain. The window shows
    // CollectionList::captionText(1, linesLeft).
    virtual void lineRemoved(int linesLeft) { (void)linesLeft; }
    // A line failed and stays; reason says why, for a person.
    virtual void lineFailed(const QString& line, const QString& reason)
    {
        (void)line;
        (void)reason;
    }
};

struct TransferResult
{
    int transferred = 0;
    bool aborted = false; // stopped by the abort flag: statusText stays empty
    QString statusText;   // n + " Dateien in " + target + " kopiert" / " verschoben"
};

// The free-space check before a transfer: the list's total size against the free space
// of the file system that holds the target (of its nearest existing parent when the
// target itself is gone). Refused when availableKb * 1024 < neededBytes.
struct SpaceCheck
{
    qint64 neededBytes = 0; // what the target must hold anew
    qint64 availableKb = 0;
    bool passes = true;
    qint64 totalBytes = 0; // the listed files the transfer reads through (see below)
    // "Nicht ausreichend freier Speicher vorhanden\rBenötigt: %d\rvorhanden: %d KB"
    // with the needed KB (rounded down) and the available KB.
    QString refusalText() const;
};
// A move within the target's file system is a rename that needs no space and reads
// nothing: with move, the lines of a folder on the target's file system are not even
// looked at (one stat per such folder); every other line costs one stat. A link moved
// from such a folder is copied, but its size is not foreseen: where it does not fit,
// the copy fails and the link stays.
SpaceCheck checkFreeSpace(const CollectionList& list, const QString& target, bool move = false);

// Whether a line can be transferred at all: an absolute path without empty, "." or ".."
// steps (collected lines never have them; with them, two lines could name one target,
// or a line could lead out of it).
bool isTransferableLine(const QString& line);

// Where a source lands: target + the source's path without its leading "/" with
// keepStructure, else target + the source's file name. target ends in "/"; line passes
// isTransferableLine.
QString transferTargetPath(const QString& source, const QString& target, bool keepStructure);

// Runs the transfer of the whole list into target (a trailing "/" is added when
// missing; the target may be a symbolic link, and is created when it vanished). The
// caller checks the preconditions and the free space first.
//
// Per file: with keepStructure the folders below the target are created and entered one
// by one without following symbolic links, so nothing lands outside the target. A copy
// gets its name only when complete (see platform/filecopy.h). A move is a rename within
// one file system and a copy followed by removing the source otherwise; it keeps owner,
// group and attributes like mv, and takes its copy back when the source cannot go.
// Either way it refuses what a copy refuses: an existing target with noOverwrite, a
// read-only target, the same file. A file written earlier in the same run is never
// replaced by a later line: that line fails. A source that is a symbolic link is
// transferred as the regular file it points to (a move then removes the link only). A
// source that is not a regular file, or that changes while it is copied, fails. Every
// failed line stays listed and is reported through hooks.lineFailed.
TransferResult Uebertragen(CollectionList& list, const QString& target,
                           const TransferOptions& options, TransferHooks& hooks);
