#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tools/preview/PageCanvas.h"
#include "tools/preview/StreamDecoder.h"

// State shared by the language decoders: the input, the first fault, and the
// page being assembled. Settings go to the open page, else to the page that
// ended last (trailing feeds and cuts), else to the stream.
class CDecodeContext {
public:
    CDecodeContext(const uint8_t* data, size_t size, const tagDecodeOptions& options,
                   tagDecodeResult& result);

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    size_t Left(size_t pos) const { return pos < m_size ? m_size - pos : 0; }
    const tagDecodeOptions& Options() const { return m_options; }

    // Records the first fault and returns false, so callers can
    // `return Fail(...)`.
    bool Fail(size_t offset, const std::string& message);
    bool Failed() const { return m_result.error.failed; }
    // Fails with a message naming what was expected when fewer than `need`
    // bytes are left at pos.
    bool Need(size_t pos, size_t need, const char* what);

    void BeginPage();
    void EndPage();
    bool PageOpen() const { return m_pageOpen; }
    bool PageHasBitmap() const { return m_pageOpen && m_canvas.Height() > 0; }
    CPageCanvas& Canvas() { return m_canvas; }
    // Closes decoding: an open page with rows is kept, marked incomplete
    // when decoding failed.
    void Finish();

    void Set(const std::string& key, const std::string& value);
    void Add(const std::string& key, const std::string& value);  // keeps earlier values
    // Sums an amount under a key, e.g. feeds: "319 dots in 2 commands".
    void AddAmount(const std::string& key, int64_t amount, const char* unit);
    void SetStream(const std::string& key, const std::string& value);

    // Fails with the page-size message when drawing was refused.
    bool CheckDrawn(bool drawn, size_t offset);

private:
    std::vector<tagSetting>& Target();

    const uint8_t* m_data;
    size_t m_size;
    const tagDecodeOptions& m_options;
    tagDecodeResult& m_result;
    CPageCanvas m_canvas;
    tagDecodedPage m_page;
    bool m_pageOpen = false;
    std::map<std::string, std::pair<int64_t, int64_t>> m_amounts;
};

std::string Hex(uint32_t value, int digits);
std::string HexBytes(const uint8_t* data, size_t count);
