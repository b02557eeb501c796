#include <gtest/gtest.h>

#include "render/BaseRender.h"

namespace {
struct CountingRender : CBaseRender {
    explicit CountingRender(int* counter) : deaths(counter) {}
    ~CountingRender() override { ++*deaths; }
    int* deaths;
};
}  // namespace

TEST(RenderBase, ReferenceCountingDeletesAtZero) {
    int deaths = 0;
    auto* r = new CountingRender(&deaths);
    EXPECT_EQ(r->AddRef(), 2);
    EXPECT_EQ(r->Release(), 1);
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(r->Release(), 0);
    EXPECT_EQ(deaths, 1);
}

TEST(RenderBase, HandleAdoptsAndReleases) {
    int deaths = 0;
    {
        CStdRefPtr<CBaseRender> handle;
        EXPECT_EQ(handle, nullptr);
        auto* first = new CountingRender(&deaths);
        handle = MakeRefPtr<CBaseRender>(first);
        EXPECT_EQ(first->GetRefCount(), 1);
        handle = MakeRefPtr<CBaseRender>(first);  // same object: nothing happens
        EXPECT_EQ(deaths, 0);
        handle = MakeRefPtr<CBaseRender>(new CountingRender(&deaths));
        EXPECT_EQ(deaths, 1);
    }
    EXPECT_EQ(deaths, 2);
    { CStdRefPtr<CBaseRender> empty; }
}

TEST(RenderBase, MillimetresRoundUpToDots) {
    CBaseRender r;
    r.iDpi = 203;
    EXPECT_EQ(r.mm_2_dots(0), 0);
    EXPECT_EQ(r.mm_2_dots(1), 8);
    EXPECT_EQ(r.mm_2_dots(10), 80);
    r.iDpi = 300;
    EXPECT_EQ(r.mm_2_dots(1), 12);
    EXPECT_EQ(r.mm_2_dots(127), 1500);
    EXPECT_EQ(r.mm_2_dots(2147483647), 2147483647);  // clamped, no overflow
    EXPECT_EQ(r.mm_2_dots(-2147483647 - 1), -2147483647 - 1);
}

TEST(RenderBase, SettingsStartAtTheirDefaults) {
    CBaseRender r;
    EXPECT_EQ(r.reg.iSpeed, 14);
    EXPECT_EQ(r.reg.iDensity, 8);
    EXPECT_EQ(r.halftone.iGrayMethod, 3);
    EXPECT_EQ(r.halftone.iThreValue, 175);
    EXPECT_EQ(r.reg.iGap[0], 0);
    EXPECT_EQ(r.reg.iGap[1], 3);
    EXPECT_EQ(r.reg.iScale, 100);
    EXPECT_EQ(r.reg.iPauseKey, 1);
    EXPECT_EQ(r.reg.iWaterMark, 1);
    EXPECT_EQ(r.reg.iCutMode | r.reg.iCashDrawer | r.reg.iFeedAfter | r.halftone.ImageCompress, 0);
    EXPECT_EQ(r.watermark.iFontSize, 40);
    EXPECT_EQ(r.watermark.iValue10, 100);
}
