#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Collection list files ("Liste speichern…", "Liste laden…", `tobrin transfer`): UTF-8
// text, one path per line, each line ended by "\n".
//
// A path is written as it is, backslashes included, unless a line could not carry it:
// a path holding a control character (a line break above all), a byte that is not
// UTF-8, or beginning with a double quote (or empty). Such a path is written in double
// quotes with backslash escapes: \\ \" \n \r \t and \xHH for any other byte (control
// characters and the bytes that are not UTF-8). An absolute path always begins with
// "/", so a quoted line can never be mistaken for one, and every ordinary line reads as
// itself. A line that begins with a quote but is not a well-formed quoted path is taken
// as it is. Reading back what was written gives every path exactly, byte for byte.

// One path as its line, without the line end.
QByteArray listFileLine(const QString& path);
// One line (without its "\n") as the path it holds.
QString parseListFileLine(const QByteArray& line);

// The whole file: every path as its line, each followed by "\n".
QByteArray listFileText(const QStringList& paths);
// The paths of a file's text; empty lines are skipped. O(size).
QStringList parseListFile(const QByteArray& text);
