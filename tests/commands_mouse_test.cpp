// The left button as a user drives it: clicks on the legend areas, panning, colour dragging,
// the hold timer of a framed window, and the wheel and the right button.
#include <gtest/gtest.h>
#include <cmath>
#include "app/app.h"
#include "render/cycle.h"
#include "tests/commands_util.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

TEST(MouseClick, ClickInThePictureZoomsSixteenTimesAboutThePoint) {
    StartSmall();
    const long128 cx = View.Center_zX, cy = View.Center_zY;
    ClickAt(SmallW / 2, SmallH / 2);
    EXPECT_EQ(Work.TilePos, CmdZoomInAtPoint);
    EXPECT_EQ(Input.PressX, uint32_t(SmallW / 2));
    EXPECT_EQ(Input.PressY, uint32_t(SmallH / 2));
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 4);
    EXPECT_EQ(View.Center_zX.lo, cx.lo);
    EXPECT_EQ(View.Center_zX.hi, cx.hi);
    EXPECT_EQ(View.Center_zY.lo, cy.lo);
    EXPECT_EQ(View.Center_zY.hi, cy.hi);
}

TEST(MouseDrag, DragInThePicturePansInsteadOfZooming) {
    StartSmall();
    const double x0 = Long128AsDouble(View.Center_zX), y0 = Long128AsDouble(View.Center_zY);
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(300, 200);
    HeadlessMouseMove(310, 204);
    HeadlessPumpOne();
    HeadlessPumpOne();
    EXPECT_EQ(Work.TilePos, CmdPanPreview);
    PumpUntilPictureDone();               // the shifted preview
    HeadlessMouseMove(320, 208);
    HeadlessButtonUp(320, 208);
    PumpInput(2);
    EXPECT_EQ(Work.TilePos, CmdPanApply);
    EXPECT_EQ(Input.DragDX, 20);
    EXPECT_EQ(Input.DragDY, 8);
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 0);
    // The content followed the pointer, so the view moved the other way.
    EXPECT_DOUBLE_EQ(Long128AsDouble(View.Center_zX), x0 - 20 * Calc.PixelStep);
    EXPECT_DOUBLE_EQ(Long128AsDouble(View.Center_zY), y0 - 8 * Calc.PixelStep);
}

TEST(MouseDrag, ReleaseBeforeThePreviewWasPaintedPansByTheLastMove) {
    StartSmall();
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(300, 200);
    HeadlessMouseMove(330, 190);
    HeadlessButtonUp(345, 185);           // arrives before the paint of the move's preview
    PumpInput(3);
    EXPECT_EQ(Work.TilePos, CmdPanApply);
    EXPECT_EQ(Input.DragDX, 30);
    EXPECT_EQ(Input.DragDY, -10);
    EXPECT_EQ(Input.MouseHeld, 0);
}

TEST(MouseDrag, ColourDragScalesByEToTheFifthPerWidthAndNeverPans) {
    StartSmall();
    const int y = CentreY(ColorBar);
    const double press = View.Color;
    const long128 cx = View.Center_zX;
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(100, y);
    HeadlessMouseMove(100 + SmallW / 5, y - 30);   // the vertical movement does nothing
    PumpInput(2);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    EXPECT_EQ(View.Color, press * std::exp(1.0));
    PumpUntilPictureDone();
    HeadlessMouseMove(100 - SmallW / 10, y);
    PumpInput(1);
    EXPECT_EQ(View.Color, press / std::exp(0.5));
    PumpUntilPictureDone();
    HeadlessButtonUp(100 - SmallW / 10, y);
    PumpInput(1);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Center_zX.lo, cx.lo);
    EXPECT_EQ(View.Center_zX.hi, cx.hi);
    EXPECT_EQ(View.ld_Zoom, 0);
}

TEST(MouseClick, ClickOnTheColourBarResetsTheColours) {
    StartSmall();
    View.Color = 7.5;
    View.Offset = 32;
    ClickOn(ColorBar);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    EXPECT_EQ(View.Color, 1.0);
    EXPECT_EQ(View.Alt_Color, 1.0);
    EXPECT_EQ(View.Offset, 0u);
}

TEST(MouseClick, BorderAreasActWithTheLegendHiddenFunctionKeysDoNot) {
    StartSmall();
    HeadlessRightClick(10, 10);
    PumpInput(2);
    ASSERT_EQ(PanelVisible, 0);
    PumpUntilPictureDone();
    ExpectClickCodes({{ResetButton, CmdNewPicture}, {ZoomInButton, CmdZoomIn},
                      {ZoomOutButton, CmdZoomOut},   {BackButton, CmdRecolour}});
    // A hidden function key is only part of the top strip: it shows the legend again.
    const int32_t iteration = View.Iteration;
    const uint8_t automatic = View.Automatic;
    for (const ScreenBox* key : {&KeyF2, &KeyF3, &KeyF4, &KeyF5, &KeyF9, &KeyF11}) {
        ClickOn(*key);
        EXPECT_EQ(Work.TilePos, CmdRecolour);
        EXPECT_EQ(PanelVisible, 1);
        PanelVisible = 0;
        DropCommand();
    }
    EXPECT_EQ(View.Iteration, iteration);
    EXPECT_EQ(View.Automatic, automatic);
    EXPECT_EQ(View.CPU_Prev, 0);
    EXPECT_FALSE(HeadlessMinimised());
}

