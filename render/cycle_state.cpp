// render/cycle_state.cpp - the render cycle's state, kept apart from its code so that the
// engine's set-up can reset the pass bookkeeping without pulling in the whole cycle.
#include "render/cycle.h"

CycleState  Cycle;
HistorySlot History[HistorySlots];
