// ui/message.cpp - one-line notices in a coloured strip across the middle of the window:
// load and save results, the credit line and the commands refused at a limit.
#include "ui/message.h"
#include <cstdio>
#include "engine/state.h"
#include "platform/platform.h"
#include "ui/display.h"
#include "ui/layout.h"
#include "ui/text.h"

MessageState Messages;
static_assert(MaxZoom == 112 && MaxDeepZoom == 20000, "the deep zoom messages name both limits");

namespace {

constexpr ColourRef MessageWhite = 0xFFFFFF;
constexpr int MessageMs = 3000;

struct FixedMessage {
    uint8_t     Code;
    bool        Green;
    const char* Text;
};

// Every message opens with a 3-pixel indent; "@[" and "@]" set the letters closer or wider.
constexpr FixedMessage FixedMessages[] = {
    {MsgCredit, true, "#<Zentrix - an explorer of the Mandelbrot set"},
    {MsgIterationMin, false, "#<LIMI@[T min@[. Iter@[a@[t@[ion"},
    {MsgIterationMax, false, "#<LIMI@[T max@[. Iter@[a@[t@[ion"},
    {MsgZoomMin, false, "#<LIMI@[T min@[. Zoom"},
    {MsgZoomMax, false, "#<LIMI@[T max@[. Zoom"},
    {MsgColourMax, false, "#<LIMI@[T max@[. Co@[lo@]r"},
    {MsgColourMin, false, "#<LIMI@[T min@[. Co@[lo@]r"},
    {MsgThresholdMax, false, "#<LIMI@[T max@[. @[Thresho@[ld"},
    {MsgThresholdMin, false, "#<LIMI@[T min@[. @[Thresho@[ld"},
    {MsgDeepOn, true, "#<Deep zoom on: down#=to 2^20000"},
    {MsgDeepOff, true, "#<Deep zoom off: down#=to 2^112"},
};

MessageLine Line(bool green, const char* format, const char* fileName) {
    MessageLine m{};
    m.Present = true;
    m.Green = green;
    std::snprintf(m.Text, sizeof m.Text, format, fileName);
    return m;
}

}  // namespace

MessageLine MessageFor(uint8_t code, const char* fileName) {
    // Codes of 128 and above mark a message already on the screen: nothing to draw.
    if (int8_t(code) <= 0) return MessageLine{};
    if (code == MsgSaved) return Line(true, "#<Sa@[ve @]\"%.255s.png\"", fileName);
    if (code == MsgSaveFailed) return Line(false, "#<ERROR Sa@[ve @]\"%.255s.png\"", fileName);
    for (const FixedMessage& f : FixedMessages)
        if (f.Code == code) return Line(f.Green, "%s", f.Text);
    return MessageLine{};
}

MessageLine LoadMessageFor(uint8_t loadState, const char* fileName) {
    if (loadState == LoadDone) return Line(true, "#<Load @]\"%.255s\"", fileName);
    if (loadState == LoadFailed) return Line(false, "#<ERROR Load @]\"%.255s\"", fileName);
    return MessageLine{};
}

void DrawMessageStrip(ColourRef brush, const char* text) {
    const ScreenBox& s = MessageStrip;
    DrawFrame(s.Left, s.Right, s.Top, s.Bottom, Brushes.DarkBrush);
    DrawFrame(s.Left + 1, s.Right - 1, s.Top + 1, s.Bottom - 1, Brushes.GreyBrush);
    FillBox(s.Left + 2, s.Right - 2, s.Top + 2, s.Bottom - 2, brush);
    DrawText(s.Left + 7, s.Top + 5, MessageWhite, text);
}

// A load result and a pending code may both be drawn; the code's text ends on top.
void ShowMessage() {
    const MessageLine load = LoadMessageFor(Messages.LoadState, Messages.MessageFileName);
    if (load.Present) DrawMessageStrip(load.Green ? Brushes.GreenBrush : Brushes.RedBrush, load.Text);
    const MessageLine coded = MessageFor(Messages.MessageCode, Messages.MessageFileName);
    if (coded.Present) DrawMessageStrip(coded.Green ? Brushes.GreenBrush : Brushes.RedBrush, coded.Text);
    if (Messages.MessageTimerRunning) PlatKillTimer(MessageTimer);
    Messages.LoadState = LoadNothing;
    Messages.MessageCode = MsgShown;
    Messages.MessageTimerRunning = 1;
    PlatSetTimer(MessageTimer, MessageMs);
}
