#include "ui/MainDialog.h"

#include "generator/Alphabet.h"
#include "generator/ByteReader.h"
#include "generator/GeneratorSettings.h"
#include "generator/RunPlan.h"
#include "generator/thread/CGenerator.h"
#include "platform/os/TextNumber.h"

#include <cstdio>
#include <utility>

namespace {

constexpr UINT kIcon = 128;

CString FormatNumber(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

void ReadNumber(const CWnd& edit, std::int32_t& value) {
    if (const std::optional<std::int32_t> number = ScanInt(edit.GetWindowText()))
        value = *number;
}

struct CommandEntry {
    UINT id;
    void (MainDialog::*handler)();
};

const CommandEntry kCommandMap[] = {
    {MainDialog::kGenerate, &MainDialog::OnGenerate},
    {MainDialog::kSpecial, &MainDialog::OnSpecialSymbols},
    {MainDialog::kComplete, &MainDialog::OnComplete},
    {MainDialog::kSave, &MainDialog::OnSave},
    {MainDialog::kOpen, &MainDialog::OnOpen},
    {MainDialog::kSaveAlphabet, &MainDialog::OnSaveAlphabet},
    {MainDialog::kOpenAlphabet, &MainDialog::OnOpenAlphabet},
    {MainDialog::kHelp, &MainDialog::OnHelpButton},
    {MainDialog::kLink1, &MainDialog::OnLink1},
    {MainDialog::kLink2, &MainDialog::OnLink2},
    {MainDialog::kLink3, &MainDialog::OnLink3},
    {MainDialog::kWelcome, &MainDialog::OnWelcome},
    {MainDialog::kAbout, &MainDialog::OnAbout},
};

// Window messages other than commands, each unpacked for its handler.
struct MessageEntry {
    UINT message;
    void (*handler)(MainDialog& dialog, WPARAM wParam, LPARAM lParam);
};

const MessageEntry kMessageMap[] = {
    {WM_SIZE,
     [](MainDialog& dialog, WPARAM wParam, LPARAM lParam) {
         dialog.OnSize(UINT(wParam), int(LOWORD(WPARAM(lParam))), int(HIWORD(WPARAM(lParam))));
     }},
    {WM_MOVE,
     [](MainDialog& dialog, WPARAM, LPARAM lParam) {
         dialog.OnMove(int(std::int16_t(LOWORD(WPARAM(lParam)))),
                       int(std::int16_t(HIWORD(WPARAM(lParam)))));
     }},
    {WM_GETMINMAXINFO,
     [](MainDialog& dialog, WPARAM, LPARAM lParam) {
         dialog.OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
     }},
};

// The controls that follow the window's size, with the edges that move: the command buttons
// move right, the symbols edit and the output widen, the output also grows down, the progress
// bar and the welcome button move down and widen, the image buttons move down.
const std::pair<int, std::int32_t> kFollowSize[] = {
    {MainDialog::kSpecialSymbols, EDGE_RIGHT},
    {MainDialog::kGenerate, EDGE_LEFT | EDGE_RIGHT},
    {MainDialog::kSave, EDGE_LEFT | EDGE_RIGHT},
    {MainDialog::kOpen, EDGE_LEFT | EDGE_RIGHT},
    {MainDialog::kAbout, EDGE_LEFT | EDGE_RIGHT},
    {MainDialog::kHelp, EDGE_LEFT | EDGE_RIGHT},
    {IDCANCEL, EDGE_LEFT | EDGE_RIGHT},
    {MainDialog::kOutput, EDGE_RIGHT | EDGE_BOTTOM},
    {MainDialog::kWelcome, EDGE_RIGHT | EDGE_TOP | EDGE_BOTTOM},
    {MainDialog::kProgress, EDGE_RIGHT | EDGE_TOP | EDGE_BOTTOM},
    {MainDialog::kLink1, EDGE_TOP | EDGE_BOTTOM},
    {MainDialog::kLink2, EDGE_TOP | EDGE_BOTTOM},
    {MainDialog::kLink3, EDGE_TOP | EDGE_BOTTOM},
};
// The image buttons also keep their reference at the same fraction of the window's width.
const int kProportional[] = {MainDialog::kLink1, MainDialog::kLink2, MainDialog::kLink3};

} // namespace

MainDialog::MainDialog(CWnd* parent) : CDialog(kMainDialogTemplate, parent) {
    if (CWinApp* app = AfxGetApp())
        m_hIcon = app->LoadIcon(kIcon);
}

MainDialog::~MainDialog() {
    m_font.DeleteObject();
}

BOOL MainDialog::OnCommand(UINT id, UINT code) {
    if (code == BN_CLICKED) {
        for (const CommandEntry& entry : kCommandMap) {
            if (entry.id == id) {
                (this->*entry.handler)();
                return TRUE;
            }
        }
    }
    return CDialog::OnCommand(id, code);
}

LRESULT MainDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    default:
        break;
    }
    for (const MessageEntry& entry : kMessageMap) {
        if (entry.message == message) {
            entry.handler(*this, wParam, lParam);
            return 0;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void MainDialog::OnSize(UINT /*type*/, int /*width*/, int /*height*/) {
    Default();
    m_layout.Relayout();
}

void MainDialog::OnMove(int /*x*/, int /*y*/) {
    Default();
    m_layout.Relayout();
}

void MainDialog::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize = {kMinWidth, kMinHeight};
}

BOOL MainDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bClosing = false; // set only while a run of the dialog is ending
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    LoadImages();

    m_font.CreateFontA(17, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, "Courier New");
    GetDlgItem(kOutput).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&m_font), TRUE);
    GetDlgItem(kSpecialSymbols).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&m_font), TRUE);

    GeneratorSettings::Instance().Load(kSettingsFile);

    m_layout.Attach(this);
    auto* followSize = new AnchorGroup(kLayoutReference1, ANCHOR_FOLLOWSIZE | ANCHOR_X | ANCHOR_Y);
    m_layout.AddGroup(followSize);
    for (const auto& [id, edges] : kFollowSize)
        followSize->AddControl(id, edges);
    auto* proportional = new AnchorGroup(kLayoutReference2, ANCHOR_PROPORTIONAL | ANCHOR_X);
    m_layout.AddGroup(proportional);
    for (const int id : kProportional)
        proportional->AddControl(id, EDGE_LEFT | EDGE_RIGHT);
    if (const ByteBuffer& geometry = GeneratorSettings::Instance().m_geometry; !geometry.IsZero()) {
        ByteReader reader(geometry);
        m_layout.RestoreGeometry(reader);
    }

    UpdateControls();
    return TRUE;
}

