#pragma once

#include "filter/MyBuffer.h"
#include "render/BaseRender.h"

// Placeholder encoder: runs every hook and prints nothing yet.
class CPrinterESCPOS : public CBaseRender {
public:
    void OnPaintBmp() override;
};
