#pragma once

// A temporary folder that is removed again, and whole files read, written and made read-only.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace testing_support {

namespace fs = std::filesystem;

// A fresh folder for temporary files; with enter, also the current directory while it lives.
class TempDir {
public:
    explicit TempDir(bool enter = false) {
        static std::atomic<unsigned> count{0};
        m_path = fs::temp_directory_path() /
                 ("mirrak-test-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                  "-" + std::to_string(count++));
        EXPECT_TRUE(fs::create_directory(m_path)) << m_path;
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

// A file's permission bits; 0 when they cannot be read.
inline unsigned FileMode(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return error ? 0u : unsigned(status.permissions() & fs::perms::mask);
}

// On POSIX no write permission for anyone; on Windows the read-only attribute.
inline void SetReadOnly(const fs::path& path, bool readOnly) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

inline bool IsReadOnly(const fs::path& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace testing_support
