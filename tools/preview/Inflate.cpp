#include "tools/preview/Inflate.h"

#include <zlib.h>

#include <climits>

std::string InflateExact(const uint8_t* in, size_t inSize, InflateFormat format, size_t expected,
                         std::vector<uint8_t>& out, size_t& consumed) {
    consumed = 0;
    if (inSize > UINT_MAX || expected >= UINT_MAX) return "compressed block too large";
    // One spare byte tells "more data than announced" from "exactly right".
    out.assign(expected + 1, 0);
    z_stream zs{};
    int bits = format == InflateFormat::Zlib ? 15 : -15;
    if (inflateInit2(&zs, bits) != Z_OK) return "cannot start the decompressor";
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(inSize);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    int rc = inflate(&zs, Z_FINISH);
    size_t produced = zs.total_out;
    consumed = zs.total_in;
    const char* zmsg = zs.msg;
    std::string error;
    if (rc == Z_STREAM_END) {
        if (produced != expected)
            error = "compressed data gives " + std::to_string(produced) + " bytes, expected " +
                    std::to_string(expected);
    } else if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) {
        error = std::string("corrupt compressed data") + (zmsg ? std::string(": ") + zmsg : "");
    } else if (zs.avail_out == 0) {
        error =
            "compressed data gives more than the expected " + std::to_string(expected) + " bytes";
    } else {
        error = "compressed data ends early (after " + std::to_string(produced) + " of " +
                std::to_string(expected) + " bytes)";
    }
    inflateEnd(&zs);
    out.resize(error.empty() ? expected : 0);
    return error;
}
