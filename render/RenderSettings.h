#pragma once

#include <cstdint>

// Print settings of a job. The PPD option binding fills them once per job;
// the page pipeline and the encoders read them.
struct tagREGSTRUCT {
    int64_t reserved0 = 1;
    int8_t reserved1 = 0;
    int8_t reserved2 = 0;
    int32_t iSpeed = 14;   // negative: not set
    int32_t iDensity = 8;  // negative: not set
    int32_t iReference[2] = {0, 0};
    int32_t iRotate = 0;  // 0 none, 1 180°, 2 90°, 3 270°
    uint8_t iMirror = 0;
    uint8_t iNegative = 0;
    int32_t iScale = 100;  // percent
    uint8_t iDottedline = 0;
    uint8_t iPauseKey = 1;
    uint8_t iWaterMark = 1;
    // Media: 0 continuous, 1 gap, 2 black mark, 3 perforated, 4 roll,
    // 5 recording paper; then gap length and offset in millimetres.
    int32_t iGap[3] = {0, 3, 0};
    int32_t iOffset = 0;       // millimetres
    int32_t iPeelCutMode = 0;  // 1 tear, 2 cutter, 3 peel, 4 partial cutter (label printers)
    int32_t reserved3 = 0;
    int32_t iPrinttype = 0;  // 0 direct thermal, 1 thermal transfer
    int32_t iCutMode = 0;    // 1/2 cut at document end, 3/4 after every page
    int32_t reserved4 = 0;
    int32_t reserved5 = 0;
    int32_t iFeedBefore = 0;  // millimetres
    int32_t iFeedAfter = 0;   // millimetres
    int32_t reserved6 = 0;
    int32_t iCashDrawer = 0;  // 1 pulse before the job's first page, 2 after its end
};

struct tagREGSTRUCTWITHALFTONE {
    int32_t iGrayMethod = 3;  // < 1: threshold; 11: worm-free; other n: dither method n - 1
    int32_t iThreValue = 175;
    int32_t iLiangdu = 0;      // brightness
    int32_t iDuibidu = 0;      // contrast
    int32_t iCropTopEdge = 0;  // millimetres; 0 off, negative unlimited
    int32_t iCropBottomEdge = 0;
    int32_t iCropLeftEdge = 0;
    int32_t iCropRightEdge = 0;
    uint8_t ImageCompress = 0;
    // By the page's content instead of iGrayMethod: 0 off, 1 line art,
    // 2 photo, 3 decided per part of the page.
    int32_t iContent = 0;
};

// How receipt and mini printers get the page: rows per raster command,
// white rows as paper feed, and the longest run of white rows printed.
struct tagReceiptSettings {
    int32_t iBandHeight = 0;     // rows per raster command; 0 or less: one per page
    uint8_t bBlankFeed = 0;      // 1: runs of white rows go out as paper feed
    int32_t iWhiteRunLimit = 0;  // millimetres; 0 or less: off
};

// Cutter of label printers that cut by themselves: after every n labels
// and once more at the end of the job.
struct tagCutSettings {
    uint8_t bAutoCut = 0;
    int32_t iCutEvery = 1;  // labels between cuts
    uint8_t bCutAtEnd = 0;
};

struct tagWaterMarkConfig {
    uint8_t bEnable = 0;
    char szText[4096] = {};
    int32_t iFontSize = 40;
    int32_t iColor = 0xFFFFFF;
    int32_t iValue3 = 3;
    int32_t iValue4 = 0;
    int32_t iValue5 = 0;
    uint8_t bFlag = 0;
    int32_t iValue6 = 9;
    int32_t iValue7 = 10;
    int32_t iValue8 = 10;
    int32_t iValue9 = 100;
    int32_t iValue10 = 100;
};
