// app/mouse.cpp - the left button (click areas, panning, colour dragging, the hold timer of a
// framed window), the wheel and the right button.
#include "app/commands.h"

#include <cmath>
#include <cstdlib>

#include "app/app.h"
#include "engine/state.h"
#include "engine/work.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "ui/display.h"
#include "ui/layout.h"
#include "ui/message.h"
#include "ui/panel.h"

namespace {
constexpr int HoldTimerMs = 500;
constexpr double ColourDragExponent = 5.0;   // one window width of drag scales by e^5
constexpr double WheelFactor = 1.02;

// Positions arrive as 16-bit client coordinates. A backend that keeps reporting a held
// pointer outside the window would hand over values beyond the picture (a negative one
// wraps to 65535), and every preview relies on |DragDX| < W and |DragDY| < H; so a
// position is read as signed and kept on the picture.
uint32_t OnPicture(uint32_t v, int32_t size) {
    int32_t s = int16_t(uint16_t(v));
    if (s < 0) return 0;
    if (s >= size) return uint32_t(size - 1);
    return uint32_t(s);
}

void Redraw() { PostCommand(CmdRecolour); }

bool ClickOnMessage() {
    return CycleIdle() && int8_t(Messages.MessageCode) < 0 && PointInBox(MessageStrip);
}

// The border areas and the central picture work whether or not the legend is shown.
bool ClickOnBorder() {
    if (PointInBox(BackButton)) GoBack();
    else if (PointInBox(ResetButton)) ResetView();
    else if (PointInBox(PictureBox)) RequestZoomIn(CmdZoomInAtPoint);
    else if (PointInBox(ZoomInButton)) RequestZoomIn(CmdZoomIn);
    else if (PointInBox(ZoomOutButton)) RequestZoomOut(CmdZoomOut);
    else if (PointInBox(ExitButton)) ExitProgram();
    else return false;
    return true;
}

// The function-key squares are buttons only while they are drawn.
bool ClickOnFunctionKey() {
    if (!CycleIdle() || !PanelVisible) return false;
    if (PointInBox(KeyF2)) {
        ToggleAutomatic();
        Redraw();
    } else if (PointInBox(KeyF3)) PostCommand(CmdIterationDown);
    else if (PointInBox(KeyF4)) PostCommand(CmdIterationUp);
    else if (PointInBox(KeyF5)) StepCpuPrev(+4);
    else if (PointInBox(KeyF6)) StepCpuPrev(-4);
    else if (PointInBox(KeyF9)) SaveAndShow();
    else if (PointInBox(KeyF11)) MinimiseWindow();
    else return false;
    return true;
}

void ClickOnStrip() {
    if (!CycleIdle()) return;
    if (PointInBox(InfoBar)) {
        TogglePanel();
        Redraw();
    } else if (PointInBox(ColorBar)) {
        ResetColours();
        Redraw();
    }
}

void Click() {
    if (ClickOnMessage()) {
        Redraw();   // paints the picture over the message
        return;
    }
    if (ClickOnBorder() || ClickOnFunctionKey()) return;
    ClickOnStrip();
}
}  // namespace

void HandleButtonDown(uint32_t x, uint32_t y) {
    if (!InputLockOutPassed()) return;
    if (Input.MouseHeld || Display.Minimised) return;
    // A full-screen window ends a press only with the real release.
    if (!Display.FullScreen && !Input.HoldTimerSet) {
        PlatSetTimer(HoldTimer, HoldTimerMs);
        Input.HoldTimerSet = 1;
    }
    Input.MouseHeld = 1;
    Input.DragMoved = 0;
    Input.PressX = OnPicture(x, Calc.WindowWidth);
    Input.PressY = OnPicture(y, Calc.WindowHeight);
    Input.DragDX = 0;
    Input.DragDY = 0;
    Input.PressColor = View.Color;
}

void HandleMouseMove(uint32_t x, uint32_t y) {
    // While a preview waits for its paint the moves are skipped; the next one catches up.
    if (!Input.MouseHeld || Display.Minimised || !CycleIdle()) return;
    Input.DragDX = int32_t(OnPicture(x, Calc.WindowWidth)) - int32_t(Input.PressX);
    Input.DragDY = int32_t(OnPicture(y, Calc.WindowHeight)) - int32_t(Input.PressY);
    if (Input.DragDX == 0 && Input.DragDY == 0) return;
    Input.DragMoved = 1;
    if (PointInBox(ColorBar)) {
        double f = std::exp(ColourDragExponent * std::abs(Input.DragDX) / Calc.WindowWidth);
        View.Color = HeldColour(Input.DragDX >= 0 ? Input.PressColor * f : Input.PressColor / f);
        Redraw();
    } else {
        PostCommand(CmdPanPreview);
    }
}

void HandleButtonUp(uint32_t x, uint32_t y) {
    if (Input.HoldTimerSet) {
        PlatKillTimer(HoldTimer);
        Input.HoldTimerSet = 0;
    }
    if (Display.Minimised) return;
    if (Work.TilePos == CmdPanPreview) {
        // The last move's preview was not painted yet: pan by that move's offsets.
        Input.MouseHeld = 0;
        PostCommand(CmdPanApply);
        return;
    }
    if (!Input.MouseHeld) return;
    Input.MouseHeld = 0;
    Input.DragDX = int32_t(OnPicture(x, Calc.WindowWidth)) - int32_t(Input.PressX);
    Input.DragDY = int32_t(OnPicture(y, Calc.WindowHeight)) - int32_t(Input.PressY);
    if (Input.DragDX == 0 && Input.DragDY == 0 && !Input.DragMoved) {
        Click();
        return;
    }
    if (!CycleIdle()) return;
    PostCommand(PointInBox(ColorBar) ? CmdRecolour : CmdPanApply);   // end of a drag
}

void HoldTimerTick() {
    if (Input.DragMoved && !Display.Minimised) {
        Input.DragMoved = 0;   // still moving: the press goes on
        return;
    }
    // A pointer that rested a whole tick ends the press where it is, as a release there.
    HandleButtonUp((Input.PressX + Input.DragDX) & 0xFFFF, (Input.PressY + Input.DragDY) & 0xFFFF);
}

void HandleWheel(int16_t delta) {
    if (!CycleIdle() || Display.Minimised) return;
    // One message is one step, however far the wheel turned.
    View.Color = HeldColour(delta < 0 ? View.Color / WheelFactor : View.Color * WheelFactor);
    Redraw();
}

void HandleRightButtonUp(uint32_t, uint32_t) {
    if (!CycleIdle() || Display.Minimised) return;
    TogglePanel();
    Redraw();
}
