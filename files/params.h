// files/params.h - parameter files: saving the view with its picture, and loading a view at
// start-up. Their text is files/param_text.h.
#pragma once
#include "files/param_text.h"

// The parameter file, then the picture, in picturesFolder (which ends in a separator and is
// created when needed); MsgSaved or MsgSaveFailed.
void SaveView(const char* picturesFolder);
// At start-up, for each existing file argument: the first valid one fills LoadedParams.
void LoadParameterFile(const char* name);
