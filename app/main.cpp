// app/main.cpp - the explorer.
#include "app/app.h"

int main(int argc, char** argv) { return ZentrixMain(argc, argv); }
