// The dialog's pictures: the icon of the minimised window and the bitmaps of the image buttons.

#include "ui/MainDialog.h"

namespace {

constexpr UINT kWelcomeBitmap = 157;
constexpr UINT kLinkBitmap1 = 25012;
constexpr UINT kLinkBitmap2 = 25013;
constexpr UINT kLinkBitmap3 = 25014;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Replaces bitmap with a fresh one loaded from resource id; a missing resource leaves an empty
// bitmap, which shows no image.
CBitmap& Reload(std::unique_ptr<CBitmap>& bitmap, UINT id) {
    bitmap = std::make_unique<CBitmap>();
    bitmap->LoadBitmap(id);
    return *bitmap;
}

LPARAM HandleOf(const CBitmap& bitmap) {
    return reinterpret_cast<LPARAM>(bitmap.GetSafeHandle());
}

} // namespace

// Where the window system paints minimised windows itself (X11 window managers show the window's
// icon), no paint reaches a minimised dialog and only the second branch runs.
void MainDialog::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int iconWidth = GetSystemMetrics(SM_CXICON);
        const int iconHeight = GetSystemMetrics(SM_CYICON);
        RECT client;
        GetClientRect(&client);
        dc.DrawIcon(CentredIconOffset(client.right - client.left, iconWidth),
                    CentredIconOffset(client.bottom - client.top, iconHeight), m_hIcon);
    } else {
        CDialog::WindowProc(WM_PAINT, 0, 0); // default painting
    }
    LoadImages();
}

// Every paint loads the bitmaps afresh, so the welcome bitmap carries the button face colour of
// the moment.
void MainDialog::LoadImages() {
    const CWnd welcome = GetDlgItem(kWelcome);
    welcome.SendMessage(BM_SETIMAGE, IMAGE_BITMAP, 0);
    CPaintDC dc(this);

    ReplaceBitmapColor(dc, Reload(m_pWelcomeBitmap, kWelcomeBitmap), kWhite);
    welcome.SendMessage(BM_SETIMAGE, IMAGE_BITMAP, HandleOf(*m_pWelcomeBitmap));

    GetDlgItem(kLink1).SendMessage(BM_SETIMAGE, IMAGE_BITMAP,
                                   HandleOf(Reload(m_pLinkBitmap1, kLinkBitmap1)));
    GetDlgItem(kLink2).SendMessage(BM_SETIMAGE, IMAGE_BITMAP,
                                   HandleOf(Reload(m_pLinkBitmap2, kLinkBitmap2)));
    GetDlgItem(kLink3).SendMessage(BM_SETIMAGE, IMAGE_BITMAP,
                                   HandleOf(Reload(m_pLinkBitmap3, kLinkBitmap3)));
}

void MainDialog::ReplaceBitmapColor(CDC& referenceDC, CBitmap& bitmap, COLORREF key) {
    CDC memoryDC;
    memoryDC.CreateCompatibleDC(&referenceDC);
    CBitmap* previous = memoryDC.SelectObject(&bitmap);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    BITMAP info{};
    bitmap.GetObject(sizeof info, &info);
    for (int x = 0; x < info.bmWidth; ++x) {
        for (int y = 0; y < info.bmHeight; ++y) {
            if (memoryDC.GetPixel(x, y) == key)
                memoryDC.SetPixel(x, y, face);
        }
    }
    memoryDC.SelectObject(previous);
    memoryDC.DeleteDC();
}
