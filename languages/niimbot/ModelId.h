#pragma once

#include "printers/StatusExchange.h"

// NIIMBOT printers are asked for their model id (PrinterInfo key 8): several
// models share a Bluetooth name pattern, and the model chooses the print
// sequence (languages/niimbot/Encoder.h).
extern const ModelExchange kNiimbotModel;

// The model id of the first answer to that query in `reply`, or -1.
int NiimbotModelId(std::span<const uint8_t> reply);
