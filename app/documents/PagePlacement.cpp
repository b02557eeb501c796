#include "app/documents/PagePlacement.h"

#include <algorithm>
#include <cmath>

namespace {
// A document within this share of the label's size is taken to be made for
// it: printed dot for dot, not scaled by a few per cent.
constexpr double kSameSize = 0.03;
// Content found on a page (fit-content) that fits the label and fills at
// least this share of it is printed dot for dot: a label found on a larger
// page keeps its bar codes' modules exact. Smaller content is enlarged.
constexpr double kFillsLabel = 0.8;
// Content (fit-content) is turned only when it prints this much larger so:
// a square one keeps its text upright.
constexpr double kTurnGain = 1.15;

struct Inches {
    double width, height;
};

bool Near(double a, double b) {
    return std::fabs(a - b) <= kSameSize * b;
}

Inches Turned(const PlacementRequest& r, int turns) {
    return turns % 2 ? Inches{r.heightIn, r.widthIn} : Inches{r.widthIn, r.heightIn};
}

Inches Page(const PlacementMedium& m) {
    return {m.width / m.xdpi, m.length / m.ydpi};
}

Inches Printable(const PlacementMedium& m) {
    return {std::max(m.width - m.left - m.right, 1) / m.xdpi,
            std::max(m.length - m.top - m.bottom, 1) / m.ydpi};
}

// A document fitted because its ink reaches where the head does not is
// kept inside the head's reach as well as the margins.
PlacementMedium WithinHead(PlacementMedium m) {
    m.left = std::max(m.left, m.cutLeft);
    m.right = std::max(m.right, m.cutRight);
    m.top = std::max(m.top, m.cutTop);
    m.bottom = std::max(m.bottom, m.cutBottom);
    return m;
}

// The largest scale at which the document fits the printable area; on a
// roll only the width binds, up to the longest page.
double FitScale(Inches doc, const PlacementMedium& m) {
    const Inches area = Printable(m);
    return std::min(area.width / doc.width, area.height / doc.height);
}

double FillScale(Inches doc, const PlacementMedium& m) {
    const Inches page = Page(m);
    if (m.roll) return std::min(page.width / doc.width, Printable(m).height / doc.height);
    return std::max(page.width / doc.width, page.height / doc.height);
}

// A landscape document on a portrait label is turned, and the other way
// round; pages on a roll keep their orientation, their length is free.
int ChooseTurns(const PlacementRequest& r, const PlacementMedium& m) {
    if (r.turns >= 0) return r.turns % 4;
    if (r.fitContent) {
        const double upright = FitScale(Turned(r, 0), m);
        return FitScale(Turned(r, 1), m) > upright * kTurnGain ? 1 : 0;
    }
    if (m.roll || r.widthIn == r.heightIn || m.width == m.length) return 0;
    return (r.widthIn > r.heightIn) != (m.width > m.length) ? 1 : 0;
}

bool SameSize(Inches doc, const PlacementMedium& m) {
    const Inches page = Page(m);
    return Near(doc.width, page.width) && (m.roll || Near(doc.height, page.height));
}

bool FitsPrintable(Inches doc, const PlacementMedium& m) {
    const Inches area = Printable(m);
    return doc.width <= area.width * (1 + kSameSize) && doc.height <= area.height * (1 + kSameSize);
}

// auto and fit: a document of the label's size as it is (fit would shrink
// it by the margins' few per cent), unless its ink reaches where the head
// does not; any other fitted. On a roll (where fitting would blow a small
// logo up to the paper's width), auto fits only one too wide. auto-fit:
// only one too large is fitted.
Scaling Resolve(const PlacementRequest& r, Inches doc, const PlacementMedium& m) {
    if (r.fitContent) {
        const double fit = FitScale(doc, m);
        const bool fills = fit >= 1 && fit * kFillsLabel <= 1;
        return SameSize(doc, m) || fills ? Scaling::None : Scaling::Fit;
    }
    const bool asItIs = SameSize(doc, m) && !r.edgesInked;
    switch (r.scaling) {
        case Scaling::Auto:
            if (asItIs) return Scaling::None;
            if (m.roll) return FitsPrintable(doc, m) ? Scaling::None : Scaling::Fit;
            return Scaling::Fit;
        case Scaling::Fit:
            return asItIs ? Scaling::None : Scaling::Fit;
        case Scaling::AutoFit:
            if (r.edgesInked) return Scaling::Fit;
            return asItIs || FitsPrintable(doc, m) ? Scaling::None : Scaling::Fit;
        default:
            return r.scaling;
    }
}

int Dots(double inches, double dpi) {
    return std::max(1, static_cast<int>(std::lround(inches * dpi)));
}

int Centre(int room, int size) {
    return static_cast<int>(std::floor((room - size) / 2.0));
}
}  // namespace

Placement PlacePage(const PlacementRequest& r, const PlacementMedium& medium) {
    const PlacementMedium m = r.edgesInked ? WithinHead(medium) : medium;
    Placement p;
    p.turns = ChooseTurns(r, m);
    const Inches doc = Turned(r, p.turns);
    const Scaling s = Resolve(r, doc, m);
    p.fitsIfInked = s == Scaling::None && r.scaling != Scaling::None && !r.fitContent && !m.roll;
    p.scale = s == Scaling::Fit ? FitScale(doc, m) : s == Scaling::Fill ? FillScale(doc, m) : 1.0;
    p.document.width = Dots(doc.width * p.scale, m.xdpi);
    p.document.height = Dots(doc.height * p.scale, m.ydpi);
    p.pageWidth = m.width;
    // Fitted documents are centred on the printable area; the others, made
    // for the medium, on the label or the paper's width, margins and all.
    const bool inMargins = s == Scaling::Fit;
    p.document.x = inMargins ? m.left + Centre(m.width - m.left - m.right, p.document.width)
                             : Centre(m.width, p.document.width);
    if (m.roll) {
        // As long as the content (and the margins around a fitted one), no
        // longer than the roll allows.
        const int margins = inMargins ? m.top + m.bottom : 0;
        p.pageLength = std::min(p.document.height + margins, m.length);
        p.document.y = inMargins ? m.top : 0;
    } else {
        p.pageLength = m.length;
        p.document.y = inMargins ? m.top + Centre(m.length - m.top - m.bottom, p.document.height)
                                 : Centre(m.length, p.document.height);
    }
    return p;
}

bool MadeForMedium(int width, int height, const PlacementMedium& m) {
    const Inches upright{width / m.xdpi, height / m.ydpi};
    const Inches turned{height / m.xdpi, width / m.ydpi};
    return SameSize(upright, m) || (!m.roll && SameSize(turned, m));
}

PixelRect HeadArea(const PlacementMedium& m) {
    return {m.cutLeft, m.cutTop, m.width - m.cutLeft - m.cutRight,
            m.length - m.cutTop - m.cutBottom};
}
