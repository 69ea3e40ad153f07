#pragma once

#include "env/settings.h"
#include "platform/namecodec.h"
#include "testenv.h"

// Gives the program a path of its own below dir, with a usethis.ini that keeps its
// settings in dir/settings: each test starts from fresh settings.
inline void usePrivateSettings(const TempDir& dir)
{
    fixture::makeDir(dir / "bin");
    fixture::makeDir(dir / "settings");
    fixture::writeFile(dir / "bin/usethis.ini", "[Settingsdir]\nDir=" + dir / "settings" + "\n");
    InitEnvironment(platform::decodeName(dir / "bin/tobrin"));
}
