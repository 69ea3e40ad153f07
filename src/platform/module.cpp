#include "module.h"

#include "filesystem.h"
#include "namecodec.h"
#include "uniquefd.h"

#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

void* moduleFunction(const QString& path, const char* name, QString& error)
{
    // Only code that no one else could have put there: the module must belong to root,
    // to the user running us or to the owner of the program itself (a build run with
    // sudo), and not be writable by everyone. A program copied into a shared folder
    // must not run what another user placed beside it.
    UniqueFd fd(::open(encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        error = path + QStringLiteral(": ") + errorText(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        error = path + QStringLiteral(": ") + errorText(errno);
        return nullptr;
    }
    struct stat program;
    const bool ownerTrusted =
        st.st_uid == 0 || st.st_uid == ::geteuid() ||
        (::stat("/proc/self/exe", &program) == 0 && st.st_uid == program.st_uid);
    if (!ownerTrusted || !S_ISREG(st.st_mode) || (st.st_mode & S_IWOTH)) {
        error = path + QStringLiteral(": gehört einem anderen Benutzer oder ist für alle "
                                      "beschreibbar");
        return nullptr;
    }
    // Opened through the descriptor that was checked, so that the file cannot be
    // swapped in between.
    char opened[64];
    std::snprintf(opened, sizeof opened, "/proc/self/fd/%d", fd.get());
    void* module = ::dlopen(opened, RTLD_NOW | RTLD_LOCAL);
    void* function = module ? ::dlsym(module, name) : nullptr;
    if (!function)
        error = QString::fromLocal8Bit(::dlerror());
    return function;
}

} // namespace platform
