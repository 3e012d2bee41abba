#include "platform/os/Characters.h"

namespace platform {

std::size_t CharacterLength(const unsigned char*, std::size_t) {
    return 1;
}

} // namespace platform
