#pragma once

#include "platform/os/CString.h"
#include "platform/os/CommandLine.h"
#include "platform/os/TextNumber.h"

#include <cstddef>
#include <optional>
#include <vector>

// The command-line grammar: the program path, then tokens. "count:" or "quantity:" with a
// number, "length:" with a number, "symbols:" or "symbol:" with class letters and an optional
// double-quoted special-symbol set; any other token names the output file. Where the tokens come
// from depends on the form in which the system hands over the command line: words, one token each,
// or one text of blank-separated tokens.

// How a token that is no option names the output file.
enum class NameForm {
    Quoted,  // a token of a whole text: one pair of enclosing double quotes is removed; a lone
             // pair of double quotes clears the name
    AsTyped, // a word: the name is the word exactly as it stands; an empty word names nothing
};

// Applies one token: an option goes into GeneratorSettings::Instance(), and any other token
// replaces name as form says.
void ApplyToken(const CString& token, NameForm form, CString& name);

// Each of these applies the options to GeneratorSettings::Instance() and returns the output file
// name, empty when the command line names none.
//
// A whole command-line text, program path first, split by NextToken.
CString ParseCommandLine(const CString& commandLine);
// Words, program path first, one token each.
CString ParseCommandLineWords(const std::vector<CString>& words);
// The process's command line, by the rules of its form.
CString ParseProcessCommandLine(const platform::ProcessCommandLine& commandLine);

// The next blank-separated token at position (advanced past it), or nothing when only blanks are
// left. A token that starts with a double quote runs to the next double quote not preceded by a
// backslash, or to the end of the text; it keeps its quotes and backslashes.
std::optional<CString> NextToken(const CString& commandLine, std::size_t& position);

// The text without one pair of enclosing double quotes.
CString StripQuotes(const CString& text);

// Lower-cases ASCII and Windows-1251 capitals, byte by byte.
unsigned char ToLowerChar(unsigned char c);
void ToLower(CString& text);

// Applies the value of a "symbols:" option: a, A and 0 before the first double quote switch on
// lower-case, upper-case and digits; a quoted rest switches on special symbols with that set.
void ApplySymbolsOption(const CString& value);

// Exit statuses of the program.
enum ExitStatus : int {
    kExitWritten = 0,
    kExitUsage = 2,
    kExitEmptyAlphabet = 3,
    kExitTooLarge = 4,
    kExitRandomFailed = 5,
    kExitWriteFailed = 6,
};

// Parses the command line and, when it names an output file, writes the passwords there. Returns
// true when it ran batch generation; exitStatus then tells how it went, and a failure has been
// reported as one line on stderr.
bool RunFromCommandLine(const platform::ProcessCommandLine& commandLine, int& exitStatus);
