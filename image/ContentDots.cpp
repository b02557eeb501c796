#include "image/ContentDots.h"

#include <algorithm>
#include <vector>

#include "image/BitPack.h"
#include "image/ContentMap.h"
#include "image/GrayLevel.h"
#include "image/WormFreeDither.h"

namespace {
// Line art is cut here: a dot at least half covered prints.
constexpr int kMidGray = 128;
// A stroke thinner than a dot leaves a line of light grays; it is kept
// where its neighbours on both sides are this much lighter (or, for a thin
// white gap, darker).
constexpr int kStroke = 32;

// Whether the dot at `i` of a line (`step` apart, n of them) is a thin
// stroke the cut would lose: lighter than mid-gray but darker than the
// dots before and after it (the stroke may cover two dots: then the first
// of them prints).
bool ThinDark(const uint8_t* p, long i, long n, long step) {
    const int v = p[i * step];
    auto at = [&](long j) { return j < 0 || j >= n ? 255 : int(p[j * step]); };
    return at(i - 1) - v >= kStroke && at(i + 1) >= v &&
           std::max(at(i + 1), at(i + 2)) - v >= kStroke;
}

bool ThinLight(const uint8_t* p, long i, long n, long step) {
    const int v = p[i * step];
    auto at = [&](long j) { return j < 0 || j >= n ? 0 : int(p[j * step]); };
    return v - at(i - 1) >= kStroke && at(i + 1) <= v &&
           v - std::min(at(i + 1), at(i + 2)) >= kStroke;
}

// The page's gray dots, for the line-art cut of one row after another.
struct GrayPage {
    const uint8_t* first;  // rows follow each other in memory
    long width, height, stride;
};

// Whether dot x of row y is white in the line-art cut.
bool LineArtWhite(const GrayPage& page, const uint8_t* row, uint32_t x, uint32_t y) {
    const int v = row[x];
    if (v >= 224) return true;
    if (v < kStroke) return false;
    const uint8_t* column = page.first + x;
    if (v >= kMidGray)
        return !(ThinDark(row, x, page.width, 1) || ThinDark(column, y, page.height, page.stride));
    return ThinLight(row, x, page.width, 1) || ThinLight(column, y, page.height, page.stride);
}

bool Finish(CRasterImage& image, CRasterImage& result) {
    result.SetPaletteColor(0, 0, 0, 0, 0);
    result.SetPaletteColor(1, 255, 255, 255, 0);
    return image.Transfer(result, true);
}

// Line art everywhere, or only outside the map's photo tiles, whose dots
// come from `dithered`.
bool Cut(CRasterImage& image, const ContentMap* map, const CRasterImage* dithered) {
    CRasterImage result(0);
    result.CopyInfo(image);
    if (!result.Create(image.GetWidth(), image.GetHeight(), 1, image.GetType())) {
        image.SetLastError(result.GetLastError());
        return false;
    }
    const GrayPage page{image.GetBits(0), long(image.GetWidth()), long(image.GetHeight()),
                        long(image.GetEffWidth())};
    for (uint32_t y = 0; y < image.GetHeight(); y++) {
        const uint8_t* dots = dithered ? dithered->GetBits(y) : nullptr;
        const uint8_t* row = image.GetBits(y);
        PackRow(result.GetBits(y), image.GetWidth(), [&](uint32_t x) {
            if (map && map->IsPhoto(x, y)) return (dots[x / 8] >> (7 - x % 8) & 1) != 0;
            return LineArtWhite(page, row, x, y);
        });
    }
    return Finish(image, result);
}
}  // namespace

bool DotsForContent(CRasterImage& image, PageContent content) {
    if (!image.IsValid()) return false;
    if (image.GetBpp() == 1) return true;
    if (content == PageContent::Photo) return DitherWormFree(image);
    if (!MakeGrayForReduction(image)) return false;
    if (content == PageContent::LineArt) return Cut(image, nullptr, nullptr);
    const ContentMap map(image);
    if (!map.AnyPhoto()) return Cut(image, nullptr, nullptr);
    CRasterImage dithered(image, true, false, false);
    if (!dithered.IsValid() || !DitherWormFree(dithered)) {
        image.SetLastError(dithered.GetLastError());
        return false;
    }
    return Cut(image, &map, &dithered);
}
