#include "languages/zpl/ZplGraphic.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "languages/zpl/Crc16.h"

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

unsigned Nibble(const uint8_t* row, uint32_t i) {
    return i % 2 ? row[i / 2] & 0x0F : row[i / 2] >> 4;
}

// n copies of a digit; up to two are written as they are, which is never
// longer than a count letter and the digit.
void AppendRun(std::string& out, char digit, uint32_t n) {
    if (n <= 2) {
        out.append(n, digit);
        return;
    }
    for (; n >= 400; n -= 400) out += 'z';
    if (n >= 20) out += static_cast<char>('f' + n / 20);
    if (n % 20) out += static_cast<char>('F' + n % 20);
    out += digit;
}

void AppendHexRow(std::string& out, const uint8_t* row, uint32_t rowBytes) {
    const uint32_t digits = rowBytes * 2;
    const unsigned last = Nibble(row, digits - 1);
    uint32_t end = digits;
    if (last == 0 || last == 0xF)
        while (end > 0 && Nibble(row, end - 1) == last) end--;
    for (uint32_t i = 0; i < end;) {
        const unsigned d = Nibble(row, i);
        uint32_t j = i + 1;
        while (j < end && Nibble(row, j) == d) j++;
        AppendRun(out, kHexDigits[d], j - i);
        i = j;
    }
    if (end < digits) out += last == 0 ? ',' : '!';
}
}  // namespace

void AppendZplHex(std::string& out, const uint8_t* rows, size_t stride, uint32_t rowBytes,
                  uint32_t height) {
    if (rowBytes == 0) return;
    const uint8_t* previous = nullptr;
    for (uint32_t y = 0; y < height; y++) {
        const uint8_t* row = rows + y * stride;
        if (previous && std::memcmp(row, previous, rowBytes) == 0)
            out += ':';
        else
            AppendHexRow(out, row, rowBytes);
        previous = row;
    }
}

void AppendBase64(std::string& out, const uint8_t* data, size_t length) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + (length + 2) / 3 * 4);
    for (size_t i = 0; i < length; i += 3) {
        const size_t n = length - i < 3 ? length - i : 3;
        uint32_t group = uint32_t{data[i]} << 16;
        if (n > 1) group |= uint32_t{data[i + 1]} << 8;
        if (n > 2) group |= data[i + 2];
        for (size_t k = 0; k < 4; k++)
            out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
}

bool AppendZplZ64(std::string& out, const uint8_t* packed, size_t length) {
    uLongf size = compressBound(static_cast<uLong>(length));
    std::vector<Bytef> deflated(size);
    if (compress(deflated.data(), &size, packed, static_cast<uLong>(length)) != Z_OK) return false;
    out += ":Z64:";
    const size_t textStart = out.size();
    AppendBase64(out, deflated.data(), size);
    char crc[8];
    std::snprintf(crc, sizeof crc, ":%04X",
                  Crc16Xmodem(out.data() + textStart, out.size() - textStart));
    out += crc;
    return true;
}
