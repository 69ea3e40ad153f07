#pragma once

#include <QByteArray>
#include <QList>
#include <functional>

// The command-line front end: the search and the transfer without a window, on the same
// engines as the window.
//
//   tobrin search [-0] DIR MASK
//   tobrin transfer [--move] [--no-overwrite] [--ignore-attributes] [--keep-structure]
//                   [-0] [--failed FILE] TARGET_DIR
//   tobrin --version
//   tobrin --help
//
// Exit codes: 0 all done; 1 some files failed or the transfer was stopped (SIGINT); 2 the
// command was refused (usage error, empty list, not enough space, TARGET_DIR not a
// directory), with the refusal on standard error. Paths are bytes on both sides: they
// are decoded losslessly and written back as the same bytes.

// Runs the command line when there are arguments. handled is false when there are none
// (or only the toolkit's own window options): then the window starts.
int runCommandLine(int argc, char** argv, bool& handled);

// Where the command line reads and writes, and a call after each transferred or failed
// file (after the interrupt flag could have been raised), for tests.
struct CommandLineIo
{
    int in = 0;
    int out = 1;
    int err = 2;
    std::function<void()> afterFile;
};

// The same with the arguments after the program name.
int runCommandLine(const QList<QByteArray>& args, const CommandLineIo& io, bool& handled);
