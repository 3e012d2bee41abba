#pragma once

// Small helpers the tests share: a temporary folder that is removed again, whole-file reads
// and writes, and modal dialog sessions with real widgets.

#include "generator/GeneratorSettings.h"
#include "ui/MainDialog.h"

#include <QTimer>
#include <QWidget>
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

// Runs a modal session of dialog: steps once it is up, then it is closed unless it was.
template <class Dialog> void Session(Dialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, [&] {
        steps();
        if (dialog.IsWindowVisible())
            dialog.OnCancel();
    });
    dialog.DoModal();
}

// Each test starts from the default settings in an empty current folder, with the GUI up.
class DialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(platform::EnsureGuiApplication()); }
    DialogTest() {
        GeneratorSettings::Instance() = GeneratorSettings();
        GeneratorSettings::Instance().SetDefaults();
    }

    TempDir m_folder{true};
    CWinApp m_app;
};

// One generator window per test, the application's main window.
template <class Dialog = MainDialog> class MainDialogSession : public DialogTest {
protected:
    MainDialogSession() { m_app.m_pMainWnd = &m_dialog; }
    void Run(const std::function<void()>& steps) { Session(m_dialog, steps); }
    QWidget* Window() const { return static_cast<QWidget*>(m_dialog.NativeWindow()); }
    CWnd Item(int id) const { return m_dialog.GetDlgItem(id); }
    CString Text(int id) const { return Item(id).GetWindowText(); }

    Dialog m_dialog;
};

} // namespace testing_support
