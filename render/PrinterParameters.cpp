#include "render/PrinterParameters.h"

#include <cstring>

#include "render/BaseRender.h"
#include "render/OptionValue.h"

namespace {
std::string LookupMarkedOption(CBaseRender& r, const char* keyword) {
    return r.GetMarkedOption(keyword);
}

struct MediaTracking {
    const char* choice;
    int type, length, offset;
};

constexpr MediaTracking kMediaTracking[] = {
    {"Continuous", 0, 0, 0}, {"A4Stock", 0, 0, 0},    {"Gap", 1, 3, 0},  {"BLine", 2, 0, 0},
    {"BLine_Fold", 2, 0, 0}, {"Perforated", 3, 0, 0}, {"Roll", 4, 0, 0}, {"Recording", 5, 0, 0},
};

// Sets a field from a non-empty choice and logs its new value.
void SetNumber(CBaseRender& r, const char* keyword, const char* line, int32_t& field) {
    std::string value = LookupMarkedOption(r, keyword);
    if (value.empty()) return;
    field = ChoiceToInt(value.c_str());
    r.AddLog(line, field);
}

template <class Flag>
void SetFlag(CBaseRender& r, const char* keyword, const char* line, Flag& field) {
    std::string value = LookupMarkedOption(r, keyword);
    if (value.empty()) return;
    field = ChoiceToInt(value.c_str()) != 0 ? 1 : 0;
    r.AddLog(line, static_cast<int>(field));
}

// "Darkness" and "zePrintRate": missing, empty or "Default" means not set (-1).
void SetOptional(CBaseRender& r, const char* keyword, const char* line, int32_t& field) {
    std::string value = LookupMarkedOption(r, keyword);
    if (value.empty() || value == "Default") {
        field = -1;
        return;
    }
    field = ChoiceToInt(value.c_str());
    r.AddLog(line, field);
}

void SetMediaTracking(CBaseRender& r) {
    std::string value = LookupMarkedOption(r, "zeMediaTracking");
    if (value.empty()) return;
    for (const MediaTracking& m : kMediaTracking) {
        if (value == m.choice) {
            r.reg.iGap[0] = m.type;
            r.reg.iGap[1] = m.length;
            r.reg.iGap[2] = m.offset;
            break;
        }
    }
    r.AddLog("Gap = %d, %d, %d", r.reg.iGap[0], r.reg.iGap[1], r.reg.iGap[2]);
}
}  // namespace

void ReadPrinterParameters(CBaseRender& r) {
    r.AddLog("Reading the print options");
    tagREGSTRUCT& reg = r.reg;
    tagREGSTRUCTWITHALFTONE& ht = r.halftone;

    std::string method = LookupMarkedOption(r, "MediaMethod");
    if (!method.empty()) {
        reg.iPrinttype = (method == "Normal" || method == "Direct") ? 0 : 1;
        r.AddLog("iPrinttype = %d", reg.iPrinttype);
    }
    std::string value = LookupMarkedOption(r, "AdjustHoriaontal");
    if (!value.empty()) {
        reg.iReference[0] = TimesEightWrapped(ChoiceToInt(value.c_str()));
        r.AddLog("iReference[0] = %d", reg.iReference[0]);
    }
    value = LookupMarkedOption(r, "AdjustVertical");
    if (!value.empty()) {
        reg.iReference[1] = TimesEightWrapped(ChoiceToInt(value.c_str()));
        r.AddLog("iReference[1] = %d", reg.iReference[1]);
    }
    SetMediaTracking(r);
    value = LookupMarkedOption(r, "FeedOffset");
    if (!value.empty()) {
        reg.iOffset = reg.iFeedAfter = ChoiceToInt(value.c_str());
        r.AddLog("iOffset = %d", reg.iOffset);
    }
    SetNumber(r, "Rotate", "iRotate = %d", reg.iRotate);
    SetOptional(r, "Darkness", "iDensity = %d", reg.iDensity);
    SetOptional(r, "zePrintRate", "iSpeed = %d", reg.iSpeed);
    SetFlag(r, "AutoDotted", "iDottedline = %d", reg.iDottedline);
    ht.iLiangdu = ChoiceToInt(LookupMarkedOption(r, "Brightness").c_str());
    r.AddLog("iLiangdu = %d", ht.iLiangdu);
    SetNumber(r, "Contrast", "iDuibidu = %d", ht.iDuibidu);
    SetNumber(r, "ImageFilter", "iGrayMethod = %d", ht.iGrayMethod);
    SetNumber(r, "Threshold", "iThreValue = %d", ht.iThreValue);
    SetNumber(r, "ContentOptimize", "iContent = %d", ht.iContent);
    SetFlag(r, "ImageCompress", "ImageCompress = %d", ht.ImageCompress);
    SetNumber(r, "CropEdgeTop", "iCropTopEdge = %d", ht.iCropTopEdge);
    SetNumber(r, "CropEdgeBottom", "iCropBottomEdge = %d", ht.iCropBottomEdge);
    SetNumber(r, "CropEdgeLeft", "iCropLeftEdge = %d", ht.iCropLeftEdge);
    SetNumber(r, "CropEdgeRight", "iCropRightEdge = %d", ht.iCropRightEdge);
    SetNumber(r, "BandHeight", "iBandHeight = %d", r.receipt.iBandHeight);
    SetFlag(r, "BlankFeed", "bBlankFeed = %d", r.receipt.bBlankFeed);
    SetNumber(r, "WhiteRunLimit", "iWhiteRunLimit = %d", r.receipt.iWhiteRunLimit);
    SetFlag(r, "AutoCut", "bAutoCut = %d", r.cut.bAutoCut);
    SetNumber(r, "CutEvery", "iCutEvery = %d", r.cut.iCutEvery);
    SetFlag(r, "CutAtEnd", "bCutAtEnd = %d", r.cut.bCutAtEnd);
    SetNumber(r, "CutMode", "iCutMode = %d", reg.iCutMode);
    SetNumber(r, "CashDrawer", "iCashDrawer = %d", reg.iCashDrawer);
    SetNumber(r, "PeelCutMode", "iPeelCutMode = %d", reg.iPeelCutMode);
}
