#pragma once

// Pictures: bitmaps loaded from the program's image resources, device contexts that read and
// write their pixels or draw on a window while it paints, the system colours and metrics, and
// the image of a bitmap button.

#include "platform/win/Win.h"

#include <cstdint>
#include <memory>

using WORD = std::uint16_t;
// A colour as 0x00BBGGRR.
using COLORREF = std::uint32_t;
using HBITMAP = const struct BitmapData*;
using HDC = struct DcData*;

constexpr COLORREF RGB(unsigned red, unsigned green, unsigned blue) {
    return COLORREF((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
constexpr unsigned GetRValue(COLORREF color) {
    return color & 0xFF;
}
constexpr unsigned GetGValue(COLORREF color) {
    return (color >> 8) & 0xFF;
}
constexpr unsigned GetBValue(COLORREF color) {
    return (color >> 16) & 0xFF;
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT BM_SETIMAGE = 0x00F7;
inline constexpr WPARAM IMAGE_BITMAP = 0;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// The system's colour of the given kind at this moment; COLOR_BTNFACE is the palette's button
// colour, so it follows a change of style or palette.
COLORREF GetSysColor(int index);
// Icon sizes are 32 pixels; other metrics are 0.
int GetSystemMetrics(int index);

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// A bitmap owned by this object; its pixels go when the object goes.
class CBitmap {
public:
    CBitmap();
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Loads bitmap resource id; FALSE, leaving no bitmap, when there is none or it cannot be read.
    BOOL LoadBitmap(UINT id);
    void DeleteObject();
    // Fills a BITMAP record (size bytes at object); returns the bytes filled, 0 without a bitmap.
    int GetObject(int size, void* object) const;
    HBITMAP GetSafeHandle() const { return m_pData.get(); }

private:
    friend class CDC;
    std::unique_ptr<BitmapData> m_pData;
};

// A device context: a memory one that works on the bitmap selected into it, or a window's while
// that window paints. Pixel reads and writes outside the bitmap do nothing.
class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(CDC* reference);
    BOOL DeleteDC();
    // Selects bitmap (or none) into a memory context; returns the one it replaces.
    CBitmap* SelectObject(CBitmap* bitmap);
    COLORREF GetPixel(int x, int y) const;
    // Returns the colour set, or CLR_INVALID when no pixel was there.
    COLORREF SetPixel(int x, int y, COLORREF color);
    BOOL DrawIcon(int x, int y, HICON icon);
    HDC GetSafeHdc() const { return m_pData.get(); }

protected:
    std::unique_ptr<DcData> m_pData;
};

// The device context of a window for its paint. Drawing reaches the screen only while the window
// system is painting that window; otherwise it serves as a reference context.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
};

namespace platform {
// Test seam: bitmap resource id is read from the image file at path instead (an empty path ends
// the replacement).
void SetImageFileForTesting(UINT id, const CString& path);
} // namespace platform
