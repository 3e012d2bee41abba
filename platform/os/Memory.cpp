#include "platform/os/Memory.h"

namespace platform {

void WipeString(CString& text) {
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size());
    text.clear();
}

} // namespace platform
