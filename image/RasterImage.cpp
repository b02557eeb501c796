#include "image/RasterImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kMaxImageBytes = 268435456.0f;  // 256 MiB of pixel rows

uint32_t NormaliseBpp(uint32_t bpp) {
    if (bpp <= 1) return 1;
    if (bpp <= 4) return 4;
    if (bpp <= 8) return 8;
    return 24;
}

constexpr size_t kHugePage = size_t{2} << 20;

// A zeroed block of 4 MiB and more is mapped straight from the kernel,
// aligned to and advised for its huge pages: a page image then faults in
// 2 MiB at a time instead of 4 KiB (a handful of faults instead of thousands
// for an A4 page), and pages never written cost nothing. mapped is its
// length, 0 for a block from the heap.
uint8_t* AllocateBlock(size_t size, bool zero, size_t& mapped) {
    mapped = 0;
#ifdef MADV_HUGEPAGE
    if (zero && size >= 2 * kHugePage) {
        const size_t whole = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* area = mmap(nullptr, whole + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area == MAP_FAILED) return nullptr;
        // The aligned part is kept, the rest of the area given back.
        auto* first = static_cast<uint8_t*>(area);
        const auto at = reinterpret_cast<uintptr_t>(area);
        uint8_t* start = first + (kHugePage - at % kHugePage) % kHugePage;
        if (start > first) munmap(first, static_cast<size_t>(start - first));
        const size_t tail = static_cast<size_t>(first + whole + kHugePage - (start + whole));
        if (tail > 0) munmap(start + whole, tail);
        madvise(start, whole, MADV_HUGEPAGE);
        mapped = whole;
        return start;
    }
#endif
    return static_cast<uint8_t*>(zero ? std::calloc(size, 1) : std::malloc(size));
}

void FreeBlock(uint8_t* block, size_t mapped) {
    if (mapped)
        munmap(block, mapped);
    else
        std::free(block);
}

int32_t DpiToPelsPerMeter(int32_t dpi) {
    double pels = std::floor(dpi * 10000.0 / 254.0 + 0.5);
    return pels > 2147483647.0 ? INT32_MAX : static_cast<int32_t>(pels);
}
}  // namespace

CRasterImage::CRasterImage(uint32_t type) {
    m_info.type = type;
    SetXDPI(96);
    SetYDPI(96);
}

CRasterImage::CRasterImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type)
    : CRasterImage(type) {
    Create(width, height, bpp, type);
}

CRasterImage::CRasterImage(const CRasterImage& src, bool copyPixels, bool copySelection,
                           bool copyAlpha)
    : CRasterImage(src.GetType()) {
    Copy(src, copyPixels, copySelection, copyAlpha);
}

CRasterImage::~CRasterImage() {
    DestroyFrames();
    Destroy();
}

CRasterImage& CRasterImage::operator=(const CRasterImage& src) {
    if (&src != this) Copy(src, true, true, true);
    return *this;
}

void CRasterImage::ReleaseLayers() {
    for (CRasterImage* layer : m_layers) delete layer;
    m_layers.clear();
}

bool CRasterImage::Destroy() {
    ReleaseLayers();
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
    FreeBlock(m_pDib, m_mappedBytes);
    m_pDib = nullptr;
    m_mappedBytes = 0;
    m_pRows = nullptr;
    return true;
}

bool CRasterImage::DestroyFrames() {
    for (CRasterImage* frame : m_frames) delete frame;
    m_frames.clear();
    return true;
}

void CRasterImage::SetLastError(const char* text) {
    std::snprintf(m_info.lastError, sizeof m_info.lastError, "%s", text ? text : "");
}

bool CRasterImage::FitsMemoryCap(uint32_t width, uint32_t height, uint32_t bpp) {
    // The header holds signed sizes: anything beyond them cannot be an image.
    if (width > INT32_MAX || height > INT32_MAX) return false;
    bpp = NormaliseBpp(bpp);
    return static_cast<float>(width) * static_cast<float>(height) * static_cast<float>(bpp) / 8.0 <=
           kMaxImageBytes;
}

