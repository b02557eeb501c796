#pragma once

#include <pappl/pappl.h>

#include <string>

// The names the web pages show for the vendor attributes and their
// keywords, as a strings file ("thermal-dither" = "Dithering";
// "thermal-dither.floyd-steinberg" = "Floyd–Steinberg"; ...).
std::string WebLabelStrings();

// Adds the labels to the system's localizations, once per process. They
// are English for every language PAPPL translates its own pages into:
// better than attribute names in any of them.
void AddWebLabels(pappl_system_t* system);
