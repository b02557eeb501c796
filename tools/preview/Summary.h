#pragma once

#include <string>
#include <vector>

#include "tools/preview/StreamDecoder.h"

// The text report: language, page count, each page's size and settings, and
// the image file written for it (imageNames[i] for page i, empty for none).
std::string FormatSummary(const tagDecodeResult& result,
                          const std::vector<std::string>& imageNames = {});
