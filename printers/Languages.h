#pragma once

#include <array>
#include <span>
#include <string_view>
#include <tuple>

#include "printers/IdentifyCommands.h"
#include "printers/StatusExchange.h"

// The printer languages: one row per language with everything the front ends
// and the tools need to know about it. The filter and the application create
// its encoder from the row (printers/LanguageFactory.h), the application
// builds its drivers, raw format and options from it, USB auto-setup finds
// it from a device ID, and the preview tool names it by it. A new language
// is its encoder, its decoder and one row in kLanguageRows.

class CPrinterTSPL;
class CPrinterESCPOS;
class CPrinterCPCL;
class CPrinterPaperang;
class CPrinterPeriPage;
class CPrinterZPL;
class CPrinterEPL;
class CPrinterBrotherQL;
class CPrinterDymo;
class CPrinterCat;

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

namespace language_data {
// Options of every language, then each language's own, with the defaults
// of ppd/rastertothermal.drv.
#define THERMAL_IMAGE_OPTIONS                                                           \
    {"ImageFilter", "3"}, {"Threshold", "175"}, {"Brightness", "0"}, {"Contrast", "0"}, \
        {"CropEdgeTop", "0"}, {"CropEdgeBottom", "0"}, {"CropEdgeLeft", "0"}, {         \
        "CropEdgeRight", "0"                                                            \
    }
inline constexpr LanguageOption kTsplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"MediaMethod", "Direct"}, {"zeMediaTracking", "Gap"},
    {"Darkness", "8"},       {"zePrintRate", "4"},      {"AutoDotted", "0"},
    {"ImageCompress", "0"},  {"Rotate", "0"},           {"AdjustHoriaontal", "0"},
    {"AdjustVertical", "0"}, {"FeedOffset", "0"},
};
inline constexpr LanguageOption kEscPosOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"FeedOffset", "0"}, {"Rotate", "0"},
    {"BandHeight", "0"},   {"BlankFeed", "0"},  {"WhiteRunLimit", "0"},
};
inline constexpr LanguageOption kCpclOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"zeMediaTracking", "Gap"},
    {"Rotate", "0"},
    {"AdjustHoriaontal", "0"},
};
inline constexpr LanguageOption kPaperangOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"zeMediaTracking", "Continuous"},
    {"WhiteRunLimit", "0"},
};
inline constexpr LanguageOption kPeriPageOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"Rotate", "0"},     {"zeMediaTracking", "Continuous"},
    {"Darkness", "Default"}, {"FeedOffset", "0"}, {"ImageCompress", "0"},
    {"BandHeight", "0"},     {"BlankFeed", "0"},  {"WhiteRunLimit", "0"},
};
inline constexpr LanguageOption kZplOptions[] = {
    THERMAL_IMAGE_OPTIONS,     {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"MediaMethod", "Direct"}, {"Darkness", "Default"},    {"zePrintRate", "Default"},
    {"ImageCompress", "0"},
};
inline constexpr LanguageOption kEplOptions[] = {
    THERMAL_IMAGE_OPTIONS,   {"zeMediaTracking", "Gap"}, {"Rotate", "0"},
    {"Darkness", "Default"}, {"zePrintRate", "Default"},
};
inline constexpr LanguageOption kBrotherQlOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"Rotate", "0"},   {"zeMediaTracking", "Gap"}, {"AutoCut", "1"},
    {"CutEvery", "1"},     {"CutAtEnd", "1"}, {"ImageCompress", "1"},
};
inline constexpr LanguageOption kDymoOptions[] = {
    THERMAL_IMAGE_OPTIONS,
    {"Rotate", "0"},
    {"Darkness", "Default"},
};
inline constexpr LanguageOption kCatOptions[] = {
    THERMAL_IMAGE_OPTIONS,      {"Rotate", "0"},      {"Darkness", "3"},
    {"zePrintRate", "Default"}, {"FeedOffset", "10"}, {"WhiteRunLimit", "0"},
};
#undef THERMAL_IMAGE_OPTIONS

