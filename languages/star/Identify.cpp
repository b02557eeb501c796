#include "languages/star/Row.h"

// In raster mode: 24 blank rows, then the end of the job with the feed to
// the tear bar (mode 3), no cut.
std::vector<uint8_t> IdentifyStar(const IdentifySettings&) {
    static constexpr char kBytes[] = "\x1b*rA\x1b*rE3\0\x1b*rY24\0\x1b\x0c\x04\x1b*rB";
    return CommandBytes(std::string_view(kBytes, sizeof kBytes - 1));
}
