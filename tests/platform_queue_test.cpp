// The headless message loop: the desktop's priorities, paint coalescing, timers on the
// virtual clock, and the paths by which the window closes.
#include <gtest/gtest.h>
#include <vector>
#include "platform/common/queue.h"
#include "platform/headless/headless.h"

namespace {
struct Seen { uint32_t message; uintptr_t wParam; intptr_t lParam; };
std::vector<Seen> Log;
bool PaintValidates = true;   // a procedure that paints as the program does
bool CloseOnDestroyQuits = true;

intptr_t TestProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Log.push_back({message, wParam, lParam});
    switch (message) {
    case WM_PAINT:
        if (PaintValidates) {
            PlatBeginPaint();
            PlatEndPaint();
        }
        return 0;
    case WM_DESTROY:
        if (CloseOnDestroyQuits) PlatPostQuitMessage(7);
        return 0;
    case WM_KEYDOWN: case WM_KEYUP: case WM_TIMER: case WM_CREATE:
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: case WM_MOUSEWHEEL: case WM_SETFOCUS: case WM_KILLFOCUS:
        return 0;
    default:
        return PlatDefWindowProc(message, wParam, lParam);
    }
}

std::vector<uint32_t> Messages() {
    std::vector<uint32_t> m;
    for (const Seen& s : Log) m.push_back(s.message);
    return m;
}

class Queue : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        Log.clear();
        PaintValidates = true;
        CloseOnDestroyQuits = true;
        ASSERT_TRUE(PlatRegisterWindowClass("WndClass", TestProc));
        ASSERT_TRUE(PlatCreateWindow("WndClass", "Zntx", 10, 20, 64, 48));
        HeadlessPumpUntilIdle();   // the first paint of a new window
        Log.clear();
    }
};
}  // namespace

TEST_F(Queue, CreationSendsCreateAndRequestsAFirstPaint) {
    HeadlessReset();
    Log.clear();
    ASSERT_TRUE(PlatRegisterWindowClass("WndClass", TestProc));
    EXPECT_FALSE(PlatCreateWindow("Other", "Zntx", 0, 0, 64, 48));
    ASSERT_TRUE(PlatCreateWindow("WndClass", "Zntx", 10, 20, 64, 48));
    EXPECT_EQ(Messages(), std::vector<uint32_t>{WM_CREATE});
    EXPECT_TRUE(PlatPaintPending());
    EXPECT_EQ(HeadlessWindowX(), 10);
    EXPECT_EQ(HeadlessWindowY(), 20);
    EXPECT_EQ(HeadlessCanvasWidth(), 64);
    EXPECT_EQ(HeadlessCanvasHeight(), 48);
    EXPECT_FALSE(PlatCreateWindow("WndClass", "Zntx", 0, 0, 1921, 1201));   // beyond any picture
}

TEST_F(Queue, InputComesBeforePaintAndPaintBeforeTimers) {
    PlatSetTimer(1, 100);
    HeadlessAdvanceClock(100);   // the timer is due
    PlatInvalidate();
    HeadlessKeyDown('A');
    HeadlessClick(3, 4);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 5);
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{WM_KEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_PAINT, WM_TIMER}));
}

TEST_F(Queue, InvalidationsCoalesceIntoOnePaintUntilValidated) {
    PlatInvalidate();
    PlatInvalidate();
    PlatInvalidate();
    EXPECT_TRUE(PlatPaintPending());
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);
    EXPECT_FALSE(PlatPaintPending());

    // A paint that never validates keeps coming, as on the desktop.
    PaintValidates = false;
    PlatInvalidate();
    EXPECT_EQ(HeadlessPumpUntilIdle(5), 5);
    EXPECT_TRUE(PlatPaintPending());
}

TEST_F(Queue, InputPostedDuringAPaintIsHandledBeforeTheNextPaint) {
    // The program keeps itself invalid while it computes; input must still get through.
    PlatInvalidate();
    ASSERT_TRUE(HeadlessPumpOne());
    PlatInvalidate();
    HeadlessKeyDown(VK_ESCAPE);
    ASSERT_TRUE(HeadlessPumpOne());
    EXPECT_EQ(Log.back().message, (uint32_t)WM_KEYDOWN);
    ASSERT_TRUE(HeadlessPumpOne());
    EXPECT_EQ(Log.back().message, (uint32_t)WM_PAINT);
}

TEST_F(Queue, TimersFireOnlyWhenDueAndRepeatOnePeriodAfterFiring) {
    PlatSetTimer(2, 500);
    EXPECT_TRUE(HeadlessTimerSet(2));
    HeadlessAdvanceClock(499);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 0);
    HeadlessAdvanceClock(1);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].message, (uint32_t)WM_TIMER);
    EXPECT_EQ(Log[0].wParam, 2u);

    // Far behind: one WM_TIMER, then due again one period later, never a burst.
    HeadlessAdvanceClock(5000);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);
    HeadlessAdvanceClock(499);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 0);
    HeadlessAdvanceClock(1);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);

    PlatKillTimer(2);
    EXPECT_FALSE(HeadlessTimerSet(2));
    HeadlessAdvanceClock(10000);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 0);
}

TEST_F(Queue, SettingATimerAgainRestartsIt) {
    PlatSetTimer(4, 3000);
    HeadlessAdvanceClock(2000);
    PlatSetTimer(4, 3000);
    HeadlessAdvanceClock(2000);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 0);
    HeadlessAdvanceClock(1000);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);
}

