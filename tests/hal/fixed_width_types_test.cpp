// The fixed-width types as the program gets them on every compiler.
#include <gtest/gtest.h>

#include <limits>

#include "../../hal/fixed_width_types.h"

namespace {

template <typename Type>
void ExpectWidthAndSign(size_t bytes, bool isSigned) {
    EXPECT_EQ(sizeof(Type), bytes);
    EXPECT_EQ(std::numeric_limits<Type>::is_signed, isSigned);
}

TEST(FixedWidthTypes, HaveTheirWidthAndSignedness) {
    ExpectWidthAndSign<int8_t>(1, true);
    ExpectWidthAndSign<uint8_t>(1, false);
    ExpectWidthAndSign<int16_t>(2, true);
    ExpectWidthAndSign<uint16_t>(2, false);
    ExpectWidthAndSign<int32_t>(4, true);
    ExpectWidthAndSign<uint32_t>(4, false);
    ExpectWidthAndSign<int64_t>(8, true);
    ExpectWidthAndSign<uint64_t>(8, false);
}

TEST(FixedWidthTypes, ThirtyTwoBitLimitsAreTheTypesOwn) {
    EXPECT_EQ(INT32_MIN, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(INT32_MAX, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(UINT32_MAX, std::numeric_limits<uint32_t>::max());
}

}  // namespace
