#include "platform/os/CommandLine.h"

#include <cstring>

namespace {

void AppendElement(CString& out, const char* element) {
    const bool quote = element[0] == '\0' || std::strchr(element, ' ') != nullptr;
    if (!quote) {
        out += element;
        return;
    }
    out += '"';
    for (const char* p = element; *p != '\0'; ++p) {
        if (*p == '"')
            out += '\\';
        out += *p;
    }
    out += '"';
}

} // namespace

namespace platform {

CString BuildCommandLine(int argc, const char* const* argv) {
    CString text;
    for (int i = 0; i < argc; ++i) {
        if (i > 0)
            text += ' ';
        AppendElement(text, argv[i] != nullptr ? argv[i] : "");
    }
    return text;
}

} // namespace platform
