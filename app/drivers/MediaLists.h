#pragma once

// Media lists that the drivers of several languages share.

// Label stock of label printers in common inch and millimetre sizes; the
// first is the default.
inline constexpr const char* kLabels4in[] = {
    "oe_4x6-label_4x6in",
    "oe_4x4-label_4x4in",
    "oe_4x3-label_4x3in",
    "oe_4x2-label_4x2in",
    "oe_4x1-label_4x1in",
    "oe_3x2-label_3x2in",
    "oe_3x1-label_3x1in",
    "oe_w225h125-label_2.25x1.25in",
    "oe_w225h075-label_2.25x0.75in",
    "oe_2x1-label_2x1in",
    "oe_w150h100-label_1.5x1in",
    "om_100x150mm_100x150mm",
    "om_100x100mm_100x100mm",
    "om_60x40mm_60x40mm",
    "om_58x40mm_58x40mm",
    "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
    "om_30x20mm_30x20mm",
};
inline constexpr const char* kLabels3in[] = {
    "oe_3x2-label_3x2in",
    "oe_3x1-label_3x1in",
    "oe_w225h125-label_2.25x1.25in",
    "oe_w225h075-label_2.25x0.75in",
    "oe_2x1-label_2x1in",
    "oe_w150h100-label_1.5x1in",
    "om_60x40mm_60x40mm",
    "om_58x40mm_58x40mm",
    "om_50x30mm_50x30mm",
    "om_40x30mm_40x30mm",
    "om_30x20mm_30x20mm",
};
inline constexpr const char* kLabels2in[] = {
    "oe_2x1-label_2x1in", "oe_2x2-label_2x2in", "oe_2x3-label_2x3in", "oe_w150h100-label_1.5x1in",
    "om_50x30mm_50x30mm", "om_40x30mm_40x30mm", "om_30x20mm_30x20mm",
};
inline constexpr const char* kRoll58[] = {
    "om_58x100mm_58x100mm", "om_58x50mm_58x50mm",   "om_58x150mm_58x150mm",
    "om_58x200mm_58x200mm", "om_58x297mm_58x297mm",
};
inline constexpr const char* kRoll80[] = {
    "om_80x100mm_80x100mm", "om_80x50mm_80x50mm",   "om_80x150mm_80x150mm",
    "om_80x200mm_80x200mm", "om_80x297mm_80x297mm",
};
