#pragma once

#include <string>

#include "tools/preview/StreamDecoder.h"

// Writes the page as a 1-bit grayscale PNG: dots black, paper white.
// Returns false with a message when the file cannot be written.
bool WritePagePng(const std::string& path, const tagDecodedPage& page, std::string& error);
