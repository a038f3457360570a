// The process heap and the system's error texts of the platform layer.
#include <gtest/gtest.h>

#include <cstdint>

#include "../../platform/system.h"
#include "system_codes.h"

namespace {

TEST(PlatformHeap, BlocksComeZeroedAndGoBack) {
    for (size_t bytes : {size_t{1}, size_t{4096}, size_t{1} << 20}) {
        auto *block = static_cast<unsigned char *>(PlatformHeapAllocZeroed(bytes));
        ASSERT_NE(block, nullptr) << bytes;
        size_t nonZero = 0;
        for (size_t i = 0; i < bytes; ++i) nonZero += block[i] != 0;
        EXPECT_EQ(nonZero, 0u) << bytes;
        block[bytes - 1] = 0xff;
        PlatformHeapFree(block);
    }
    PlatformHeapFree(nullptr);
}

TEST(PlatformError, SystemTextsAreOneLineWithoutLineEnds) {
    for (uint32_t code : {kCodeInvalidArgument, kCodeNoEvent, kCodeNoThread}) {
        std::string text = PlatformErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
    }
}

}  // namespace
