// Windows Embedded Compact calls that the desktop Windows headers of
// mingw-w64 lack, declared as the CE SDK documents them, so that the CE
// build of the program can be checked on a machine without that SDK. Forced
// into every source of the check build (-include); never part of the
// program itself.
#ifndef TESTS_SUPPORT_WINCE_DECLARATIONS_H
#define TESTS_SUPPORT_WINCE_DECLARATIONS_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// The device or file that standard input (id 0), output (1) or error (2) is
// redirected to; *length holds the buffer's size in characters.
BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, LPDWORD length);

#ifdef __cplusplus
}
#endif

#endif
