#include "app/drivers/LanguageDrivers.h"

namespace {
constexpr const Language* kLanguage = LanguageOfModel(kPtouchRow.language.modelNumber);

// Set up with this driver whatever their device ID says. (check) The MDL
// forms.
constexpr const char* kPtouchModels[] = {
    "BROTHER PT-P700",  "BROTHER PT-P710BT", "BROTHER PT-E550W",
    "BROTHER PT-P750W", "BROTHER PT-D600",
};
// The tapes as pages as wide as the tape, 50 mm long (12 mm the default);
// two 100 mm lengths.
constexpr const char* kPtouchMedia[] = {
    "om_12mm-tape_12x50mm",  "om_3.5mm-tape_3.5x50mm", "om_6mm-tape_6x50mm",
    "om_9mm-tape_9x50mm",    "om_18mm-tape_18x50mm",   "om_24mm-tape_24x50mm",
    "om_12mm-tape_12x100mm", "om_24mm-tape_24x100mm",
};
// The page is as wide as the tape: the encoder prints its middle, the
// tape's printed pins (18 mm of the 24 mm tape), and leaves the rest.
constexpr int kWidestTapeDots = 172;
// The tape kinds the printer reports (languages/ptouch/Status.cpp).
constexpr const char* kTapeTypes[] = {"tape-laminated", "tape-non-laminated", "heat-shrink-tube"};

constexpr DriverInfo kList[] = {
    {"ptouch_180",
     "Brother P-touch PT-P700, PT-P710BT, PT-E550W, PT-P750W, PT-D600 tape printer, 180 dpi",
     "MFG:Brother;CMD:PT-CBP;MDL:PT-P700;", kLanguage, 180, kWidestTapeDots, 0, kPtouchMedia,
     "roll_min_3.5x12.7mm", "roll_max_24x1000mm", kPtouchModels, kTapeTypes},
};
}  // namespace

const std::span<const DriverInfo> kPtouchDrivers = kList;
