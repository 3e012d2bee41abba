#pragma once

// Small helpers the tests share: a temporary folder that is removed again, and whole-file reads
// and writes.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

namespace fs = std::filesystem;

// A fresh folder under /tmp; with enter, it is also the current directory until destruction.
class TempDir {
public:
    explicit TempDir(bool enter = false) {
        char name[] = "/tmp/mirrak-test-XXXXXX";
        EXPECT_NE(mkdtemp(name), nullptr);
        m_path = name;
        if (enter) {
            m_previous = fs::current_path();
            fs::current_path(m_path);
        }
    }
    ~TempDir() {
        if (!m_previous.empty())
            fs::current_path(m_previous);
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
    fs::path m_previous;
};

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

inline unsigned FileMode(const fs::path& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
}

} // namespace testing_support
