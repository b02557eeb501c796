#pragma once

#include <cups/raster.h>

#include <string>

#include "image/RasterImage.h"
#include "render/ObjRef.h"
#include "render/RenderSettings.h"

typedef struct ppd_file_s ppd_file_t;

// Base of every printer-language encoder: owns the page image and the job's
// settings, and offers the hooks that the job loop calls in a fixed order.
class CBaseRender : public TObjRefImpl<IObjRef> {
public:
    CBaseRender() = default;
    ~CBaseRender() override = default;

    virtual void OnStartDoc(unsigned long) {}
    virtual void OnEndDoc() { OnDestroy(); }
    virtual void OnInit() {}
    virtual void OnDestroy() {}
    virtual void OnStartPage() {}
    virtual void OnEndPage() {}
    virtual void OnBeginBmp() {}
    virtual void OnEndBmp() {}
    virtual void OnPaintBmp() {}
    virtual void WriteSpool(const void* /*data*/, int /*length*/) {}
    virtual void AddLog(const char* /*format*/, ...) __attribute__((format(printf, 2, 3))) {}
    virtual void GetPrinterParameters() { AddLog("CBaseRender::GetPrinterParameters"); }

    // Page preparation.
    void AdjustImage();
    void CropWhiteEdge(int top, int bottom, int left, int right);
    void Negative();
    void AdjustEffWidthBits();
    // Shortens runs of white rows to the receipt settings' limit; for a page
    // whose set bits are dots (after Negative).
    void LimitWhiteRuns();

    int mm_2_dots(int mm) const;
    void SetModelName(const char* name) { strModelName = name ? name : ""; }
    const std::string& GetModelName() const { return strModelName; }

    CRasterImage image{0};
    int iDpi = 0;
    tagREGSTRUCT reg;
    tagREGSTRUCTWITHALFTONE halftone;
    tagWaterMarkConfig watermark;
    tagReceiptSettings receipt;
    ppd_file_t* ppd = nullptr;
    cups_page_header2_t* header = nullptr;
    bool bInitialized = false;

protected:
    std::string strModelName;
};
