// Feeds arbitrary command lines to the parser in both of its forms: as words, the input split at
// each NUL byte (which no argv word can hold), the way the program gets argv on POSIX; and as one
// whole text, the same bytes with each NUL as a blank. After each, it makes a few passwords from
// the alphabet the options chose, with deterministic random bytes: nothing may crash, and the
// record, the name and the program location must stay within what the parser promises.
#include "app/CommandLineParser.h"
#include "app/ProgramLocation.h"
#include "generator/Alphabet.h"
#include "generator/GeneratorSettings.h"
#include "generator/PasswordMaker.h"
#include "generator/RandomSource.h"
#include "generator/RunPlan.h"
#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ResetRecord() {
    GeneratorSettings& settings = GeneratorSettings::Instance();
    settings = GeneratorSettings();
    settings.SetDefaults();
}

// The record holds what the parser promises, and two passwords can be made from it.
void MakePasswords() {
    const GeneratorSettings& settings = GeneratorSettings::Instance();
    Check(settings.m_nQuantity >= 1 && settings.m_nLength >= 1);

    const Alphabet alphabet(settings.BuildAlphabet());
    if (alphabet.IsEmpty())
        return;
    const std::int32_t length = settings.m_nLength < 64 ? settings.m_nLength : 64;
    const RunPlan plan(2, length, alphabet);
    Check(plan.Outcome().status == RunStatus::Done);
    SecretBuffer buffer;
    if (!buffer.Allocate(plan.BufferBytes()))
        return;
    CryptoRandomSource source;
    PasswordMaker maker(source, alphabet, length);
    std::size_t used = maker.MakeOne(buffer.Data());
    used += maker.MakeOne(buffer.Data() + used);
    Check(used + 1 <= buffer.Size());
}

// The location's directory and file name together are the program path.
void CheckLocation(const ProgramLocation& location, std::size_t maxPathSize) {
    Check(location.GetDirectory().size() + location.GetFileName().size() <= maxPathSize);
    const std::size_t separator = location.GetFileName().find(platform::kPathSeparator);
    Check(separator == CString::npos);
}

} // namespace

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

    const CString input(reinterpret_cast<const char*>(data), size);

    // Words, recorded as main records argv: a name is one of the words after the program path,
    // whole, and the program path is the first word exactly.
    std::vector<CString> words;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        words.push_back(input.substr(start, end - start));
        if (end == input.size())
            break;
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const CString& word : words)
        argv.push_back(word.c_str());
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    ResetRecord();
    const CString name = ParseProcessCommandLine(platform::GetProcessCommandLine());
    Check(name.empty() || std::find(words.begin() + 1, words.end(), name) != words.end());
    MakePasswords();
    ProgramLocation location;
    location.SetFromCommandLine();
    Check(location.GetCommandPath() == words.front());
    Check(location.GetDirectory() + location.GetFileName() == words.front());
    CheckLocation(location, words.front().size());

    // One whole text, split by the parser itself.
    CString text = input;
    std::replace(text.begin(), text.end(), '\0', ' ');
    ResetRecord();
    const CString textName = ParseProcessCommandLine(platform::CommandLineText{text});
    Check(textName.size() <= text.size());
    MakePasswords();
    ProgramLocation textLocation;
    textLocation.SetFromCommandLine(text);
    CheckLocation(textLocation, text.size());
    return 0;
}
