#pragma once

#include <cstdint>
#include <vector>

#include "app/documents/GrayImage.h"

// The dark pixels of a gray page as runs along its rows, grouped into
// connected shapes (8-connected): a frame, a letter, a bar, a dash.
class InkComponents {
public:
    // A row's stretch of dark pixels [x, end), and the shape it belongs to.
    struct Run {
        int y, x, end;
        int shape;
    };
    struct Shape {
        PixelRect box;
        int64_t pixels = 0;
    };

    explicit InkComponents(const GrayImage& page);

    const std::vector<Run>& Runs() const { return m_runs; }
    const std::vector<Shape>& Shapes() const { return m_shapes; }
    // Whether the pixel is dark (the threshold the runs were made with).
    static bool Dark(uint8_t gray) { return gray < kDark; }

private:
    static constexpr uint8_t kDark = 160;
    std::vector<Run> m_runs;
    std::vector<Shape> m_shapes;
};
