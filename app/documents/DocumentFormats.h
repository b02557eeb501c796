#pragma once

#include <pappl/pappl.h>

#include <string>

// Why the request's printer cannot print a document: its format is not one
// the printer takes, or, sent as application/octet-stream (or without a
// format) and `sniff` set, its first bytes are none PAPPL recognises as one
// nor the printer's own commands (commands of another language are named).
// The message says what the printer takes and how its commands are sent.
// Empty when it can print it, and when there is nothing to look at yet (no
// data, compressed data).
std::string DocumentFormatError(pappl_client_t* client, const char* format, bool sniff,
                                const char* compression);
