// files/parts.h - a picture made in parts, by several machines or a job engine, and joined
// into the one PNG file a single render makes.
//
// Part I of N holds whole rows: rows I * H / N up to (I + 1) * H / N, so the parts follow from
// the size and N alone. Its file in the parts folder holds those rows filtered and deflated as
// the picture file holds them (the first row filtered against the row above it), so a join
// only copies bytes; after them comes a text record of what the part is. The record's first
// lines name the command that made it (version, arithmetic, view, pixel options): parts of
// other commands are refused at the join.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "engine/state.h"
#include "platform/platform.h"

struct PartPlan {
    std::string Folder;     // the parts folder, beside the picture file
    std::string Identity;   // record lines that every part of this command shares
    int32_t     Width, Height;
    int32_t     Count;      // N
    int32_t     BandRows;   // rows computed at a time
};

struct PartRows {
    int32_t First, Rows;
};
PartRows RowsOfPart(int32_t height, int32_t count, int32_t index);

// The identity lines: the program's version, the arithmetic's exactness class, the view's
// values as its file holds them, and every option that changes pixels.
std::string PartIdentity(const ViewParams& loaded, const char* pixelOptions);

std::string PartsFolderOf(const char* output);   // "OUT.png.parts", "DIR.parts"
std::string PartFileName(const PartPlan& plan, int32_t index);

enum class PartState { Finished, Absent, Damaged, Foreign };
// Whether part `index` is finished for this command, reading all of it; `why` says what is
// wrong otherwise.
PartState CheckPart(const PartPlan& plan, int32_t index, std::string* why);

// Computes rows row0 .. row0 + rows - 1 of the picture into out (row stride: the picture's
// width); false when cancelled.
using PartRowSource = std::function<bool(int32_t row0, int32_t rows, RgbPixel* out)>;
// Writes part `index`, whole or not at all.
PlatResult WritePart(const PartPlan& plan, int32_t index, const PartRowSource& source);
// Streams the parts into the picture file at path, whole or not at all; a failure naming the
// part when one is absent, damaged or foreign.
PlatResult JoinParts(const PartPlan& plan, const char* path);
