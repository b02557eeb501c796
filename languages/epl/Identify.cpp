#include "languages/epl/Row.h"

// An empty label: N clears the image buffer, P1 prints it.
std::vector<uint8_t> IdentifyEpl(const IdentifySettings&) {
    return CommandBytes("\nN\nP1\n");
}
