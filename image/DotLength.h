#pragma once

// How a length in millimetres becomes whole printer dots.
enum class DotRounding {
    Down,  // truncated toward zero: positions, feeds, white-run limits
    Up,    // a fraction of a dot counts as a whole dot (for lengths of 0 and more;
           // less than 1/10000 of a dot is taken as floating-point noise): crop limits, gaps
};

// dpi × mm / 25.4 dots, rounded as asked and held to the int range; the
// product is taken in 64 bits, so no resolution overflows it.
int MmToDots(int dpi, int mm, DotRounding rounding);
