#include "languages/tspl/Row.h"

// FORMFEED feeds to the next label.
std::vector<uint8_t> IdentifyTspl(const IdentifySettings&) {
    return CommandBytes("FORMFEED\r\n");
}
