#include <algorithm>
#include <cstring>

#include "image/DotLength.h"
#include "image/WhiteRows.h"
#include "render/BaseRender.h"

namespace {
// Longer white runs than this are never left alone by a positive limit.
constexpr int kMaxLimitDots = 65535;
}  // namespace

void CBaseRender::LimitWhiteRuns() {
    if (receipt.iWhiteRunLimit <= 0 || !image.IsValid() || image.GetBpp() != 1) return;
    const int limit =
        std::min(MmToDots(iDpi, receipt.iWhiteRunLimit, DotRounding::Down), kMaxLimitDots);
    const uint32_t height = image.GetHeight();
    if (limit <= 0 || height == 0) return;
    const PackedRows rows{image.GetBits(0), image.GetEffWidth(), image.GetEffWidth(), height};
    const size_t kept = ::LimitWhiteRuns(rows, static_cast<size_t>(limit));
    if (kept == height) return;
    // The kept rows are at the start of the storage, which Crop counts from
    // the bottom edge.
    CRasterImage shorter(0);
    const auto h = static_cast<int32_t>(height), w = static_cast<int32_t>(image.GetWidth());
    if (image.Crop(0, h, w, h - static_cast<int32_t>(kept), &shorter)) {
        image.Transfer(shorter, true);
        return;
    }
    // Out of memory: the page keeps its length, the stale rows go white.
    AddLog("LimitWhiteRuns: page not shortened");
    std::memset(rows.Row(kept), 0, (height - kept) * rows.stride);
}
