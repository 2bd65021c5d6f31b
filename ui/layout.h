// ui/layout.h - the screen areas round the picture, which are both the key legend and the
// mouse targets, and the drawing of the legend over the picture.
#pragma once
#include <cstdint>

// A screen area in window pixels; all four edges belong to it (Left = Right is one column).
// The field order differs from a RECT on purpose: the box primitives take it as it stands.
struct ScreenBox {
    int32_t Left, Right, Top, Bottom;
};

// Every area of the legend, computed once from the window size and never changed after.
struct LegendLayout {
    int32_t   CellSize;        // A: side of a border cell, W / 16 rounded in single precision
    int32_t   Gap;             // G: 0, 2, 4, 6 or 8 pixels between neighbouring areas
    int32_t   KeySize;         // K: a function-key square is K + 1 pixels wide
    ScreenBox InfoBar;         // top strip; holds the function-key row
    ScreenBox ExitButton;      // top-right corner cell
    ScreenBox BackButton;      // left column, upper half
    ScreenBox ResetButton;     // left column, lower half
    ScreenBox PictureBox;      // centre, one cell in from every edge
    ScreenBox ZoomInButton;    // right column, upper half
    ScreenBox ZoomOutButton;   // right column, lower half
    ScreenBox ColorBar;        // bottom strip, full width
    ScreenBox MessageStrip;    // the strip that carries messages across the middle
    ScreenBox KeyF[13];        // KeyF[1] .. KeyF[12]; [0] unused
};
extern LegendLayout Layout;

// The areas under their own names, for the mouse commands and the drawing.
inline ScreenBox& InfoBar       = Layout.InfoBar;
inline ScreenBox& ExitButton    = Layout.ExitButton;
inline ScreenBox& BackButton    = Layout.BackButton;
inline ScreenBox& ResetButton   = Layout.ResetButton;
inline ScreenBox& PictureBox    = Layout.PictureBox;
inline ScreenBox& ZoomInButton  = Layout.ZoomInButton;
inline ScreenBox& ZoomOutButton = Layout.ZoomOutButton;
inline ScreenBox& ColorBar      = Layout.ColorBar;
inline ScreenBox& MessageStrip  = Layout.MessageStrip;
inline ScreenBox& KeyF1  = Layout.KeyF[1];
inline ScreenBox& KeyF2  = Layout.KeyF[2];
inline ScreenBox& KeyF3  = Layout.KeyF[3];
inline ScreenBox& KeyF4  = Layout.KeyF[4];
inline ScreenBox& KeyF5  = Layout.KeyF[5];
inline ScreenBox& KeyF6  = Layout.KeyF[6];
inline ScreenBox& KeyF7  = Layout.KeyF[7];
inline ScreenBox& KeyF8  = Layout.KeyF[8];
inline ScreenBox& KeyF9  = Layout.KeyF[9];
inline ScreenBox& KeyF10 = Layout.KeyF[10];
inline ScreenBox& KeyF11 = Layout.KeyF[11];
inline ScreenBox& KeyF12 = Layout.KeyF[12];

// The layout of a W x H window (the pure rule); ComputeLayout (ui/panel.h) stores the one
// for the live window in Layout.
LegendLayout LayoutFor(int32_t width, int32_t height);

// The exit button's label: narrow windows squeeze its letters so the cap still fits.
struct ButtonLabel {
    const char* Text;
    uint16_t    CapWidth;
};
ButtonLabel ExitLabelFor(int32_t width);

// A clickable area: dark-grey-dark outline, the command in red on a dark cap at the top
// left and its key in dim grey at the bottom left; the picture shows through elsewhere.
void DrawButton(const ScreenBox& box, const char* label, uint16_t capWidth, const char* keyName);
// A key shown for completeness only: a dim outline and dim texts.
void DrawKeyHint(const ScreenBox& box, const char* label, const char* keyName);
// The whole legend over the picture, on the paint in progress.
void DrawLegend();
