// app/input_state.cpp - keyboard and mouse state, read by the commands and the previews.
#include "app/input.h"

InputState Input;
