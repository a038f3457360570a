#include "version_tests.h"

#include <cstdio>

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "version_texts.h"

namespace {

const char kLibraryFormat[] = "QZHalLib Version: %x.%x.%x.%x\n";
const char kBspFormat[] = "BSP Version: %x.%x.%x.%x\n";
const char kImageFormat[] = "WinCE Image Version: %x.%x.%x.%x\n";

}  // namespace

void VersionTests::VersionTestMenu() {
    static const char *const kMenuItems[] = {kLibraryVersionTitle, kBspVersionTitle,
                                             kImageVersionTitle};
    for (;;) {
        PrintSubMenu("Select Version Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0:
            return;
        case 1:
            RecordUnprintedResult(ShowVersion(kLibraryVersionTitle, QZHalLibGetVersion, kLibraryFormat));
            break;
        case 2:
            RecordUnprintedResult(ShowVersion(kBspVersionTitle, BSPGetVersion, kBspFormat));
            break;
        case 3:
            RecordUnprintedResult(ShowVersion(kImageVersionTitle, WinCEImageGetVersion, kImageFormat));
            break;
        default:
            PrintNotValidTestFunction();
            break;
        }
    }
}

int VersionTests::ShowVersion(const char *title, VersionQuery query, const char *format) {
    PrintTestHeader(title);
    uint32_t version = query();
    PrintLine("-------------------------------------");  // 37 dashes
    PrintVersion(version, format);
    return version != 0 ? 1 : 0;
}

void VersionTests::PrintAllVersions() {
    PrintVersion(QZHalLibGetVersion(), kLibraryFormat);
    PrintVersion(BSPGetVersion(), kBspFormat);
    PrintVersion(WinCEImageGetVersion(), kImageFormat);
}

// The word's four bytes, most significant first, each in hexadecimal.
void VersionTests::PrintVersion(uint32_t version, const char *format) {
    std::printf(format, static_cast<unsigned>(version >> 24), static_cast<unsigned>((version >> 16) & 0xFF),
                static_cast<unsigned>((version >> 8) & 0xFF), static_cast<unsigned>(version & 0xFF));
    std::fflush(stdout);
}
