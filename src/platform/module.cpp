#include "module.h"

#include "namecodec.h"

#include <dlfcn.h>

namespace platform {

void* moduleFunction(const QString& path, const char* name, QString& error)
{
    void* module = ::dlopen(encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    void* function = module ? ::dlsym(module, name) : nullptr;
    if (!function)
        error = QString::fromLocal8Bit(::dlerror());
    return function;
}

} // namespace platform
