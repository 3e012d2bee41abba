#pragma once

// Runs of the generator window with real widgets: each test starts from the default settings in
// an empty current folder, with the program's resources and the GUI up.

#include "generator/GeneratorSettings.h"
#include "res/Resources.h"
#include "tests/support/DialogRun.h"
#include "tests/support/Files.h"
#include "ui/MainDialog.h"

#include <QWidget>
#include <functional>

namespace testing_support {

class DialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::SetResources(&res::FindDialogTemplate, &res::FindImageResource);
        ASSERT_TRUE(platform::EnsureGuiApplication());
    }
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
    void Command(int id) { m_dialog.SendMessage(WM_COMMAND, MAKEWPARAM(unsigned(id), BN_CLICKED)); }

    Dialog m_dialog;
};

} // namespace testing_support
