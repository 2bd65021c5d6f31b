// Key commands through the headless window: the lock-out, the modifier codes, the two tables
// and what each command leaves in the view.
#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>
#include "render/colour.h"
#include "render/cycle.h"
#include "tests/commands_util.h"
#include "ui/display.h"
#include "ui/message.h"
#include "ui/panel.h"

TEST(KeyLockOut, SecondPressWithin250MsIsDroppedAfter300MsBothAct) {
    StartSmall();
    Press('M', VK_CONTROL);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Offset, 16u);
    Press('M', VK_CONTROL, 200);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(View.Offset, 16u);
    Press('M', VK_CONTROL, 100);         // 300 ms after the last accepted press
    PumpUntilPictureDone();
    EXPECT_EQ(View.Offset, 32u);
}

TEST(KeyLockOut, KeyWithoutCommandBlocksTheNextPress) {
    StartSmall();
    Press('Q');
    Press('M', VK_CONTROL, 200);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(View.Offset, 0u);
    // Shift, Ctrl and Alt pass freely and do not count as presses.
    HeadlessAdvanceClock(250);
    Press(VK_SHIFT, 0, 0);
    Press('M', VK_CONTROL, 0);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    EXPECT_EQ(View.Offset, 16u);
}

TEST(KeyTables, EveryCodePostsItsCommand) {
    StartSmall();
    struct Row { uint32_t vk, modifier; int32_t posted; };
    const Row rows[] = {
        {VK_TAB, 0, CmdRecompute},       {VK_PRIOR, 0, CmdZoomIn},        {VK_ADD, 0, CmdZoomIn},
        {VK_OEM_PLUS, 0, CmdZoomIn},     {VK_NEXT, 0, CmdZoomOut},        {VK_SUBTRACT, 0, CmdZoomOut},
        {VK_OEM_MINUS, 0, CmdZoomOut},   {VK_DELETE, 0, CmdNewPicture},   {VK_RETURN, 0, CmdRecolour},
        {VK_SPACE, 0, CmdRecolour},      {'1', 0, CmdRecolour},           {VK_NUMPAD0 + 1, 0, CmdRecolour},
        {VK_F1, 0, CmdRecolour},         {VK_LEFT, 0, CmdPanApply},       {VK_UP, 0, CmdPanApply},
        {VK_RIGHT, 0, CmdPanApply},      {VK_DOWN, 0, CmdPanApply},       {'2', 0, CmdRecolour},
        {VK_NUMPAD0 + 2, 0, CmdRecolour}, {VK_F1 + 1, 0, CmdRecolour},    {'3', 0, CmdIterationDown},
        {VK_NUMPAD0 + 3, 0, CmdIterationDown}, {VK_F1 + 2, 0, CmdIterationDown}, {'4', 0, CmdIterationUp},
        {VK_NUMPAD0 + 4, 0, CmdIterationUp}, {VK_F4, 0, CmdIterationUp}, {'I', 0, CmdRecolour},
        {'I', VK_SHIFT, CmdRecolour},    {'I', VK_CONTROL, CmdRecolour},  {'M', 0, CmdRecolour},
        {'N', 0, CmdRecolour},           {'M', VK_CONTROL, CmdRecolour},  {'N', VK_CONTROL, CmdRecolour},
        {'5', 0, CmdRecolour},           {VK_NUMPAD0 + 5, 0, CmdRecolour}, {VK_F1 + 4, 0, CmdRecolour},
        {'6', 0, CmdRecolour},           {VK_NUMPAD0 + 6, 0, CmdRecolour}, {VK_F1 + 5, 0, CmdRecolour},
        {'F', 0, CmdRecompute},           {VK_BACK, 0, CmdRecolour},       {'D', 0, CmdRecolour},
        // No command: other modifiers, F7, F8, F10, F12, letters without a row.
        {'S', 0, TileIdle},              {'S', VK_SHIFT, TileIdle},       {VK_ESCAPE, VK_SHIFT, TileIdle},
        {VK_F1 + 4, VK_CONTROL, TileIdle}, {VK_F1 + 6, 0, TileIdle},      {VK_F1 + 7, 0, TileIdle},
        {VK_F1 + 9, 0, TileIdle},        {VK_F12, 0, TileIdle},           {'C', 0, TileIdle},
        {VK_PRIOR, VK_SHIFT, TileIdle},  {'M', VK_SHIFT, TileIdle},
    };
    for (const Row& r : rows) {
        Press(r.vk, r.modifier);
        EXPECT_EQ(Work.TilePos, r.posted) << "key " << r.vk << " with " << r.modifier;
        DropCommand();                    // only the mapping is under test
    }
    EXPECT_TRUE(HeadlessWindowExists());
}

