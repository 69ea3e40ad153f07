#pragma once

#include <QString>

namespace platform {

// Opens a shared module of ours and finds the function name in it. The module stays
// loaded until the process ends. A module that belongs to neither root nor the user
// running us, or that everyone may write, is refused. nullptr with error set when
// anything fails.
void* moduleFunction(const QString& path, const char* name, QString& error);

} // namespace platform
