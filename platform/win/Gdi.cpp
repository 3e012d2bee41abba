#include "platform/win/Gdi.h"

#include "platform/win/WinInternal.h"

#include <QAbstractButton>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <map>
#include <utility>

struct BitmapData {
    QImage image;
    WORD bitsPerPixel = 0;
};

struct DcData {
    bool memory = false;
    CBitmap* selected = nullptr;
    QWidget* window = nullptr; // set while a paint context's window is being painted
    std::unique_ptr<QPainter> painter;

    QPainter* WindowPainter() {
        if (painter == nullptr && window != nullptr && platform::PaintingWidget() == window)
            painter = std::make_unique<QPainter>(window);
        return painter.get();
    }
};

namespace platform {

namespace {

std::map<UINT, CString>& ImageFileOverrides() {
    static std::map<UINT, CString> overrides;
    return overrides;
}

constexpr COLORREF ToColorRef(QRgb rgb) {
    return RGB(unsigned(qRed(rgb)), unsigned(qGreen(rgb)), unsigned(qBlue(rgb)));
}

// Button images are shown one event-loop turn after BM_SETIMAGE, and only when they differ from
// what the button shows: a flat button is not opaque, so a new icon repaints the dialog beneath
// it, and the dialog loads its images afresh at every paint. Showing the same image again, or
// clearing an image that is given back at once, would start that cycle over without end.
constexpr char kImageHandle[] = "mirrakImageHandle";
constexpr char kPendingImage[] = "mirrakPendingImage";
constexpr char kShownImage[] = "mirrakShownImage";
constexpr char kImageQueued[] = "mirrakImageQueued";

void ShowPendingImage(QAbstractButton* button) {
    button->setProperty(kImageQueued, false);
    const QImage pending = button->property(kPendingImage).value<QImage>();
    if (pending == button->property(kShownImage).value<QImage>())
        return;
    button->setProperty(kShownImage, pending);
    button->setIcon(pending.isNull() ? QIcon() : QIcon(QPixmap::fromImage(pending)));
    if (!pending.isNull())
        button->setIconSize(pending.size());
}

LRESULT SetButtonImage(QAbstractButton* button, HBITMAP bitmap) {
    const LRESULT previous = LRESULT(button->property(kImageHandle).value<qintptr>());
    button->setProperty(kImageHandle, qintptr(bitmap));
    button->setProperty(kPendingImage, bitmap ? bitmap->image : QImage());
    if (!button->property(kImageQueued).toBool()) {
        button->setProperty(kImageQueued, true);
        QMetaObject::invokeMethod(
            button, [button] { ShowPendingImage(button); }, Qt::QueuedConnection);
    }
    return previous;
}

} // namespace

void SetImageFileForTesting(UINT id, const CString& path) {
    if (path.empty())
        ImageFileOverrides().erase(id);
    else
        ImageFileOverrides()[id] = path;
}

QWidget*& PaintingWidget() {
    static QWidget* widget = nullptr;
    return widget;
}

LRESULT PictureMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_SETIMAGE:
        if (auto* button = qobject_cast<QAbstractButton*>(record.widget.data());
            button && wParam == IMAGE_BITMAP)
            return SetButtonImage(button, reinterpret_cast<HBITMAP>(lParam));
        return 0;
    case WM_ICONERASEBKGND:
        // The background of a minimised window's icon is the button face.
        if (auto* dc = reinterpret_cast<HDC>(wParam); dc && dc->WindowPainter()) {
            dc->WindowPainter()->fillRect(record.widget->rect(),
                                          QApplication::palette().color(QPalette::Button));
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace platform

using namespace platform;

COLORREF GetSysColor(int index) {
    if (index != COLOR_BTNFACE)
        return 0;
    return ToColorRef(QApplication::palette().color(QPalette::Button).rgb());
}

int GetSystemMetrics(int index) {
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

// ---- CBitmap -------------------------------------------------------------------------------

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

BOOL CBitmap::LoadBitmap(UINT id) {
    m_pData.reset();
    const auto overridden = ImageFileOverrides().find(id);
    const char* path = overridden != ImageFileOverrides().end() ? overridden->second.c_str()
                                                                : FindImageResource(id);
    if (path == nullptr)
        return FALSE;
    QImage image(QString::fromUtf8(path));
    if (image.isNull())
        return FALSE;
    auto data = std::make_unique<BitmapData>();
    data->bitsPerPixel = WORD(image.depth() <= 8        ? image.depth()
                              : image.hasAlphaChannel() ? 32
                                                        : 24);
    data->image = std::move(image);
    m_pData = std::move(data);
    return TRUE;
}

void CBitmap::DeleteObject() {
    m_pData.reset();
}

int CBitmap::GetObject(int size, void* object) const {
    if (m_pData == nullptr || object == nullptr || size < int(sizeof(BITMAP)))
        return 0;
    const QImage& image = m_pData->image;
    const WORD bits = m_pData->bitsPerPixel;
    *static_cast<BITMAP*>(object) = {
        0, image.width(), image.height(), LONG((image.width() * bits + 15) / 16 * 2),
        1, bits,          nullptr};
    return int(sizeof(BITMAP));
}

// ---- CDC -----------------------------------------------------------------------------------

CDC::CDC() : m_pData(std::make_unique<DcData>()) {}
CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* /*reference*/) {
    m_pData = std::make_unique<DcData>();
    m_pData->memory = true;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    m_pData = std::make_unique<DcData>();
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (!m_pData->memory)
        return nullptr;
    return std::exchange(m_pData->selected, bitmap);
}

COLORREF CDC::GetPixel(int x, int y) const {
    const CBitmap* bitmap = m_pData->selected;
    if (bitmap == nullptr || bitmap->m_pData == nullptr || !bitmap->m_pData->image.valid(x, y))
        return CLR_INVALID;
    return ToColorRef(bitmap->m_pData->image.pixel(x, y));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
    const QRgb rgb = qRgb(int(GetRValue(color)), int(GetGValue(color)), int(GetBValue(color)));
    if (QPainter* painter = m_pData->WindowPainter()) {
        painter->setPen(QColor(rgb));
        painter->drawPoint(x, y);
        return color;
    }
    CBitmap* bitmap = m_pData->selected;
    if (bitmap == nullptr || bitmap->m_pData == nullptr || !bitmap->m_pData->image.valid(x, y))
        return CLR_INVALID;
    QImage& image = bitmap->m_pData->image;
    // A palette image takes colours outside its palette once it holds whole colours.
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.setPixel(x, y, rgb);
    return color;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    if (icon == nullptr)
        return FALSE;
    const QPixmap pixmap = static_cast<const QIcon*>(icon)->pixmap(GetSystemMetrics(SM_CXICON),
                                                                   GetSystemMetrics(SM_CYICON));
    if (QPainter* painter = m_pData->WindowPainter()) {
        painter->drawPixmap(x, y, pixmap);
        return TRUE;
    }
    CBitmap* bitmap = m_pData->selected;
    if (bitmap == nullptr || bitmap->m_pData == nullptr)
        return FALSE;
    QPainter painter(&bitmap->m_pData->image);
    painter.drawPixmap(x, y, pixmap);
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* window) {
    WithWindow(window ? window->GetSafeHwnd() : 0,
               [&](WindowRecord& record) { m_pData->window = record.widget; });
}

CPaintDC::~CPaintDC() = default;
