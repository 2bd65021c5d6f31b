// files/params.h - parameter files: the eleven view values as fixed-width hexadecimal text.
#pragma once
#include "engine/state.h"

extern ViewParams LoadedParams;   // filled only by LoadParameterFile, read only by NewPicture

void SaveView();                          // parameter file, then the picture; MessageCode 1 or 2
void LoadParameterFile(const char* name); // at start-up, for each existing file argument
