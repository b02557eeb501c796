#pragma once

// Reads a PPD choice as a number the way atoi does (leading blanks, optional
// sign, decimal digits, anything else ends the number; no digits give 0),
// but saturating at the int range instead of overflowing.
int ChoiceToInt(const char* text);

// n × 8 as a 32-bit left shift: wraps instead of overflowing.
int TimesEightWrapped(int n);
