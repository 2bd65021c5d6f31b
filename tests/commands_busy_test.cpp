// Commands while a picture is being computed: which ones abandon it, which are ignored, and
// the zoom limits that are refused silently mid-picture but reported when idle.
#include <gtest/gtest.h>
#include <tuple>
#include "render/cycle.h"
#include "tests/deep_places.h"
#include "tests/deep_view.h"
#include "tests/commands_util.h"
#include "ui/message.h"

namespace {
// A zoom-in started and a few of its tiles computed, so a pass is running.
void StartPass() {
    Press(VK_PRIOR);
    for (int i = 0; i < 4; i++) HeadlessPumpOne();
    ASSERT_GE(Work.TilePos, 0);
    ASSERT_LT(Work.TilePos, TileCount);
}
}  // namespace

TEST(BusyKeys, ArrowsAreIgnoredWhilePageUpAbandonsThePass) {
    StartSmall();
    StartPass();
    const int32_t running = Work.TilePos;
    const uint32_t idleOnly[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN, 'M', '3'};
    for (uint32_t vk : idleOnly) {
        Press(vk);
        EXPECT_EQ(Work.TilePos, running) << vk;
    }
    EXPECT_EQ(Input.DragDX, 0);
    EXPECT_EQ(Input.DragDY, 0);
    Press(VK_PRIOR);
    EXPECT_EQ(Work.TilePos, CmdZoomIn);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 2);
}

TEST(BusyKeys, ArrowMovesTheViewByAQuarterWhenIdle) {
    StartSmall();
    Press(VK_LEFT);
    EXPECT_EQ(Work.TilePos, CmdPanApply);
    EXPECT_EQ(Input.DragDX, SmallW / 4);
    EXPECT_EQ(Input.DragDY, 0);
    PumpUntilPictureDone();
    Press(VK_DOWN);                       // the previous offsets are cleared first
    EXPECT_EQ(Input.DragDX, 0);
    EXPECT_EQ(Input.DragDY, -(SmallH / 4));
}

TEST(BusyKeys, ZoomAtTheLimitIsDroppedMidPictureAndReportedWhenIdle) {
    StartSmall();
    StartPass();
    const int32_t running = Work.TilePos;
    View.ld_Zoom = 112;                   // as if the view had reached the deepest zoom
    Press(VK_PRIOR);
    EXPECT_EQ(Work.TilePos, running);
    Press(VK_PRIOR, VK_CONTROL);
    EXPECT_EQ(Work.TilePos, running);
    View.ld_Zoom = -4;
    Press(VK_NEXT);
    EXPECT_EQ(Work.TilePos, running);
    View.ld_Zoom = 1;
    PumpUntilPictureDone();

    for (const auto& [zoom, key, code] : {std::tuple{112, uint32_t(VK_OEM_PLUS), int32_t(CmdZoomIn)},
                                          {-4, uint32_t(VK_SUBTRACT), int32_t(CmdZoomOut)}}) {
        View.ld_Zoom = zoom;
        Press(key);
        EXPECT_EQ(Work.TilePos, code);    // posted; the render cycle refuses it
        PumpUntilPictureDone();
        EXPECT_EQ(View.ld_Zoom, zoom);
        EXPECT_EQ(Messages.MessageCode, 255);   // and says so
    }
}

// D turns deep zoom on and off: on, the zoom goes past 112 (in a view outside the set, where
// every pixel escapes at once); off again, the zoom in is refused as at 112.
TEST(BusyKeys, DeepZoomKeyLetsTheZoomGoOnPast112) {
    StartSmall();
    View.Center_zY = ToLong128(3.0);
    View.Automatic = 0;
    View.Alt_Iteration = 0;
    View.ld_Zoom = 112;
    for (const auto& [deep, message, zoom] : {std::tuple{true, MsgDeepOn, 113}, {false, MsgDeepOff, 113}}) {
        Press('D');
        EXPECT_EQ(Deep.On, deep);
        EXPECT_EQ(Messages.MessageCode, message);
        PumpUntilPictureDone();
        Press(VK_PRIOR);
        PumpUntilPictureDone();
        EXPECT_EQ(View.ld_Zoom, zoom);
    }
    EXPECT_EQ(StripFill(), RedStrip);   // the refusal was shown
}

// Deep in the perturbation range every command takes the view where it takes it above, and
// each picture completes at its zoom. A picture computed whole about its centre is the view's
// own; after a pan the pixels taken over were computed from the old centre's orbit, so they
// agree with the new one's only as closely as perturbation does.
TEST(BusyKeys, DeepViewsTakeEveryCommand) {
    StartSmall();
    const DeepPlace& d = *FindDeepPlace("bench-1000");
    SetCentre(View, AxisY, deepview::Coordinate(d.Re));
    SetCentre(View, AxisX, deepview::Coordinate(d.Im));
    View.ld_Zoom = d.Zoom;
    View.Automatic = 0;
    View.Iteration = View.Alt_Iteration = d.Iteration;
    Deep.On = true;
    const struct {
        void (*Act)();
        int32_t Zoom;
        bool Exact;   // every pixel computed from this view's orbit
    } steps[] = {
        {[] { Press(VK_TAB); }, 1000, true},   {[] { ClickAt(SmallW / 4, SmallH / 3); }, 1004, true},
        {[] { Press(VK_PRIOR); }, 1005, true}, {[] { Press(VK_RIGHT); }, 1005, false},
        {[] { Press(VK_NEXT); }, 1004, true},  {[] { Press(VK_BACK); }, 1005, false},
    };
    for (const auto& step : steps) {
        step.Act();
        PumpUntilPictureDone();
        ASSERT_TRUE(Idle());
        EXPECT_EQ(View.ld_Zoom, step.Zoom);
        EXPECT_EQ(Calc.NumberMode, ModePerturb);
        const std::vector<int32_t> shown = ShownCounts(), fresh = FreshCounts();
        size_t same = 0;
        for (size_t i = 0; i < shown.size(); ++i) same += shown[i] == fresh[i];
        EXPECT_GE(same, step.Exact ? shown.size() : shown.size() * 999 / 1000) << "at zoom " << step.Zoom;
    }
}

TEST(BusyKeys, FormatAndResetKeysAbandonThePass) {
    StartSmall();
    StartPass();
    Press(VK_DELETE);
    EXPECT_EQ(Work.TilePos, CmdNewPicture);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 0);
    StartPass();
    Press(VK_TAB);
    EXPECT_EQ(Work.TilePos, CmdRecompute);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 1);
}

TEST(BusyKeys, BackMidPictureRestoresTheCurrentSlot) {
    StartSmall();
    Press(VK_PRIOR);
    PumpUntilPictureDone();
    ASSERT_EQ(View.ld_Zoom, 1);
    StartPass();                          // towards zoom 2
    Press(VK_BACK);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 1);
    Press(VK_BACK);                       // idle: one picture further back
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 0);
}

TEST(BusyKeys, KeysAreIgnoredWhileTheButtonIsHeld) {
    StartSmall();
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(SmallW / 2, SmallH / 2);
    HeadlessPumpOne();
    ASSERT_EQ(Input.MouseHeld, 1);
    Press(VK_PRIOR);
    Press(VK_ESCAPE);
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(HeadlessWindowExists());
    EXPECT_EQ(View.ld_Zoom, 0);
}
