#pragma once

// The control ids of the generator window, the one copy of them: its template, the dialog and its
// worker all name the controls through these.
struct MainDialogIds {
    enum ControlId : int {
        kOutput = 1000,
        kQuantity = 1001,
        kQuantityLabel = 1002,
        kLength = 1003,
        kAlphabet = 1004,
        kOpenAlphabet = 1005,
        kGenerate = 1006,
        kSave = 1007,
        kOpen = 1008,
        kSaveAlphabet = 1009,
        kAbout = 1010,
        kAlphabetPath = 1011,
        kUpper = 1012,
        kLower = 1013,
        kDigits = 1014,
        kLayoutReference1 = 1015,
        kLengthLabel = 1016,
        kWelcome = 1017,
        kSpecial = 1018,
        kSpecialSymbols = 1019,
        kProgress = 1020,
        kComplete = 1021,
        kHelp = 1022,
        kLink1 = 1023,
        kLink2 = 1024,
        kLink3 = 1025,
        kLayoutReference2 = 1026,
    };
};

// The templates of the generator window and of the About box.
inline constexpr unsigned kMainDialogTemplate = 102;
inline constexpr unsigned kAboutTemplate = 134;
