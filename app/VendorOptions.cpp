#include "app/VendorOptions.h"

#include <algorithm>
#include <charconv>

#include "app/DriverCatalog.h"

namespace {
constexpr VendorKeyword kDithers[] = {
    {"threshold", "0"}, {"floyd-steinberg", "1"}, {"bayer-4x4", "2"},
    {"burkes", "3"},    {"stucki", "4"},          {"jarvis-judice-ninke", "5"},
    {"sierra", "6"},    {"stevenson-arce", "7"},  {"ordered-4x4", "8"},
    {"bayer-8x8", "9"}, {"ordered-16x16", "10"},
};
constexpr VendorKeyword kOnOff[] = {{"off", "0"}, {"on", "1"}};
constexpr VendorKeyword kPrintMethod[] = {{"direct-thermal", "Direct"},
                                          {"thermal-transfer", "Transfer"}};

// Crop limits in millimetres; -1 trims all white.
constexpr VendorOption kOptions[] = {
    {"thermal-dither", "ImageFilter", kDithers, 0, 0, false},
    {"thermal-threshold", "Threshold", {}, 64, 240, false},
    {"thermal-brightness", "Brightness", {}, -100, 100, false},
    {"thermal-contrast", "Contrast", {}, -80, 100, false},
    {"thermal-crop-top", "CropEdgeTop", {}, -1, 100, false},
    {"thermal-crop-bottom", "CropEdgeBottom", {}, -1, 100, false},
    {"thermal-crop-left", "CropEdgeLeft", {}, -1, 100, false},
    {"thermal-crop-right", "CropEdgeRight", {}, -1, 100, false},
    {"thermal-compression", "ImageCompress", kOnOff, 0, 0, false},
    {"thermal-dotted-line", "AutoDotted", kOnOff, 0, 0, false},
    {"thermal-print-method", "MediaMethod", kPrintMethod, 0, 0, false},
    {"thermal-feed", "FeedOffset", {}, 0, 30, true},
    {"thermal-band-height", "BandHeight", {}, 0, 255, false},
    {"thermal-blank-feed", "BlankFeed", kOnOff, 0, 0, false},
    {"thermal-white-run-limit", "WhiteRunLimit", {}, 0, 20, false},
};
}  // namespace

std::span<const VendorOption> VendorOptions() {
    return kOptions;
}

bool AppliesTo(const VendorOption& option, const PrinterFamily& family) {
    if (option.rollsOnly && family.label) return false;
    return FamilyDefault(family, option.ppdKeyword) != nullptr;
}

std::string ChoiceForValue(const VendorOption& option, std::string_view value) {
    if (option.keywords.empty()) {
        int n = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (error != std::errc() || end != value.data() + value.size()) return std::string();
        return std::to_string(std::clamp(n, option.min, option.max));
    }
    for (const VendorKeyword& k : option.keywords)
        if (value == k.keyword) return k.choice;
    return std::string();
}

std::string ValueForChoice(const VendorOption& option, std::string_view choice) {
    if (option.keywords.empty()) return std::string(choice);
    for (const VendorKeyword& k : option.keywords)
        if (choice == k.choice) return k.keyword;
    return std::string();
}
