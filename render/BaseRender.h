#pragma once

#include <string>

#include "image/RasterImage.h"
#include "render/ObjRef.h"
#include "render/RenderSettings.h"

// Base of every printer-language encoder: owns the page image and the job's
// settings, and offers the hooks that a front end calls in a fixed order.
// Where pages come from and where the bytes go is the front end's business:
// it overrides WriteSpool and AddLog and fills the settings.
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
    // The job's choice for a print option, as text; empty when not there.
    virtual std::string GetMarkedOption(const char* /*keyword*/) { return std::string(); }

    // Page preparation: OnInit before the first page, then AdjustImage.
    void PreparePage();
    void AdjustImage();
    // The gray page to 1 bit, by the page's content or the chosen method.
    void ReduceToDots();
    void CropWhiteEdge(int top, int bottom, int left, int right);
    void Negative();
    void AdjustEffWidthBits();
    // Shortens runs of white rows to the receipt settings' limit; for a page
    // whose set bits are dots (after Negative).
    void LimitWhiteRuns();

    void SetModelName(const char* name) { strModelName = name ? name : ""; }
    const std::string& GetModelName() const { return strModelName; }

    CRasterImage image{0};
    int iDpi = 0;
    tagREGSTRUCT reg;
    tagREGSTRUCTWITHALFTONE halftone;
    tagWaterMarkConfig watermark;
    tagReceiptSettings receipt;
    tagCutSettings cut;
    bool bInitialized = false;

protected:
    std::string strModelName;
};
