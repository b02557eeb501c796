#include "app/documents/LabelFinder.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "app/documents/CodeAreas.h"
#include "app/documents/InkBounds.h"
#include "app/documents/InkComponents.h"
#include "app/documents/PageBlocks.h"

namespace {
// A box within this share of the label's proportions is taken for it.
constexpr double kProportion = 0.08;
// An area this much larger than the label still fits it (its margins cut).
constexpr double kFitSlack = 0.03;
// The smallest box taken for a label, and the share of each of its sides
// that must be ruled.
constexpr double kSmallestBox = 0.5;
constexpr double kRuled = 0.9;

struct Label {
    int width, length;
    // Whether an area fits the label dot for dot, upright or turned.
    bool Fits(const PixelRect& r) const {
        const double w = width * (1 + kFitSlack), l = length * (1 + kFitSlack);
        return (r.width <= w && r.height <= l) || (r.width <= l && r.height <= w);
    }
    bool Proportioned(const PixelRect& r) const {
        const double ratio = double(r.width) / r.height, label = double(width) / length;
        return std::fabs(ratio / label - 1) <= kProportion ||
               std::fabs(ratio * label - 1) <= kProportion;
    }
};

// Codes are found on cells a little coarser than the blocks: one belongs
// to the area its centre lies in.
bool Inside(const PixelRect& code, const PixelRect& r) {
    const int x = code.x + code.width / 2, y = code.y + code.height / 2;
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

int64_t Area(const PixelRect& r) {
    return int64_t(r.width) * r.height;
}

int64_t CodeArea(const std::vector<PixelRect>& codes, const PixelRect& r) {
    int64_t area = 0;
    for (const PixelRect& c : codes)
        if (Inside(c, r)) area += Area(c);
    return area;
}

// The share of positions along one side of the box with ink within `band`
// pixels of it.
double Ruled(const GrayImage& page, const PixelRect& b, bool horizontal, bool far, int band) {
    const int length = horizontal ? b.width : b.height;
    int inked = 0;
    for (int i = 0; i < length; i++)
        for (int d = 0; d < band; d++) {
            const int across = far ? (horizontal ? b.height : b.width) - 1 - d : d;
            const int x = b.x + (horizontal ? i : across), y = b.y + (horizontal ? across : i);
            if (InkComponents::Dark(page.Row(y)[x])) {
                inked++;
                break;
            }
        }
    return double(inked) / length;
}

bool RuledBox(const GrayImage& page, const PixelRect& b, double dpi) {
    const int band = std::max(2, int(std::lround(dpi / 50)));
    if (b.width < 2 * band || b.height < 2 * band) return false;
    for (bool horizontal : {true, false})
        for (bool far : {false, true})
            if (Ruled(page, b, horizontal, far, band) < kRuled) return false;
    return true;
}

// The largest ruled box of the label's proportions that fits the label,
// else the largest; holding bar codes when the page has any.
bool FindBox(const GrayImage& page, const InkComponents& ink, const std::vector<PixelRect>& codes,
             const Label& label, double dpi, PixelRect& found) {
    std::tuple<bool, int64_t> best{false, 0};
    for (const InkComponents::Shape& shape : ink.Shapes()) {
        const PixelRect& b = shape.box;
        if (std::min(b.width, b.height) < kSmallestBox * dpi || !label.Proportioned(b)) continue;
        if (!codes.empty() && CodeArea(codes, b) == 0) continue;
        const std::tuple<bool, int64_t> key{label.Fits(b), Area(b)};
        if (key <= best || !RuledBox(page, b, dpi)) continue;
        best = key;
        found = b;
    }
    return std::get<1>(best) > 0;
}

// The block holding the most bar code that fits the label, the largest
// such; else the smallest holding the most.
bool FindBlock(const PageBlocks& blocks, const std::vector<PixelRect>& codes, const Label& label,
               PixelRect& found) {
    std::tuple<bool, int64_t, int64_t> best{false, 0, 0};
    for (const PixelRect& r : blocks.Candidates()) {
        const int64_t code = CodeArea(codes, r);
        if (code == 0) continue;
        const bool fits = label.Fits(r);
        const std::tuple<bool, int64_t, int64_t> key{fits, code, fits ? Area(r) : -Area(r)};
        if (std::get<1>(best) > 0 && key <= best) continue;
        best = key;
        found = r;
    }
    if (std::get<1>(best) == 0) return false;
    found = blocks.Tighten(found);
    return true;
}

}  // namespace

FoundLabel FindLabel(const GrayImage& page, int labelWidth, int labelLength, double dpi) {
    FoundLabel result{InkBounds(page), FoundLabel::How::Ink};
    if (result.area.width <= 0 || labelWidth <= 0 || labelLength <= 0) return result;
    const Label label{labelWidth, labelLength};
    const InkComponents ink(page);
    const std::vector<PixelRect> codes = FindCodeAreas(page, dpi);
    if (FindBox(page, ink, codes, label, dpi, result.area)) {
        result.how = FoundLabel::How::Box;
    } else {
        const PageBlocks blocks(ink, page.width, page.height, dpi);
        if (FindBlock(blocks, codes, label, result.area)) result.how = FoundLabel::How::Block;
    }
    for (const PixelRect& c : codes) result.codes += Inside(c, result.area);
    return result;
}
