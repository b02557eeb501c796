#pragma once

#include "printers/LanguageRow.h"

class CPrinterPtouch;
extern const StatusExchange kPtouchStatus;

namespace language_data {
inline constexpr LanguageOption kPtouchOptions[] = {
    THERMAL_IMAGE_OPTIONS, {"Rotate", "0"},        {"AutoCut", "1"},
    {"CutAtEnd", "1"},     {"ImageCompress", "1"},
};
}  // namespace language_data

// Not among the queries of the driver "auto": its ESC i S is Brother QL's,
// which is asked first and takes the answer.
inline constexpr LanguageRow<CPrinterPtouch> kPtouchRow{
    {.modelNumber = 33,
     .name = "ptouch",
     .title = "Brother P-touch",
     .rawFormat = "application/vnd.thermal-ptouch",
     .options = language_data::kPtouchOptions,
     .label = true,
     .status = &kPtouchStatus,
     .compression = Compression::OnRequest,
     .cut = true}};
