#pragma once

#include "platform/os/CString.h"

#include <cstdint>
#include <optional>

// Reads a number the way C's "%d" does: leading white space, an optional sign, digits up to the
// first other character. Values beyond the 32-bit range saturate. Nothing when no digit comes.
std::optional<std::int32_t> ScanInt(const CString& text);
