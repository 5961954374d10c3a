#include <gtest/gtest.h>

#include "extras/ScreenCapture.h"

using namespace quillory;

namespace {

ScreenWindow Window(const char* title, int cw, int ch, bool visible = true, bool minimised = false) {
    ScreenWindow w;
    w.title = title;
    w.clientWidth = cw, w.clientHeight = ch;
    w.visible = visible, w.minimised = minimised;
    return w;
}

}  // namespace

TEST(ScreenCapture, OnlyVisibleTitledWindowsWithARealClientAreaAreOffered) {
    const std::vector<ScreenWindow> all = {Window("Editor", 300, 200), Window("", 300, 200),
                                           Window("Hidden", 300, 200, false), Window("Iconic", 300, 200, true, true),
                                           Window("Thin", 4, 200), Window("Flat", 200, 4), Window("Small", 5, 5)};
    const std::vector<ScreenWindow> shown = CaptureCandidates(all);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Editor");
    EXPECT_EQ(shown[1].title, "Small");
    std::vector<ScreenWindow> many(300, Window("w", 50, 50));
    EXPECT_EQ(CaptureCandidates(many).size(), 254u);
}

TEST(ScreenCapture, WindowsAreClippedToTheScreen) {
    // Partly left of and above the screen: the visible part, starting at the window's offset.
    CaptureArea a = ClipToScreen(-60, -10, 200, 100, 1280, 800);
    EXPECT_EQ(a.offsetX, 60);
    EXPECT_EQ(a.offsetY, 10);
    EXPECT_EQ(a.screenX, 0);
    EXPECT_EQ(a.screenY, 0);
    EXPECT_EQ(a.width, 140);
    EXPECT_EQ(a.height, 90);
    // Past the right and bottom edges.
    a = ClipToScreen(1200, 750, 200, 100, 1280, 800);
    EXPECT_EQ(a.offsetX, 0);
    EXPECT_EQ(a.width, 80);
    EXPECT_EQ(a.height, 50);
    // Entirely off the screen: nothing.
    EXPECT_TRUE(ClipToScreen(-300, 10, 200, 100, 1280, 800).Empty());
    EXPECT_TRUE(ClipToScreen(1300, 10, 200, 100, 1280, 800).Empty());
    EXPECT_FALSE(ClipToScreen(0, 0, 1280, 800, 1280, 800).Empty());
}
