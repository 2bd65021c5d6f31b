// app/commands.cpp - the operations that keys and legend clicks share: the lock-out, the
// number-format threshold, the automatic mode, zoom requests at the limits and colours.
#include "app/commands.h"
#include "app/app.h"

#include "engine/state.h"
#include "engine/work.h"
#include "files/params.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "ui/layout.h"
#include "ui/message.h"
#include "ui/panel.h"

namespace {
constexpr int32_t CpuPrevMax = 8;
}

bool InputLockOutPassed() {
    int64_t now = ClockMs();
    if (now - Input.LastInputMs < InputLockOutMs) return false;
    Input.LastInputMs = now;
    return true;
}

bool CycleIdle() { return Work.TilePos == TileIdle; }

void StepCpuPrev(int32_t step) {
    View.CPU_Prev += step;
    uint8_t code = 0;
    if (View.CPU_Prev < 0) {
        View.CPU_Prev = 0;
        code = MsgThresholdMax;
    } else if (View.CPU_Prev > CpuPrevMax) {
        View.CPU_Prev = CpuPrevMax;
        code = MsgThresholdMin;
    }
    if (code != 0) {
        // During a calculation a step past the end is dropped; the clamp above still holds.
        if (CycleIdle()) {
            Messages.MessageCode = code;
            PostCommand(CmdRecolour);
        }
        return;
    }
    if (ChooseNumberMode() != Calc.NumberMode) {
        PostCommand(CmdRecompute);          // a new format abandons any running pass
    } else if (CycleIdle()) {
        Messages.MessageCode = 0;
        PostCommand(CmdRecolour);           // the panel shows the new thresholds
    }
}

void ToggleAutomatic() {
    HistorySlot& slot = History[Cycle.HistoryIndex];
    View.Automatic = !View.Automatic;
    slot.Params.Automatic = View.Automatic;
    InsideCount = NoStatistics;
    if (View.Automatic) {
        // Equal pairs hand the limit and the colour scale to the automatic rules.
        View.Alt_Iteration = View.Iteration;
        View.Alt_Color = View.Color;
        View.Offset = 0;
        View.CPU_Prev = 0;
        slot.Params.Alt_Iteration = slot.Params.Iteration;
    } else {
        View.Alt_Iteration = 0;
        View.Alt_Color = 0.0;
        slot.Params.Alt_Iteration = 0;
    }
}

// At the limit while idle the command is still posted, so the render cycle reports it.
void RequestZoomIn(int32_t code) {
    if (View.ld_Zoom < DeepestZoom() || CycleIdle()) PostCommand(code);
}

void RequestZoomOut(int32_t code) {
    if (View.ld_Zoom > MinZoom || CycleIdle()) PostCommand(code);
}

void TogglePanel() { PanelVisible = !PanelVisible; }

void ResetColours() {
    View.Color = 1.0;
    View.Alt_Color = View.Color;
    View.Offset = 0;
}

void StepOffset(int32_t n) { View.Offset = (View.Offset + uint32_t(n)) % 256; }

bool PointInBox(const ScreenBox& box) {
    return Input.PressX >= uint32_t(box.Left) && Input.PressX <= uint32_t(box.Right) &&
           Input.PressY >= uint32_t(box.Top) && Input.PressY <= uint32_t(box.Bottom);
}

void ExitProgram() { PlatDestroyWindow(); }

void ResetView() {
    Messages.LoadState = 0;
    PostCommand(CmdNewPicture);
}

void SaveAndShow() {
    if (App.UserPictures[0]) PlatCreateFolder(App.UserPictures);   // a fresh account may lack it
    SaveView(App.PicturesFolder);
    PostCommand(CmdRecolour);
}
