// Message texts, the message strip and the removal timer.
#include <cstring>
#include <string>
#include "app/app.h"
#include "ui/display.h"
#include "ui/font.h"
#include "ui/message.h"
#include "tests/ui_canvas.h"

namespace {

int TimerTicks;

intptr_t CountingProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_TIMER && wParam == uintptr_t(MessageTimer)) TimerTicks++;
    return PlatDefWindowProc(message, wParam, lParam);
}

void OpenCountingCanvas() {
    OpenPaintCanvas(1920, 1200);
    HeadlessReset();
    ASSERT_TRUE(PlatRegisterWindowClass("WndClass", CountingProc));
    ASSERT_TRUE(PlatCreateWindow("WndClass", "Zntx", 0, 0, 1920, 1200));
    PlatBeginPaint();
}

}  // namespace

TEST(MessageText, SaveAndLoadQuoteTheFileName) {
    EXPECT_STREQ(MessageFor(1, "2024-05-17").Text, "#<Sa@[ve @]\"2024-05-17.png\"");
    EXPECT_TRUE(MessageFor(1, "x").Green);
    EXPECT_STREQ(MessageFor(2, "2024-05-17").Text, "#<ERROR Sa@[ve @]\"2024-05-17.png\"");
    EXPECT_FALSE(MessageFor(2, "x").Green);
    EXPECT_STREQ(LoadMessageFor(1, "C:\\v#1.zxp").Text, "#<Load @]\"C:\\v#1.zxp\"");
    EXPECT_STREQ(LoadMessageFor(2, "v.zxp").Text, "#<ERROR Load @]\"v.zxp\"");
    EXPECT_FALSE(LoadMessageFor(0, "v.zxp").Present);
}

TEST(MessageText, LimitsAndCredit) {
    EXPECT_STREQ(MessageFor(4, "").Text, "#<LIMI@[T min@[. Iter@[a@[t@[ion");
    EXPECT_STREQ(MessageFor(5, "").Text, "#<LIMI@[T max@[. Iter@[a@[t@[ion");
    EXPECT_STREQ(MessageFor(6, "").Text, "#<LIMI@[T min@[. Zoom");
    EXPECT_STREQ(MessageFor(87, "").Text, "#<LIMI@[T max@[. Zoom");
    EXPECT_STREQ(MessageFor(91, "").Text, "#<LIMI@[T max@[. Co@[lo@]r");
    EXPECT_STREQ(MessageFor(92, "").Text, "#<LIMI@[T min@[. Co@[lo@]r");
    EXPECT_STREQ(MessageFor(93, "").Text, "#<LIMI@[T max@[. @[Thresho@[ld");
    EXPECT_STREQ(MessageFor(94, "").Text, "#<LIMI@[T min@[. @[Thresho@[ld");
    for (int code : {4, 5, 6, 87, 91, 92, 93, 94}) EXPECT_FALSE(MessageFor(uint8_t(code), "").Green);
    const MessageLine credit = MessageFor(3, "");
    EXPECT_TRUE(credit.Green);
    EXPECT_EQ(std::strncmp(credit.Text, "#<", 2), 0);
    EXPECT_NE(std::strstr(credit.Text, "Zentrix"), nullptr);
    for (int code : {95, 96}) EXPECT_TRUE(MessageFor(uint8_t(code), "").Green);   // deep zoom on and off
    for (int code : {0, 7, 50, 86, 97, 127, 128, 200, 255}) EXPECT_FALSE(MessageFor(uint8_t(code), "").Present) << code;
}

TEST(MessageText, LongFileNamesAreCutNotOverrun) {
    const std::string name(255, 'n');
    const MessageLine m = MessageFor(2, name.c_str());
    EXPECT_TRUE(m.Present);
    EXPECT_LT(std::strlen(m.Text), sizeof m.Text);
    EXPECT_EQ(TextLength(m.Text), MaxTextLength);
}

TEST(MessageStrip, FrameFillAndTextAt1920x1200) {
    OpenPaintCanvas(1920, 1200);
    DrawMessageStrip(0x0000FF, "#<LIMI@[T max@[. Zoom");
    // Frame, line and fill, nothing outside; the text starts at (138, 595), and the indent puts
    // the L three pixels further on.
    ExpectPixels({{131, 590, 0x202020}, {1788, 611, 0x202020}, {132, 591, 0x808080}, {1787, 610, 0x808080},
                  {133, 592, 0xFF0000}, {1786, 609, 0xFF0000}, {130, 600, 0}, {1789, 600, 0}, {900, 589, 0},
                  {900, 612, 0}, {138 + 3, 595 + 2, 0xFFFFFF}, {138 + 3, 595 + 9, 0xFFFFFF},
                  {138 + 2, 595 + 2, 0xFF0000}});
}

// None, the shown mark or an unknown code draws nothing, a pending code its text. The timer
// starts either way.
TEST(ShowMessage, DrawsThePendingCodeAndStartsTheTimer) {
    OpenCountingCanvas();
    for (const auto& [code, strip] : {std::pair{0, 0u}, {255, 0u}, {50, 0u}, {87, 0xFF0000u}}) {
        Messages = MessageState{};
        Messages.MessageCode = uint8_t(code);
        ShowMessage();
        EXPECT_EQ(HeadlessPixel(133, 592), strip) << code;
        EXPECT_EQ(Messages.MessageCode, 255);
        EXPECT_TRUE(HeadlessTimerSet(MessageTimer));
    }
}

TEST(ShowMessage, LoadResultThenCodeShareTheStrip) {
    OpenCountingCanvas();
    Messages = MessageState{};
    Messages.LoadState = 2;
    std::strcpy(Messages.MessageFileName, "view.zxp");
    Messages.MessageCode = 3;
    ShowMessage();
    EXPECT_EQ(HeadlessPixel(133, 592), 0x00A000u);   // the credit's green, drawn last
    EXPECT_EQ(Messages.LoadState, 0);
}

TEST(ShowMessage, ASecondMessageRestartsTheThreeSeconds) {
    OpenCountingCanvas();
    Messages = MessageState{};
    Messages.MessageCode = 4;
    ShowMessage();
    HeadlessAdvanceClock(2000);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(TimerTicks, 0);
    Messages.MessageCode = 5;
    ShowMessage();
    HeadlessAdvanceClock(2000);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(TimerTicks, 0);
    HeadlessAdvanceClock(1000);
    HeadlessPumpUntilIdle();
    EXPECT_EQ(TimerTicks, 1);
}
