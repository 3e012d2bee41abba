#include "platform/os/RandomProvider.h"

#include <utility>

namespace platform {
namespace {

RandomFillFunction& FillOverride() {
    static RandomFillFunction fill;
    return fill;
}

} // namespace

bool RandomProvider::Fill(unsigned char* buffer, std::size_t size) {
    if (!m_bAcquired)
        return false;
    if (const RandomFillFunction& fill = FillOverride())
        return fill(buffer, size);
    return FillFromProvider(buffer, size);
}

void SetRandomFillForTesting(RandomFillFunction fill) {
    FillOverride() = std::move(fill);
}

} // namespace platform
