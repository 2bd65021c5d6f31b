// ui/panel.h - the key legend and the info panel drawn over the picture.
#pragma once
#include <cstdint>

extern uint8_t PanelVisible;      // legend and info panel shown

void ComputeLayout();             // legend boxes and mouse targets from the window size
void DrawPanel();                 // legend, then info panel, on the paint in progress
