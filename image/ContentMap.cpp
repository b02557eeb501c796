#include "image/ContentMap.h"

#include <algorithm>

namespace {
// A gray that is neither black nor white; with nothing much lighter or
// darker within kReach dots it is a flat gray, not an edge.
constexpr int kLightest = 215, kDarkest = 40, kEdgeRange = 80;
constexpr uint32_t kReach = 2;

bool InBand(uint8_t v) {
    return v >= kDarkest && v <= kLightest;
}

// Which rows hold a gray between black and white: only those can hold flat
// grays (a page of black and white alone, as most labels, has none).
std::vector<uint8_t> GrayRows(const CRasterImage& gray) {
    std::vector<uint8_t> rows(gray.GetHeight());
    for (uint32_t y = 0; y < gray.GetHeight(); y++)
        rows[y] = std::any_of(gray.GetBits(y), gray.GetBits(y) + gray.GetWidth(), InBand);
    return rows;
}

bool NearGrayRow(const std::vector<uint8_t>& grayRows, uint32_t y) {
    const uint32_t from = y >= kReach ? y - kReach : 0;
    const uint32_t to = std::min<uint32_t>(y + kReach, uint32_t(grayRows.size()) - 1);
    return std::any_of(grayRows.begin() + from, grayRows.begin() + to + 1,
                       [](uint8_t g) { return g != 0; });
}

// The lowest and highest of each row's dots within kReach across, for the
// rows within kReach of a row with grays (no other row is looked at).
void RowRanges(const CRasterImage& gray, const std::vector<uint8_t>& grayRows,
               std::vector<uint8_t>& low, std::vector<uint8_t>& high) {
    const uint32_t w = gray.GetWidth();
    for (uint32_t y = 0; y < gray.GetHeight(); y++) {
        if (!NearGrayRow(grayRows, y)) continue;
        const uint8_t* in = gray.GetBits(y);
        for (uint32_t x = 0; x < w; x++) {
            const uint32_t from = x >= kReach ? x - kReach : 0, to = std::min(x + kReach, w - 1);
            const auto [lo, hi] = std::minmax_element(in + from, in + to + 1);
            low[size_t(y) * w + x] = *lo;
            high[size_t(y) * w + x] = *hi;
        }
    }
}
}  // namespace

ContentMap::ContentMap(const CRasterImage& gray)
    : m_columns((gray.GetWidth() + kTile - 1) / kTile),
      m_rows((gray.GetHeight() + kTile - 1) / kTile),
      m_flat(size_t(m_columns) * m_rows, 0),
      m_photo(m_flat.size(), 0) {
    if (gray.GetBpp() != 8 || m_photo.empty()) return;
    CountFlatGrays(gray);
    GrowPhotoTiles();
}

void ContentMap::CountFlatGrays(const CRasterImage& gray) {
    const uint32_t w = gray.GetWidth(), h = gray.GetHeight();
    const std::vector<uint8_t> grayRows = GrayRows(gray);
    if (std::none_of(grayRows.begin(), grayRows.end(), [](uint8_t g) { return g != 0; })) return;
    std::vector<uint8_t> low(size_t(w) * h), high(size_t(w) * h);
    RowRanges(gray, grayRows, low, high);
    for (uint32_t y = 0; y < h; y++) {
        if (!grayRows[y]) continue;
        const uint8_t* in = gray.GetBits(y);
        const uint32_t from = y >= kReach ? y - kReach : 0, to = std::min(y + kReach, h - 1);
        for (uint32_t x = 0; x < w; x++) {
            if (in[x] < kDarkest || in[x] > kLightest) continue;
            int lo = 255, hi = 0;
            for (uint32_t r = from; r <= to; r++) {
                lo = std::min<int>(lo, low[size_t(r) * w + x]);
                hi = std::max<int>(hi, high[size_t(r) * w + x]);
            }
            if (hi - lo < kEdgeRange) m_flat[(y / kTile) * m_columns + x / kTile]++;
        }
    }
    // A tile is photo when an eighth of its dots are flat grays (of the
    // dots it has, at the page's right and bottom edges).
    for (uint32_t ty = 0; ty < m_rows; ty++)
        for (uint32_t tx = 0; tx < m_columns; tx++) {
            const uint32_t area = (std::min(w, (tx + 1) * kTile) - tx * kTile) *
                                  (std::min(h, (ty + 1) * kTile) - ty * kTile);
            const size_t i = size_t(ty) * m_columns + tx;
            m_photo[i] = m_flat[i] * 8 >= area;
            m_photoTiles += m_photo[i];
        }
}

void ContentMap::GrowPhotoTiles() {
    if (m_photoTiles == 0) return;
    const std::vector<uint8_t> before = m_photo;
    auto photo = [&](long tx, long ty) {
        return tx >= 0 && ty >= 0 && tx < long(m_columns) && ty < long(m_rows) &&
               before[size_t(ty) * m_columns + size_t(tx)];
    };
    for (long ty = 0; ty < long(m_rows); ty++)
        for (long tx = 0; tx < long(m_columns); tx++) {
            const size_t i = size_t(ty) * m_columns + size_t(tx);
            if (before[i]) continue;
            const int around =
                photo(tx - 1, ty) + photo(tx + 1, ty) + photo(tx, ty - 1) + photo(tx, ty + 1);
            if (around >= 3 || (around >= 1 && m_flat[i] > 0)) m_photo[i] = 1, m_photoTiles++;
        }
}
