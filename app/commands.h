// app/commands.h - keyboard and mouse commands: they change parameters and post a command
// code to the render cycle; they never compute or draw.
#pragma once
#include <cstdint>

void HandleKeyDown(uint32_t vk);
void HandleKeyUp(uint32_t vk);
void HandleButtonDown(uint32_t x, uint32_t y);
void HandleMouseMove(uint32_t x, uint32_t y);
void HandleButtonUp(uint32_t x, uint32_t y);
void HandleRightButtonUp(uint32_t x, uint32_t y);
void HandleWheel(int16_t delta);
void HoldTimerTick();

// The operations behind the keys and the legend areas, shared by the key and mouse handlers.
struct ScreenBox;
constexpr int64_t InputLockOutMs = 250;   // at most one accepted press per quarter second

bool InputLockOutPassed();                // takes the press (and blocks the next 250 ms) if due
bool CycleIdle();                         // TilePos = 9999: no pass and no command pending
void StepCpuPrev(int32_t step);
void ToggleAutomatic();
void RequestZoomIn(int32_t code);
void RequestZoomOut(int32_t code);
void TogglePanel();
void ResetColours();
void StepOffset(int32_t n);
bool PointInBox(const ScreenBox& box);    // the press point, all edges inclusive
void ExitProgram();                       // destroys the window at once, even mid-picture
void ResetView();                         // the default view, never the loaded file
void SaveAndShow();                       // save, then redraw to show the save message
