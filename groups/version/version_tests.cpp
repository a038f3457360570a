#include "version_tests.h"

#include <cstdio>

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"

void VersionTests::VersionTestMenu() {
    static const char *const kMenuItems[] = {"Get QZHalLib Version Test", "Get BSP Version Test",
                                             "Get WinCE Image Version Test"};
    for (;;) {
        PrintSubMenu("Select Version Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            ShowVersion("Get QZHalLib Version Test", QZHalLibGetVersion,
                        "QZHalLib Version: %x.%x.%x.%x\n");
            break;
        case 2:
            ShowVersion("Get BSP Version Test", BSPGetVersion, "BSP Version: %x.%x.%x.%x\n");
            break;
        case 3:
            ShowVersion("Get WinCE Image Version Test", WinCEImageGetVersion,
                        "WinCE Image Version: %x.%x.%x.%x\n");
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

// The word's four bytes, most significant first, each in hexadecimal.
void VersionTests::ShowVersion(const char *title, VersionQuery query, const char *format) {
    PrintTestHeader(title);
    uint32_t version = query();
    PrintLine("-------------------------------------");  // 37 dashes
    std::printf(format, static_cast<unsigned>(version >> 24), static_cast<unsigned>((version >> 16) & 0xFF),
                static_cast<unsigned>((version >> 8) & 0xFF), static_cast<unsigned>(version & 0xFF));
    std::fflush(stdout);
}
