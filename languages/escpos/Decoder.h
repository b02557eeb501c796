#pragma once

#include "tools/preview/DecodeContext.h"

// Decodes an ESC/POS stream, or one of the PeriPage dialect, which adds
// vendor commands, a deflate bitmap and explicit page ends.
void DecodeEscPosStream(CDecodeContext& ctx, bool periPage);
