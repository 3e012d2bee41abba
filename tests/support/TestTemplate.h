#pragma once

// A small dialog template of the tests' own, so that the window layer, the layout and the worker
// thread are tested without the generator window: the ids, styles and sizes of the controls that
// those tests drive, as the program's window has them.

#include "platform/win/Win.h"

namespace testing_support {

inline constexpr UINT kTestTemplate = 900;

namespace test_ids {
inline constexpr int kOutput = 1000;   // the multi-line, read-only output box
inline constexpr int kAlphabet = 1004; // a hidden edit
inline constexpr int kGenerate = 1006; // a push button
inline constexpr int kProgress = 1020; // a progress bar
inline constexpr int kComplete = 1021; // a hidden push button
inline constexpr int kImage1 = 1023;   // three flat image buttons
inline constexpr int kImage2 = 1024;
inline constexpr int kImage3 = 1025;
inline constexpr int kReference = 1026; // a hidden static
} // namespace test_ids

inline const platform::DialogTemplate& TestTemplate() {
    using namespace platform;
    using namespace test_ids;
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
            {kGenerate, ControlKind::PushButton, "Generate", true, kTabStop, 170, 5, 55, 14},
            {IDCANCEL, ControlKind::PushButton, "Exit", true, 0, 170, 105, 55, 14},
            {kOutput, ControlKind::Edit, "", true,
             kMultiLine | kReadOnly | kBorder | kVScroll | kAutoVScroll | kAutoHScroll | kTabStop,
             5, 52, 155, 67},
            {1012, ControlKind::CheckBox, "Upper letters", true, 0, 5, 5, 60, 10},
            {kAlphabet, ControlKind::Edit, "", false,
             kMultiLine | kWantReturn | kBorder | kVScroll | kAutoVScroll, 20, 0, 25, 12},
            {kProgress, ControlKind::ProgressBar, "Progress1", true, kBorder, 5, 125, 220, 7},
            {kComplete, ControlKind::PushButton, "Complete", false, 0, 51, 18, 50, 14},
            {kImage1, ControlKind::PushButton, "", true, kBitmap | kFlat | kTabStop, 5, 134, 67,
             39},
            {kImage2, ControlKind::PushButton, "", true, kBitmap | kFlat | kTabStop, 82, 134, 67,
             39},
            {kImage3, ControlKind::PushButton, "", true, kBitmap | kFlat | kTabStop, 158, 134, 67,
             39},
            {kReference, ControlKind::Static, "Static", false, 0, 116, 129, 20, 8},
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
