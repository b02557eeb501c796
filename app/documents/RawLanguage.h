#pragma once

#include <cstddef>

struct Language;

// The printer language a file of printer commands is written in, told by
// how it starts: only signatures no document nor another language starts
// with (TSPL, ZPL, EPL2, ESC/POS, CPCL); null when it is none of them or
// not certainly one.
const Language* RecogniseLanguage(const unsigned char* data, size_t size);

// PAPPL's typing of application/octet-stream documents it does not know
// itself: the raw format of the language the file is recognised as, or null.
const char* RawFormatOfDocument(const unsigned char* header, size_t size, void* data);
