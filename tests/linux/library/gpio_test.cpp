// The GPIO interrupt thread and the line lookup against the libgpiod
// stand-in (gpiod_stand_in.h): a line whose edges the test queues.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

#include "gpio_interrupt.h"
#include "gpio_lines.h"
#include "gpiod_stand_in.h"
#include "stand_ins.h"

namespace {

constexpr int kRise = GPIOD_LINE_EVENT_RISING_EDGE;
constexpr int kFall = GPIOD_LINE_EVENT_FALLING_EDGE;

// Polls of the interrupt thread on the line's events.
class ThreadPolls {
public:
    explicit ThreadPolls(gpiod_line &line) : line_(line) {
        g_beforePoll = [this](const pollfd *fds, nfds_t, int timeout) {
            if (fds[0].fd != line_.eventFd) return;
            readsBefore_ = line_.reads.load();
            ++all_;
            if (timeout == 0) ++immediate_;
        };
    }
    // Waits until the thread has taken every queued event and polls again.
    void WaitUntilTaken() {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(line_.mutex);
                if (line_.events.empty() && readsBefore_ == line_.reads) return;
            }
            std::this_thread::yield();
        }
    }
    ~ThreadPolls() { g_beforePoll = nullptr; }
    int All() const { return all_; }
    int Immediate() const { return immediate_; }

private:
    gpiod_line &line_;
    std::atomic<int> all_{0}, immediate_{0}, readsBefore_{0};
};

// Waits until the event is signalled; false after `ms`.
bool Signalled(int event, int ms) {
    pollfd ready = {event, POLLIN, 0};
    if (poll(&ready, 1, ms) != 1) return false;
    uint64_t count;
    return read(event, &count, sizeof count) == sizeof count;
}

TEST(GpioInterruptThread, KeepsItsOwnEventWhenTheCallersNumberIsClosedAndReused) {
    gpiod_line line;
    int event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ThreadPolls polls(line);
    // Declared after the line and the polls: stopped first.
    GpioInterrupt interrupt(&line, kBoth, event);
    ASSERT_TRUE(interrupt.Start());
    while (polls.All() < 1) std::this_thread::yield();
    close(event);
    // Another file now has that number.
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK), 0);
    ASSERT_EQ(dup2(pipeEnds[1], event), event);
    line.Push({kRise}, 1);
    polls.WaitUntilTaken();
    char bytes[8];
    EXPECT_EQ(read(pipeEnds[0], bytes, sizeof bytes), -1) << "the interrupt wrote into another file";
    close(event);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST(GpioInterruptThread, ALevelInterruptFollowsTheLineWhenEventsWereDropped) {
    gpiod_line line;
    line.level = 1;
    int event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ThreadPolls polls(line);
    {
        GpioInterrupt interrupt(&line, kLow, event);
        ASSERT_TRUE(interrupt.Start());
        while (polls.All() < 1) std::this_thread::yield();
        // A bouncing line filled the queue (16 events): the falling edge
        // after them was dropped, the line is low.
        line.Push({kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise,
                   kFall, kRise},
                  0);
        EXPECT_TRUE(Signalled(event, 2000)) << "a low line never signalled";
        // And the other way: the rising edge was dropped, the line is high.
        line.Push({kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall, kRise, kFall,
                   kRise, kFall},
                  1);
        polls.WaitUntilTaken();
        Signalled(event, 0);
        EXPECT_FALSE(Signalled(event, 50)) << "a high line went on signalling";
    }
    close(event);
}

TEST(GpioInterruptThread, AHeldLevelWaitsOutEachPeriodWithoutSpinning) {
    gpiod_line line;
    int event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ThreadPolls polls(line);
    {
        GpioInterrupt interrupt(&line, kLow, event);
        ASSERT_TRUE(interrupt.Start());
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(Signalled(event, 1000));
    }
    // About one poll per period, none of them with no timeout at all.
    EXPECT_EQ(polls.Immediate(), 0);
    EXPECT_LE(polls.All(), 20);
    close(event);
}

TEST(GpioLineLookup, ALineNameBehindAChipThatCannotBeOpenedSaysSo) {
    SetGpioChips({{"gpiochip0", {"", {}, EACCES}}});
    GpioEntry entry;
    entry.name = "LOCKED";
    GpioLine line;
    std::string why;
    EXPECT_FALSE(OpenGpioLine(entry, line, why));
    EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
    SetGpioChips({{"gpiochip0", {"vm-gpio", {"GPIO1"}}}});
    entry.name = "GPIO9";
    EXPECT_FALSE(OpenGpioLine(entry, line, why));
    EXPECT_EQ(why, "no GPIO line named \"GPIO9\"");
}

TEST(GpioLineLookup, AChipThatCannotBeOpenedIsSkippedAndNamedOnlyWhenNothingWasFound) {
    // A board with one chip kept from this process, before the one that
    // has the pins.
    SetGpioChips({{"gpiochip0", {"", {}, EACCES}}, {"gpiochip1", {"vm-gpio", {"GPIO1", "GPIO2"}}}});
    GpioEntry byName;
    byName.name = "GPIO2";
    GpioEntry byLabel;
    byLabel.chip = "vm-gpio";
    byLabel.offset = 1;
    for (const GpioEntry &entry : {byName, byLabel}) {
        GpioLine line;
        std::string why;
        ASSERT_TRUE(OpenGpioLine(entry, line, why)) << why;
        EXPECT_STREQ(gpiod_chip_label(line.chip), "vm-gpio");
        EXPECT_EQ(line.line, gpiod_chip_get_line(line.chip, 1));
        CloseGpioLine(line);
    }
    const std::string unopened = "; /dev/gpiochip0 cannot be opened (Permission denied)";
    GpioLine line;
    std::string why;
    byName.name = "GPIO3";
    EXPECT_FALSE(OpenGpioLine(byName, line, why));
    EXPECT_EQ(why, "no GPIO line named \"GPIO3\" on the GPIO chips that could be opened" + unopened);
    byLabel.chip = "other-gpio";
    EXPECT_FALSE(OpenGpioLine(byLabel, line, why));
    EXPECT_EQ(why, "no GPIO chip \"other-gpio\" among the GPIO chips that could be opened" + unopened);
    // Named by its file, the chip is not looked for among the others.
    byLabel.chip = "gpiochip0";
    EXPECT_FALSE(OpenGpioLine(byLabel, line, why));
    EXPECT_EQ(why, "cannot open GPIO chip \"gpiochip0\" (Permission denied)");
    SetGpioChips({});
}

}  // namespace
