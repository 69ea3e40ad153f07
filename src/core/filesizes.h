#pragma once

#include <QString>

class CollectionList;

// Sizes of the files the collection list names, asked of the file system every time
// (there is no cache: files change between two looks).

// The size in bytes of the regular file under path (a link is followed), found with
// one stat and without opening the file; 0 when nothing is there, for a dangling link,
// a directory or anything else that is not a regular file. O(1) system calls.
qint64 Dateigroesse(const QString& path);

// The sum of Dateigroesse over every line, first to last, as a signed 64-bit number.
// One stat per line.
qint64 Listengroesse(const CollectionList& list);
