#pragma once

#include <string>
#include <vector>

#include "app/pages/GrayCanvas.h"

// Where the test page lies on the paper, in dots: the part of the page
// that is printed (inside the margins) and its distance from the paper's
// left and top edges, so that the ruler counts from the paper's edges.
struct TestPageArea {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int dpi = 203;
};

// The test page: a millimetre ruler along the four edges (a tick every
// millimetre, longer ones every 5 and 10, numbered every 10 from the
// paper's edge), a ramp of ten grays from white to black in frames, and the
// lines of text below it, wrapped to the width. What does not fit is cut off.
GrayCanvas DrawTestPage(const TestPageArea& area, const std::vector<std::string>& lines);
