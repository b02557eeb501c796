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
