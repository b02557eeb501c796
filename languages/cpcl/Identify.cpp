#include "languages/cpcl/Row.h"

// A label with nothing but FORM: feeds to the next label.
std::vector<uint8_t> IdentifyCpcl(const IdentifySettings&) {
    return CommandBytes("! 0 200 200 8 1\r\nFORM\r\nPRINT\r\n");
}