TEST(KeyTables, CtrlSSavesShiftSAndSDoNothing) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("zentrix-keys-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    StartSmall(false, (dir / "zentrix").string().c_str());
    Press('S', VK_SHIFT);
    Press('S');
    EXPECT_FALSE(fs::exists(dir / "Pictures"));
    Press('S', VK_CONTROL);
    EXPECT_EQ(Messages.MessageCode, 1);   // saved; the redraw shows the message
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    std::string stem = Messages.MessageFileName;
    EXPECT_TRUE(fs::exists(stem + ".zxp"));
    EXPECT_TRUE(fs::exists(stem + ".png"));
    PumpUntilPictureDone();
    EXPECT_EQ(Messages.MessageCode, 255);
    // Where the Pictures folder lies beside the test program, only what the test wrote goes.
    std::error_code ec;
    fs::remove(stem + ".zxp", ec), fs::remove(stem + ".png", ec), fs::remove(App.PicturesFolder, ec);
    fs::remove_all(dir);
}

TEST(KeyColour, CtrlNAndCtrlMStepTheOffsetBy16Round256) {
    StartSmall();
    Press('N', VK_CONTROL);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Offset, 240u);
    Press('M', VK_CONTROL);
    PumpUntilPictureDone();
    EXPECT_EQ(View.Offset, 0u);
}

TEST(KeyColour, MThenNReturnsTheColourScale) {
    StartSmall();
    const double before = View.Color;
    Press('M');
    PumpUntilPictureDone();
    EXPECT_DOUBLE_EQ(View.Color, before * 1.1);
    Press('N');
    PumpUntilPictureDone();
    EXPECT_NEAR(View.Color, before, 1e-12);
}

TEST(KeyFormat, PrevAndLateStopAtTheEndsWithTheirMessages) {
    StartSmall();
    ASSERT_EQ(View.CPU_Prev, 0);
    Press(VK_F1 + 5);                     // Late at 0
    EXPECT_EQ(View.CPU_Prev, 0);
    EXPECT_EQ(Messages.MessageCode, 93);
    PumpUntilPictureDone();
    Press(VK_F1 + 4);                     // 0 -> 4: the same format at zoom 0, so a redraw
    EXPECT_EQ(View.CPU_Prev, 4);
    EXPECT_EQ(Messages.MessageCode, 0);
    EXPECT_EQ(Work.TilePos, CmdRecolour);
    PumpUntilPictureDone();
    Press('5');
    PumpUntilPictureDone();
    Press(VK_NUMPAD0 + 5);                // Prev at 8
    EXPECT_EQ(View.CPU_Prev, 8);
    EXPECT_EQ(Messages.MessageCode, 94);
}

TEST(KeyFormat, PrevRecomputesOnlyWhenTheFormatChanges) {
    StartSmall();
    // Zoom 44 is still double at CPU_Prev 0 and Fixed60 once the threshold drops by 4. The
    // view lies outside the set with a fixed limit, so each picture is cheap.
    View.ld_Zoom = 44;
    View.Center_zY = ToLong128(1.0);
    View.Automatic = 0;
    View.Alt_Iteration = 0;
    View.Alt_Color = 0.0;
    SetupCalculation();
    ASSERT_EQ(Calc.NumberMode, ModeDouble);
    Press(VK_F1 + 4);
    EXPECT_EQ(Work.TilePos, CmdRecompute);
    PumpUntilPictureDone();
    EXPECT_EQ(Calc.NumberMode, ModeFixed60);
    // During a calculation only a change of format restarts it.
    Press(VK_TAB);
    HeadlessPumpOne();                    // the Recompute is set up, its pass runs
    ASSERT_GE(Work.TilePos, 0);
    ASSERT_LT(Work.TilePos, TileCount);
    const int32_t running = Work.TilePos;
    Press('F');                           // FPU off: still Fixed60 at zoom 44
    EXPECT_EQ(View.FPU_Mode, 0);
    EXPECT_EQ(Work.TilePos, running);
    Press('F');
    EXPECT_EQ(Work.TilePos, running);
    Press(VK_F1 + 5);                     // Late: back to double
    EXPECT_EQ(View.CPU_Prev, 0);
    EXPECT_EQ(Work.TilePos, CmdRecompute);
    PumpUntilPictureDone();
    EXPECT_EQ(Calc.NumberMode, ModeDouble);
}

