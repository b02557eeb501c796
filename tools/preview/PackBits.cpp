#include "tools/preview/PackBits.h"

#include <algorithm>
#include <string>

long UnpackBitsLine(CDecodeContext& ctx, size_t at, const uint8_t* data, size_t size,
                    std::span<uint8_t> line) {
    size_t out = 0;
    for (size_t i = 0; i < size;) {
        const uint8_t h = data[i++];
        if (h == 128) return ctx.Fail(at, "PackBits header 128 in a raster line"), -1;
        const size_t count = h < 128 ? h + 1u : 257u - h;
        const size_t take = h < 128 ? count : 1;
        if (i + take > size)
            return ctx.Fail(at, "PackBits run past the end of the raster line"), -1;
        if (out + count > line.size())
            return ctx.Fail(at,
                            "PackBits line longer than " + std::to_string(line.size()) + " bytes"),
                   -1;
        if (h < 128)
            std::copy(data + i, data + i + count, line.begin() + static_cast<long>(out));
        else
            std::fill_n(line.begin() + static_cast<long>(out), count, data[i]);
        out += count;
        i += take;
    }
    return static_cast<long>(out);
}
