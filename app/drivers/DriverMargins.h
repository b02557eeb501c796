#pragma once

#include "app/drivers/DriverCatalog.h"

// The margins a driver advertises, in hundredths of millimetres: the widest
// unprinted border of any of its media, so that nothing inside the printable
// area a client is told of is cut. PAPPL 1.3.1 carries one pair of margins
// per printer, not one per medium.
struct DriverMargins {
    int leftRight = 0;
    int bottomTop = 0;
};

DriverMargins MarginsOf(const DriverInfo& driver);

// Whether the head prints every medium of the driver to its edges.
bool PrintsToEdges(const DriverInfo& driver);

// What the printer leaves unprinted of a page of this size (hundredths of
// millimetres), in the driver's dots: the page is centred on the head, so
// the far side loses the odd dot.
struct MediumCut {
    int across = 0;  // dots of the page's width not printed
    int along = 0;   // lines of the page's length not printed
};

MediumCut CutOfMedium(const DriverInfo& driver, int widthHundredths, int lengthHundredths);
