// render/history.cpp - the ring of the last four finished pictures: their counts and views,
// stored as a picture completes and taken back by the Back command.
#include <algorithm>
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "ui/message.h"

static int32_t* HistoryCountsStart() { return &NAt(0, 0); }

// The slot whose Counts hold each slot's counts. The first picture fills all four slots with
// the same counts, which are kept once, in the slot the ring overwrites last, until that slot
// is about to take other counts; the slots sharing them then get a copy.
static int CountsOwner[HistorySlots];

const int32_t* HistoryCounts(int slot) { return History[CountsOwner[slot]].Counts; }

static void GiveSharersACopy(int owner) {
    int heir = -1;
    for (int k = 0; k < HistorySlots; k++) {
        if (k == owner || CountsOwner[k] != owner) continue;
        if (heir < 0) {
            heir = k;
            std::copy_n(History[owner].Counts, PictureRowEntries(), History[heir].Counts);
        }
        CountsOwner[k] = heir;
    }
}

static void StoreSlot() {
    const int i = Cycle.HistoryIndex;
    if (!Cycle.OnePicture) {
        GiveSharersACopy(i);
        std::copy_n(HistoryCountsStart(), PictureRowEntries(), History[i].Counts);
        CountsOwner[i] = i;
    }
    History[i].Params = View;
}

void StoreHistory() {
    if (Cycle.HistoryEmpty) return;
    switch (Cycle.LastCommand) {
    case CmdZoomInAtPoint: case CmdZoomIn: case CmdZoomOut: case CmdNewPicture:
        Cycle.HistoryIndex = (Cycle.HistoryIndex + 1) % HistorySlots;
        break;
    case CmdRecompute: case CmdIterationUp: case CmdPanApply:
        break;   // the new picture replaces the current slot
    default:
        return;
    }
    StoreSlot();
}

void StoreAllHistory() {
    Cycle.HistoryIndex = HistorySlots - 1;   // the next picture goes to slot 0
    StoreSlot();
    for (int i = 0; i < HistorySlots - 1; i++) {
        CountsOwner[i] = Cycle.HistoryIndex;
        History[i].Params = View;
    }
    Cycle.HistoryEmpty = 0;
}

void GoBack() {
    if (Cycle.HistoryEmpty) {
        Messages.LoadState = LoadNothing;
        PostCommand(CmdNewPicture);
        return;
    }
    if (Work.TilePos >= TileCount) {
        const ViewParams& cur = History[Cycle.HistoryIndex].Params;
        // A lowered limit stores nothing, so Back first undoes it on the same slot.
        bool undoLowering = cur.Iteration > View.Iteration && cur.ld_Zoom == View.ld_Zoom;
        if (!undoLowering) Cycle.HistoryIndex = (Cycle.HistoryIndex + HistorySlots - 1) % HistorySlots;
    }
    const HistorySlot& slot = History[Cycle.HistoryIndex];
    std::copy_n(HistoryCounts(Cycle.HistoryIndex), PictureRowEntries(), HistoryCountsStart());
    View = slot.Params;
    Cycle.CalcTimeMs = 0;
    InsideCount = NoStatistics;
    PostCommand(CmdRecolour);
}

