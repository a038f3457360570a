// The last-error codes the program reports for refused library calls and
// for the system calls the tests fail on purpose (QZHAL_PLATFORM_FAIL), as
// each platform layer and the simulated board's seam set them.
#ifndef TESTS_SUPPORT_SYSTEM_CODES_H
#define TESTS_SUPPORT_SYSTEM_CODES_H

#include <cstdint>

#ifdef _WIN32
constexpr uint32_t kCodeInvalidArgument = 87;  // ERROR_INVALID_PARAMETER
constexpr uint32_t kCodeNoEvent = 4;           // ERROR_TOO_MANY_OPEN_FILES
constexpr uint32_t kCodeNoThread = 8;          // ERROR_NOT_ENOUGH_MEMORY
constexpr uint32_t kCodeWaitFailed = 6;        // ERROR_INVALID_HANDLE
#else
#include <cerrno>
constexpr uint32_t kCodeInvalidArgument = EINVAL;
constexpr uint32_t kCodeNoEvent = EMFILE;
constexpr uint32_t kCodeNoThread = EAGAIN;
constexpr uint32_t kCodeWaitFailed = EBADF;
#endif

#endif
