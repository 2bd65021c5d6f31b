// Window size and place from the display metrics and the start options.
#include <gtest/gtest.h>
#include <vector>
#include "engine/state.h"
#include "platform/headless/headless.h"
#include "ui/display.h"

static PlatDisplayMetrics Screen(int w, int h, int workBottom = -1) {
    return PlatDisplayMetrics{w, h, w, h, 0, 0, w, workBottom < 0 ? h : workBottom};
}

static std::vector<int32_t> Fields(const WindowChoice& c) {
    return {c.Width, c.Height, c.X, c.Y, c.FullScreen, c.FramedWindow};
}

TEST(WindowSize, FromTheScreenThePercentageAndTheTaskbarOption) {
    const struct {
        PlatDisplayMetrics Screen;
        int32_t Percent;
        uint8_t KeepTaskbar;
        WindowChoice Want;
    } cases[] = {
        {Screen(1920, 1080), 100, 0, {1920, 1080, 0, 0, 1, 0}},       // full HD: full screen, no frame
        {Screen(2560, 1440), 100, 0, {1920, 1200, 320, 120, 0, 1}},   // clamped, centred on the whole screen
        {Screen(1920, 1080), 33, 0, {640, 360, 640, 360, 0, 1}},      // 634 x 356 raised to the minimum
        {Screen(600, 300), 50, 0, {300, 150, 150, 75, 0, 1}},         // below the minimum: the fraction stays
        {Screen(1365, 768), 100, 0, {1364, 768, 0, 0, 0, 1}},         // an even width; x 0.5 rounds to even
        {Screen(1923, 1080), 100, 0, {1920, 1080, 2, 0, 0, 1}},       // clamped; x 1.5 rounds to even
        // Keeping the taskbar shortens a full-screen window to the work area, still without a
        // frame, and changes nothing for a smaller one.
        {Screen(1920, 1080, 1040), 100, 1, {1920, 1040, 0, 0, 0, 0}},
        {Screen(1920, 1080, 1040), 50, 1, {960, 540, 480, 270, 0, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(ChooseWindowSizeFor(c.Screen, c.Percent, c.KeepTaskbar)), Fields(c.Want))
            << c.Screen.ScreenWidth << "x" << c.Screen.ScreenHeight << " at " << c.Percent << "%";
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
