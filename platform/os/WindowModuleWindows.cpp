// The Windows build is batch mode alone: it has no window module to load.
#include "platform/os/WindowModule.h"

namespace platform {

bool DisplayAvailable() {
    return false;
}

CString NoWindowReason() {
    return "this build has no window";
}

int RunWindowModule(const std::vector<CString>&, CString& error) {
    error += (error.empty() ? "" : "; ") + NoWindowReason();
    return -1;
}

} // namespace platform
