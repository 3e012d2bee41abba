// The generator window's anchor layout and the geometry blob of "gen.cfg", with real windows on
// the offscreen platform (one 800 x 800 screen; every window has a 2-pixel frame).

#include "tests/support/WindowRects.h"
#include "tests/ui/MainDialogRun.h"

#include <cstring>
#include <limits>
#include <map>

namespace {

using enum MainDialog::ControlId;
using namespace testing_support;

class MainDialogLayoutTest : public DialogTest {
protected:
    // One session of the generator window, started with the given geometry blob in "gen.cfg".
    void Run(const ByteBuffer& geometry, const std::function<void(MainDialog&)>& steps) {
        GeneratorSettings::Instance().m_geometry = geometry;
        ASSERT_TRUE(GeneratorSettings::Instance().Save(MainDialog::kSettingsFile));
        MainDialog dialog;
        m_app.m_pMainWnd = &dialog;
        Session(dialog, [&] { steps(dialog); });
        m_app.m_pMainWnd = nullptr;
    }
    // The saved blob: the maximized byte, the normal outer rectangle, the ratios.
    void ExpectSaved(bool maximized, const RECT& r) {
        ASSERT_EQ(GeneratorSettings::Instance().m_geometry.GetSize(), 49);
        EXPECT_EQ(std::memcmp(GeneratorSettings::Instance().m_geometry.GetData(),
                              Blob(maximized, r, 0).GetData(), 17),
                  0);
    }
    // The blob: maximized byte, normal outer rectangle, then ratio pairs of the two groups.
    static ByteBuffer Blob(std::uint8_t maximized, RECT r, int pairs = 2) {
        ByteBuffer blob;
        blob.Append(maximized);
        for (const std::int32_t value : {r.left, r.top, r.right, r.bottom})
            blob.Append(value);
        for (int i = 0; i < 2 * pairs; ++i)
            blob.Append(0.25);
        return blob;
    }
};

RECT Moved(RECT r, int left, int top, int right, int bottom) {
    return {r.left + left, r.top + top, r.right + right, r.bottom + bottom};
}
QSize Extent(const RECT& r) {
    return {r.right - r.left, r.bottom - r.top};
}

// Which edges of a control move with the window's growth: left and right by its width, top and
// bottom by its height. The image buttons also move sideways with their proportional group.
struct Growth {
    std::vector<int> ids;
    int left, top, right, bottom;
};
const Growth kGrowth[] = {
    {{kSpecialSymbols}, 0, 0, 1, 0},
    {{kGenerate, kSave, kOpen, kAbout, kHelp, IDCANCEL}, 1, 0, 1, 0},
    {{kLayoutReference1}, 1, 1, 1, 1},
    {{kOutput}, 0, 0, 1, 1},
    {{kWelcome, kProgress}, 0, 1, 1, 1},
    {{kQuantity, kUpper, kSpecial}, 0, 0, 0, 0},
};

TEST_F(MainDialogLayoutTest, ControlsFollowResizeMaximizeAndMinimizeAndComeBackExactly) {
    RECT normal{};
    Run({}, [&](MainDialog& dialog) {
        QWidget* window = Native(dialog);
        std::map<int, RECT> start;
        for (int id = 0; id <= kLayoutReference2; ++id)
            start[id] = ControlRect(dialog, id);
        const QSize size = Extent(WindowRect(dialog));
        const auto grownBy = [&](QSize grown) {
            const int dx = grown.width(), dy = grown.height();
            for (const Growth& g : kGrowth)
                for (const int id : g.ids)
                    EXPECT_EQ(ControlRect(dialog, id), Moved(start[id], g.left * dx, g.top * dy,
                                                             g.right * dx, g.bottom * dy))
                        << id;
            // The second reference stays at its fraction of the width.
            const int left = start[kLayoutReference2].left;
            const int sideways = ControlRect(dialog, kLayoutReference2).left - left;
            EXPECT_NEAR(left + sideways, (size.width() + dx) * double(left) / size.width(), 1.0);
            EXPECT_TRUE(dx != 0 || sideways == 0);
            for (const int id : {kLink1, kLink2, kLink3})
                EXPECT_EQ(ControlRect(dialog, id), Moved(start[id], sideways, dy, sideways, dy));
        };

        SizeOuter(dialog, size + QSize(100, 50));
        grownBy({100, 50});
        for (int move = 0; move < 2; ++move) { // back, then a plain move: no drift
            SizeOuter(dialog, size);
            grownBy({0, 0});
            window->move(window->pos() + QPoint(37, 11));
        }
        normal = WindowRect(dialog);

        Show(dialog, SW_MAXIMIZE);
        EXPECT_TRUE(dialog.IsZoomed());
        grownBy(Extent(WindowRect(dialog)) - size);
        Show(dialog, SW_RESTORE);
        EXPECT_EQ(WindowRect(dialog), normal);
        grownBy({0, 0});
        Show(dialog, SW_MINIMIZE);
        EXPECT_TRUE(dialog.IsIconic());
        Show(dialog, SW_RESTORE);
        grownBy({0, 0});
        Show(dialog, SW_MAXIMIZE); // closed maximized: the rectangle from before is saved
    });
    ExpectSaved(true, normal);
}

TEST_F(MainDialogLayoutTest, SavedGeometryIsRestoredWithinBoundsAndMaximized) {
    RECT first{};
    Run({}, [&](MainDialog& dialog) { first = WindowRect(dialog); });
    ExpectSaved(false, first); // a first run stores the window where it opened

    const RECT example{100, 80, 560, 440};
    const struct {
        const char* name;
        ByteBuffer blob;
        RECT expected;
        bool maximized;
    } cases[] = {
        {"example", Blob(0, example), example, false},
        // At the bounds, and no larger than the desktop with the frame.
        {"bounds", Blob(0, {-10000, 80, 10000, 9000}), {-10000, 80, -9196, 884}, false},
        {"right 10001", Blob(0, {9500, 80, 10001, 440}), first, false},
        {"left -10001", Blob(0, {-10001, 80, 0, 440}), first, false},
        {"17 bytes", Blob(0, example, 0), example, false},
        {"all zero", ByteBuffer(std::string(49, '\0')), first, false},
        {"maximized", Blob(1, example), example, true},
        {"maximized unchecked", Blob(1, {9500, 80, 10001, 440}), {9500, 80, 10001, 440}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run(c.blob, [&](MainDialog& dialog) {
            // Read at once: the offscreen platform later shifts a window at a negative x.
            EXPECT_EQ(bool(dialog.IsZoomed()), c.maximized);
            if (c.maximized)
                Show(dialog, SW_RESTORE); // un-maximized, it is where it was saved
            EXPECT_EQ(WindowRect(dialog), c.expected);
            if (c.maximized)
                Show(dialog, SW_MAXIMIZE);
        });
        ExpectSaved(c.maximized, c.expected);
    }
    // A maximized blob's rectangle is not checked: edges at the ends of the 32-bit range give a
    // window of at least the smallest size.
    constexpr LONG kMax = std::numeric_limits<LONG>::max(), kMin = std::numeric_limits<LONG>::min();
    for (const RECT& extreme : {RECT{kMin, kMin, kMax, kMax}, RECT{kMax, kMax, kMin, kMin}}) {
        SCOPED_TRACE(testing::PrintToString(extreme));
        Run(Blob(1, extreme), [&](MainDialog& dialog) {
            EXPECT_TRUE(dialog.IsZoomed());
            Show(dialog, SW_RESTORE);
            const QSize size = Extent(WindowRect(dialog));
            EXPECT_GE(size.width(), MainDialog::kMinWidth);
            EXPECT_GE(size.height(), MainDialog::kMinHeight);
        });
        EXPECT_EQ(GeneratorSettings::Instance().m_geometry.GetSize(), 49);
    }
}

} // namespace
