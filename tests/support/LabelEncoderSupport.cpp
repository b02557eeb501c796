#include "support/LabelEncoderSupport.h"

std::vector<uint8_t> StoredRows(const TestPage& page) {
    const unsigned line = page.bytesPerLine(), eff = (line + 3) / 4 * 4;
    std::vector<uint8_t> rows;
    for (unsigned y = 0; y < page.height; y++) {
        std::vector<uint8_t> row(page.pixels.begin() + y * line,
                                 page.pixels.begin() + (y + 1) * line);
        if (page.width % 8) row.back() |= static_cast<uint8_t>(0xFF >> (page.width % 8));
        row.resize(eff, 0xFF);
        rows.insert(rows.end(), row.begin(), row.end());
    }
    return rows;
}

std::vector<uint8_t> Inverted(std::vector<uint8_t> bytes) {
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
    return bytes;
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
