// Feeds arbitrary command lines to the parser as argv words (the input split at each NUL byte) and
// as one whole text (each NUL a blank), then makes two passwords from the alphabet the options
// chose: nothing may crash, and the record, the name and the program location must stay within
// what the parser promises.
#include "app/CommandLineParser.h"
#include "app/ProgramLocation.h"
#include "generator/GeneratorSettings.h"
#include "generator/PasswordMaker.h"
#include "generator/RunPlan.h"
#include "platform/os/CommandLine.h"
#include "platform/os/Files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

CString ParseAndMake(const platform::ProcessCommandLine& commandLine) {
    GeneratorSettings& settings = GeneratorSettings::Instance();
    settings = GeneratorSettings();
    settings.SetDefaults();
    const CString name = ParseProcessCommandLine(commandLine);
    Check(settings.m_nQuantity >= 1 && settings.m_nLength >= 1);
    const Alphabet alphabet(settings.BuildAlphabet());
    const std::int32_t length = std::min(settings.m_nLength, 64);
    const RunPlan plan(2, length, alphabet);
    SecretBuffer buffer;
    if (alphabet.IsEmpty() || !buffer.Allocate(plan.BufferBytes()))
        return name;
    Check(plan.Outcome().status == RunStatus::Done);
    CryptoRandomSource source;
    PasswordMaker maker(source, alphabet, length);
    const std::size_t used = maker.MakeOne(buffer.Data());
    Check(used + maker.MakeOne(buffer.Data() + used) + 1 <= buffer.Size());
    return name;
}

// The location's directory and file name together are at most the program path.
void CheckLocation(const ProgramLocation& location, std::size_t maxPathSize) {
    Check(location.GetDirectory().size() + location.GetFileName().size() <= maxPathSize);
    Check(location.GetFileName().find(platform::kPathSeparator) == CString::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<unsigned char> bytes(CryptoRandomSource::kBufferSize);
    if (bytes[0] == 0) { // fixed fills, the same for every input
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(i * 167 + i / 256 + 13);
        platform::SetRandomFillForTesting([](unsigned char* buffer, std::size_t n) {
            std::memcpy(buffer, bytes.data(), std::min(n, bytes.size()));
            return n <= bytes.size();
        });
    }
    const CString input(reinterpret_cast<const char*>(data), size);

    // A name is one of the words after the program path, whole; the program path is the first
    // word exactly.
    std::vector<CString> words;
    std::size_t start = 0, end = 0;
    do {
        end = std::min(input.find('\0', start), input.size());
        words.push_back(input.substr(start, end - start));
        start = end + 1;
    } while (end != input.size());
    std::vector<const char*> argv;
    for (const CString& word : words)
        argv.push_back(word.c_str());
    platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    const CString name = ParseAndMake(platform::GetProcessCommandLine());
    Check(name.empty() || std::find(words.begin() + 1, words.end(), name) != words.end());
    ProgramLocation location;
    location.SetFromCommandLine();
    Check(location.GetCommandPath() == words.front());
    Check(location.GetDirectory() + location.GetFileName() == words.front());
    CheckLocation(location, words.front().size());

    CString text = input;
    std::replace(text.begin(), text.end(), '\0', ' ');
    Check(ParseAndMake(platform::CommandLineText{text}).size() <= text.size());
    ProgramLocation textLocation;
    textLocation.SetFromCommandLine(text);
    CheckLocation(textLocation, text.size());
    return 0;
}
