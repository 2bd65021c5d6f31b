// ui/panel.h - the key legend and the info panel drawn over the picture.
#pragma once
#include <cstdint>

extern uint8_t PanelVisible;      // legend and info panel shown

// What the panel shows of the render cycle's state; the caller hands it in.
constexpr uint32_t NoStatistics = 777;   // InsideCount before the first statistics pass
struct PictureStatus {
    uint32_t InsideCount;         // zero counts of the last statistics pass, or NoStatistics
    uint8_t  RecomputeAll;        // the interior shortcut is off for this picture
    int64_t  CalcTimeMs;          // set-up to completion of the shown picture, 0 = none
};

void ComputeLayout();             // legend boxes and mouse targets from the window size
void DrawPanel(const PictureStatus& status);   // legend, then info panel, on the paint in progress

// ---- The panel's texts, as pure functions of the values they show -----------------------
struct PanelText {
    char Chars[64];
};

// Magnification 2^ldZoom: "0.500", "65536", "131.1#<k" ... "1.1#<T", then "1E+15".
PanelText ZoomText(int32_t ldZoom);
// Number format in use and the zoom range it covers, e.g. "53 FPU (up#=to 2^45)".
PanelText NumberFormatText(uint8_t numberMode, bool wideRange, uint8_t fpuMode, int32_t cpuPrev);
// Colour scale in single precision (" 4.00", " 1.00E+03"), then "#>@D" and Offset / 16.
PanelText ColourText(double colour, uint32_t offset);
// "OFF", "s@[t@[andby", "pass@[ive" or "ak@[t@[ive".
PanelText AutomaticText(uint8_t automatic, uint32_t insideCount, uint8_t recomputeAll);
// Time text and unit with the blank between: "- ", "999 ms", "1.000 sec", "1235 sec".
PanelText TimeText(int64_t calcTimeMs);

// One DrawText of the panel: offsets from the text column x and from PictureBox.Bottom.
struct PanelLine {
    int32_t   Dx, Dy;
    uint32_t  Colour;             // COLORREF
    PanelText Text;
};
constexpr int PanelLineCount = 12;  // ten lines, two of them with a separate value
struct PanelContent {
    PanelLine Lines[PanelLineCount];
};
PanelContent ComposePanel(const PictureStatus& status);   // from the live values
