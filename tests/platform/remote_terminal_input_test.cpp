// What the console makes of the bytes typed at a remote terminal.
#include <gtest/gtest.h>

#include <string>

#include "../../platform/remote_terminal_input.h"

namespace {

// The reads' bytes joined, one read after the other.
std::string Joined(std::initializer_list<std::string> reads) {
    bool afterReturn = false;
    std::string joined;
    for (std::string read : reads) {
        size_t kept = JoinTerminalLineEnds(&read[0], read.size(), afterReturn);
        joined += read.substr(0, kept);
    }
    return joined;
}

TEST(RemoteTerminalInput, CrLfAndCrLfEachEndOneLineAlsoAcrossReads) {
    EXPECT_EQ(Joined({"12\r34\r\n56\n78\n\r9"}), "12\n34\n56\n78\n\n9");
    EXPECT_EQ(Joined({"3\r", "\n", "6\r", "\r", "\n"}), "3\n6\n\n");
    EXPECT_EQ(Joined({"\r", "\r\n", " "}), "\n\n ");
    EXPECT_EQ(Joined({"\r", "x\n"}), "\nx\n");
}

TEST(RemoteTerminalInput, EchoShowsTextAndLineEndsButNoOtherControlBytes) {
    const std::string typed = "ab 1\t\n\x1b[A\x08\x7f\xc3\xa9";
    EXPECT_EQ(TerminalEcho(typed.data(), typed.size()), "ab 1\t\n[A\xc3\xa9");
}

}  // namespace
