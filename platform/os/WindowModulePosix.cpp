#include "platform/os/WindowModule.h"

#include <cstdlib>
#include <dlfcn.h>

namespace platform {

bool DisplayAvailable() {
    return std::getenv("QT_QPA_PLATFORM") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

CString NoWindowReason() {
    return DisplayAvailable() ? CString() : CString("no display for the window");
}

int RunWindowModule(const std::vector<CString>& candidates, CString& error) {
    for (const CString& path : candidates) {
        // Every symbol is bound now, so that a module that does not fit the program is refused
        // here rather than failing half-way through the window.
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = dlerror();
            error += (error.empty() ? "" : "; ") + CString(reason ? reason : path.c_str());
            continue;
        }
        using Entry = int (*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(module, kWindowEntryPoint));
        if (entry == nullptr) {
            error += (error.empty() ? "" : "; ") + path + ": no " + kWindowEntryPoint;
            dlclose(module);
            continue;
        }
        // The module stays loaded: its objects live until the process ends.
        return entry();
    }
    return -1;
}

} // namespace platform
