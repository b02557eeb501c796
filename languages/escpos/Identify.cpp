#include "languages/escpos/Row.h"

// ESC d 3: three lines of feed.
std::vector<uint8_t> IdentifyEscPos(const IdentifySettings&) {
    return CommandBytes("\x1b\x64\x03");
}
