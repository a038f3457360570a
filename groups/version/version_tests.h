#ifndef GROUPS_VERSION_VERSION_TESTS_H
#define GROUPS_VERSION_VERSION_TESTS_H

#include "../../hal/fixed_width_types.h"

// Library, board support package and OS image versions (main-menu item 7).
class VersionTests {
public:
    void VersionTestMenu();

    // The three version lines as the tests print them, without their
    // headers ("QZHalLib Version: 1.2.3.4", ...), for --version.
    void PrintAllVersions();

private:
    typedef uint32_t (*VersionQuery)();
    // Prints no status line: 1 when the library gave a version, 0 for none
    // (a version word of 0).
    int ShowVersion(const char *title, VersionQuery query, const char *format);
    void PrintVersion(uint32_t version, const char *format);
};

#endif
