// app/keys.cpp - key presses: modifier tracking, the lock-out, and the two command tables,
// one taken at any time and one only while no picture is being computed.
#include "app/commands.h"

#include <cstddef>

#include "engine/state.h"
#include "platform/platform.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "ui/message.h"

namespace {
constexpr uint32_t ShiftBit = 0x100, CtrlBit = 0x200;
constexpr uint32_t FKey(uint32_t n) { return VK_F1 + n - 1; }        // function key n
constexpr uint32_t Pad(uint32_t n) { return VK_NUMPAD0 + n; }      // numeric-pad digit n

struct KeyCommand {
    uint32_t code;      // virtual-key code OR-ed with the modifier bits held
    void (*action)();
};

void Back()      { GoBack(); }
void Recompute() { PostCommand(CmdRecompute); }
void ZoomIn()    { RequestZoomIn(CmdZoomIn); }
void ZoomOut()   { RequestZoomOut(CmdZoomOut); }
void Prev()      { StepCpuPrev(+4); }
void Late()      { StepCpuPrev(-4); }
void SwitchFpu() {
    View.FPU_Mode = !View.FPU_Mode;
    StepCpuPrev(0);
}

// Number-format commands, zoom, Back, Reset and Exit replace a running calculation.
constexpr KeyCommand AnyTimeKeys[] = {
    {VK_BACK, Back},        {VK_TAB, Recompute},
    {VK_ESCAPE, ExitProgram}, {'C' | CtrlBit, ExitProgram},
    {VK_PRIOR, ZoomIn},     {VK_ADD, ZoomIn},       {VK_OEM_PLUS, ZoomIn},
    {VK_NEXT, ZoomOut},     {VK_SUBTRACT, ZoomOut}, {VK_OEM_MINUS, ZoomOut},
    {VK_DELETE, ResetView},
    {'5', Prev},            {Pad(5), Prev}, {FKey(5), Prev},
    {'6', Late},            {Pad(6), Late}, {FKey(6), Late},
    {'F', SwitchFpu},
};

void Redraw() { PostCommand(CmdRecolour); }
void PanelAndRedraw() {
    TogglePanel();
    Redraw();
}
// The arrows move the view by a quarter of the window; the content moves the other way.
void PanLeft() {
    Input.DragDX = Calc.WindowWidth / 4;
    PostCommand(CmdPanApply);
}
void PanUp() {
    Input.DragDY = Calc.WindowHeight / 4;
    PostCommand(CmdPanApply);
}
void PanRight() {
    Input.DragDX = -(Calc.WindowWidth / 4);
    PostCommand(CmdPanApply);
}
void PanDown() {
    Input.DragDY = -(Calc.WindowHeight / 4);
    PostCommand(CmdPanApply);
}
void AutoAndRedraw() {
    ToggleAutomatic();
    Redraw();
}
void FewerIterations() { PostCommand(CmdIterationDown); }
void MoreIterations()  { PostCommand(CmdIterationUp); }
void Credit() {
    Messages.MessageCode = MsgCredit;
    Redraw();
}
void ColourUp() {
    View.Color = HeldColour(View.Color * 1.1);
    Redraw();
}
void ColourDown() {
    View.Color = HeldColour(View.Color / 1.1);
    Redraw();
}
void OffsetUp() {
    StepOffset(16);
    Redraw();
}
void OffsetDown() {
    StepOffset(240);   // 16 back, modulo 256
    Redraw();
}
void Minimise() { MinimiseWindow(); }
// Deep zoom on or off: whether the zoom commands go on past the exact formats' deepest zoom.
void ToggleDeep() {
    Deep.On = !Deep.On;
    Messages.MessageCode = Deep.On ? MsgDeepOn : MsgDeepOff;
    Redraw();
}

// The digit keys of both blocks stand for the function keys of the same number.
constexpr KeyCommand IdleKeys[] = {
    {VK_RETURN, Redraw},
    {VK_SPACE, PanelAndRedraw}, {'1', PanelAndRedraw}, {Pad(1), PanelAndRedraw},
    {FKey(1), PanelAndRedraw},
    {VK_LEFT, PanLeft},         {VK_UP, PanUp},        {VK_RIGHT, PanRight}, {VK_DOWN, PanDown},
    {'2', AutoAndRedraw},       {Pad(2), AutoAndRedraw}, {FKey(2), AutoAndRedraw},
    {'3', FewerIterations},     {Pad(3), FewerIterations}, {FKey(3), FewerIterations},
    {'4', MoreIterations},      {Pad(4), MoreIterations}, {FKey(4), MoreIterations},
    {'9', SaveAndShow},         {Pad(9), SaveAndShow}, {FKey(9), SaveAndShow},
    {'S' | CtrlBit, SaveAndShow},
    {'I', Credit},              {'I' | ShiftBit, Credit}, {'I' | CtrlBit, Credit},
    {'M', ColourUp},            {'N', ColourDown},
    {'M' | CtrlBit, OffsetUp},  {'N' | CtrlBit, OffsetDown},
    {VK_LWIN, Minimise},        {VK_RWIN, Minimise},   {FKey(11), Minimise},
    {'D', ToggleDeep},
};

template <std::size_t N>
bool RunKey(const KeyCommand (&table)[N], uint32_t code) {
    for (const KeyCommand& k : table) {
        if (k.code == code) {
            k.action();
            return true;
        }
    }
    return false;
}
}  // namespace

void HandleKeyDown(uint32_t vk) {
    if (vk == VK_SHIFT) { Input.KeyModifiers |= ShiftBit; return; }
    if (vk == VK_CONTROL) { Input.KeyModifiers |= CtrlBit; return; }
    if (vk == VK_MENU) { Input.KeyModifiers = 0; return; }
    if (Input.MouseHeld) return;
    // Taken before the look-up, so a key without a command also blocks the next presses.
    if (!InputLockOutPassed()) return;
    uint32_t code = vk | Input.KeyModifiers;
    if (RunKey(AnyTimeKeys, code)) return;
    if (!CycleIdle()) return;
    Input.DragDX = 0;
    Input.DragDY = 0;
    RunKey(IdleKeys, code);
}

void HandleKeyUp(uint32_t vk) {
    if (vk == VK_SHIFT) Input.KeyModifiers &= ~ShiftBit;
    else if (vk == VK_CONTROL) Input.KeyModifiers &= ~CtrlBit;
}
