#include "tools/preview/DecodeContext.h"

#include <cstdio>
#include <utility>

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string HexBytes(const uint8_t* data, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; i++) {
        if (i) text += ' ';
        text += Hex(data[i], 2);
    }
    return text;
}

CDecodeContext::CDecodeContext(const uint8_t* data, size_t size, const tagDecodeOptions& options,
                               tagDecodeResult& result)
    : m_data(data),
      m_size(size),
      m_options(options),
      m_result(result),
      m_canvas(options.maxPageBytes) {}

bool CDecodeContext::Fail(size_t offset, const std::string& message) {
    if (!m_result.error.failed) {
        m_result.error.failed = true;
        m_result.error.offset = offset;
        m_result.error.message = message;
    }
    return false;
}

bool CDecodeContext::Need(size_t pos, size_t need, const char* what) {
    size_t left = Left(pos);
    if (left >= need) return true;
    return Fail(pos, std::string("expected ") + what + " (" + std::to_string(need) +
                         " bytes), but only " + std::to_string(left) + " bytes are left");
}

bool CDecodeContext::CheckDrawn(bool drawn, size_t offset) {
    if (drawn) return true;
    return Fail(offset, "page bitmap larger than the limit of " +
                            std::to_string(m_options.maxPageBytes) + " bytes");
}

void CDecodeContext::BeginPage() {
    if (m_pageOpen) EndPage();
    m_pageOpen = true;
    m_page = tagDecodedPage();
    m_canvas.Clear();
    m_amounts.clear();
}

void CDecodeContext::EndPage() {
    if (!m_pageOpen) return;
    m_page.width = m_canvas.Width();
    m_page.height = m_canvas.Height();
    m_page.bits = m_canvas.TakeBits();
    if (m_page.width == 0 || m_page.height == 0) {
        m_page.width = m_page.height = 0;
        m_page.bits.clear();
    }
    m_result.pages.push_back(std::move(m_page));
    m_page = tagDecodedPage();
    m_pageOpen = false;
}

void CDecodeContext::Finish() {
    if (!m_pageOpen) return;
    if (Failed() && !PageHasBitmap()) {
        m_pageOpen = false;
        return;
    }
    m_page.complete = !Failed();
    EndPage();
}

std::vector<tagSetting>& CDecodeContext::Target() {
    if (m_pageOpen) return m_page.settings;
    if (!m_result.pages.empty()) return m_result.pages.back().settings;
    return m_result.settings;
}

void CDecodeContext::Set(const std::string& key, const std::string& value) {
    std::vector<tagSetting>& list = Target();
    for (tagSetting& s : list) {
        if (s.key == key) {
            s.value = value;
            return;
        }
    }
    list.push_back({key, value});
}

void CDecodeContext::Add(const std::string& key, const std::string& value) {
    Target().push_back({key, value});
}

void CDecodeContext::AddAmount(const std::string& key, int64_t amount, const char* unit) {
    std::pair<int64_t, int64_t>& sum = m_amounts[key];
    sum.first += amount;
    sum.second += 1;
    std::string text = std::to_string(sum.first);
    if (unit && *unit) text += std::string(" ") + unit;
    if (sum.second > 1) text += " in " + std::to_string(sum.second) + " commands";
    Set(key, text);
}

void CDecodeContext::SetStream(const std::string& key, const std::string& value) {
    for (tagSetting& s : m_result.settings) {
        if (s.key == key) {
            s.value = value;
            return;
        }
    }
    m_result.settings.push_back({key, value});
}
