#pragma once

#include "layout/AnchorLayout.h"
#include "platform/win/Gdi.h"
#include "platform/win/Win.h"
#include "res/ControlIds.h"

#include <memory>

class CGenerator;

// The generator window: the user's choices, Generate / Cancel, the output box, and the hidden
// controls that carry the alphabet and the worker's end notice.
class MainDialog : public CDialog, public MainDialogIds {
public:
    explicit MainDialog(CWnd* parent = nullptr);
    ~MainDialog() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(UINT id, UINT code) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void UpdateControls();
    void UpdateSettings();
    void OnSpecialSymbols();
    void OnGenerate();
    void StartOrCancel();
    void OnComplete();
    void OnSize(UINT type, int width, int height);
    void OnMove(int x, int y);
    void OnGetMinMaxInfo(MINMAXINFO* info);

    // The smallest outer size the window can be dragged to.
    static constexpr LONG kMinWidth = 356;
    static constexpr LONG kMinHeight = 312;

    // Files: the output box and the alphabet to and from text files, byte for byte.
    void OnSave();
    void OnOpen();
    void OnSaveAlphabet();
    void OnOpenAlphabet();
    void SavePasswords(const CString& path);
    void LoadPasswords(const CString& path);
    void SaveAlphabet(const CString& path);
    void LoadAlphabet(const CString& path);
    void ShowFilePath(const CString& path);
    static CString ReadTextFile(const CString& path);
    static void WriteTextFile(const CString& path, const CString& text);

    // Help, the maker's pages and the About box.
    void OnHelpButton();
    void OnLink1();
    void OnLink2();
    void OnLink3();
    void OnWelcome();
    void OnAbout();
    static constexpr const char* kLink1Address = "https://mirrak.example/guide";
    static constexpr const char* kLink2Address = "https://mirrak.example/news";
    static constexpr const char* kLink3Address = "https://mirrak.example/community";
    static constexpr const char* kHomePage = "www.mirrak.example";

    // Pictures: the icon when minimised, and the bitmaps of the image buttons.
    void OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }
    void LoadImages();
    // Turns every pixel of bitmap that is exactly key into the button face colour.
    static void ReplaceBitmapColor(CDC& referenceDC, CBitmap& bitmap, COLORREF key);
    // Where an icon of the given size starts to be centred in the given client size.
    static int CentredIconOffset(int clientSize, int iconSize) {
        return (clientSize - iconSize + 1) / 2;
    }

    // The running worker, or none; for tests that watch a run.
    CGenerator* GetGenerator() const { return m_pGenerator; }

    static constexpr const char* kSettingsFile = "gen.cfg";

private:
    CFont m_font;
    AnchorLayout m_layout;
    CGenerator* m_pGenerator = nullptr;
    HICON m_hIcon = nullptr;
    std::unique_ptr<CBitmap> m_pWelcomeBitmap;
    std::unique_ptr<CBitmap> m_pLinkBitmap1;
    std::unique_ptr<CBitmap> m_pLinkBitmap2;
    std::unique_ptr<CBitmap> m_pLinkBitmap3;
    bool m_bClosing = false;
};
