// Window size and place from the display metrics and the start options.
#include <gtest/gtest.h>
#include "engine/state.h"
#include "platform/headless/headless.h"
#include "ui/display.h"

static PlatDisplayMetrics Screen(int w, int h, int workBottom = -1) {
    return PlatDisplayMetrics{w, h, w, h, 0, 0, w, workBottom < 0 ? h : workBottom};
}

TEST(WindowSize, FullHdScreenGivesFullScreenWithoutFrame) {
    WindowChoice c = ChooseWindowSizeFor(Screen(1920, 1080), 100, 0);
    EXPECT_EQ(c.Width, 1920);
    EXPECT_EQ(c.Height, 1080);
    EXPECT_EQ(c.X, 0);
    EXPECT_EQ(c.Y, 0);
    EXPECT_TRUE(c.FullScreen);
    EXPECT_FALSE(c.FramedWindow);
}

TEST(WindowSize, LargeScreenIsClampedAndCentredOnTheWholeScreen) {
    WindowChoice c = ChooseWindowSizeFor(Screen(2560, 1440), 100, 0);
    EXPECT_EQ(c.Width, 1920);
    EXPECT_EQ(c.Height, 1200);
    EXPECT_EQ(c.X, 320);
    EXPECT_EQ(c.Y, 120);
    EXPECT_FALSE(c.FullScreen);
    EXPECT_TRUE(c.FramedWindow);
}

TEST(WindowSize, SmallPercentIsRaisedToTheMinimum) {
    WindowChoice c = ChooseWindowSizeFor(Screen(1920, 1080), 33, 0);
    EXPECT_EQ(c.Width, 640);    // 634 before the minimum
    EXPECT_EQ(c.Height, 360);   // 356 before the minimum
    EXPECT_EQ(c.X, 640);
    EXPECT_EQ(c.Y, 360);
    EXPECT_TRUE(c.FramedWindow);
    // A screen below the minimum keeps the fraction.
    WindowChoice s = ChooseWindowSizeFor(Screen(600, 300), 50, 0);
    EXPECT_EQ(s.Width, 300);
    EXPECT_EQ(s.Height, 150);
}

TEST(WindowSize, OddScreenWidthGivesEvenWindowAndTiesToEven) {
    WindowChoice c = ChooseWindowSizeFor(Screen(1365, 768), 100, 0);
    EXPECT_EQ(c.Width, 1364);
    EXPECT_EQ(c.X, 0);          // 0.5 rounds to even
    EXPECT_FALSE(c.FullScreen);
    EXPECT_TRUE(c.FramedWindow);
    WindowChoice d = ChooseWindowSizeFor(Screen(1923, 1080), 100, 0);   // clamped to 1920
    EXPECT_EQ(d.X, 2);          // 1.5 rounds to even
}

TEST(WindowSize, KeepTaskbarShortensAFullScreenWindowToTheWorkArea) {
    WindowChoice c = ChooseWindowSizeFor(Screen(1920, 1080, 1040), 100, 1);
    EXPECT_EQ(c.Width, 1920);
    EXPECT_EQ(c.Height, 1040);
    EXPECT_EQ(c.X, 0);
    EXPECT_EQ(c.Y, 0);
    EXPECT_FALSE(c.FullScreen);
    EXPECT_FALSE(c.FramedWindow);   // keeps the full-screen decision: no frame
    // Not full screen: the option changes nothing.
    WindowChoice f = ChooseWindowSizeFor(Screen(1920, 1080, 1040), 50, 1);
    EXPECT_EQ(f.Height, 540);
    EXPECT_TRUE(f.FramedWindow);
}

TEST(WindowSize, ScaledDisplayReportsItsPercentAndFramesFromTheResult) {
    PlatDisplayMetrics m{3840, 2160, 2560, 1440, 0, 0, 2560, 1400};
    HeadlessSetMetrics(m);
    Display.WindowPercent = 100;
    Display.KeepTaskbar = 0;
    ReadDisplayMetrics();
    ChooseWindowSize();
    EXPECT_EQ(Display.DpiPercent, 150);
    EXPECT_EQ(Calc.WindowWidth, 1920);
    EXPECT_EQ(Calc.WindowHeight, 1200);
    EXPECT_EQ(Display.FrameRects[2].left, 1919);
    EXPECT_EQ(Display.FrameRects[3].top, 1199);
    EXPECT_EQ(Display.WindowRect.right, 1920);
}
