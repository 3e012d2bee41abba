#pragma once

#include "platform/os/CString.h"
#include "platform/os/CommandLine.h"

// What the program tells about itself when asked on its command line: "--help" gives the usage,
// "--version" the version, each on stdout instead of a run. Only these exact words ask; any other
// word, "./--help" or "--HELP" among them, keeps its meaning as an option or a file name.
enum class InfoRequest { None, Usage, Version };

// The first of the two words among the arguments (the program path is not one of them).
InfoRequest FindInfoRequest(const platform::ProcessCommandLine& commandLine);

// The usage: the synopsis, every option, an example and the exit statuses.
CString UsageText();
// "Mirrak Generator 2.4" and a line feed.
CString VersionText();

// Prints the text that request asks for on stdout; returns the exit status: 0, or 6 with one line
// on stderr when stdout did not take the whole text.
int PrintInfo(InfoRequest request);
