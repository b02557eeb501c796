#pragma once

#include <cstdint>
#include <vector>

#include "image/RasterImage.h"

// The parts of a gray page that hold continuous tones, in square tiles: a
// tile is photo when enough of its dots are flat grays (gray with no black
// or white close by, so not an anti-aliased edge); when it is mostly
// surrounded by photo tiles (the sharp details inside a picture); or when
// it has some flat grays and touches a photo tile (a picture's border that
// only grazes the tile).
class ContentMap {
public:
    static constexpr uint32_t kTile = 16;

    explicit ContentMap(const CRasterImage& gray);
    bool AnyPhoto() const { return m_photoTiles > 0; }
    bool IsPhoto(uint32_t x, uint32_t y) const {
        return m_photo[(y / kTile) * m_columns + x / kTile] != 0;
    }

private:
    void CountFlatGrays(const CRasterImage& gray);
    void GrowPhotoTiles();

    uint32_t m_columns = 0, m_rows = 0;
    std::vector<uint32_t> m_flat;  // flat-gray dots per tile, row by row
    std::vector<uint8_t> m_photo;  // per tile: 1 photo, 0 line art
    uint32_t m_photoTiles = 0;
};
