// What an unattended plan run needs of the operating system: the plan read
// whole, report paths checked and scratch files made safely, the dialogue's
// standard output captured step by step, the console the runner's own
// lines go to, files replaced whole, a request to stop, and clocks.
#ifndef PLATFORM_PLAN_IO_H
#define PLATFORM_PLAN_IO_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "../hal/fixed_width_types.h"

// A plan is read whole, once, before anything runs, and at most this long.
const size_t kPlanFileMaxBytes = 16u << 20;

// The path as the program opens it: on Windows Embedded Compact, which has
// no current folder, a relative path is taken from the program's own
// folder; elsewhere the path as given (relative to the current folder).
std::string PlatformResolvePath(const std::string &path);

// Reads the plan at path into text: a regular file, or a pipe (standard
// input as /dev/stdin, a FIFO), opened without waiting for a writer: a FIFO
// that has none reads as empty. False with a one-line reason for anything
// else, to follow the path and ": " ("is a directory, not a plan file",
// "cannot open it: No such file or directory").
bool PlatformReadPlanFile(const std::string &path, std::string &text, std::string &reason);

enum PathKind { kPathMissing, kPathRegularFile, kPathDirectory, kPathOther };

// What is at path (through links).
PathKind PlatformPathKind(const std::string &path);

// Whether a and b name one file: through links, other spellings or, on
// POSIX systems, hard links; for a path that does not exist yet, whether
// both name the same place in the same folder.
bool PlatformSameFile(const std::string &a, const std::string &b);

// A new, empty scratch file in `folder` (empty: the system's temporary
// folder, TMPDIR on POSIX systems), open for reading and writing. It is
// created exclusively, under a name no one can tell in advance that begins
// with `name`, so a link or file laid there beforehand is never followed or
// overwritten. With `keepName` false the file has no name left on POSIX
// systems (unlinked at once: nothing stays even after SIGKILL) and `path` is
// empty; elsewhere `path` names it and the caller removes it. NULL with the
// reason on failure.
std::FILE *PlatformCreateScratchFile(const std::string &folder, const char *name, bool keepName,
                                     std::string &path, std::string &reason);

// The folder part of a path ("." when it has none).
std::string PlatformFolderOf(const std::string &path);

// A stream to where the standard output went before any capture (dup of
// descriptor 1; _dup on Windows; on Windows Embedded Compact, whose C
// runtime cannot duplicate a stream, the standard error, the same console
// unless redirected). Open it before the first capture. NULL on failure.
std::FILE *PlatformOpenConsoleStream();

// Redirects the standard output (C stdio and std::cout alike) into a new
// scratch file in the temporary folder, open for reading back through
// stdout itself: one handle, which Windows needs to remove the file at the
// end. False with the reason.
bool PlatformCaptureStdout(std::string &reason);

// Ends the capture: the standard output is closed and its scratch file
// removed (on POSIX systems it has had no name since the capture began).
void PlatformEndCapture();

// rename(from, to), replacing `to` (MoveFileEx with MOVEFILE_REPLACE_EXISTING;
// DeleteFile and MoveFile on Windows Embedded Compact).
bool PlatformReplaceFile(const std::string &from, const std::string &to);

// remove(path) / DeleteFileW.
void PlatformRemoveFile(const std::string &path);

// The system's reason for the last failed file call ("No such file or
// directory").
std::string PlatformLastFileError();

// A request to stop the process from outside (SIGINT, SIGTERM and SIGHUP on
// POSIX systems; Ctrl-C, Ctrl-Break and closing the console on Windows) calls
// onRequest on a thread of its own, with the signal's number (Windows:
// SIGINT 2, SIGBREAK 21, SIGHUP 1); onRequest ends the process. The calling
// thread, and the threads it starts later, are never interrupted by these
// signals. onRequest runs holding the stop requests (below); it ends the
// process, or returns when there is nothing left to stop. False where the
// system has no such requests (Windows Embedded Compact) or the handler
// cannot be set up.
bool PlatformCatchStopRequests(void (*onRequest)(int signalNumber));

// Between these two calls a stop request waits: the runner holds it while
// it writes reports, so that a stop never finds one half written.
void PlatformHoldStopRequests();
void PlatformReleaseStopRequests();

// "SIGTERM", "SIGINT", ... for a number PlatformCatchStopRequests passes.
const char *PlatformSignalName(int signalNumber);

// A monotonic clock in milliseconds (clock_gettime(CLOCK_MONOTONIC),
// GetTickCount); it wraps round after 49 days, so only differences count.
uint32_t PlatformMilliseconds();

// The current UTC time as "YYYY-MM-DDThh:mm:ss" (gmtime_r, GetSystemTime).
std::string PlatformUtcTimestamp();

#endif
