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
