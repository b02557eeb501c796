#include "languages/peripage/Row.h"

// Its start, ESC J 80 (80 rows of dots) and its end.
std::vector<uint8_t> IdentifyPeriPage(const IdentifySettings&) {
    return CommandBytes(std::string_view("\x10\xff\xfe\x01\x1b\x4a\x50\x10\xff\xfe\x45", 11));
}
