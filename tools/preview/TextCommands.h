#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/DecodeContext.h"

// Helpers for the two text command languages, whose lines end with CR LF and
// whose graphics commands carry binary data inside the text.

// Skips CR, LF, spaces and tabs between commands.
size_t SkipBlank(const CDecodeContext& ctx, size_t pos);
// Does the input at pos start with the text?
bool StartsWith(const CDecodeContext& ctx, size_t pos, const char* text);
// Reads the line at pos without its line ending and moves pos past it.
// Fails when no line ending follows within the line length limit.
bool ReadLine(CDecodeContext& ctx, size_t& pos, std::string& line);
// Consumes CR LF (or a lone LF) at pos, failing with `after` in the message.
bool ExpectLineEnd(CDecodeContext& ctx, size_t& pos, const char* after);
// Reads a decimal number, an optional minus sign first, at most nine digits.
bool ReadNumber(CDecodeContext& ctx, size_t& pos, int64_t& value, const char* what);
// Reads one expected character.
bool ExpectChar(CDecodeContext& ctx, size_t& pos, char c, const char* what);
// Splits on runs of spaces.
std::vector<std::string> SplitWords(const std::string& line);
// Parses a whole word as a number; false for anything else.
bool WordNumber(const std::string& word, int64_t& value);
std::string Lower(std::string text);
