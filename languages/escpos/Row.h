#pragma once

#include "printers/LanguageRow.h"

class CPrinterESCPOS;
extern const StatusExchange kEscPosStatus;
std::vector<uint8_t> IdentifyEscPos(const IdentifySettings&);

namespace language_data {
inline constexpr LanguageOption kEscPosOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"FeedOffset", "0"},    {"Rotate", "0"},  {"BandHeight", "0"},
    {"BlankFeed", "0"},    {"WhiteRunLimit", "0"}, {"CutMode", "0"}, {"CashDrawer", "0"},
};
inline constexpr const char* kEscPosCommands[] = {"ESCPOS", "POS"};
}  // namespace language_data

inline constexpr LanguageRow<CPrinterESCPOS> kEscPosRow{
    {.modelNumber = 21,
     .name = "escpos",
     .title = "ESC/POS",
     .rawFormat = "application/vnd.thermal-escpos",
     .options = language_data::kEscPosOptions,
     .commandSets = language_data::kEscPosCommands,
     .status = &kEscPosStatus,
     // First when a printer is asked which language it speaks: DLE EOT is control
     // bytes only, and the queries after it would cut (ESC i) or print (~HS) on
     // a receipt printer.
     .probeOrder = 1,
     .cut = true,
     .identify = IdentifyEscPos}};
