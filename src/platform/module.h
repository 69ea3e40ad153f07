#pragma once

#include <QString>

namespace platform {

// Opens a shared module of ours and finds the function name in it. The module stays
// loaded until the process ends. nullptr with error set when either fails.
void* moduleFunction(const QString& path, const char* name, QString& error);

} // namespace platform