// Print speeds in inches per second.
inline constexpr int kTsplSpeeds[] = {1, 2, 3, 4, 5, 6, 8, 10, 12};
inline constexpr int kZplSpeeds[] = {2, 3, 4, 5, 6, 8, 10, 12};
inline constexpr int kEplSpeeds[] = {1, 2, 3, 4, 5, 6};

inline constexpr const char* kTsplCommands[] = {"TSPL", "TSPL2"};
inline constexpr const char* kEscPosCommands[] = {"ESCPOS", "POS"};
inline constexpr const char* kCpclCommands[] = {"CPCL"};
inline constexpr const char* kZplCommands[] = {"ZPL", "ZPL2", "ZPLII"};
inline constexpr const char* kEplCommands[] = {"EPL", "EPL2"};
inline constexpr const char* kPaperangNames[] = {"PAPERANG"};

// TSPL has one command per sensor; ZPL's ~JC and EPL2's xa calibrate the
// sensor the printer is set to (the line feed before xa ends any line the
// printer holds).
inline constexpr Calibration kTsplCalibrations[] = {{"gap", "GAPDETECT\r\n"},
                                                    {"mark", "BLINEDETECT\r\n"}};
inline constexpr Calibration kZplCalibrations[] = {{"", "~JC\r\n"}};
inline constexpr Calibration kEplCalibrations[] = {{"", "\nxa\n"}};
inline constexpr const char* kPeriPageNames[] = {"PERIPAGE"};
// The names cat printers advertise, and the model of the driver's device ID.
inline constexpr const char* kCatNames[] = {"GB01", "GB02", "GB03", "GT01", "MX05", "MX06",
                                            "MX08", "MX09", "MX10", "MX11", "YT01", "CAT PRINTER"};
}  // namespace language_data

