#pragma once

#include <string>
#include <vector>

// Why the command line cannot go ahead: a -o value that is no number for a
// thermal-* setting that takes numbers ("-o thermal-threshold=dark", also
// as "thermal-threshold-default"), or `modify -v URI` (PAPPL's `modify`
// drops the device URI, which cannot change: a URI not of its scheme's form
// is refused naming the form, any other one saying so). PAPPL's
// subcommands drop such values without a word instead of sending them; the
// server checks all the others. Empty when there is none.
std::string CommandLineError(int argc, char* argv[]);

// What `submit` leaves out without a word: -o options that are no job
// attribute of ours ("-o thermal-dithr=threshold"), one sentence each. PAPPL
// sends only the names the printer lists; the server tells of bad values.
std::vector<std::string> CommandLineWarnings(int argc, char* argv[]);
