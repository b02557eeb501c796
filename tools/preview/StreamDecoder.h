#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/preview/PreviewLanguage.h"

// Decodes a printer stream of one of the printer languages back into page
// bitmaps, together with the settings the stream carries. Works on a memory
// buffer only, so that tests and fuzz targets can call it directly.

// One setting as the stream carries it, e.g. {"density", "8"}.
struct tagSetting {
    std::string key;
    std::string value;
};

// One decoded page. Bits are packed MSB-first, rowBytes = (width + 7) / 8,
// a set bit is a burnt dot (black).
struct tagDecodedPage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bits;
    std::vector<tagSetting> settings;
    bool complete = true;  // false for a page cut short by an input fault

    uint32_t RowBytes() const { return (width + 7) / 8; }
    bool IsBlack(uint32_t x, uint32_t y) const;
    bool HasBitmap() const { return width > 0 && height > 0; }
};

struct tagDecodeOptions {
    PreviewLanguage language = PreviewLanguage::Unknown;  // Unknown: detect
    uint32_t paperangSeed = 0x35769521;
    bool strict = false;                    // a Paperang checksum mismatch is an error
    size_t maxPageBytes = size_t{1} << 28;  // largest page bitmap accepted
};

struct tagDecodeError {
    bool failed = false;
    size_t offset = 0;  // byte offset in the input where the fault lies
    std::string message;
};

struct tagDecodeResult {
    PreviewLanguage language = PreviewLanguage::Unknown;
    std::vector<tagDecodedPage> pages;
    std::vector<tagSetting> settings;  // stream-wide settings and totals
    tagDecodeError error;
};

tagDecodeResult DecodeStream(const uint8_t* data, size_t size, const tagDecodeOptions& options);

// Guesses the language from the first bytes; Unknown when nothing fits.
PreviewLanguage DetectLanguage(const uint8_t* data, size_t size);
// The language's title in the table ("ESC/POS"), or "unknown".
const char* LanguageName(PreviewLanguage language);
// A language of the table that has a decoder, by its name or title in any
// case ("escpos", "ESC/POS"); Unknown for anything else.
PreviewLanguage ParseLanguage(const std::string& name);
// The names of the languages that have a decoder, as "tspl|escpos|...".
std::string DecodableLanguageNames();
