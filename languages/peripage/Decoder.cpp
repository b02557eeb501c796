#include "languages/escpos/Decoder.h"

#include "tools/preview/LanguageDecoders.h"

void DecodePeriPage(CDecodeContext& ctx) {
    DecodeEscPosStream(ctx, true);
}