void* CRasterImage::Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type,
                           bool zeroRows) {
    Destroy();
    if (width == 0 || height == 0) {
        SetLastError("CRasterImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    bpp = NormaliseBpp(bpp);
    if (!FitsMemoryCap(width, height, bpp)) {
        SetLastError("RASTERIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }
    switch (bpp) {
        case 1:
            m_head.biClrUsed = 2;
            break;
        case 4:
            m_head.biClrUsed = 16;
            break;
        case 8:
            m_head.biClrUsed = 256;
            break;
        default:
            m_head.biClrUsed = 0;
            break;
    }
    m_info.effWidth = ((bpp * width + 31) / 32) * 4;
    m_info.type = type;
    m_head.biSize = sizeof(tagBITMAPINFOHEADER);
    m_head.biWidth = static_cast<int32_t>(width);
    m_head.biHeight = static_cast<int32_t>(height);
    m_head.biPlanes = 1;
    m_head.biBitCount = static_cast<uint16_t>(bpp);
    m_head.biCompression = 0;
    m_head.biSizeImage = m_info.effWidth * height;
    m_head.biClrImportant = 0;

    // Zeroed, so that no row padding ever carries stale memory to a printer.
    const auto size = static_cast<size_t>(GetSize());
    m_pDib = AllocateBlock(size, zeroRows, m_mappedBytes);
    if (m_pDib && !zeroRows) std::memset(m_pDib, 0, size - m_head.biSizeImage);
    if (!m_pDib) {
        SetLastError("CRasterImage::Create can't allocate memory");
        return nullptr;
    }
    m_info.cacheValid = false;
    std::memcpy(m_pDib, &m_head, sizeof m_head);
    m_pRows = GetBits(0);
    return m_pDib;
}

bool CRasterImage::CreateFromArray(const unsigned char* bits, uint32_t width, uint32_t height,
                                   uint32_t bitsPerPixel, uint32_t bytesPerLine, bool flip) {
    if (!bits) return false;
    if (!CreateForRows(width, height, bitsPerPixel)) return false;
    for (uint32_t i = 0; i < height; i++)
        SetRowFromArray(flip ? height - 1 - i : i, bits + static_cast<size_t>(i) * bytesPerLine,
                        bytesPerLine, bitsPerPixel);
    return true;
}

bool CRasterImage::CreateForRows(uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                                 bool zeroRows) {
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 &&
        bitsPerPixel != 32)
        return false;
    if (!Create(width, height, bitsPerPixel, 0, zeroRows)) return false;
    if (bitsPerPixel < 24) SetGrayPalette();
    // A 32-bit source is the only one with an alpha plane.
    if (bitsPerPixel == 32) AlphaCreate();
    return true;
}

void CRasterImage::SetRowFromArray(uint32_t row, const unsigned char* src, uint32_t bytesPerLine,
                                   uint32_t bitsPerPixel) {
    if (!m_pRows || row >= GetHeight()) return;
    const uint32_t eff = GetEffWidth();
    uint8_t* dst = m_pRows + static_cast<size_t>(row) * eff;
    if (bitsPerPixel != 32) {
        std::memcpy(dst, src, std::min(eff, bytesPerLine));
        return;
    }
    // Never read past the source line, whatever the header claimed.
    const uint32_t width = GetWidth();
    const uint32_t pixels = std::min(width, bytesPerLine / 4);
    uint8_t* alpha = m_pAlpha ? m_pAlpha + static_cast<size_t>(row) * width : nullptr;
    for (uint32_t x = 0; x < pixels; x++) {
        dst[3 * x] = src[4 * x];
        dst[3 * x + 1] = src[4 * x + 1];
        dst[3 * x + 2] = src[4 * x + 2];
        if (alpha) alpha[x] = src[4 * x + 3];
    }
}

void CRasterImage::Copy(const CRasterImage& src, bool copyPixels, bool /*copySelection*/,
                        bool copyAlpha) {
    m_info = src.m_info;
    m_head = src.m_head;
    Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType());
    if (copyPixels && m_pDib && src.m_pDib && GetSize() == src.GetSize())
        std::memcpy(m_pDib, src.m_pDib, static_cast<size_t>(GetSize()));
    else
        SetPalette(src.GetPalette(), 256);
    if (copyAlpha && src.m_pAlpha) {
        AlphaDelete();
        size_t n = static_cast<size_t>(src.GetWidth()) * src.GetHeight();
        m_pAlpha = static_cast<uint8_t*>(std::malloc(n));
        if (m_pAlpha) std::memcpy(m_pAlpha, src.m_pAlpha, n);
    }
}

void CRasterImage::CopyInfo(const CRasterImage& src) {
    if (!m_pDib) m_info = src.m_info;
}

bool CRasterImage::Transfer(CRasterImage& from, bool transferFrames) {
    if (&from == this) return true;
    Destroy();
    m_head = from.m_head;
    m_info = from.m_info;
    m_pDib = from.m_pDib;
    m_mappedBytes = from.m_mappedBytes;
    m_pRows = from.m_pRows;
    m_pAlpha = from.m_pAlpha;
    m_layers.swap(from.m_layers);

    from.m_head = {};
    from.m_info = Info{};
    from.m_info.transIndex = 0;
    from.m_pDib = nullptr;
    from.m_mappedBytes = 0;
    from.m_pRows = nullptr;
    from.m_pAlpha = nullptr;
    from.m_layers.clear();
    if (transferFrames) {
        DestroyFrames();
        m_frames.swap(from.m_frames);
    }
    return true;
}

uint8_t* CRasterImage::GetBits(uint32_t row) const {
    if (!m_pDib) return nullptr;
    const auto* head = reinterpret_cast<const tagBITMAPINFOHEADER*>(m_pDib);
    uint8_t* start = m_pDib + head->biSize + GetPaletteSize();
    if (row == 0) return start;
    if (row >= GetHeight()) return nullptr;
    return start + static_cast<size_t>(row) * GetEffWidth();
}

int32_t CRasterImage::GetSize() const {
    return static_cast<int32_t>(m_head.biSize + GetPaletteSize() + m_head.biSizeImage);
}

tagRGBQUAD* CRasterImage::GetPalette() const {
    if (!m_pDib || m_head.biClrUsed == 0) return nullptr;
    return reinterpret_cast<tagRGBQUAD*>(m_pDib + sizeof(tagBITMAPINFOHEADER));
}

bool CRasterImage::IsInside(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < m_head.biWidth && y < m_head.biHeight;
}

void CRasterImage::SetXDPI(int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    m_info.xDpi = dpi;
    m_head.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (m_pDib)
        reinterpret_cast<tagBITMAPINFOHEADER*>(m_pDib)->biXPelsPerMeter = m_head.biXPelsPerMeter;
}

void CRasterImage::SetYDPI(int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    m_info.yDpi = dpi;
    m_head.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
    if (m_pDib)
        reinterpret_cast<tagBITMAPINFOHEADER*>(m_pDib)->biYPelsPerMeter = m_head.biYPelsPerMeter;
}
