#pragma once

#include <QString>

// Copies, moves, deletes (to the trash) or renames through the file operation
// engine, with the questions and the progress dialog a file manager shows.
// operation is FO_MOVE (1), FO_COPY (2), FO_DELETE (3) or FO_RENAME (4).
// source may hold several paths separated by NUL characters. True only when
// every item succeeded and nothing was cancelled; failures are shown one box
// each.
bool ShellFileOp(int operation, const QString& source, const QString& target);
