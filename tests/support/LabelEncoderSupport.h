#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/RasterWriter.h"

// The rows of a 1-bit test page as the prepared image stores them: each row
// padded to a multiple of 4 bytes, every bit beyond the width set (white).
std::vector<uint8_t> StoredRows(const TestPage& page);
std::vector<uint8_t> Inverted(std::vector<uint8_t> bytes);
std::string Text(const std::vector<uint8_t>& bytes);

// An encoder constructed directly, with its output captured call by call.
template <class T>
class CCaptureEncoder : public T {
public:
    std::vector<std::string> writes;
    void WriteSpool(const void* data, int length) override {
        writes.emplace_back(static_cast<const char*>(data), static_cast<size_t>(length));
    }
    // Loads a 1-bit page the way the page pipeline leaves it, and paints it.
    std::string Paint(const TestPage& page) {
        this->iDpi = static_cast<int>(page.dpi);
        this->image.CreateFromArray(page.pixels.data(), page.width, page.height, 1,
                                    page.bytesPerLine(), false);
        this->AdjustEffWidthBits();
        writes.clear();
        this->OnPaintBmp();
        std::string all;
        for (const std::string& w : writes) all += w;
        return all;
    }
};
