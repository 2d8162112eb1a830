#include <gtest/gtest.h>

#include "picture/Picture.h"

TEST(ExtractExtension, TakesTextAfterLastDot) {
    EXPECT_EQ(ExtractExtension("a/b.c.bmp"), "bmp");
}
