#include "app/ipp/VendorOptions.h"

#include <algorithm>
#include <charconv>

#include "app/drivers/DriverCatalog.h"

namespace {
constexpr VendorKeyword kDithers[] = {
    {"threshold", "0", "Threshold (no dithering)"},
    {"floyd-steinberg", "1", "Floyd–Steinberg"},
    {"bayer-4x4", "2", "Bayer 4×4"},
    {"burkes", "3", "Burkes"},
    {"stucki", "4", "Stucki"},
    {"jarvis-judice-ninke", "5", "Jarvis–Judice–Ninke"},
    {"sierra", "6", "Sierra"},
    {"stevenson-arce", "7", "Stevenson–Arce"},
    {"ordered-4x4", "8", "Ordered 4×4"},
    {"bayer-8x8", "9", "Bayer 8×8"},
    {"ordered-16x16", "10", "Ordered 16×16"},
};
constexpr VendorKeyword kOnOff[] = {{"off", "0", "Off"}, {"on", "1", "On"}};
constexpr VendorKeyword kPrintMethod[] = {
    {"direct-thermal", "Direct", "Direct thermal"},
    {"thermal-transfer", "Transfer", "Thermal transfer (ribbon)"},
};

// Crop limits in millimetres; -1 trims all white.
constexpr VendorOption kOptions[] = {
    {"thermal-dither", "ImageFilter", kDithers, 0, 0, false, "Dithering"},
    {"thermal-threshold",
     "Threshold",
     {},
     64,
     240,
     false,
     "Threshold (grays below it print black; 64 lighter to 240 darker)"},
    {"thermal-brightness", "Brightness", {}, -100, 100, false, "Brightness (−100 to 100)"},
    {"thermal-contrast", "Contrast", {}, -80, 100, false, "Contrast (−80 to 100)"},
    {"thermal-crop-top",
     "CropEdgeTop",
     {},
     -1,
     100,
     false,
     "Trim white at the top (mm; 0 off, −1 all)"},
    {"thermal-crop-bottom",
     "CropEdgeBottom",
     {},
     -1,
     100,
     false,
     "Trim white at the bottom (mm; 0 off, −1 all)"},
    {"thermal-crop-left",
     "CropEdgeLeft",
     {},
     -1,
     100,
     false,
     "Trim white on the left (mm; 0 off, −1 all)"},
    {"thermal-crop-right",
     "CropEdgeRight",
     {},
     -1,
     100,
     false,
     "Trim white on the right (mm; 0 off, −1 all)"},
    {"thermal-compression", "ImageCompress", kOnOff, 0, 0, false, "Compress page data"},
    {"thermal-dotted-line", "AutoDotted", kOnOff, 0, 0, false, "Dotted line between labels"},
    {"thermal-print-method", "MediaMethod", kPrintMethod, 0, 0, false, "Print method"},
    {"thermal-feed", "FeedOffset", {}, 0, 30, true, "Paper fed after each page (mm)"},
    {"thermal-band-height",
     "BandHeight",
     {},
     0,
     255,
     false,
     "Rows per raster command (0: whole page)"},
    {"thermal-blank-feed", "BlankFeed", kOnOff, 0, 0, false, "Send white rows as paper feed"},
    {"thermal-white-run-limit",
     "WhiteRunLimit",
     {},
     0,
     20,
     false,
     "Shorten white stretches longer than (mm; 0 off)"},
    {"thermal-auto-cut", "AutoCut", kOnOff, 0, 0, false, "Cut automatically"},
    {"thermal-cut-every", "CutEvery", {}, 1, 255, false, "Cut after every (labels)"},
    {"thermal-cut-at-end", "CutAtEnd", kOnOff, 0, 0, false, "Cut at the end of the job"},
    // Documents, not the printer: the page's inked area fitted to the label.
    {"thermal-fit-content", "FitContent", kOnOff, 0, 0, false,
     "Fit the printed area to the label (shipping labels on a full page)", "0"},
};
}  // namespace

std::span<const VendorOption> VendorOptions() {
    return kOptions;
}

bool AppliesTo(const VendorOption& option, const Language& language) {
    if (option.appDefault) return true;
    if (option.rollsOnly && language.label) return false;
    return LanguageDefault(language, option.ppdKeyword) != nullptr;
}

const char* DefaultChoice(const VendorOption& option, const Language& language) {
    return option.appDefault ? option.appDefault : LanguageDefault(language, option.ppdKeyword);
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
