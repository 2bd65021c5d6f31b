// engine/work.h - tiles, threads and time slices.
//
// The picture is a 32 x 32 grid of tiles taken in a spiral from the centre; each tile is
// cut into ThreadCount vertical strips (the tables below, which also give the tile's
// rectangle). The threads compute a tile together: each takes the tile's rows one at a time,
// always the next one nobody has taken, so a thread that the system keeps off the processor
// holds up at most the row it is in, and the tile never waits for work nobody has started.
#pragma once
#include <atomic>
#include <cstdint>
#include "engine/fixed.h"

constexpr int TileCount  = 1024;
constexpr int MaxThreads = 8;
constexpr int32_t TileIdle = 9999;
// TilePos at start-up: the code of the command that starts a fresh picture.
constexpr int32_t TileStartPicture = -1;

struct WorkState {
    int32_t ThreadCount;      // computing threads including the main thread, 1 .. 8
    int32_t ThreadsOption;    // forced by the command line, 0 = automatic
    // Strip t (1 .. 8) of the tile at spiral position p, inclusive edges; row 0 unused.
    int32_t TileX1[MaxThreads + 1][TileCount];
    int32_t TileX2[MaxThreads + 1][TileCount];
    int32_t TileY1[MaxThreads + 1][TileCount];
    int32_t TileY2[MaxThreads + 1][TileCount];
    int32_t SpiralPos[32][32];  // [gy][gx] -> spiral position
    int32_t TilePos;          // 0..1023 next tile, negative = pending command, 9999 idle
    bool    LivePass;         // each finished tile shown at once, time-sliced
    int32_t SliceReload;      // SliceCounter after a clock read
    int64_t SliceDeadline;    // counter value at which the slice ends
    std::atomic<int32_t> SliceCounter;   // newly computed pixels left before the next clock read
    std::atomic<bool>    SliceExpired;   // a kernel stopped at the deadline
};
extern WorkState Work;

// Where each strip of the current tile starts, prepared by ComputeTile for the kernels.
struct StripStartState {
    double  OffY;                       // double: row offset from the origin
    double  OffX[MaxThreads + 1];       //         column offset of strip t
    Fixed60 Y60, X60[MaxThreads + 1];   // Fixed60 coordinates
    long128 Y128, X128[MaxThreads + 1]; // long128 coordinates
    int32_t Col0, Row0;                 // perturbation: the piece's offset in its picture
};
extern StripStartState StripStart;

// The tile being computed: its rectangle, whose rows the computing threads share out.
struct TileRowsState {
    int32_t X1, X2, Y1, Y2;
};
extern TileRowsState TileRows;
int32_t TakeTileRow();    // the next row of the tile nobody has taken, Y2 + 1 when none is left

void StartWorkers();      // ThreadCount, events, worker threads (once)
void BuildTileTables();   // spiral and strips with their self-tests (fatal on failure)
void ComputeTile();       // the tile at TilePos on all threads; see PrepareSlice
// The same for a piece of a larger picture: the buffers hold the piece whose pixel (0, 0) is
// pixel (col0, row0) of the picture the geometry was set up for, and every strip starts at
// its whole-pixel offset from that picture's origin, so pieces join without a seam.
void ComputeTileAt(int32_t col0, int32_t row0);
// Opens the tile at TilePos for the kernels without computing it; ComputeTile does it first.
// For tests that run a kernel on its own, on the main thread.
void OpenTile();
void OpenTileAt(int32_t col0, int32_t row0);
// Slice set-up before each ComputeTile; a non-live pass never reads the clock.
void PrepareSlice();
int32_t ThreadCountFor(int logicalProcessors, int threadsOption);   // the pure rule
