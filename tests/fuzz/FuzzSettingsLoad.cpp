// Loads arbitrary bytes as a settings file. Nothing may crash or over-allocate, and whatever
// Load accepted must survive a Save and a second Load unchanged.
#include "generator/GeneratorSettings.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string PathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool SameBuffer(const ByteBuffer& a, const ByteBuffer& b) {
    return a.GetSize() == b.GetSize() &&
           (a.GetSize() == 0 || std::equal(a.GetData(), a.GetData() + a.GetSize(), b.GetData()));
}

bool Same(const GeneratorSettings& a, const GeneratorSettings& b) {
    return a.m_nQuantity == b.m_nQuantity && a.m_nLength == b.m_nLength &&
           a.m_bUpper == b.m_bUpper && a.m_bLower == b.m_bLower && a.m_bDigits == b.m_bDigits &&
           a.m_bSpecial == b.m_bSpecial && SameBuffer(a.m_geometry, b.m_geometry) &&
           SameBuffer(a.m_special, b.m_special);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int input = memfd_create("gen.cfg", 0);
    static const int output = memfd_create("saved.cfg", 0);
    if (input < 0 || output < 0)
        std::abort();
    if (ftruncate(input, 0) != 0 || pwrite(input, data, size, 0) != ssize_t(size))
        std::abort();

    GeneratorSettings loaded;
    loaded.SetDefaults();
    loaded.Load(PathOf(input).c_str());

    if (!loaded.Save(PathOf(output).c_str()))
        std::abort();
    GeneratorSettings reloaded;
    reloaded.SetDefaults();
    reloaded.Load(PathOf(output).c_str());
    if (!Same(loaded, reloaded))
        std::abort();
    return 0;
}
