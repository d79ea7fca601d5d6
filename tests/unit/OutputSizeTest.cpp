#include "window/OutputSize.h"

#include <gtest/gtest.h>

#include <climits>

TEST(OutputSize, ReferenceIsTheLastFrameLargerInEitherDirection)
{
    EXPECT_EQ(wxSize(60, 80), ReferenceSize({wxSize(100, 50), wxSize(60, 80)}));
    EXPECT_EQ(wxSize(320, 600), ReferenceSize({wxSize(640, 480), wxSize(320, 600)}));
    EXPECT_EQ(wxSize(640, 480), ReferenceSize({wxSize(640, 480), wxSize(320, 240), wxSize(640, 480)}));
    EXPECT_EQ(wxSize(0, 0), ReferenceSize({}));
}

TEST(OutputSize, PartnerSideKeepsTheReferenceProportion)
{
    EXPECT_EQ(240, HeightForWidth(320, 640, 480));
    EXPECT_EQ(133, WidthForHeight(100, 640, 480));
    EXPECT_EQ(0, HeightForWidth(1, 3, 2));
    // Products past 32 bits.
    EXPECT_EQ(65535, HeightForWidth(65535, 65535, 65535));
    EXPECT_EQ(65535, WidthForHeight(65535, 65535, 65535));
    EXPECT_EQ(INT_MAX, HeightForWidth(65535, 1, 65535));
    // Without a reference the partner side is left alone.
    EXPECT_EQ(-1, HeightForWidth(320, 0, 480));
    EXPECT_EQ(-1, WidthForHeight(100, 640, 0));
}
