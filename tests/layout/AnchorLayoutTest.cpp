// The anchor layout with a real dialog on the offscreen platform, where every window has a
// 2-pixel frame: a proportional group keeps its reference at its fraction of the width.

#include "layout/AnchorLayout.h"

#include "tests/support/DialogRun.h"
#include "tests/support/TestTemplate.h"
#include "tests/support/WindowRects.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace testing_support;
using namespace testing_support::test_ids;
const int kImages[] = {kImage1, kImage2, kImage3};

// A dialog whose only group keeps the hidden reference at its fraction of the width and moves
// the three image buttons with it.
struct ProportionalDialog : CDialog {
    ProportionalDialog() : CDialog(kTestTemplate) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE || message == WM_MOVE) {
            Default();
            m_layout.Relayout();
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    // Outer width 360 with the reference at client x left; then the layout is set up.
    AnchorGroup* Start(int left) {
        SizeOuter(*this, {360, 400});
        GetDlgItem(kReference).MoveWindow(left, 300, 20, 10);
        for (const int id : kImages)
            GetDlgItem(id).MoveWindow(id - kImage1 + left - 100, 320, 60, 30);
        m_layout.Attach(this);
        auto* group = new AnchorGroup(kReference, ANCHOR_PROPORTIONAL | ANCHOR_X);
        m_layout.AddGroup(group);
        for (const int id : kImages)
            group->AddControl(id, EDGE_LEFT | EDGE_RIGHT);
        return group;
    }
    // Client x of the reference and of each image button relative to where it started.
    std::vector<int> Lefts(int left) const {
        std::vector<int> lefts{ControlRect(*this, kReference).left - left};
        for (const int id : kImages)
            lefts.push_back(ControlRect(*this, id).left - (id - kImage1 + left - 100));
        return lefts;
    }
    AnchorLayout m_layout;
};

TEST(AnchorLayoutTest, ProportionalGroupKeepsItsUnroundedPositionAndTruncatesTowardZero) {
    UseTestTemplate();
    ASSERT_TRUE(platform::EnsureGuiApplication());
    ProportionalDialog dialog;
    Session(dialog, [&] {
        AnchorGroup* group = dialog.Start(180); // ratio 0.5
        SizeOuter(dialog, {461, 400});
        EXPECT_EQ(dialog.Lefts(180), (std::vector<int>{50, 50, 50, 50}));
        EXPECT_EQ(group->m_posX, 230.5);
        SizeOuter(dialog, {360, 400});
        EXPECT_EQ(dialog.Lefts(180), (std::vector<int>{0, 0, 0, 0}));
    });
    ProportionalDialog truncating;
    Session(truncating, [&] {
        AnchorGroup* group = truncating.Start(185);
        for (int move = 1; move <= 2; ++move) { // 360 * (185.0 / 360) is 184.99999999999997
            Native(truncating)->move(Native(truncating)->pos() + QPoint(5, 5));
            EXPECT_EQ(truncating.Lefts(185), (std::vector<int>{-1, -1, -1, -1})) << move;
            EXPECT_EQ(group->m_posX, 360 * (185.0 / 360));
        }
    });
}

} // namespace
