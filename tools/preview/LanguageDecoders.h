#pragma once

#include "tools/preview/DecodeContext.h"

// One decoder per printer language. Each walks the whole input, fills the
// context's pages and settings, and stops at the first fault.
void DecodeTspl(CDecodeContext& ctx);
void DecodeCpcl(CDecodeContext& ctx);
void DecodeEscPos(CDecodeContext& ctx);
void DecodePeriPage(CDecodeContext& ctx);
void DecodePaperang(CDecodeContext& ctx);
void DecodeZpl(CDecodeContext& ctx);
void DecodeEpl(CDecodeContext& ctx);
void DecodeBrotherQl(CDecodeContext& ctx);
void DecodeDymo(CDecodeContext& ctx);
void DecodeCat(CDecodeContext& ctx);
