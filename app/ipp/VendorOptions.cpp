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
    {"worm-free", "11", "Worm-free error diffusion (photos)"},
};
constexpr VendorKeyword kOnOff[] = {{"off", "0", "Off"}, {"on", "1", "On"}};
constexpr VendorKeyword kCutModes[] = {
    {"none", "0", "No cut"},
    {"full-at-end", "1", "Full cut at the end of the job"},
    {"partial-at-end", "2", "Partial cut at the end of the job"},
    {"full-every-page", "3", "Full cut after every page"},
    {"partial-every-page", "4", "Partial cut after every page"},
};
constexpr VendorKeyword kCashDrawer[] = {
    {"none", "0", "No"},
    {"before-job", "1", "Before the job"},
    {"after-job", "2", "After the job"},
};
// The label printers' tear, cut and peel modes, each where the language has it.
constexpr VendorKeyword kLabelModes[] = {
    {"printer-setting", "Default", "Printer setting"},
    {"tear-off", "1", "Stop at the tear bar", "tspl zpl"},
    {"cut", "2", "Cut"},
    {"peel-off", "3", "Peel off", "tspl zpl"},
    {"partial-cut", "4", "Partial cut", "tspl"},
};
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
    {"thermal-cut", "CutMode", kCutModes, 0, 0, false, "Cut the paper"},
    {"thermal-cash-drawer", "CashDrawer", kCashDrawer, 0, 0, false, "Open the cash drawer"},
    {"thermal-label-mode", "PeelCutMode", kLabelModes, 0, 0, false, "After each label"},
    // Documents, not the printer: the page's inked area fitted to the label.
    {"thermal-fit-content", "FitContent", kOnOff, 0, 0, false,
     "Fit the printed area to the label (shipping labels on a full page)", "0"},
};
// Where the application's default differs from the PPD's: a receipt
// printer cuts its receipt off at the end of the job. A partial cut leaves
// a hinge of paper, so the receipt does not drop into the printer's mouth
// and the roll stays threaded; the filter keeps the PPD's "no cut", which
// is today's bytes for existing queues.
struct AppDefault {
    const char* language;
    const char* ppdKeyword;
    const char* choice;
};
constexpr AppDefault kAppDefaults[] = {{"escpos", "CutMode", "2"}};

bool Named(const char* names, std::string_view name) {
    std::string_view rest = names;
    while (!rest.empty()) {
        const size_t space = std::min(rest.find(' '), rest.size());
        if (rest.substr(0, space) == name) return true;
        rest.remove_prefix(std::min(space + 1, rest.size()));
    }
    return false;
}
}  // namespace

std::span<const VendorOption> VendorOptions() {
    return kOptions;
}

bool AppliesTo(const VendorOption& option, const Language& language) {
    if (option.appDefault) return true;
    if (option.rollsOnly && language.label) return false;
    return LanguageDefault(language, option.ppdKeyword) != nullptr;
}

bool TakesKeyword(const VendorKeyword& keyword, const Language* language) {
    return !keyword.languages || !language || Named(keyword.languages, language->name);
}

const char* DefaultChoice(const VendorOption& option, const Language& language) {
    if (option.appDefault) return option.appDefault;
    for (const AppDefault& d : kAppDefaults)
        if (std::string_view(d.ppdKeyword) == option.ppdKeyword &&
            std::string_view(d.language) == language.name)
            return d.choice;
    return LanguageDefault(language, option.ppdKeyword);
}

std::string ChoiceForValue(const VendorOption& option, std::string_view value,
                           const Language* language) {
    if (option.keywords.empty()) {
        int n = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
        if (error != std::errc() || end != value.data() + value.size()) return std::string();
        return std::to_string(std::clamp(n, option.min, option.max));
    }
    for (const VendorKeyword& k : option.keywords)
        if (value == k.keyword && TakesKeyword(k, language)) return k.choice;
    return std::string();
}

std::string ValueForChoice(const VendorOption& option, std::string_view choice) {
    if (option.keywords.empty()) return std::string(choice);
    for (const VendorKeyword& k : option.keywords)
        if (choice == k.choice) return k.keyword;
    return std::string();
}