// The table. A device ID is matched against the rows in this order.
inline constexpr std::tuple kLanguageRows{
    LanguageRow<CPrinterTSPL>{{.modelNumber = 20,
                               .name = "tspl",
                               .title = "TSPL",
                               .rawFormat = "application/vnd.thermal-tspl",
                               .options = language_data::kTsplOptions,
                               .commandSets = language_data::kTsplCommands,
                               .label = true,
                               .status = &kTsplStatus,
                               .compression = Compression::OnRequest,
                               .cut = true,
                               .darknessLevels = 16,
                               .darknessConfigured = 53,
                               .speeds = language_data::kTsplSpeeds,
                               .quarterTurns = true,
                               .identify = IdentifyTspl,
                               .calibrations = language_data::kTsplCalibrations}},
    LanguageRow<CPrinterESCPOS>{{.modelNumber = 21,
                                 .name = "escpos",
                                 .title = "ESC/POS",
                                 .rawFormat = "application/vnd.thermal-escpos",
                                 .options = language_data::kEscPosOptions,
                                 .commandSets = language_data::kEscPosCommands,
                                 .status = &kEscPosStatus,
                                 .cut = true,
                                 .identify = IdentifyEscPos}},
    LanguageRow<CPrinterCPCL>{{.modelNumber = 22,
                               .name = "cpcl",
                               .title = "CPCL",
                               .rawFormat = "application/vnd.thermal-cpcl",
                               .options = language_data::kCpclOptions,
                               .commandSets = language_data::kCpclCommands,
                               .label = true,
                               .quarterTurns = true,
                               .identify = IdentifyCpcl}},
    LanguageRow<CPrinterPaperang>{{.modelNumber = 23,
                                   .name = "paperang",
                                   .title = "Paperang",
                                   .rawFormat = "application/vnd.thermal-paperang",
                                   .options = language_data::kPaperangOptions,
                                   .deviceNames = language_data::kPaperangNames,
                                   .compression = Compression::Always,
                                   .checksumSeed = true,
                                   .identify = IdentifyPaperang}},
    LanguageRow<CPrinterPeriPage>{{.modelNumber = 24,
                                   .name = "peripage",
                                   .title = "PeriPage",
                                   .rawFormat = "application/vnd.thermal-peripage",
                                   .options = language_data::kPeriPageOptions,
                                   .deviceNames = language_data::kPeriPageNames,
                                   .status = &kPeriPageStatus,
                                   .compression = Compression::OnRequest,
                                   .darknessLevels = 6,
                                   .darknessConfigured = 50,
                                   .identify = IdentifyPeriPage}},
    LanguageRow<CPrinterZPL>{{.modelNumber = 25,
                              .name = "zpl",
                              .title = "ZPL",
                              .rawFormat = "application/vnd.thermal-zpl",
                              .options = language_data::kZplOptions,
                              .commandSets = language_data::kZplCommands,
                              .label = true,
                              .status = &kZplStatus,
                              .compression = Compression::OnRequest,
                              .cut = true,
                              .darknessLevels = 31,
                              .darknessConfigured = 50,
                              .speeds = language_data::kZplSpeeds,
                              .quarterTurns = true,
                              .identify = IdentifyZpl,
                              .calibrations = language_data::kZplCalibrations}},
    LanguageRow<CPrinterEPL>{{.modelNumber = 26,
                              .name = "epl",
                              .title = "EPL2",
                              .rawFormat = "application/vnd.thermal-epl",
                              .options = language_data::kEplOptions,
                              .commandSets = language_data::kEplCommands,
                              .label = true,
                              .darknessLevels = 16,
                              .darknessConfigured = 50,
                              .speeds = language_data::kEplSpeeds,
                              .quarterTurns = true,
                              .identify = IdentifyEpl,
                              .calibrations = language_data::kEplCalibrations}},
    LanguageRow<CPrinterBrotherQL>{{.modelNumber = 27,
                                    .name = "brother-ql",
                                    .title = "Brother QL",
                                    .rawFormat = "application/vnd.thermal-brother-ql",
                                    .options = language_data::kBrotherQlOptions,
                                    .label = true,
                                    .status = &kBrotherQlStatus,
                                    .compression = Compression::OnRequest,
                                    .cut = true,
                                    .doubleLines = true}},
    LanguageRow<CPrinterDymo>{{.modelNumber = 28,
                               .name = "dymo",
                               .title = "DYMO",
                               .rawFormat = "application/vnd.thermal-dymo",
                               .options = language_data::kDymoOptions,
                               .label = true,
                               .status = &kDymoStatus,
                               .compression = Compression::Always,
                               .darknessLevels = 4,
                               .darknessConfigured = 67,
                               .doubleLines = true,
                               .identify = IdentifyDymo}},
    // Darkness 0-6 is the energy command, 50 % of it level 3 (languages/cat/Encoder.h).
    LanguageRow<CPrinterCat>{{.modelNumber = 29,
                              .name = "cat",
                              .title = "Cat printer",
                              .rawFormat = "application/vnd.thermal-cat",
                              .options = language_data::kCatOptions,
                              .deviceNames = language_data::kCatNames,
                              .status = &kCatStatus,
                              .darknessLevels = 7,
                              .darknessConfigured = 50}},
};

// The languages of the table, in its order.
inline constexpr auto kLanguages =
    std::apply([](const auto&... row) { return std::array{row.language...}; }, kLanguageRows);

// The row of a model number, or null; usable in constant expressions.
constexpr const Language* LanguageOfModel(int modelNumber) {
    for (const Language& l : kLanguages)
        if (l.modelNumber == modelNumber) return &l;
    return nullptr;
}

std::span<const Language> Languages();
// The row whose name or title is this text in any case ("escpos", "ESC/POS",
// "epl2"), or null.
const Language* FindLanguage(std::string_view name);
// The default choice of an option in the language's PPDs, or null when its
// PPDs don't have the option.
const char* LanguageDefault(const Language& language, std::string_view keyword);
// The option's default in the PPDs is "Default": the printer's own setting,
// no command at all.
bool PrinterSettingByDefault(const Language& language, std::string_view keyword);
// The language's calibration for a sensing ("gap", "mark"): its command for
// that sensor, else the one that calibrates whatever sensor is set; null
// when the language has none.
const Calibration* FindCalibration(const Language& language, std::string_view sensing);
