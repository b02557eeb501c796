#pragma once

#include <span>
#include <string_view>

#include "printers/IdentifyCommands.h"
#include "printers/StatusExchange.h"

// What a row of the language table holds. Each language's row is its
// languages/<name>/Row.h; printers/Languages.h gathers them into the table.

// One print option as the language's PPDs have it: the option keyword and
// the default choice (ppd/rastertothermal.drv holds the same).
struct LanguageOption {
    const char* keyword;
    const char* choice;
};

// A command that makes a label printer learn its stock: it feeds labels
// until its sensor has found where one ends and the next begins.
struct Calibration {
    const char* sensing;     // "gap", "mark", or "" for the sensor the printer is set to
    std::string_view bytes;  // sent as they are, outside any label
};

// How the language's page data may be compressed.
enum class Compression {
    None,
    OnRequest,  // the ImageCompress option selects the compressed form
    Always,
};

struct Language {
    int modelNumber = 0;         // cupsModelNumber of its PPDs
    const char* name = "";       // short name: tspl, escpos, ...
    const char* title = "";      // as people write it: TSPL, ESC/POS, ...
    const char* rawFormat = "";  // MIME type the application passes to the printer untouched
    std::span<const LanguageOption> options{};  // the options its PPDs offer, with defaults
    // How a device ID names it: command sets (CMD, punctuation left out) and
    // words of the maker, model or description that name it whatever CMD says.
    std::span<const char* const> commandSets{};
    std::span<const char* const> deviceNames{};
    bool label = false;                      // label printer (else receipt/roll printer)
    const StatusExchange* status = nullptr;  // how the printer is asked how it is; null: it is not
    // Its place among the status queries asked to learn which language a
    // printer speaks (printers/LanguageProbes.h), 1 first; 0: never asked.
    int probeOrder = 0;
    Compression compression = Compression::None;
    bool cut = false;                  // the encoder can send cutter commands
    int darknessLevels = 0;            // 0: no darkness setting
    int darknessConfigured = 0;        // printer-darkness-configured at the factory
    std::span<const int> speeds{};     // inches per second; empty: no speed setting
    bool quarterTurns = false;         // rotation by 90 degrees fits the media
    bool checksumSeed = false;         // packets carry a checksum from a seed the printer shares
    bool doubleLines = false;          // also prints at twice the resolution down the page
    IdentifyMaker identify = nullptr;  // what shows the printer to a user; null: nothing
    std::span<const Calibration> calibrations{};  // empty: the printer cannot be calibrated
};

// A row of the table: the language and the class of its encoder.
template <class Encoder>
struct LanguageRow {
    using EncoderType = Encoder;
    Language language;
};

// The options of every language, first in each row's option list, with the
// defaults of ppd/rastertothermal.drv.
#define THERMAL_IMAGE_OPTIONS                                                           \
    {"ImageFilter", "3"}, {"Threshold", "175"}, {"Brightness", "0"}, {"Contrast", "0"}, \
        {"CropEdgeTop", "0"}, {"CropEdgeBottom", "0"}, {"CropEdgeLeft", "0"}, {         \
        "CropEdgeRight", "0"                                                            \
    }