TEST_F(Queue, GetMessageJumpsTheClockToTheEarliestTimer) {
    PlatSetTimer(3, 500);
    PlatSetTimer(1, 200);
    PlatMsg msg;
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(msg.message, (uint32_t)WM_TIMER);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(PlatPerfCounter(), 200 * PlatPerfFrequency() / 1000);
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(msg.wParam, 1u);   // due again at 400, before timer 3 at 500
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(PlatPerfCounter(), 500 * PlatPerfFrequency() / 1000);
}

TEST_F(Queue, GetMessageEndsWhenNothingCouldEverArrive) {
    PlatMsg msg;
    EXPECT_FALSE(PlatGetMessage(&msg));
    HeadlessKeyDown('Q');
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(msg.message, (uint32_t)WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, (uintptr_t)'Q');
}

TEST_F(Queue, QuitEndsTheLoopAfterTheInputAlreadyWaiting) {
    PlatSetTimer(1, 10);
    PlatInvalidate();
    HeadlessKeyDown('A');
    PlatPostQuitMessage(3);
    PlatMsg msg;
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(msg.message, (uint32_t)WM_KEYDOWN);
    EXPECT_FALSE(PlatGetMessage(&msg));   // neither the paint nor the timer comes first
    EXPECT_TRUE(HeadlessQuitPosted());
    EXPECT_EQ(HeadlessQuitCode(), 3);
}

TEST_F(Queue, DestroySendsDestroyAtOnceAndDropsWhatTheWindowOwned) {
    PlatSetTimer(1, 10);
    PlatInvalidate();
    HeadlessKeyDown('A');
    PlatDestroyWindow();
    EXPECT_EQ(Messages(), std::vector<uint32_t>{WM_DESTROY});
    EXPECT_FALSE(HeadlessWindowExists());
    EXPECT_FALSE(HeadlessTimerSet(1));
    EXPECT_FALSE(PlatPaintPending());
    PlatDestroyWindow();   // a second destroy finds no window
    EXPECT_EQ(Log.size(), 1u);
    EXPECT_TRUE(HeadlessQuitPosted());   // posted by WM_DESTROY, survives the cleanup
    PlatMsg msg;
    EXPECT_FALSE(PlatGetMessage(&msg));
}

TEST_F(Queue, CloseRequestDestroysTheWindowThroughTheDefaultProcedure) {
    HeadlessClose();
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(HeadlessWindowExists());
}

TEST_F(Queue, AltF4ClosesOtherSystemKeysDoNot) {
    HeadlessSysKeyDown(VK_MENU);
    HeadlessSysKeyDown(VK_F1);
    HeadlessPumpUntilIdle();
    EXPECT_TRUE(HeadlessWindowExists());
    HeadlessSysKeyDown(VK_F4);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(HeadlessWindowExists());
    EXPECT_EQ(PlatDefWindowProc(WM_KEYDOWN, 'A', 0), 0);
}

TEST_F(Queue, MousePositionsAreTwoUnsignedWordsAndTheWheelDeltaIsSigned) {
    HeadlessMouseMove(1919, 1199);
    HeadlessWheel(-120);
    HeadlessWheel(120);
    HeadlessPumpUntilIdle();
    ASSERT_EQ(Log.size(), 3u);
    EXPECT_EQ((uint32_t)Log[0].lParam & 0xFFFF, 1919u);
    EXPECT_EQ(((uint32_t)Log[0].lParam >> 16) & 0xFFFF, 1199u);
    EXPECT_EQ((int16_t)(uint16_t)(Log[1].wParam >> 16), -120);
    EXPECT_EQ((int16_t)(uint16_t)(Log[2].wParam >> 16), 120);
}

TEST_F(Queue, FocusAndKeysArriveWithTheirCodes) {
    HeadlessFocus(false);
    HeadlessFocus(true);
    HeadlessKey(VK_OEM_PLUS);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(Messages(), (std::vector<uint32_t>{WM_KILLFOCUS, WM_SETFOCUS, WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ(Log[2].wParam, (uintptr_t)VK_OEM_PLUS);
    EXPECT_EQ(Log[3].wParam, (uintptr_t)VK_OEM_PLUS);
}

TEST_F(Queue, RestoringAMinimisedWindowRepaintsIt) {
    PlatMinimiseWindow();
    EXPECT_TRUE(HeadlessMinimised());
    EXPECT_FALSE(PlatPaintPending());
    PlatRestoreWindow();
    EXPECT_FALSE(HeadlessMinimised());
    EXPECT_TRUE(PlatPaintPending());
}

TEST_F(Queue, PeriodsBelowTheMinimumAreRaisedToIt) {
    PlatSetTimer(5, 1);
    HeadlessAdvanceClock(TimerMinimumMs - 1);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 0);
    HeadlessAdvanceClock(1);
    EXPECT_EQ(HeadlessPumpUntilIdle(), 1);
}

TEST_F(Queue, AFullQueueDropsLaterInputAndKeepsWhatItHolds) {
    for (uint32_t vk = 0; vk < QueueCapacity + 5; ++vk) HeadlessKeyDown(vk);
    HeadlessPumpUntilIdle();
    ASSERT_EQ(Log.size(), size_t(QueueCapacity));
    for (size_t i = 0; i < Log.size(); ++i) ASSERT_EQ(Log[i].wParam, i);
}