TEST(KeyModes, AutoKeyTogglesAndUpdatesTheHistorySlot) {
    StartSmall();
    ASSERT_EQ(View.Automatic, 1);
    HistorySlot& slot = History[Cycle.HistoryIndex];
    Press('2');
    EXPECT_EQ(View.Automatic, 0);
    EXPECT_EQ(View.Alt_Iteration, 0);
    EXPECT_EQ(View.Alt_Color, 0.0);
    EXPECT_EQ(slot.Params.Automatic, 0);
    EXPECT_EQ(slot.Params.Alt_Iteration, 0);
    EXPECT_EQ(InsideCount, 777u);
    PumpUntilPictureDone();
    View.Offset = 48;
    View.CPU_Prev = 4;
    Press(VK_F1 + 1);
    EXPECT_EQ(View.Automatic, 1);
    EXPECT_EQ(View.Alt_Iteration, View.Iteration);
    EXPECT_EQ(View.Alt_Color, View.Color);
    EXPECT_EQ(View.Offset, 0u);
    EXPECT_EQ(View.CPU_Prev, 0);
    EXPECT_EQ(slot.Params.Automatic, 1);
    EXPECT_EQ(slot.Params.Alt_Iteration, slot.Params.Iteration);
}

TEST(KeyModes, PanelCreditAndModifierRelease) {
    StartSmall();
    Press(VK_SPACE);
    EXPECT_EQ(PanelVisible, 0);
    PumpUntilPictureDone();
    Press(VK_NUMPAD0 + 1);
    EXPECT_EQ(PanelVisible, 1);
    PumpUntilPictureDone();
    Press('I', VK_CONTROL);
    EXPECT_EQ(Messages.MessageCode, 3);
    PumpUntilPictureDone();
    EXPECT_EQ(Messages.MessageCode, 255);   // on the screen now
    // Alt forgets the held modifiers, a released Ctrl no longer counts.
    HeadlessKeyDown(VK_CONTROL);
    HeadlessPumpOne();
    HeadlessKeyDown(VK_MENU);
    HeadlessPumpOne();
    EXPECT_EQ(Input.KeyModifiers, 0u);
    HeadlessKeyDown(VK_SHIFT);
    HeadlessPumpOne();
    EXPECT_EQ(Input.KeyModifiers, 0x100u);
    HeadlessKeyUp(VK_SHIFT);
    HeadlessPumpOne();
    EXPECT_EQ(Input.KeyModifiers, 0u);
}

TEST(KeyWindow, WindowsKeysAndF11Minimise) {
    StartSmall();
    for (uint32_t vk : {uint32_t(VK_LWIN), uint32_t(VK_RWIN), uint32_t(VK_F1 + 10)}) {
        Press(vk);
        EXPECT_TRUE(HeadlessMinimised()) << vk;
        EXPECT_EQ(Display.Minimised, 1);
        HeadlessFocus(true);              // the user brings it back
        PumpUntilPictureDone();
        ASSERT_FALSE(HeadlessMinimised());
    }
}

TEST(KeyWindow, CtrlCDestroysTheWindowAtOnce) {
    StartSmall();
    Press('C', VK_CONTROL);
    EXPECT_FALSE(HeadlessWindowExists());
    EXPECT_TRUE(HeadlessQuitPosted());
}
