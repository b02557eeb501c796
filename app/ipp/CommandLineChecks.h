#pragma once

#include <string>

// Why the command line cannot go ahead: a -o value that is no number for a
// thermal-* setting that takes numbers ("-o thermal-threshold=dark", also
// as "thermal-threshold-default"). PAPPL's subcommands drop such a value
// without a word instead of sending it; the server checks all the others.
// Empty when there is none.
std::string CommandLineError(int argc, char* argv[]);
