#include "layout/AnchorLayout.h"

#include "generator/ByteBuffer.h"
#include "generator/ByteReader.h"

#include <algorithm>
#include <limits>

namespace {

// Sums and truncations stay inside 32 bits whatever sizes a window reports.
LONG Clamped(std::int64_t value) {
    return LONG(std::clamp<std::int64_t>(value, std::numeric_limits<LONG>::min(),
                                         std::numeric_limits<LONG>::max()));
}

// a truncated toward zero.
std::int64_t Truncated(double a) {
    constexpr double kLimit = 4.0e18;
    return a != a ? 0 : std::int64_t(std::clamp(a, -kLimit, kLimit));
}

// The shift that puts an edge now at current onto the truncation of a, and the unrounded
// position that remains once the shift is added.
void ProportionalShift(double a, LONG current, int& shift, double& position) {
    shift = int(Clamped(Truncated(a) - current));
    position = a - shift;
}

// Outside these bounds a saved normal rectangle is not used.
bool WithinBounds(const RECT& r) {
    return !(r.right < 0 || r.bottom < 0 || r.left < -10000 || r.top < -10000 || r.right > 10000 ||
             r.bottom > 10000 || r.left > 20000 || r.top > 20000);
}

} // namespace

// ---- AnchorGroup ---------------------------------------------------------------------------

AnchorGroup::AnchorGroup(std::int32_t refId, std::int32_t flags)
    : m_nRefId(refId), m_nFlags(flags) {}

void AnchorGroup::AddControl(std::int32_t id, std::int32_t edges) {
    if (m_pLayout == nullptr || !m_pLayout->RecordControl(id))
        return;
    m_members.emplace_back(id, edges);
}

void AnchorGroup::WindowSize(int& width, int& height) const {
    const RECT window = m_pLayout->WindowRect();
    width = int(Clamped(std::int64_t(window.right) - window.left));
    height = int(Clamped(std::int64_t(window.bottom) - window.top));
}

RECT AnchorGroup::ReferenceRect() const {
    return m_pLayout->ControlRect(m_nRefId);
}

void AnchorGroup::Capture() {
    WindowSize(m_nLastWidth, m_nLastHeight);
    const RECT reference = ReferenceRect();
    m_posX = reference.left;
    m_posY = reference.top;
    RefreshRatios();
}

void AnchorGroup::RefreshRatios() {
    if (m_nLastWidth != 0 && m_nLastHeight != 0) {
        m_ratioX = m_posX / m_nLastWidth;
        m_ratioY = m_posY / m_nLastHeight;
    }
}

void AnchorGroup::Relayout() {
    RefreshRatios();
    int width = 0, height = 0;
    WindowSize(width, height);
    int dx = 0, dy = 0;
    if (m_nFlags & ANCHOR_FOLLOWSIZE) {
        if (m_nFlags & ANCHOR_X)
            dx = int(Clamped(std::int64_t(width) - m_nLastWidth));
        if (m_nFlags & ANCHOR_Y)
            dy = int(Clamped(std::int64_t(height) - m_nLastHeight));
    } else if (m_nFlags & ANCHOR_PROPORTIONAL) {
        const RECT reference = ReferenceRect();
        if (m_nFlags & ANCHOR_X)
            ProportionalShift(width * m_ratioX, reference.left, dx, m_posX);
        if (m_nFlags & ANCHOR_Y)
            ProportionalShift(height * m_ratioY, reference.top, dy, m_posY);
    }
    Shift(dx, dy);
    m_nLastWidth = width;
    m_nLastHeight = height;
    RefreshRatios();
}

void AnchorGroup::Shift(int dx, int dy) {
    m_pLayout->MoveControl(m_nRefId, EDGE_LEFT | EDGE_RIGHT | EDGE_TOP | EDGE_BOTTOM, dx, dy);
    for (const auto& [id, edges] : m_members)
        m_pLayout->MoveControl(id, edges, dx, dy);
    m_posX += dx;
    m_posY += dy;
}

void AnchorGroup::GetRatios(double& ratioX, double& ratioY) const {
    ratioX = m_ratioX;
    ratioY = m_ratioY;
}

void AnchorGroup::PlaceFromRatios(double savedX, double savedY) {
    if (!(m_nFlags & ANCHOR_RESTORE))
        return;
    int width = 0, height = 0;
    WindowSize(width, height);
    const RECT reference = ReferenceRect();
    int dx = 0, dy = 0;
    if (m_nFlags & ANCHOR_X)
        ProportionalShift(width * savedX, reference.left, dx, m_posX);
    if (m_nFlags & ANCHOR_Y)
        ProportionalShift(height * savedY, reference.top, dy, m_posY);
    Shift(dx, dy);
    RefreshRatios();
}

