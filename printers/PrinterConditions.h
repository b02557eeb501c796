#pragma once

#include <string>

// What a printer said about itself in answer to a status query. Plain
// data: the front ends decide what to show and whether a job waits.
struct PrinterConditions {
    bool answered = false;  // a complete, well-formed reply came back
    bool mediaEmpty = false;
    bool mediaLow = false;
    bool coverOpen = false;  // cover or print head open
    bool mediaJam = false;
    bool ribbonOut = false;
    bool offline = false;  // offline or paused
    bool overheated = false;
    bool otherError = false;
    bool batteryLow = false;   // a warning: it still prints
    bool mediaNeeded = false;  // the loaded medium is not the one the job asked for
    // The medium the printer reports loaded: its width in hundredths of a
    // millimetre (0: not reported) and its media-type keyword.
    int loadedWidth = 0;
    const char* loadedType = "";

    // Paper out or the cover open: a page sent now would be lost. A head too
    // hot to print: the page waits until it has cooled down.
    bool BlocksPrinting() const { return answered && (mediaEmpty || coverOpen || overheated); }
    // The state in words, e.g. "Out of paper, cover or print head open."
    std::string Message() const;
};
