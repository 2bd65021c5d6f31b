// ui/message.h - the message strip across the middle of the window and its state.
#pragma once
#include <cstdint>
#include "platform/platform.h"

// The codes of the messages; the texts stand beside them in ui/message.cpp.
enum : uint8_t {
    MsgNone            = 0,
    MsgSaved           = 1,
    MsgSaveFailed      = 2,
    MsgCredit          = 3,
    MsgIterationMin    = 4,
    MsgIterationMax    = 5,
    MsgZoomMin         = 6,
    MsgZoomMax         = 87,
    MsgColourMax        = 91,
    MsgColourMin        = 92,
    MsgThresholdMax    = 93,
    MsgThresholdMin    = 94,
    MsgDeepOn          = 95,    // the D key turned deep zoom on
    MsgDeepOff         = 96,
    MsgShown           = 255,   // a message is on the screen (any code from 128 on counts so)
};
constexpr uint8_t MsgFirstShown = 128;

// Load results, kept apart from the codes because a load result and a code may both show.
// LoadGiven: the command line gave the view by its values (LoadedParams), with no file to name.
enum : uint8_t { LoadNothing = 0, LoadDone = 1, LoadFailed = 2, LoadGiven = 3 };

struct MessageState {
    uint8_t MessageCode;          // MsgNone, a pending code, or MsgFirstShown and above
    uint8_t MessageTimerRunning;  // the 3-second removal timer is set
    uint8_t LoadState;            // LoadNothing, LoadDone or LoadGiven (LoadedParams valid), LoadFailed
    char    MessageFileName[256]; // file last loaded or tried, or the last save without extension
};
extern MessageState Messages;

void ShowMessage();               // draws the pending message and starts the removal timer
void DrawMessageStrip(ColourRef brush, const char* text);

// The text of a message and the colour of its strip, as pure data for the drawing and the
// tests. Present is false for a code without a text.
struct MessageLine {
    bool Present;
    bool Green;                   // a success; otherwise a failure or a refused command
    char Text[320];               // markup text; DrawText cuts it to 255 bytes
};
MessageLine MessageFor(uint8_t code, const char* fileName);
MessageLine LoadMessageFor(uint8_t loadState, const char* fileName);
