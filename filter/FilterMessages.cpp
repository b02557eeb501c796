#include "filter/FilterMessages.h"

#include <cstdarg>
#include <cstdio>

// Exported by libcups; its own header needs the CUPS build tree, so the two
// declarations are repeated here.
extern "C" {
int _cupsLangPrintFilter(FILE* fp, const char* prefix, const char* message, ...);
void _cupsLangPrintError(const char* prefix, const char* message);
}

void PrintFilterMessage(const char* prefix, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    _cupsLangPrintFilter(stderr, prefix, "%s", text);
}

void PrintFilterError(const char* prefix, const char* message) {
    _cupsLangPrintError(prefix, message);
}
