// render/history.cpp - the ring of the last four finished pictures: their counts and views,
// stored as a picture completes and taken back by the Back command.
#include <algorithm>
#include "engine/work.h"
#include "render/colour.h"
#include "render/cycle.h"
#include "ui/message.h"

static int32_t* HistoryCountsStart() { return &NAt(0, 0); }

static void StoreSlot() {
    HistorySlot& slot = History[Cycle.HistoryIndex];
    if (!Cycle.OnePicture) std::copy_n(HistoryCountsStart(), PictureRowEntries(), slot.Counts);
    slot.Params = View;
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
    for (int i = 0; i < HistorySlots; i++) {
        Cycle.HistoryIndex = i;
        StoreSlot();
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
    std::copy_n(slot.Counts, PictureRowEntries(), HistoryCountsStart());
    View = slot.Params;
    Cycle.CalcTimeMs = 0;
    InsideCount = NoStatistics;
    PostCommand(CmdRecolour);
}

