// What an unattended plan run needs of the operating system: the dialogue's
// standard output captured into a file step by step, the console the
// runner's own lines go to, files replaced whole, and clocks.
#ifndef PLATFORM_PLAN_IO_H
#define PLATFORM_PLAN_IO_H

#include <cstdio>
#include <string>

#include "../hal/fixed_width_types.h"

// A stream to where the standard output went before any capture (dup of
// descriptor 1; _dup on Windows; on Windows Embedded Compact, whose C
// runtime cannot duplicate a stream, the standard error, the same console
// unless redirected). Open it before the first capture. NULL on failure.
std::FILE *PlatformOpenConsoleStream();

// freopen(path, "w", stdout): everything the program prints to the standard
// output (C stdio, std::cout, the wide stream) goes into the emptied file.
bool PlatformCaptureStdout(const std::string &path);

// A path for a scratch file of this process in the system's temporary
// directory: `name` and the process id make it unique (on POSIX systems the
// file is created, empty, by mkstemp).
std::string PlatformTempFilePath(const char *name);

// rename(from, to), replacing `to` (MoveFileEx with MOVEFILE_REPLACE_EXISTING;
// DeleteFile and MoveFile on Windows Embedded Compact).
bool PlatformReplaceFile(const std::string &from, const std::string &to);

// remove(path) / DeleteFileW.
void PlatformRemoveFile(const std::string &path);

// A monotonic clock in milliseconds (clock_gettime(CLOCK_MONOTONIC),
// GetTickCount); it wraps round after 49 days, so only differences count.
uint32_t PlatformMilliseconds();

// The current UTC time as "YYYY-MM-DDThh:mm:ss" (gmtime_r, GetSystemTime).
std::string PlatformUtcTimestamp();

#endif
