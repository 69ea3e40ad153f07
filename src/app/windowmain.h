#pragma once

// The windowed program. It lives in a module of its own (tobrin-window.so) that `main`
// opens only when no sub-command was given, so that the command line starts without
// loading the widget libraries.
extern "C" int tobrin_window_main(int argc, char** argv);
