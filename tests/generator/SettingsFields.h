#pragma once

// The fields of a settings record, for comparing records whole.

#include "generator/GeneratorSettings.h"

#include <tuple>

namespace testing_support {

// Every field, so that records compare whole; each buffer as its text and its size.
inline auto Fields(const GeneratorSettings& s) {
    return std::make_tuple(s.m_nQuantity, s.m_nLength, s.m_bUpper, s.m_bLower, s.m_bDigits,
                           s.m_geometry.GetText(), s.m_geometry.GetSize(), s.m_bSpecial,
                           s.m_special.GetText(), s.m_special.GetSize());
}

} // namespace testing_support
