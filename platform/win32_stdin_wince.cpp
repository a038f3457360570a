// The standard input on Windows Embedded Compact (win32_stdin.h), which has
// no console API: GetStdioPathW tells what it is redirected to
// (stdio_redirection.h). Input is read through the C runtime in every case.
#include "win32_stdin.h"

#include <windows.h>

#include <cstdio>

namespace {

const DWORD kStandardInputId = 0;

struct StandardInput {
    StandardInputKind kind;
    // The serial port opened a second time, without read or write access,
    // only to count the bytes waiting in its queue; INVALID_HANDLE_VALUE
    // when the driver refuses such a handle.
    HANDLE portQueue;
};

HANDLE OpenPortQueue(const wchar_t *path) {
    return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

StandardInput Examine() {
    StandardInput input;
    input.kind = kInputConsole;
    input.portQueue = INVALID_HANDLE_VALUE;
    wchar_t path[MAX_PATH] = L"";
    DWORD length = MAX_PATH;
    if (!GetStdioPathW(kStandardInputId, path, &length)) return input;
    path[MAX_PATH - 1] = L'\0';
    input.kind = StandardInputKindOfPath(path);
    if (input.kind == kInputRemoteTerminal) {
        input.portQueue = OpenPortQueue(path);
        // Unbuffered, so that every byte the program has not read is still
        // in the port's queue, where ClearCommError counts it.
        std::setvbuf(stdin, NULL, _IONBF, 0);
    }
    return input;
}

const StandardInput &Input() {
    static const StandardInput input = Examine();
    return input;
}

bool PortBytesWaiting(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status;
    if (!ClearCommError(port, &errors, &status)) return false;
    return status.cbInQue > 0;
}

}  // namespace

StandardInputKind StandardInputKindOf() { return Input().kind; }

// Up to the end of a line: the console driver and a serial line hand over
// what was typed line by line, and a file never waits.
size_t StandardInputRead(char *bytes, size_t size) {
    size_t got = 0;
    while (got < size) {
        int c = std::fgetc(stdin);
        if (c == EOF) break;
        bytes[got++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return got;
}

bool StandardInputWaiting() {
    switch (Input().kind) {
    case kInputScript:
        return true;  // a file never waits
    case kInputRemoteTerminal:
        return Input().portQueue != INVALID_HANDLE_VALUE && PortBytesWaiting(Input().portQueue);
    default:
        return false;
    }
}

bool ConsoleSpaceKeyEventTaken() { return false; }
