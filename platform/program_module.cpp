#include "program_module.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace vantor {

namespace {

std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string exe(path, std::size_t(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool windowPlatformAvailable(int argc, char** argv) {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    return false;
}

int runProgramModule(const char* fileName, const char* symbol, int* argc, char** argv) {
    const std::string folder = programFolder();
    std::string reason;
    for (const std::string& candidate :
         {folder + "/" + fileName, folder + "/" VANTOR_MODULE_DIR_FROM_BIN "/" + fileName}) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            if (reason.empty())
                reason = ::dlerror();
            continue;
        }
        const auto entry = reinterpret_cast<ProgramModuleEntry>(::dlsym(module, symbol));
        if (!entry) {
            reason = ::dlerror();
            break;
        }
        return entry(argc, argv);
    }
    std::fprintf(stderr, "%s: cannot load %s (%s); is the program installed whole?\n",
                 argc && *argc > 0 ? argv[0] : "vantor", fileName, reason.c_str());
    return 1;
}

} // namespace vantor
