#pragma once

// A small dialog template of the tests' own, so that the window layer and the worker thread are
// tested without the generator window: the controls those tests drive, with the generator
// window's ids (output 1000, alphabet 1004, progress 1020, completion 1021).

#include "platform/win/Win.h"

namespace testing_support {

inline constexpr UINT kTestTemplate = 900;

inline const platform::DialogTemplate& TestTemplate() {
    using namespace platform;
    static const DialogTemplate dialog{
        kTestTemplate,
        "Test",
        "MS Sans Serif",
        8,
        230,
        174,
        true,
        {
            {1002, ControlKind::Static, "Quantity", true, kAlignRight, 90, 7, 25, 8},
            {1001, ControlKind::Edit, "", true, kBorder | kTabStop | kAutoHScroll, 119, 5, 41, 14},
            {1006, ControlKind::PushButton, "Generate", true, kTabStop, 170, 5, 55, 14},
            {IDCANCEL, ControlKind::PushButton, "Exit", true, 0, 170, 105, 55, 14},
            {1000, ControlKind::Edit, "", true,
             kMultiLine | kReadOnly | kBorder | kVScroll | kAutoVScroll | kAutoHScroll | kTabStop,
             5, 52, 155, 67},
            {1004, ControlKind::Edit, "", false, kMultiLine | kBorder, 20, 0, 25, 12},
            {1020, ControlKind::ProgressBar, "", true, kBorder, 5, 125, 220, 7},
            {1021, ControlKind::PushButton, "Complete", false, 0, 51, 18, 50, 14},
        },
    };
    return dialog;
}

// Makes the test template the window layer's only resource.
inline void UseTestTemplate() {
    platform::SetResources([](UINT id) { return id == kTestTemplate ? &TestTemplate() : nullptr; },
                           [](UINT) -> const char* { return nullptr; });
}

} // namespace testing_support
