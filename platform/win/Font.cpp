// Fonts: CFont makes a font from the system's description of it; WM_SETFONT hands it to a control.

#include "platform/win/WinInternal.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>

CFont::CFont() = default;
CFont::~CFont() = default;

BOOL CFont::CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                        int weight, BOOL italic, BOOL underline, BOOL strikeOut, int /*charSet*/,
                        int /*outPrecision*/, int /*clipPrecision*/, int /*quality*/,
                        int /*pitchAndFamily*/, const char* face) {
    auto data = std::make_unique<FontData>();
    QFont& font = data->font;
    QStringList families{QString::fromUtf8(face)};
    if (families.front() == QStringLiteral("Courier New"))
        families << QStringLiteral("Liberation Mono") << QStringLiteral("DejaVu Sans Mono");
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    if (weight > 0)
        font.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // A positive height is the whole character cell: scale the em so that ascent plus
        // descent fill it.
        font.setPixelSize(height);
        const int cell = QFontMetrics(font).height();
        if (cell > 0 && cell != height)
            font.setPixelSize(std::max(1, int(double(height) * height / cell + 0.5)));
    }
    m_pFont = std::move(data);
    return TRUE;
}

void CFont::DeleteObject() {
    m_pFont.reset();
}
