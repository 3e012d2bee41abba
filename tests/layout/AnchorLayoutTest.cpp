// The anchor layout with a real dialog on the offscreen platform, where every window has a
// 2-pixel frame: a proportional group of its own keeps its reference at its fraction of the width.

#include "layout/AnchorLayout.h"

#include "tests/support/DialogRun.h"
#include "tests/support/TestTemplate.h"
#include "tests/support/WindowRects.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace {

using namespace testing_support;

using testing_support::Session;
using namespace testing_support::test_ids;
const int kImages[] = {kImage1, kImage2, kImage3};

class AnchorLayoutTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        testing_support::UseTestTemplate();
        ASSERT_TRUE(platform::EnsureGuiApplication());
    }
};

// A dialog whose only group keeps the hidden reference 1026 at its fraction of the width and
// moves the three image buttons with it.
struct ProportionalDialog : CDialog {
    ProportionalDialog() : CDialog(testing_support::kTestTemplate) {}
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

struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

TEST_F(AnchorLayoutTest, ProportionalGroupKeepsItsUnroundedPositionAndTruncatesTowardZero) {
    ProportionalDialog dialog;
    Session(dialog, [&] {
        AnchorGroup* group = dialog.Start(180); // ratio 0.5
        PaintCounter paints;
        for (QPushButton* button : Native(dialog)->findChildren<QPushButton*>())
            if (button->isFlat()) // the image buttons
                button->installEventFilter(&paints);
        SizeOuter(dialog, {461, 400});
        EXPECT_EQ(dialog.Lefts(180), (std::vector<int>{50, 50, 50, 50}));
        EXPECT_EQ(group->m_posX, 230.5);
        SizeOuter(dialog, {360, 400});
        EXPECT_EQ(dialog.Lefts(180), (std::vector<int>{0, 0, 0, 0}));
        // A control is repainted before MoveControl returns; a zero shift does nothing at all.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Native(dialog)));
        QApplication::processEvents();
        paints.count = 0;
        dialog.m_layout.MoveControl(kImage1, EDGE_LEFT | EDGE_RIGHT, 0, 0);
        EXPECT_EQ(paints.count, 0);
        dialog.m_layout.MoveControl(kImage1, EDGE_LEFT | EDGE_RIGHT, 5, 0);
        EXPECT_GT(paints.count, 0);
        EXPECT_EQ(dialog.Lefts(180), (std::vector<int>{0, 5, 0, 0}));
        QApplication::processEvents();
        // The normal rectangle follows the window, except while it is maximized.
        paints.count = 0;
        Native(dialog)->move(Native(dialog)->pos() + QPoint(9, 9));
        EXPECT_EQ(paints.count, 0); // no shift: nothing moved or repainted
        const RECT normal = WindowRect(dialog);
        EXPECT_EQ(dialog.m_layout.m_rcNormal, normal);
        for (const int command : {SW_MAXIMIZE, SW_RESTORE, SW_MINIMIZE}) {
            Show(dialog, command);
            EXPECT_EQ(dialog.m_layout.m_rcNormal, normal) << command;
        }
        dialog.EndDialog(IDCANCEL);
    });
    ProportionalDialog truncating;
    Session(truncating, [&] {
        AnchorGroup* group = truncating.Start(185);
        QWidget* window = Native(truncating);
        for (int move = 1; move <= 2; ++move) {
            window->move(window->pos() + QPoint(5, 5));
            EXPECT_EQ(truncating.Lefts(185), (std::vector<int>{-1, -1, -1, -1})) << move;
            EXPECT_EQ(group->m_posX, 360 * (185.0 / 360)); // 184.99999999999997
        }
    });
}

} // namespace
