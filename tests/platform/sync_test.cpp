// Events and threads of the platform layer.
#include <gtest/gtest.h>

#include <atomic>

#include "../../platform/sync.h"

namespace {

TEST(PlatformEvent, SignalsBeforeOneWaitMergeIntoOneWake) {
    PlatformHandle event = PlatformCreateEvent();
    ASSERT_NE(event, nullptr);
    ASSERT_TRUE(PlatformSetEvent(event));
    ASSERT_TRUE(PlatformSetEvent(event));
    EXPECT_EQ(PlatformWaitEvent(event), kPlatformWaitSignalled);
    // Both signals were consumed by the one wake: a third signal is needed.
    PlatformSetEvent(event);
    EXPECT_EQ(PlatformWaitEvent(event), kPlatformWaitSignalled);
    PlatformCloseEvent(event);
}

uint32_t AddOne(void *counter) {
    static_cast<std::atomic<int> *>(counter)->fetch_add(1);
    return 0;
}

TEST(PlatformThread, WaitForAllReturnsWhenEveryThreadHasEnded) {
    std::atomic<int> counter{0};
    PlatformHandle threads[4];
    for (PlatformHandle &thread : threads) {
        thread = PlatformCreateThread(AddOne, &counter);
        ASSERT_NE(thread, nullptr);
    }
    EXPECT_EQ(PlatformWaitForAllThreads(threads, 4), kPlatformWaitSignalled);
    EXPECT_EQ(counter.load(), 4);
    for (PlatformHandle thread : threads) PlatformCloseThread(thread);
}

}  // namespace
