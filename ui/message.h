// ui/message.h - the message strip across the middle of the window and its state.
#pragma once
#include <cstdint>

struct MessageState {
    uint8_t MessageCode;          // 0 none, 1..94 pending, 128+ (255) a message is on the screen
    uint8_t MessageTimerRunning;  // the 3-second removal timer is set
    uint8_t LoadState;            // 0 nothing to report, 1 LoadedParams valid, 2 last load failed
    char    MessageFileName[256]; // file last loaded or tried, or the last save without extension
};
extern MessageState Messages;

void ShowMessage();               // draws the pending message and starts the removal timer
void DrawMessageStrip(uint32_t brush, const char* text);

// The text of a message and the colour of its strip, as pure data for the drawing and the
// tests. Present is false for a code without a text.
struct MessageLine {
    bool Present;
    bool Green;                   // a success; otherwise a failure or a refused command
    char Text[320];               // markup text; DrawText cuts it to 255 bytes
};
MessageLine MessageFor(uint8_t code, const char* fileName);
MessageLine LoadMessageFor(uint8_t loadState, const char* fileName);
