#include <gtest/gtest.h>

#include "image/DotLength.h"
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
    EXPECT_EQ(MmToDots(203, 0, DotRounding::Up), 0);
    EXPECT_EQ(MmToDots(203, 1, DotRounding::Up), 8);
    EXPECT_EQ(MmToDots(203, 10, DotRounding::Up), 80);
    EXPECT_EQ(MmToDots(300, 1, DotRounding::Up), 12);
    EXPECT_EQ(MmToDots(300, 127, DotRounding::Up), 1500);
    EXPECT_EQ(MmToDots(300, 2147483647, DotRounding::Up), 2147483647);  // clamped, no overflow
    EXPECT_EQ(MmToDots(300, -2147483647 - 1, DotRounding::Up), -2147483647 - 1);
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
