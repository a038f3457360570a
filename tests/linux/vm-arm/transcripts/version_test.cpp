// The versions on the board: the library's, the BSP's from os-release, and
// the image's from Debian's armmp kernel release.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <cstdio>
#include <cstring>

#include "expected_text.h"
#include "kernel_side.h"
#include "program_run.h"

namespace {

using Trace = std::vector<std::string>;

TEST(VersionOnArmmp, TheLibraryTheBspFromOsReleaseAndTheKernelRelease) {
    // Debian 12's os-release names its version by the major number alone.
    WriteText("/etc/os-release", "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION_ID=\"12\"\n");
    utsname name;
    ASSERT_EQ(uname(&name), 0);
    unsigned major = 0, minor = 0, patch = 0, build = 0;
    char flavour[16] = "";
    ASSERT_EQ(std::sscanf(name.release, "%u.%u.%u-%u-%15s", &major, &minor, &patch, &build, flavour), 5)
        << name.release;
    EXPECT_STREQ(flavour, "armmp");
    RunResult run = RunProgram("7\n1\n2\n3\n0\n0\n");
    EXPECT_EQ(run.trace, (Trace{"QZHalLibGetVersion() = 16777216", "BSPGetVersion() = 201326592",
                                "WinCEImageGetVersion() = " +
                                    std::to_string(major << 24 | minor << 16 | patch << 8 | build)}));
    EXPECT_NE(run.output.find(Line("QZHalLib Version: 1.0.0.0")), std::string::npos);
    EXPECT_NE(run.output.find(Line("BSP Version: c.0.0.0")), std::string::npos);
}

}  // namespace