void MainDialog::UpdateControls() {
    const GeneratorSettings& settings = GeneratorSettings::Instance();
    GetDlgItem(kQuantity).SetWindowText(FormatNumber(settings.m_nQuantity));
    GetDlgItem(kLength).SetWindowText(FormatNumber(settings.m_nLength));
    GetDlgItem(kUpper).SendMessage(BM_SETCHECK, WPARAM(settings.m_bUpper));
    GetDlgItem(kLower).SendMessage(BM_SETCHECK, WPARAM(settings.m_bLower));
    GetDlgItem(kDigits).SendMessage(BM_SETCHECK, WPARAM(settings.m_bDigits));
    GetDlgItem(kSpecial).SendMessage(BM_SETCHECK, WPARAM(settings.m_bSpecial));
    ByteReader reader(settings.m_special);
    CString symbols;
    reader.ReadString(symbols);
    GetDlgItem(kSpecialSymbols).SetWindowText(symbols);
    OnSpecialSymbols();
}

void MainDialog::UpdateSettings() {
    GeneratorSettings& settings = GeneratorSettings::Instance();
    ReadNumber(GetDlgItem(kQuantity), settings.m_nQuantity);
    ReadNumber(GetDlgItem(kLength), settings.m_nLength);
    if (settings.m_nLength < 1)
        settings.m_nLength = 1;
    if (settings.m_nQuantity < 1)
        settings.m_nQuantity = 1;
    settings.m_bUpper = std::int32_t(GetDlgItem(kUpper).SendMessage(BM_GETCHECK));
    settings.m_bLower = std::int32_t(GetDlgItem(kLower).SendMessage(BM_GETCHECK));
    settings.m_bDigits = std::int32_t(GetDlgItem(kDigits).SendMessage(BM_GETCHECK));
    settings.m_bSpecial = std::int32_t(GetDlgItem(kSpecial).SendMessage(BM_GETCHECK));

    const CString symbols = GetDlgItem(kSpecialSymbols).GetWindowText();
    settings.m_special.Clear();
    settings.m_special.Append(symbols);

    // The record now holds the controls' classes and symbols, so its alphabet is theirs.
    const CString alphabet = settings.BuildAlphabet();
    GetDlgItem(kAlphabet).SetWindowText(alphabet);

    UpdateControls();
}

