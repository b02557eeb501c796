#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "printers/MyBuffer.h"

namespace {
std::string Content(const CMyBuffer& b) {
    return std::string(reinterpret_cast<const char*>(b.GetBuffer()),
                       static_cast<size_t>(b.GetBufferLength()));
}
}  // namespace

TEST(MyBuffer, StartsEmptyWithZeroedKilobyte) {
    CMyBuffer b;
    EXPECT_EQ(b.GetBufferLength(), 0);
    ASSERT_EQ(b.GetBufferCapacity(), 1024);
    for (int i = 0; i < 1024; i++) ASSERT_EQ(b.GetBuffer()[i], 0);
}

TEST(MyBuffer, AppendsNumbersAndTextsWithoutTerminators) {
    CMyBuffer b;
    b.AddInt(0);
    b.AddInt(-15);
    b.AddStringA("");
    b.AddStringA("AB");
    b.AddByte(0x0D);
    b.AddInt(2147483647);
    b.AddInt(-2147483647 - 1);
    EXPECT_EQ(Content(b), std::string("0-15AB\r2147483647-2147483648"));
}

TEST(MyBuffer, SizingKeepsContentAndInitZeroes) {
    CMyBuffer b;
    b.AddStringA("abc");
    b.SetBufferSize(10);
    EXPECT_EQ(b.GetBufferCapacity(), 1024);
    b.SetBufferSize(5000);
    EXPECT_EQ(b.GetBufferCapacity(), 5000);
    EXPECT_EQ(Content(b), "abc");

    b.InitBuffer(5);
    EXPECT_EQ(Content(b), std::string(5, '\0'));
    b.InitBuffer(-3);
    EXPECT_EQ(b.GetBufferLength(), 0);
    EXPECT_EQ(b.GetBufferCapacity(), 5000);
}

TEST(MyBuffer, GrowthIsExactAndAppendsInPlace) {
    CMyBuffer b;
    unsigned char* before = b.GetBuffer();
    std::string part(500, 'x');
    b.AddStringA(part.c_str());
    b.AddStringA(part.c_str());
    EXPECT_EQ(b.GetBuffer(), before);
    b.AddStringA(part.c_str());
    EXPECT_EQ(b.GetBufferCapacity(), 1500);
    EXPECT_EQ(b.GetBufferLength(), 1500);
}

TEST(MyBuffer, MaximumDiscardsOldContent) {
    std::string head(1020, 'a'), tail(500, 'b');
    CMyBuffer limited;
    limited.SetMaxBufferSize(1500);
    limited.AddStringA(head.c_str());
    limited.AddStringA(tail.c_str());
    EXPECT_EQ(Content(limited), tail);
    EXPECT_EQ(limited.GetBufferCapacity(), 1024);

    CMyBuffer unlimited;
    unlimited.SetMaxBufferSize(0);
    unlimited.AddStringA(head.c_str());
    unlimited.AddStringA(tail.c_str());
    EXPECT_EQ(unlimited.GetBufferCapacity(), 1520);
    EXPECT_EQ(Content(unlimited), head + tail);
}

TEST(MyBuffer, OversizedAppendAfterDiscardGrowsInsteadOfOverflowing) {
    CMyBuffer b;
    b.SetMaxBufferSize(1500);
    std::string head(1000, 'a'), big(3000, 'b');
    b.AddStringA(head.c_str());
    b.AddStringA(big.c_str());
    EXPECT_EQ(Content(b), big);
    EXPECT_GE(b.GetBufferCapacity(), 3000);
}
