#pragma once

#include <span>

// The name a menu shows for a label stock sold under a part number:
// "99010 Address 28 × 89 mm" for om_99010-address_28x89mm.
struct MediaLabel {
    const char* name;   // PWG self-describing name, as in media-supported
    const char* label;  // part number, kind and size
};

std::span<const MediaLabel> MediaLabels();
