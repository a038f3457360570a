// The standard input on Windows Embedded Compact (win32_stdin.h), which has
// no console API: GetStdioPathW tells what it is redirected to
// (stdio_redirection.h). Input is read through the C runtime in every case.
// A remote terminal has no line discipline: a thread of its own reads it byte
// by byte as it is typed, so that a lone Space is seen at once; its line ends
// are made one, and what the console takes is echoed.
#include "win32_stdin.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "remote_terminal_input.h"

// Exported by coredll; declared only in Platform Builder's pkfuncs.h, which
// application SDKs do not ship. *length holds the buffer's size in
// characters.
extern "C" BOOL WINAPI GetStdioPathW(DWORD id, PWSTR path, PDWORD length);

namespace {

const DWORD kStandardInputId = 0;

// What the terminal's reading thread has read and the console not yet taken.
struct TerminalBytes {
    CRITICAL_SECTION lock;
    HANDLE arrived;  // manual reset: signalled while bytes or the end wait
    std::string bytes;
    bool ended;
};

TerminalBytes g_terminal;

// Line ends are joined here, so that a LF ending a CR LF never counts as
// input waiting.
DWORD WINAPI ReadTerminal(LPVOID) {
    bool afterReturn = false;
    for (;;) {
        int c = std::fgetc(stdin);
        char byte = static_cast<char>(c);
        bool kept = c != EOF && JoinTerminalLineEnds(&byte, 1, afterReturn) == 1;
        EnterCriticalSection(&g_terminal.lock);
        if (c == EOF) g_terminal.ended = true;
        if (kept) g_terminal.bytes += byte;
        if (c == EOF || kept) SetEvent(g_terminal.arrived);
        LeaveCriticalSection(&g_terminal.lock);
        if (c == EOF) return 0;
    }
}

// Waits for bytes or the end; 0 at the end.
size_t TakeTerminalBytes(char *bytes, size_t size) {
    WaitForSingleObject(g_terminal.arrived, INFINITE);
    EnterCriticalSection(&g_terminal.lock);
    size_t got = g_terminal.bytes.size() < size ? g_terminal.bytes.size() : size;
    g_terminal.bytes.copy(bytes, got);
    g_terminal.bytes.erase(0, got);
    if (g_terminal.bytes.empty() && !g_terminal.ended) ResetEvent(g_terminal.arrived);
    LeaveCriticalSection(&g_terminal.lock);
    return got;
}

bool TerminalBytesWaiting() {
    EnterCriticalSection(&g_terminal.lock);
    bool waiting = !g_terminal.bytes.empty() || g_terminal.ended;
    LeaveCriticalSection(&g_terminal.lock);
    return waiting;
}

bool StartReadingTerminal() {
    InitializeCriticalSection(&g_terminal.lock);
    g_terminal.ended = false;
    g_terminal.arrived = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!g_terminal.arrived) return false;
    HANDLE thread = CreateThread(NULL, 0, ReadTerminal, NULL, 0, NULL);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

StandardInputKind AskRedirection() {
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = static_cast<DWORD>(path.size());
        if (GetStdioPathW(kStandardInputId, &path[0], &length)) {
            path.back() = L'\0';
            return StandardInputKindOfPath(&path[0]);
        }
        DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || length <= path.size()) break;
        path.assign(length + 1, L'\0');
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
    }
    return StandardInputKindOfAnswer(false, GetLastError(), L"");
}

struct StandardInput {
    StandardInputKind kind;
    bool readByThread;  // a remote terminal whose reading thread runs
};

StandardInput Examine() {
    StandardInput input;
    input.kind = AskRedirection();
    input.readByThread = false;
    if (input.kind == kInputRemoteTerminal) {
        // Unbuffered before the first read: a buffered read would wait for a
        // whole buffer of bytes from the device.
        std::setvbuf(stdin, NULL, _IONBF, 0);
        input.readByThread = StartReadingTerminal();
    }
    return input;
}

const StandardInput &Input() {
    static const StandardInput input = Examine();
    return input;
}

// The standard input is examined at start-up, before main and so before
// anything is read.
struct ExamineAtStartUp {
    ExamineAtStartUp() { Input(); }
};
const ExamineAtStartUp g_examineAtStartUp;

// Without a reading thread a terminal is read a byte at a time, and nothing
// counts as waiting.
size_t ReadTerminalByte(char *bytes) {
    static bool afterReturn = false;
    for (;;) {
        int c = std::fgetc(stdin);
        if (c == EOF) return 0;
        bytes[0] = static_cast<char>(c);
        if (JoinTerminalLineEnds(bytes, 1, afterReturn) == 1) return 1;
    }
}

size_t ReadRemoteTerminal(char *bytes, size_t size) {
    size_t got = Input().readByThread ? TakeTerminalBytes(bytes, size) : ReadTerminalByte(bytes);
    std::fputs(TerminalEcho(bytes, got).c_str(), stdout);
    std::fflush(stdout);
    return got;
}

// The console driver hands over what was typed line by line, and a file
// never waits.
size_t ReadUpToLineEnd(char *bytes, size_t size) {
    size_t got = 0;
    while (got < size) {
        int c = std::fgetc(stdin);
        if (c == EOF) break;
        bytes[got++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return got;
}

}  // namespace

StandardInputKind StandardInputKindOf() { return Input().kind; }

size_t StandardInputRead(char *bytes, size_t size) {
    if (size == 0) return 0;
    if (Input().kind == kInputRemoteTerminal) return ReadRemoteTerminal(bytes, size);
    return ReadUpToLineEnd(bytes, size);
}

bool StandardInputWaiting() {
    switch (Input().kind) {
    case kInputScript:
        return true;  // a file never waits
    case kInputRemoteTerminal:
        return Input().readByThread && TerminalBytesWaiting();
    default:
        return false;
    }
}

bool ConsoleSpaceKeyEventTaken() { return false; }
