// app/app_state.cpp - start options and window flags of the program.
#include "app/app.h"

AppState App;
