#include "languages/zpl/Row.h"

// ~PH (slew to home): one blank label.
std::vector<uint8_t> IdentifyZpl(const IdentifySettings&) {
    return CommandBytes("~PH\r\n");
}
