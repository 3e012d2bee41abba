#include "platform/os/Utf8.h"

namespace {

inline bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

} // namespace

std::size_t Utf8SequenceLength(const unsigned char* text, std::size_t size) {
    const unsigned char lead = text[0];
    if (lead < 0x80 || size < 2)
        return 1;
    // Well-formed sequences only: no overlong forms, no surrogates, nothing above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::size_t length = 0;
    if (InRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 1;
    }
    if (size < length || !InRange(text[1], low, high))
        return 1;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsUtf8Continuation(text[i]))
            return 1;
    }
    return length;
}
