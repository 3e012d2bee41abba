#pragma once

// Checks of password text that the batch-mode tests share.

#include "platform/os/Characters.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

inline const std::string kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                         kLower = "abcdefghijklmnopqrstuvwxyz",
                         kAlnum = kUpper + kLower + "0123456789";

// The characters of a text, each whole, as the platform's code page splits them.
inline std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> characters;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = platform::CharacterLength(bytes + i, text.size() - i);
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

// Checks that content is, byte for byte, quantity "\r\n"-ended lines of length characters of
// alphabet, and with every set that each of them occurs.
inline void ExpectPasswords(const std::string& content, int quantity, int length,
                            const std::string& alphabet, bool every = false) {
    const std::vector<std::string> allowed = Characters(alphabet);
    std::string shape, expected; // an allowed character shows as '*'
    std::set<std::string> seen;
    for (const std::string& c : Characters(content)) {
        const bool drawn = std::find(allowed.begin(), allowed.end(), c) != allowed.end();
        shape += drawn ? "*" : c;
        if (drawn)
            seen.insert(c);
    }
    for (int i = 0; i < quantity; ++i)
        expected += std::string(std::size_t(length), '*') + "\r\n";
    EXPECT_EQ(shape, expected);
    for (const std::string& c : every ? allowed : std::vector<std::string>())
        EXPECT_TRUE(seen.count(c)) << "never drawn: " << c;
}

} // namespace testing_support
