#include "app/drivers/MediaLabels.h"

namespace {
// Sizes as fed, width across the head first. Brother's and DYMO's from the
// makers' tables in the printer notes, except: 11355, 99017 and 30334 are
// from the boxes (*check*), and 1744907 is sold as 4 x 6 in, which the
// notes give as 102 x 159 mm (*check*). Brother's continuous tapes have no
// length: they are offered as pages of a common length.
constexpr MediaLabel kMediaLabels[] = {
    {"om_99010-address_28x89mm", "99010 / 30252 Address 28 × 89 mm"},
    {"om_99012-large-address_36x89mm", "99012 Large address 36 × 89 mm"},
    {"om_99014-shipping_54x101mm", "99014 Shipping 54 × 101 mm"},
    {"om_30256-shipping_59x102mm", "30256 Shipping 59 × 102 mm"},
    {"om_11354-multi-purpose_32x57mm", "11354 Multi-purpose 32 × 57 mm"},
    {"om_30334-multi-purpose_32x57mm", "30334 Multi-purpose 32 × 57 mm"},
    {"om_11355-multi-purpose_19x51mm", "11355 Multi-purpose 19 × 51 mm"},
    {"om_99017-suspension-file_12x50mm", "99017 Suspension file 12 × 50 mm"},
    {"oe_1744907-shipping_4x6in", "1744907 Shipping 4 × 6 in"},
    {"om_dk-11201-address_29x90mm", "DK-11201 Address 29 × 90 mm"},
    {"om_dk-11202-shipping_62x100mm", "DK-11202 Shipping 62 × 100 mm"},
    {"om_dk-11203-file-folder_17x87mm", "DK-11203 File folder 17 × 87 mm"},
    {"om_dk-11204-multi-purpose_17x54mm", "DK-11204 Multi-purpose 17 × 54 mm"},
    {"om_dk-11208-large-address_38x90mm", "DK-11208 Large address 38 × 90 mm"},
    {"om_dk-11209-small-address_62x29mm", "DK-11209 Small address 62 × 29 mm"},
    {"om_dk-11221-square_23x23mm", "DK-11221 Square 23 × 23 mm"},
    {"om_dk-22205-continuous_62x150mm", "DK-22205 Continuous 62 mm, 150 mm pages"},
    {"om_dk-22212-film_62x150mm", "DK-22212 Film 62 mm, 150 mm pages"},
    {"om_dk-22210-continuous_29x100mm", "DK-22210 Continuous 29 mm, 100 mm pages"},
    {"om_dk-22211-film_29x100mm", "DK-22211 Film 29 mm, 100 mm pages"},
    {"om_dk-22214-continuous_12x50mm", "DK-22214 Continuous 12 mm, 50 mm pages"},
    {"om_58x100mm_58x100mm", "58 mm receipt roll, 100 mm pages"},
    {"om_58x50mm_58x50mm", "58 mm receipt roll, 50 mm pages"},
    {"om_58x150mm_58x150mm", "58 mm receipt roll, 150 mm pages"},
    {"om_58x200mm_58x200mm", "58 mm receipt roll, 200 mm pages"},
    {"om_58x297mm_58x297mm", "58 mm receipt roll, 297 mm pages"},
    {"om_80x100mm_80x100mm", "80 mm receipt roll, 100 mm pages"},
    {"om_80x50mm_80x50mm", "80 mm receipt roll, 50 mm pages"},
    {"om_80x150mm_80x150mm", "80 mm receipt roll, 150 mm pages"},
    {"om_80x200mm_80x200mm", "80 mm receipt roll, 200 mm pages"},
    {"om_80x297mm_80x297mm", "80 mm receipt roll, 297 mm pages"},
};
}  // namespace

std::span<const MediaLabel> MediaLabels() {
    return kMediaLabels;
}
