// files/param_text.h - the parameter file as text, free of files and globals: the eleven view
// values as fixed-width hexadecimal lines, and the base name of a save.
#pragma once
#include <cstdint>
#include "engine/state.h"
#include "platform/platform.h"

// The fourteen lines of the deepest view (two centre lines of 627 words) with a
// 255-character name.
constexpr int ParamFileMaxBytes = 16384;
// Lines 2 and 3 hold the centre in n >= 4 words of 32 bits, most significant first: the
// two's-complement number of all of them in units of 2^-(32 n - 8). Four words are the
// long128, and every view of the exact formats' zooms is written with four; a deeper one with
// as many as its pixel step needs and 32 bits more.
int  CentreFileWords(int32_t ldZoom);
// Writes the fourteen CR LF lines of a view whose comment names `name`; returns the byte
// count, or -1 when out cannot hold them.
int  FormatParameterFile(const ViewParams& v, const char* name, char* out, int outSize);
// Reads lines 1 to 12 into *out as they come (a rejected text may leave some values
// changed) and returns true only for a well-formed text whose values are in range.
bool ParseParameterFile(const char* text, int64_t length, ViewParams* out);
bool ParamsInRange(const ViewParams& v);
// "2024-03-03-09-05-07": the base name of the files saved at that local time.
void FormatSaveBaseName(const PlatLocalTime& t, char* out, int outSize);
