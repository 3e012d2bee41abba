#pragma once

// Keeps a resizable dialog's controls in place while its window is resized, maximized or moved,
// tracks the window's normal rectangle, and saves and restores the window's geometry.

#include "platform/win/Win.h"

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class ByteBuffer;
class ByteReader;

// Edges of a member control that follow a group's shift (dx, dy).
inline constexpr std::int32_t EDGE_LEFT = 1;   // left += dx
inline constexpr std::int32_t EDGE_RIGHT = 2;  // right += dx
inline constexpr std::int32_t EDGE_TOP = 4;    // top += dy
inline constexpr std::int32_t EDGE_BOTTOM = 8; // bottom += dy

// Group flags.
inline constexpr std::int32_t ANCHOR_X = 1;       // the group shifts horizontally
inline constexpr std::int32_t ANCHOR_Y = 2;       // the group shifts vertically
inline constexpr std::int32_t ANCHOR_RESTORE = 4; // re-placed from saved ratios on restore
// The reference control's left (top) edge stays at a fixed fraction of the window's width
// (height).
inline constexpr std::int32_t ANCHOR_PROPORTIONAL = 16;
// Shifts equal the change of the window's size; wins over ANCHOR_PROPORTIONAL.
inline constexpr std::int32_t ANCHOR_FOLLOWSIZE = 32;

class AnchorLayout;

// Controls that shift together: one hidden reference control and its members, each with the
// edges that follow the shift. Window sizes are outer sizes; control positions client pixels.
class AnchorGroup {
public:
    AnchorGroup(std::int32_t refId, std::int32_t flags);

    // Appends a member and records its current rectangle. A control the dialog does not have
    // is left out.
    void AddControl(std::int32_t id, std::int32_t edges);

    // Takes the window's size and the reference control's position as the starting point.
    void Capture();
    void RefreshRatios();
    // One layout pass: shifts the group for the window's current size.
    void Relayout();
    void Shift(int dx, int dy);
    void GetRatios(double& ratioX, double& ratioY) const;
    // Puts the reference control at the saved fractions of the window's current size; only for
    // groups with ANCHOR_RESTORE.
    void PlaceFromRatios(double savedX, double savedY);

    std::int32_t m_nRefId;
    std::int32_t m_nFlags;
    AnchorLayout* m_pLayout = nullptr;
    std::int32_t m_nLastWidth = 0;
    std::int32_t m_nLastHeight = 0;
    double m_ratioX = 0;
    double m_ratioY = 0;
    double m_posX = 0; // unrounded client x of the reference control's left edge
    double m_posY = 0; // unrounded client y of its top edge
    std::vector<std::pair<std::int32_t, std::int32_t>> m_members; // (control id, edge mask)

private:
    // The reference control's current rectangle in client pixels, read from the control.
    RECT ReferenceRect() const;
    void WindowSize(int& width, int& height) const;
};

class AnchorLayout {
public:
    AnchorLayout() = default;
    virtual ~AnchorLayout();
    AnchorLayout(const AnchorLayout&) = delete;
    AnchorLayout& operator=(const AnchorLayout&) = delete;

    // Binds the layout to its dialog window and takes the window's rectangle as its normal one.
    void Attach(CWnd* window);
    // Takes ownership of group, captures it and records its reference control's rectangle.
    void AddGroup(AnchorGroup* group);
    // Runs every group's pass in ascending reference id, then notes the normal rectangle.
    void Relayout();

    // Appends the geometry blob: maximized byte, normal rectangle, each group's ratios.
    void SaveGeometry(ByteBuffer& target);
    // Reads a geometry blob and places the window from it.
    void RestoreGeometry(ByteReader& reader);

    // Records a control's current client rectangle; false when the dialog has no such control.
    bool RecordControl(std::int32_t id);
    // Applies the edge mask and shift to the control's recorded rectangle and moves it there,
    // repainting it at once; a zero shift does nothing.
    void MoveControl(std::int32_t id, std::int32_t edges, int dx, int dy);

    // The window's rectangle in screen pixels and a control's in client pixels.
    RECT WindowRect() const;
    RECT ControlRect(std::int32_t id) const;

    CWnd* m_pWnd = nullptr;
    std::map<std::int32_t, std::unique_ptr<AnchorGroup>> m_groups;
    std::map<std::int32_t, RECT> m_rects;
    RECT m_rcNormal{0, 0, 0, 0};
};
