#include "app/pages/TestPageImage.h"

#include <algorithm>
#include <string_view>

#include "app/pages/BitmapFont.h"

namespace {
constexpr int kRampSteps = 10;

struct Metrics {
    int dpi;
    int line;   // thickness of ticks and frames
    int scale;  // text scale: 5x7 glyphs about 2 mm tall

    int Dots(double mm) const { return static_cast<int>(mm * dpi / 25.4 + 0.5); }
};

Metrics MetricsOf(int dpi) {
    return {dpi, std::max(1, dpi / 150), std::max(1, dpi / 100)};
}

int TickLength(const Metrics& m, int mm) {
    if (mm % 10 == 0) return m.Dots(3);
    return mm % 5 == 0 ? m.Dots(2) : m.Dots(1);
}

// Ticks along the top and bottom edges (horizontal) or the left and right
// edges, at every millimetre from the paper's edge that falls on the page.
void DrawRuler(GrayCanvas& c, const TestPageArea& a, const Metrics& m, bool horizontal) {
    const int offset = horizontal ? a.left : a.top;
    const int extent = horizontal ? c.width : c.height;
    for (int mm = 0;; mm++) {
        const int at = m.Dots(mm) - offset;
        if (at >= extent) break;
        if (at < 0) continue;
        const int length = TickLength(m, mm);
        if (horizontal) {
            c.Fill(at, 0, m.line, length, 0);
            c.Fill(at, c.height - length, m.line, length, 0);
        } else {
            c.Fill(0, at, length, m.line, 0);
            c.Fill(c.width - length, at, length, m.line, 0);
        }
        if (mm % 10 || mm == 0) continue;
        // Numbers that would not fit whole are left out.
        const std::string label = std::to_string(mm);
        const int room = horizontal ? bitmap_font::TextWidth(label, m.scale) : 8 * m.scale;
        if (at + 2 * m.line + room > extent) continue;
        if (horizontal)
            bitmap_font::DrawText(c, at + 2 * m.line, length - m.scale * 7, label, m.scale, 0);
        else
            bitmap_font::DrawText(c, length + m.line, at + m.line, label, m.scale, 0);
    }
}

// Ten framed steps from white to black across the page; returns the y below.
int DrawRamp(GrayCanvas& c, const Metrics& m, int x, int y, int width) {
    const int step = width / kRampSteps;
    const int height = m.Dots(6);
    for (int i = 0; i < kRampSteps; i++) {
        const auto gray = static_cast<uint8_t>(255 - i * 255 / (kRampSteps - 1));
        c.Fill(x + i * step, y, step, height, gray);
    }
    c.Frame(x, y, step * kRampSteps, height, m.line, 0);
    return y + height;
}

// Splits a line at spaces (or anywhere, for a long word) to at most
// `columns` characters per piece.
std::vector<std::string> Wrap(std::string_view text, size_t columns) {
    std::vector<std::string> pieces;
    while (text.size() > columns && columns > 0) {
        size_t cut = text.rfind(' ', columns);
        if (cut == std::string_view::npos || cut == 0) cut = columns;
        pieces.emplace_back(text.substr(0, cut));
        text.remove_prefix(std::min(text.size(), cut + (text[cut] == ' ' ? 1 : 0)));
    }
    pieces.emplace_back(text);
    return pieces;
}

// The lines wrapped to the width at the largest scale, down to 1, at which
// they fit in the height.
std::vector<std::string> FitText(const std::vector<std::string>& lines, int width, int height,
                                 int& scale) {
    for (;; scale--) {
        const size_t columns = static_cast<size_t>(std::max(width, 0)) /
                               static_cast<size_t>(bitmap_font::kCellWidth * scale);
        std::vector<std::string> pieces;
        for (const std::string& line : lines)
            for (std::string& piece : Wrap(line, columns)) pieces.push_back(std::move(piece));
        const int rows = static_cast<int>(pieces.size());
        if (scale == 1 || rows * bitmap_font::kCellHeight * scale <= height) return pieces;
    }
}
}  // namespace

GrayCanvas DrawTestPage(const TestPageArea& area, const std::vector<std::string>& lines) {
    GrayCanvas canvas(area.width, area.height);
    const Metrics m = MetricsOf(area.dpi);
    DrawRuler(canvas, area, m, true);
    DrawRuler(canvas, area, m, false);
    // Clear of the left ruler's numbers, and of the other rulers' ticks.
    const int margin = m.Dots(4) + bitmap_font::TextWidth("100", m.scale);
    const int inner = canvas.width - margin - m.Dots(5);
    const int top = DrawRamp(canvas, m, margin, m.Dots(5), inner) + m.Dots(2);
    int scale = m.scale;
    const std::vector<std::string> text =
        FitText(lines, inner, canvas.height - m.Dots(4) - top, scale);
    int y = top;
    for (const std::string& piece : text) {
        if (y + 7 * scale > canvas.height - m.Dots(4)) break;  // above the bottom ruler
        bitmap_font::DrawText(canvas, margin, y, piece, scale, 0);
        y += bitmap_font::kCellHeight * scale;
    }
    return canvas;
}
