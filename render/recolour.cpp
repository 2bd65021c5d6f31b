// render/recolour.cpp - recolours the whole picture from its counts and shows it.
#include "render/recolour.h"
#include "engine/state.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "render/input.h"
#include "render/paint.h"
#include "ui/panel.h"

void RecolourPicture() {
    SetupCalculation();   // applies the automatic colour scale and restarts the clock
    RecolourCounts();
    BlitAll();
    if (PanelVisible && !Input.MouseHeld) ShowPanel();
}