// ---- AnchorLayout --------------------------------------------------------------------------

AnchorLayout::~AnchorLayout() = default;

void AnchorLayout::Attach(CWnd* window) {
    m_pWnd = window;
    m_rcNormal = WindowRect();
}

void AnchorLayout::AddGroup(AnchorGroup* group) {
    std::unique_ptr<AnchorGroup> owned(group);
    group->m_pLayout = this;
    group->Capture();
    RecordControl(group->m_nRefId);
    m_groups[group->m_nRefId] = std::move(owned);
}

void AnchorLayout::Relayout() {
    if (m_pWnd == nullptr)
        return;
    for (auto& [id, group] : m_groups)
        group->Relayout();
    if (!m_pWnd->IsZoomed())
        m_rcNormal = WindowRect();
}

RECT AnchorLayout::WindowRect() const {
    RECT rect{0, 0, 0, 0};
    if (m_pWnd != nullptr)
        m_pWnd->GetWindowRect(&rect);
    return rect;
}

RECT AnchorLayout::ControlRect(std::int32_t id) const {
    RECT rect{0, 0, 0, 0};
    if (m_pWnd == nullptr)
        return rect;
    const CWnd control = m_pWnd->GetDlgItem(id);
    if (control.GetSafeHwnd() == 0)
        return rect;
    control.GetWindowRect(&rect);
    m_pWnd->ScreenToClient(&rect);
    return rect;
}

bool AnchorLayout::RecordControl(std::int32_t id) {
    if (m_pWnd == nullptr || m_pWnd->GetDlgItem(id).GetSafeHwnd() == 0)
        return false;
    m_rects[id] = ControlRect(id);
    return true;
}

void AnchorLayout::MoveControl(std::int32_t id, std::int32_t edges, int dx, int dy) {
    if (dx == 0 && dy == 0)
        return;
    const auto found = m_rects.find(id);
    if (found == m_rects.end())
        return;
    RECT& r = found->second;
    if (edges & EDGE_LEFT)
        r.left = Clamped(std::int64_t(r.left) + dx);
    if (edges & EDGE_RIGHT)
        r.right = Clamped(std::int64_t(r.right) + dx);
    if (edges & EDGE_TOP)
        r.top = Clamped(std::int64_t(r.top) + dy);
    if (edges & EDGE_BOTTOM)
        r.bottom = Clamped(std::int64_t(r.bottom) + dy);
    const CWnd control = m_pWnd->GetDlgItem(id);
    control.MoveWindow(r.left, r.top, int(Clamped(std::int64_t(r.right) - r.left)),
                       int(Clamped(std::int64_t(r.bottom) - r.top)), TRUE);
    control.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void AnchorLayout::SaveGeometry(ByteBuffer& target) {
    ByteBuffer blob;
    if (m_rcNormal.right == m_rcNormal.left)
        m_rcNormal = WindowRect();
    const bool maximized = m_pWnd != nullptr && m_pWnd->IsZoomed();
    blob.Append(std::uint8_t(maximized ? 1 : 0));
    blob.Append(m_rcNormal.left);
    blob.Append(m_rcNormal.top);
    blob.Append(m_rcNormal.right);
    blob.Append(m_rcNormal.bottom);
    for (const auto& [id, group] : m_groups) {
        double ratioX = 0, ratioY = 0;
        group->GetRatios(ratioX, ratioY);
        blob.Append(ratioX);
        blob.Append(ratioY);
    }
    target.Append(blob);
}

void AnchorLayout::RestoreGeometry(ByteReader& reader) {
    if (reader.GetLength() == 0)
        return;
    std::uint8_t maximized = 0;
    reader.ReadByte(maximized);
    reader.ReadInt32(m_rcNormal.left);
    reader.ReadInt32(m_rcNormal.top);
    reader.ReadInt32(m_rcNormal.right);
    reader.ReadInt32(m_rcNormal.bottom);
    if (maximized == 0 && !WithinBounds(m_rcNormal)) {
        m_rcNormal = WindowRect();
        return;
    }
    for (auto& [id, group] : m_groups) {
        // A group the blob has no ratios for is re-placed at the ratios it has now.
        double ratioX = 0, ratioY = 0;
        group->GetRatios(ratioX, ratioY);
        reader.ReadDouble(ratioX);
        reader.ReadDouble(ratioY);
        group->PlaceFromRatios(ratioX, ratioY);
    }
    if (m_pWnd == nullptr)
        return;
    const RECT target = m_rcNormal;
    m_pWnd->MoveWindow(target.left, target.top,
                       int(Clamped(std::int64_t(target.right) - target.left)),
                       int(Clamped(std::int64_t(target.bottom) - target.top)), TRUE);
    if (maximized != 0)
        m_pWnd->ShowWindow(SW_MAXIMIZE);
}
