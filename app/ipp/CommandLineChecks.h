#pragma once

#include <string>
#include <vector>

// Why the command line cannot go ahead: a -o value that is no whole number
// within the range of a thermal-* setting that takes numbers
// ("-o thermal-threshold=dark", "=4294967446", also as
// "thermal-threshold-default"), or `modify -v URI` (PAPPL's `modify` drops
// the device URI, which cannot change: a URI not of its scheme's form is
// refused naming the form, any other one saying so), before anything is
// sent: PAPPL's subcommands would drop or wrap such values. Empty when there
// is none.
std::string CommandLineError(int argc, char* argv[]);

// What `submit` leaves out without a word: -o options that are no job
// attribute of ours ("-o thermal-dithr=threshold"), one sentence each. PAPPL
// sends only the names the printer lists; the server tells of bad values.
std::vector<std::string> CommandLineWarnings(int argc, char* argv[]);
