#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/ImageTypes.h"

// In-memory device-independent bitmap at 1, 4, 8 or 24 bits per pixel.
// One owned block holds a copy of the header, the palette and the rows
// (row 0 first, each GetEffWidth() bytes); an optional alpha plane sits
// beside it. Operations that change size or depth build a temporary image
// and move it in with Transfer, so every block has exactly one owner.
class CRasterImage {
public:
    explicit CRasterImage(uint32_t type = 0);
    CRasterImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type);
    CRasterImage(const CRasterImage& src, bool copyPixels, bool copySelection, bool copyAlpha);
    virtual ~CRasterImage();

    CRasterImage(const CRasterImage&) = delete;
    CRasterImage& operator=(const CRasterImage& src);

    // Lifetime and building.
    bool Destroy();
    bool DestroyFrames();
    bool IsValid() const { return m_pDib != nullptr; }
    // Whether Create would accept this size (the 256 MiB cap on the rows).
    static bool FitsMemoryCap(uint32_t width, uint32_t height, uint32_t bpp);
    // The rows start zeroed; with zeroRows false they are left as allocated,
    // for a caller that writes every byte of every row itself.
    void* Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type,
                 bool zeroRows = true);
    bool CreateFromArray(const unsigned char* bits, uint32_t width, uint32_t height,
                         uint32_t bitsPerPixel, uint32_t bytesPerLine, bool flip);
    // CreateFromArray in two steps, for a caller that fills the rows itself:
    // the empty image with the palette or alpha plane of that source depth,
    // then one source line (bitsPerPixel as given to CreateForRows) per row.
    bool CreateForRows(uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                       bool zeroRows = true);
    void SetRowFromArray(uint32_t row, const unsigned char* src, uint32_t bytesPerLine,
                         uint32_t bitsPerPixel);
    void Copy(const CRasterImage& src, bool copyPixels, bool copySelection, bool copyAlpha);
    void CopyInfo(const CRasterImage& src);
    bool Transfer(CRasterImage& from, bool transferFrames = true);

    // Geometry and rows.
    uint32_t GetWidth() const { return static_cast<uint32_t>(m_head.biWidth); }
    uint32_t GetHeight() const { return static_cast<uint32_t>(m_head.biHeight); }
    uint16_t GetBpp() const { return m_head.biBitCount; }
    uint32_t GetEffWidth() const { return m_info.effWidth; }
    uint32_t GetType() const { return m_info.type; }
    uint8_t* GetBits(uint32_t row = 0) const;
    int32_t GetSize() const;
    tagRGBQUAD* GetPalette() const;
    uint32_t GetPaletteSize() const { return m_head.biClrUsed * 4; }
    uint32_t GetNumColors() const { return m_head.biClrUsed; }
    const char* GetLastError() const { return m_info.lastError; }
    void SetLastError(const char* text);
    bool IsInside(int32_t x, int32_t y) const;
    const tagBITMAPINFOHEADER& GetHeader() const { return m_head; }

    // Resolution.
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);
    int32_t GetXDPI() const { return m_info.xDpi; }
    int32_t GetYDPI() const { return m_info.yDpi; }

    // Pixel access; the Blind forms do no checks at all.
    uint8_t GetPixelIndex(int32_t x, int32_t y) const;
    uint8_t BlindGetPixelIndex(int32_t x, int32_t y) const;
    void SetPixelIndex(int32_t x, int32_t y, uint8_t i);
    void BlindSetPixelIndex(int32_t x, int32_t y, uint8_t i);
    tagRGBQUAD GetPixelColor(int32_t x, int32_t y, bool getAlpha = true) const;
    tagRGBQUAD BlindGetPixelColor(int32_t x, int32_t y, bool getAlpha = true) const;
    void SetPixelColor(int32_t x, int32_t y, tagRGBQUAD c, bool setAlpha = false);
    void SetPixelColor(int32_t x, int32_t y, uint32_t rgb);
    void BlindSetPixelColor(int32_t x, int32_t y, tagRGBQUAD c, bool setAlpha = false);

    // Palette.
    tagRGBQUAD GetPaletteColor(uint8_t i) const;
    void SetPaletteColor(uint8_t i, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha = 0);
    void SetPaletteColor(uint8_t i, tagRGBQUAD c);
    void SetPalette(const tagRGBQUAD* p, uint32_t n = 256);
    void SetGrayPalette();
    bool IsGrayScale() const;
    uint8_t GetNearestIndex(tagRGBQUAD c);
    void InvalidateNearestCache() { m_info.cacheValid = false; }

    // Alpha plane.
    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaIsValid() const { return m_pAlpha != nullptr; }
    void AlphaClear();
    void AlphaSet(int32_t x, int32_t y, uint8_t a);
    uint8_t AlphaGet(int32_t x, int32_t y) const;
    uint8_t BlindAlphaGet(int32_t x, int32_t y) const;
    bool AlphaCopy(const CRasterImage& src);
    bool AlphaSet(const CRasterImage& src);
    bool AlphaSplit(CRasterImage* dst);
    bool AlphaMirror();
    uint8_t* AlphaGetPointer() const { return m_pAlpha; }

    // Tone.
    bool GrayScale();
    bool Light(int32_t brightness, int32_t contrast);
    bool Lut(const uint8_t* table);
    bool Threshold(uint8_t level);

    // Dithering to 1 bit.
    bool Dither(int32_t method);

    // Geometry.
    bool Mirror(bool mirrorSelection = false, bool mirrorAlpha = true);
    bool Rotate180(CRasterImage* destination = nullptr);
    bool Rotate(float angle, CRasterImage* destination = nullptr);
    bool Resample(int32_t newWidth, int32_t newHeight, int32_t mode = 1,
                  CRasterImage* destination = nullptr);
    bool Crop(int32_t left, int32_t top, int32_t right, int32_t bottom,
              CRasterImage* destination = nullptr);
    bool Crop(const tagRECT& rect, CRasterImage* destination = nullptr);

private:
    // Every field outside the header and the owned blocks; copied as a whole
    // by Copy and CopyInfo, moved by Transfer.
    struct Info {
        uint32_t effWidth = 0;
        uint32_t type = 0;
        char lastError[256] = {};
        int32_t transIndex = -1;
        tagRGBQUAD background = {0, 0, 0, 0};
        int32_t xDpi = 0;
        int32_t yDpi = 0;
        tagRGBQUAD cacheColor = {0, 0, 0, 0};
        uint8_t cacheIndex = 0;
        bool cacheValid = false;
    };

    void PrepareLike(const CRasterImage& src, uint32_t width, uint32_t height);
    bool QuarterTurn(bool clockwise, CRasterImage* destination);
    void ReleaseLayers();

    uint8_t* m_pDib = nullptr;
    size_t m_mappedBytes = 0;  // length of m_pDib's mapping; 0 when it is from the heap
    tagBITMAPINFOHEADER m_head = {};
    Info m_info;
    uint8_t* m_pRows = nullptr;
    uint8_t* m_pAlpha = nullptr;
    std::vector<CRasterImage*> m_frames;
    std::vector<CRasterImage*> m_layers;
};
