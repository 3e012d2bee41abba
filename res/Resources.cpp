// The program's resources as data: dialog templates (rectangles in dialog units). The icon and
// bitmaps are in res/Images.cpp. The image buttons are named for assistive technology by the page
// each opens (the guide, the news, the community; see MainDialog's link addresses).

#include "res/Resources.h"

#include "res/ControlIds.h"

using namespace platform;

namespace {

using Id = MainDialogIds;

const DialogTemplate kMainDialog{
    kMainDialogTemplate,
    "Mirrak Generator",
    "MS Sans Serif",
    8,
    230,
    174,
    true,
    {
        {Id::kQuantityLabel, ControlKind::Static, "Quantity", true, kAlignRight, 90, 7, 25, 8},
        {Id::kQuantity, ControlKind::Edit, "", true, kBorder | kTabStop | kAutoHScroll, 119, 5, 41,
         14},
        {Id::kLengthLabel, ControlKind::Static, "Length", true, kAlignRight, 91, 22, 25, 8},
        {Id::kLength, ControlKind::Edit, "", true, kBorder | kTabStop | kAutoHScroll, 119, 20, 41,
         14},
        {Id::kGenerate, ControlKind::PushButton, "Generate", true, kTabStop, 170, 5, 55, 14},
        {Id::kSave, ControlKind::PushButton, "Save...", true, 0, 170, 25, 55, 14},
        {Id::kOpen, ControlKind::PushButton, "Open...", true, 0, 170, 45, 55, 14},
        {Id::kAbout, ControlKind::PushButton, "About...", true, 0, 170, 65, 55, 14},
        {Id::kHelp, ControlKind::PushButton, "Help...", true, 0, 170, 85, 55, 14},
        {IDCANCEL, ControlKind::PushButton, "Exit", true, 0, 170, 105, 55, 14},
        {Id::kOutput, ControlKind::Edit, "", true,
         kMultiLine | kReadOnly | kBorder | kVScroll | kAutoVScroll | kAutoHScroll | kTabStop, 5,
         52, 155, 67, "Passwords"},
        {Id::kWelcome, ControlKind::PushButton, "Welcome", false, kBitmap | kTabStop, 7, 100, 220,
         30},
        {Id::kUpper, ControlKind::CheckBox, "Upper letters", true, 0, 5, 5, 60, 10},
        {Id::kLower, ControlKind::CheckBox, "Lower letters", true, 0, 5, 15, 60, 10},
        {Id::kDigits, ControlKind::CheckBox, "Numbers", true, 0, 5, 25, 60, 10},
        {-1, ControlKind::Static, "Alphabet", false, 0, 70, 0, 29, 8},
        {Id::kAlphabet, ControlKind::Edit, "", false,
         kMultiLine | kWantReturn | kBorder | kVScroll | kAutoVScroll, 20, 0, 25, 12},
        {Id::kSaveAlphabet, ControlKind::PushButton, "Save...", false, 0, 20, 0, 10, 14},
        {Id::kOpenAlphabet, ControlKind::PushButton, "Open...", false, 0, 40, 0, 6, 14},
        {Id::kAlphabetPath, ControlKind::Edit, "", false, kReadOnly | kAutoHScroll, 0, 0, 10, 12},
        {Id::kLayoutReference1, ControlKind::Static, "RightBottom", false, 0, 145, 10, 40, 8},
        {Id::kSpecial, ControlKind::CheckBox, "Special symbols", true, 0, 5, 37, 70, 10},
        {Id::kSpecialSymbols, ControlKind::Edit, "", true, kBorder | kTabStop | kAutoHScroll, 75,
         35, 85, 14},
        {Id::kProgress, ControlKind::ProgressBar, "Progress1", true, kBorder, 5, 125, 220, 7,
         "Progress"},
        {Id::kComplete, ControlKind::PushButton, "Complete", false, 0, 51, 18, 50, 14},
        {Id::kLink1, ControlKind::PushButton, "Button1", true, kBitmap | kFlat | kTabStop, 5, 134,
         67, 39, "Guide"},
        {Id::kLink2, ControlKind::PushButton, "Button1", true, kBitmap | kFlat | kTabStop, 82, 134,
         67, 39, "News"},
        {Id::kLink3, ControlKind::PushButton, "Button1", true, kBitmap | kFlat | kTabStop, 158, 134,
         67, 39, "Community"},
        {Id::kLayoutReference2, ControlKind::Static, "Static", false, 0, 116, 129, 20, 8},
    },
};

// The About box: name and legal notice, version, and how to reach the vendor.
const DialogTemplate kAboutDialog{
    kAboutTemplate,
    "About",
    "MS Sans Serif",
    8,
    186,
    126,
    false,
    {
        {IDOK, ControlKind::PushButton, "Ok", true, kDefaultButton | kTabStop, 62, 105, 60, 15},
        {1065, ControlKind::PushButton, "Detail...", false, kTabStop, 119, 104, 60, 15},
        {1066, ControlKind::Static,
         "MIRRAK Generator for\nWindows 95/98/Me/NT/2000/XP\nCopyright (C) 2003-2026\n"
         "Mirrak Software\nAll rights reserved.",
         true, kCenter, 10, 7, 165, 40},
        {1067, ControlKind::Static, "Version information:\nMIRRAK Generator " MIRRAK_VERSION, true,
         kCenter, 10, 52, 165, 17},
        {1068, ControlKind::Static,
         "Vendor information:\nhttps://mirrak.example/\nE-mail: support@mirrak.example", true,
         kCenter, 10, 73, 165, 25},
    },
};

} // namespace

namespace res {

const DialogTemplate* FindDialogTemplate(UINT id) {
    switch (id) {
    case kMainDialogTemplate:
        return &kMainDialog;
    case kAboutTemplate:
        return &kAboutDialog;
    default:
        return nullptr;
    }
}

} // namespace res
