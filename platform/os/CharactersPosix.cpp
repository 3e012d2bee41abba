#include "platform/os/Characters.h"
#include "platform/os/Utf8.h"

namespace platform {

std::size_t CharacterLength(const unsigned char* text, std::size_t size) {
    return Utf8SequenceLength(text, size);
}

} // namespace platform