TEST(MouseClick, FunctionKeysActWhileTheLegendIsShown) {
    StartSmall();
    ExpectClickCodes({{KeyF3, CmdIterationDown}, {KeyF4, CmdIterationUp},
                      {KeyF2, CmdRecolour},      {KeyF5, CmdRecolour},
                      {KeyF1, CmdRecolour},      {InfoBar, CmdRecolour}});
    EXPECT_EQ(View.Automatic, 0);         // F2
    EXPECT_EQ(View.CPU_Prev, 4);          // F5
    EXPECT_EQ(PanelVisible, 1);           // F1's hint and the strip each toggled it
    ClickOn(KeyF11);
    EXPECT_TRUE(HeadlessMinimised());
}

TEST(MouseClick, ClickOnAShownMessageRemovesItInsteadOfZooming) {
    StartSmall();
    Press('I');
    PumpUntilPictureDone();
    ASSERT_EQ(Messages.MessageCode, 255);
    ClickOn(MessageStrip);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    PumpUntilPictureDone();
    EXPECT_EQ(Messages.MessageCode, 0);
    ClickOn(MessageStrip);                // no message now: the picture box zooms
    EXPECT_EQ(Work.TilePos, CmdZoomInAtPoint);
}

TEST(MouseClick, ExitAreaDestroysTheWindowEvenMidPicture) {
    StartSmall();
    Press(VK_PRIOR);
    HeadlessPumpOne();
    ClickOn(ExitButton);
    EXPECT_FALSE(HeadlessWindowExists());
}

TEST(MouseHold, PressHeldStillInAFramedWindowActsAsAClick) {
    StartSmall(true);
    ASSERT_EQ(Calc.WindowWidth, SmallW);
    ASSERT_FALSE(Display.FullScreen);
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(SmallW / 2, SmallH / 2);
    HeadlessPumpOne();
    EXPECT_TRUE(HeadlessTimerSet(HoldTimer));
    HeadlessAdvanceClock(500);
    HeadlessPumpOne();                    // the hold tick
    EXPECT_EQ(Work.TilePos, CmdZoomInAtPoint);
    EXPECT_FALSE(HeadlessTimerSet(HoldTimer));
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 4);
    HeadlessButtonUp(SmallW / 2, SmallH / 2);   // the real release comes too late
    PumpUntilPictureDone();
    EXPECT_EQ(View.ld_Zoom, 4);
    EXPECT_TRUE(Idle());
}

TEST(MouseHold, MovingPressSurvivesTheTickAndEndsAtTheRestingPoint) {
    StartSmall(true);
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(300, 200);
    HeadlessMouseMove(320, 200);
    PumpUntilPictureDone();               // preview shown
    HeadlessAdvanceClock(500);
    HeadlessPumpOne();                    // the pointer moved: the press goes on
    EXPECT_EQ(Input.MouseHeld, 1);
    EXPECT_TRUE(Idle());
    HeadlessAdvanceClock(500);
    HeadlessPumpOne();                    // rested a whole tick: released where it is
    EXPECT_EQ(Input.MouseHeld, 0);
    EXPECT_EQ(Work.TilePos, CmdPanApply);
    EXPECT_EQ(Input.DragDX, 20);
}

TEST(MouseHold, FullScreenPressWaitsForTheRealRelease) {
    StartSmall();
    ASSERT_TRUE(Display.FullScreen);
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(SmallW / 2, SmallH / 2);
    HeadlessPumpOne();
    EXPECT_FALSE(HeadlessTimerSet(HoldTimer));
    HeadlessAdvanceClock(2000);
    PumpUntilPictureDone();
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Input.MouseHeld, 1);
    HeadlessButtonUp(SmallW / 2, SmallH / 2);
    PumpInput(1);
    EXPECT_EQ(Work.TilePos, CmdZoomInAtPoint);
}

TEST(MouseOther, WheelStepsTheColourScaleOnceRightButtonTogglesThePanel) {
    StartSmall();
    View.Color = 2.0;
    HeadlessWheel(360);                   // three notches in one message: one step
    PumpInput(1);
    EXPECT_EQ(View.Color, 2.0 * 1.02);
    PumpUntilPictureDone();
    View.Color = 2.0;
    HeadlessWheel(-120);
    PumpInput(1);
    EXPECT_EQ(View.Color, 2.0 / 1.02);
    PumpUntilPictureDone();
    HeadlessRightClick(5, 5);
    PumpInput(2);
    EXPECT_EQ(PanelVisible, 0);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
}

TEST(MouseOther, PressesWithin250MsAndWhileMinimisedAreDropped) {
    StartSmall();
    Press(VK_RETURN);
    PumpUntilPictureDone();
    ClickAt(SmallW / 2, SmallH / 2, 100);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Input.MouseHeld, 0);
    Press(VK_F1 + 10);
    ASSERT_TRUE(HeadlessMinimised());
    ClickAt(SmallW / 2, SmallH / 2);
    EXPECT_TRUE(Idle());
    HeadlessWheel(120);
    HeadlessRightClick(5, 5);
    PumpInput(3);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(PanelVisible, 1);
}

TEST(MouseDrag, PositionsOutsideThePictureAreKeptOnIt) {
    // A backend may report a held pointer beyond the window edge; a negative coordinate
    // arrives as a large 16-bit value. The shift must stay below the picture size.
    StartSmall();
    HeadlessAdvanceClock(300);
    HeadlessButtonDown(10, 100);
    HeadlessMouseMove(-50, 100);
    PumpInput(2);
    EXPECT_EQ(Input.DragDX, -10);
    EXPECT_EQ(Input.DragDY, 0);
    PumpUntilPictureDone();
    HeadlessButtonUp(SmallW + 200, SmallH + 5);
    PumpInput(1);
    EXPECT_EQ(Work.TilePos, CmdPanApply);
    EXPECT_EQ(Input.DragDX, SmallW - 1 - 10);
    EXPECT_EQ(Input.DragDY, SmallH - 1 - 100);
    PumpUntilPictureDone();
    EXPECT_TRUE(Idle());
}
