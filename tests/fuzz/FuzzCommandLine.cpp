// Feeds arbitrary command lines to the parser, then makes a few passwords from the alphabet the
// options chose, with deterministic random bytes: nothing may crash, and the record must stay
// within what the parser promises.
#include "app/CommandLineParser.h"
#include "generator/Alphabet.h"
#include "generator/GeneratorSettings.h"
#include "generator/PasswordBatch.h"
#include "generator/RandomSource.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool seamInstalled = [] {
        static std::vector<unsigned char> bytes(CryptoRandomSource::kBufferSize);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(i * 167 + i / 256 + 13);
        platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t n) {
            std::memcpy(buffer, bytes.data(), std::min(n, bytes.size()));
            return n <= bytes.size();
        });
        return true;
    }();
    (void)seamInstalled;

    GeneratorSettings& settings = GeneratorSettings::Instance();
    settings = GeneratorSettings();
    settings.SetDefaults();

    const CString commandLine(reinterpret_cast<const char*>(data), size);
    const CString name = ParseCommandLine(commandLine);
    if (settings.m_nQuantity < 1 || settings.m_nLength < 1)
        std::abort();
    if (name.size() > commandLine.size())
        std::abort();

    const Alphabet alphabet(settings.BuildAlphabet());
    if (alphabet.IsEmpty())
        return 0;
    const std::int32_t length = settings.m_nLength < 64 ? settings.m_nLength : 64;
    const std::optional<std::size_t> bytes = RunBufferBytes(2, length, alphabet.MaxCharBytes());
    if (!bytes)
        std::abort();
    SecretBuffer buffer;
    if (!buffer.Allocate(*bytes))
        return 0;
    CryptoRandomSource source;
    PasswordMaker maker(source, alphabet, length);
    std::size_t used = maker.MakeOne(buffer.Data());
    used += maker.MakeOne(buffer.Data() + used);
    if (used + 1 > buffer.Size())
        std::abort();
    return 0;
}
