// Loads arbitrary bytes as a settings file. Nothing may crash or over-allocate, and whatever Load
// accepted must survive a Save and a second Load unchanged.
#include "generator/GeneratorSettings.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The path of a file in memory that holds bytes.
std::string Holding(int fd, const std::string& bytes) {
    if (fd < 0 || ftruncate(fd, 0) != 0 ||
        pwrite(fd, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()))
        std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

// What Load makes of bytes, as Save writes it.
std::string Resaved(const std::string& bytes) {
    static const int input = memfd_create("gen.cfg", 0), output = memfd_create("saved.cfg", 0);
    GeneratorSettings record;
    record.SetDefaults();
    record.Load(Holding(input, bytes).c_str());
    const std::string path = Holding(output, "");
    if (!record.Save(path.c_str()))
        std::abort();
    std::ifstream saved(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(saved), {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string saved = Resaved(std::string(reinterpret_cast<const char*>(data), size));
    if (Resaved(saved) != saved)
        std::abort();
    return 0;
}
