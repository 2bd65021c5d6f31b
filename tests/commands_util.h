// tests/commands_util.h - a small program driven by keys and the mouse as a user would.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <gtest/gtest.h>
#include "engine/state.h"
#include "engine/work.h"
#include "platform/headless/headless.h"
#include "render/input.h"
#include "tests/support.h"
#include "ui/layout.h"
#include "ui/message.h"

constexpr int SmallW = 640, SmallH = 360;

// The first picture of a 640 x 360 window, full screen or framed on a larger screen, with
// the clock moved past the lock-out of the first press.
inline void StartSmall(bool framed = false, const char* self = "zentrix") {
    if (framed) {
        HeadlessSetScreen(1280, 720);
        StartProgram({self, "50"});
    } else {
        HeadlessSetScreen(SmallW, SmallH);
        StartProgram({self});
    }
    PumpUntilPictureDone();
    HeadlessAdvanceClock(1000);
}

// Handles the given number of queued input messages (input comes before any paint), so a
// test sees what the handlers posted before the render cycle takes it.
inline void PumpInput(int messages) {
    for (int i = 0; i < messages; i++) HeadlessPumpOne();
}

// One key press with the given modifier keys held (VK_SHIFT, VK_CONTROL or 0), handled but
// not yet painted. The clock moves first, so the lock-out never hides the press.
inline void Press(uint32_t vk, uint32_t modifier = 0, int64_t waitMs = 300) {
    HeadlessAdvanceClock(waitMs);
    if (modifier) { HeadlessKeyDown(modifier); HeadlessPumpOne(); }
    HeadlessKeyDown(vk);
    HeadlessPumpOne();
    HeadlessKeyUp(vk);
    HeadlessPumpOne();
    if (modifier) { HeadlessKeyUp(modifier); HeadlessPumpOne(); }
}

inline int CentreX(const ScreenBox& b) { return (b.Left + b.Right) / 2; }
inline int CentreY(const ScreenBox& b) { return (b.Top + b.Bottom) / 2; }

// A press and release at one point, handled but not yet painted.
inline void ClickAt(int x, int y, int64_t waitMs = 300) {
    HeadlessAdvanceClock(waitMs);
    HeadlessButtonDown(x, y);
    HeadlessPumpOne();
    HeadlessButtonUp(x, y);
    HeadlessPumpOne();
}
inline void ClickOn(const ScreenBox& b) { ClickAt(CentreX(b), CentreY(b)); }

inline bool Idle() { return Work.TilePos == TileIdle; }

// The fill of the message strip as the canvas holds it: red for a failure or a limit.
constexpr uint32_t RedStrip = 0xFF0000;
inline uint32_t StripFill() { return HeadlessPixel(MessageStrip.Left + 3, MessageStrip.Top + 3); }

// Forgets the posted command and any pending message, for tests of which code a press posts.
inline void DropCommand() {
    Work.TilePos = TileIdle;
    Messages.MessageCode = 0;
    PumpUntilPictureDone();
}

struct AreaCommand { const ScreenBox& box; int32_t posted; };

// Clicks each area in turn and checks the code it posts, dropping each command again.
inline void ExpectClickCodes(std::initializer_list<AreaCommand> rows) {
    for (const AreaCommand& r : rows) {
        ClickOn(r.box);
        EXPECT_EQ(Work.TilePos, r.posted) << "area at " << r.box.Left << ", " << r.box.Top;
        DropCommand();
    }
}
