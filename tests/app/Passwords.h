#pragma once

// The check of password text that the batch-mode tests share.

#include "generator/Alphabet.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace testing_support {

inline const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                         kLower = "abcdefghijklmnopqrstuvwxyz",
                         kAlnum = kUpper + kLower + "0123456789";

// Checks that content is, byte for byte, quantity "\r\n"-ended lines of length characters of
// alphabet, whole as the platform's code page has them; with every, that each of them occurs.
inline void ExpectPasswords(const std::string& content, int quantity, int length,
                            const std::string& alphabet, bool every = false) {
    const Alphabet text(content), characters(alphabet);
    std::set<std::string_view> allowed, seen;
    for (std::uint32_t i = 0; i < characters.Count(); ++i)
        allowed.insert(characters.At(i));
    std::string shape, expected; // a drawn character shows as '*'
    for (std::uint32_t i = 0; i < text.Count(); ++i) {
        const std::string_view c = text.At(i);
        shape += allowed.count(c) ? "*" : std::string(c);
        if (allowed.count(c))
            seen.insert(c);
    }
    for (int i = 0; i < quantity; ++i)
        expected += std::string(std::size_t(length), '*') + "\r\n";
    EXPECT_EQ(shape, expected);
    EXPECT_EQ(every ? seen : allowed, allowed);
}

} // namespace testing_support
