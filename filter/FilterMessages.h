#pragma once

// CUPS filter messages on standard error ("ERROR: ...", "INFO: ...").
void PrintFilterMessage(const char* prefix, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void PrintFilterError(const char* prefix, const char* message);
