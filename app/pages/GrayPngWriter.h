#pragma once

#include <cstdio>
#include <string>

#include "app/pages/GrayCanvas.h"

// Writes the canvas as an 8-bit gray PNG with its resolution (dots per
// inch; 0 leaves it out). False with the reason in `error` when the file
// cannot be written.
bool WriteGrayPng(const std::string& path, const GrayCanvas& canvas, int dpi, std::string& error);
// The same into an open file, which stays open; false when encoding failed.
bool WriteGrayPng(FILE* file, const GrayCanvas& canvas, int dpi);
