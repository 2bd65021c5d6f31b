// render/input.h - the state of keyboard and mouse input: the key and mouse handlers fill it,
// the previews and the render cycle read it.
#pragma once
#include <cstdint>

struct InputState {
    uint32_t KeyModifiers;   // 0x100 Shift held, 0x200 Ctrl held
    int64_t  LastInputMs;    // ClockMs of the last press that passed the lock-out
    uint8_t  MouseHeld;      // a left press was taken and not yet released
    uint8_t  HoldTimerSet;   // timer 2 is running
    uint8_t  DragMoved;      // the pointer moved since the press or the last hold tick
    uint32_t PressX, PressY; // client position of the press; zoom point of ZoomInAtPoint
    int32_t  DragDX, DragDY; // picture shift in pixels, |DragDX| < W, |DragDY| < H
    double   PressColor;     // Color at the press, the base of colour dragging
};
extern InputState Input;
