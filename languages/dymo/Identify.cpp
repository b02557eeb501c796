#include "languages/dymo/Row.h"

// A form feed (ESC E) after a reset.
std::vector<uint8_t> IdentifyDymo(const IdentifySettings&) {
    return CommandBytes("\x1b\x40\x1b\x45");
}
