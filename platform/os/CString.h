#pragma once

#include <string>

// The 8-bit text type of the system: bytes of the platform's code page (UTF-8 on POSIX).
using CString = std::string;
