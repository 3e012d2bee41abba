#include "app/CommandLineParser.h"

#include "generator/GeneratorSettings.h"
#include "platform/os/ReplacementFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';
constexpr char kBackslash = '\\';

void ReplaceAll(CString& text, const CString& from, const CString& to) {
    CString result;
    std::size_t start = 0;
    for (std::size_t hit; (hit = text.find(from, start)) != CString::npos;
         start = hit + from.size()) {
        result.append(text, start, hit - start);
        result += to;
    }
    result.append(text, start, CString::npos);
    text.swap(result);
}

void StoreNumber(const CString& value, std::int32_t& field) {
    if (const std::optional<std::int32_t> number = ScanInt(value))
        field = *number < 1 ? 1 : *number;
}

CString Describe(const RunOutcome& result) {
    switch (result.status) {
    case RunStatus::EmptyAlphabet:
        return "no character class is chosen (the alphabet is empty)";
    case RunStatus::TooLarge:
        if (result.error == ENOSPC)
            return "the passwords need " + std::to_string(result.bytes) +
                   " bytes, more than the file system has free";
        if (result.inPlace)
            return "the file must be written in its place, so all " + std::to_string(result.bytes) +
                   " bytes of passwords must first be held in memory, and this machine cannot "
                   "hold them";
        return "the requested passwords are too large for this machine";
    case RunStatus::RandomFailed:
        if (result.passwordsOut > 0)
            return "the system's random source failed after the first " +
                   std::to_string(result.passwordsOut) + " passwords had gone out";
        return "the system's random source failed";
    case RunStatus::WriteFailed:
        if (result.leftEmpty)
            return platform::DescribeFileError(result.error) +
                   "; the file was written in its place and is left empty";
        return platform::DescribeFileError(result.error);
    case RunStatus::Cancelled:
        return "the run was cancelled";
    case RunStatus::Done:
        break;
    }
    return "";
}

int ExitStatusOf(RunStatus status) {
    switch (status) {
    case RunStatus::Done:
        return kExitWritten;
    case RunStatus::EmptyAlphabet:
        return kExitEmptyAlphabet;
    case RunStatus::TooLarge:
        return kExitTooLarge;
    case RunStatus::RandomFailed:
        return kExitRandomFailed;
    case RunStatus::WriteFailed:
    case RunStatus::Cancelled:
        break;
    }
    return kExitWriteFailed;
}

} // namespace

std::optional<CString> NextToken(const CString& commandLine, std::size_t& position) {
    const std::size_t length = commandLine.size();
    while (position < length && commandLine[position] == kBlank)
        ++position;
    if (position >= length)
        return std::nullopt;

    const std::size_t start = position;
    if (commandLine[start] == kQuote) {
        std::size_t j = commandLine.find(kQuote, start + 1);
        while (j != CString::npos && commandLine[j - 1] == kBackslash)
            j = commandLine.find(kQuote, j + 1);
        position = j != CString::npos ? j + 1 : length;
    } else {
        const std::size_t j = commandLine.find(kBlank, start + 1);
        position = j != CString::npos ? j : length;
    }
    return commandLine.substr(start, position - start);
}

CString StripQuotes(const CString& text) {
    if (!text.empty() && text.front() == kQuote && text.back() == kQuote)
        return text.size() == 1 ? CString() : text.substr(1, text.size() - 2);
    return text;
}

unsigned char ToLowerChar(unsigned char c) {
    if ((c >= 0x41 && c <= 0x5A) || (c >= 0xC0 && c <= 0xDF))
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0xA8:
        return 0xB8;
    case 0xAA:
        return 0xBA;
    case 0xAF:
        return 0xBF;
    case 0xB2:
        return 0xB3;
    default:
        return c;
    }
}

void ToLower(CString& text) {
    for (char& c : text)
        c = static_cast<char>(ToLowerChar(static_cast<unsigned char>(c)));
}

void ApplySymbolsOption(const CString& value) {
    GeneratorSettings& settings = GeneratorSettings::Instance();
    const std::size_t q = std::min(value.find(kQuote), value.size());
    const CString classes = value.substr(0, q);
    settings.m_bLower = classes.find('a') != CString::npos;
    settings.m_bUpper = classes.find('A') != CString::npos;
    settings.m_bDigits = classes.find('0') != CString::npos;
    if (q == value.size()) {
        settings.m_bSpecial = 0;
        return;
    }
    CString symbols = StripQuotes(value.substr(q));
    ReplaceAll(symbols, "\\\"", "\"");
    ReplaceAll(symbols, "\\\\", "\\");
    settings.m_bSpecial = 1;
    settings.m_special.Clear();
    settings.m_special.Append(symbols);
}

void ApplyToken(const CString& token, NameForm form, CString& name) {
    struct Option {
        const char* keyword;
        void (*apply)(const CString& value);
    };
    static const Option kOptions[] = {
        {"count:",
         [](const CString& v) { StoreNumber(v, GeneratorSettings::Instance().m_nQuantity); }},
        {"quantity:",
         [](const CString& v) { StoreNumber(v, GeneratorSettings::Instance().m_nQuantity); }},
        {"length:",
         [](const CString& v) { StoreNumber(v, GeneratorSettings::Instance().m_nLength); }},
        {"symbol:", ApplySymbolsOption},
        {"symbols:", ApplySymbolsOption},
    };

    CString lowered = token;
    ToLower(lowered);
    for (const Option& option : kOptions) {
        if (lowered.starts_with(option.keyword)) {
            option.apply(token.substr(std::strlen(option.keyword)));
            return;
        }
    }
    if (form == NameForm::Quoted)
        name = StripQuotes(token);
    else if (!token.empty())
        name = token;
}

CString ParseCommandLine(const CString& commandLine) {
    GeneratorSettings::Instance();
    std::size_t position = 0;
    NextToken(commandLine, position); // the program path
    CString name;
    while (const std::optional<CString> token = NextToken(commandLine, position))
        ApplyToken(*token, NameForm::Quoted, name);
    return name;
}

CString ParseCommandLineWords(const std::vector<CString>& words) {
    GeneratorSettings::Instance();
    CString name;
    for (std::size_t i = 1; i < words.size(); ++i) // words[0] is the program path
        ApplyToken(words[i], NameForm::AsTyped, name);
    return name;
}

CString ParseProcessCommandLine(const platform::ProcessCommandLine& commandLine) {
    if (const auto* words = std::get_if<platform::CommandLineWords>(&commandLine))
        return ParseCommandLineWords(words->words);
    return ParseCommandLine(std::get<platform::CommandLineText>(commandLine).text);
}

bool RunFromCommandLine(const platform::ProcessCommandLine& commandLine, int& exitStatus) {
    const CString name = ParseProcessCommandLine(commandLine);
    if (name.empty())
        return false;
    const RunOutcome result = GeneratorSettings::Instance().GenerateToFile(name.c_str());
    exitStatus = ExitStatusOf(result.status);
    // A device or pipe may have taken the passwords made before a failure: then not "none".
    if (result.status != RunStatus::Done)
        std::fprintf(stderr, "mirrak-generator: %s: %s: %s\n", name.c_str(),
                     result.passwordsOut > 0 ? "no more passwords written" : "no passwords written",
                     Describe(result).c_str());
    return true;
}