void MainDialog::OnSpecialSymbols() {
    const bool checked = GetDlgItem(kSpecial).SendMessage(BM_GETCHECK) != 0;
    GetDlgItem(kSpecialSymbols).EnableWindow(checked);
}

void MainDialog::OnOK() {
    OnGenerate();
}

void MainDialog::OnGenerate() {
    if (m_bClosing)
        return;
    UpdateSettings();
    StartOrCancel();
}

void MainDialog::StartOrCancel() {
    if (m_pGenerator != nullptr) {
        m_pGenerator->Cancel();
        return;
    }

    // A run whose result cannot be held, in memory and in the output box, is refused before any
    // work.
    const GeneratorSettings& settings = GeneratorSettings::Instance();
    const RunPlan plan(settings.m_nQuantity, settings.m_nLength,
                       Alphabet(GetDlgItem(kAlphabet).GetWindowText()));
    if (plan.HoldingWhole(platform::MaxWindowTextBytes()).status == RunStatus::TooLarge) {
        AfxMessageBox("Cannot make " + FormatNumber(settings.m_nQuantity) + " passwords of " +
                      FormatNumber(settings.m_nLength) +
                      " characters: the result would be larger than this computer can hold in "
                      "the output box. Ask for fewer or shorter passwords, or write them to a "
                      "file from the command line.");
        return;
    }

    GetDlgItem(kOutput).SetWindowText(CString());
    m_pGenerator = AfxBeginThread<CGenerator>();
    if (m_pGenerator == nullptr) {
        AfxMessageBox("Cannot start the generator: the system refused a new thread.");
        return;
    }
    GetDlgItem(kGenerate).SetWindowText("Cancel");
}

void MainDialog::OnComplete() {
    if (m_pGenerator == nullptr)
        return; // a notice without a run does nothing
    CGenerator* generator = m_pGenerator;
    // The result is moved into the output box, which wipes it when it goes.
    CString result = generator->TakeResult();
    const std::size_t size = result.size();
    const CWnd output = GetDlgItem(kOutput);
    output.SetWindowText(std::move(result));
    output.SetFocus();
    output.SendMessage(EM_SETSEL, WPARAM(size), 0);
    output.SendMessage(EM_SCROLLCARET);
    const RunStatus status = generator->Outcome().status;
    m_pGenerator = nullptr;
    GetDlgItem(kGenerate).SetWindowText("Generate");

    if (status == RunStatus::RandomFailed)
        AfxMessageBox("No passwords were made: the system's random source failed.");
    else if (status == RunStatus::TooLarge)
        AfxMessageBox("No passwords were made: there was not enough memory for them.");
}

void MainDialog::OnCancel() {
    if (m_bClosing)
        return;
    m_bClosing = true;
    // A run still under way is stopped, and its end notice served, before the window goes.
    if (m_pGenerator != nullptr) {
        m_pGenerator->Cancel();
        platform::PumpMessagesUntil([this] { return m_pGenerator == nullptr; });
    }
    UpdateSettings();
    GeneratorSettings& settings = GeneratorSettings::Instance();
    settings.m_geometry.Clear();
    m_layout.SaveGeometry(settings.m_geometry);
    settings.Save(kSettingsFile);
    CDialog::OnCancel();
}
