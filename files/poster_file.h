// files/poster_file.h - a poster streamed band by band into a PNG file.
#pragma once
#include "platform/platform.h"

// Computes the poster that BeginPoster set up, band by band, and streams it into the PNG
// file at path, which appears whole or not at all.
PlatResult WritePosterPng(const char* path);
