// The standard input on Windows Embedded Compact (win32_stdin.h), which has
// no console API: GetStdioPathW and the registry's console settings tell
// what it is (win32_console_redirection.h). A console or a file is read
// through the C runtime. A remote terminal has no line discipline: from the
// first read on, a thread of its own reads it byte by byte as it is typed,
// so that a lone Space is seen at once; its line ends are made one, and what
// the console takes is echoed. The thread reads the terminal's device with
// Win32 calls where the redirection names one and it opens, else the C
// runtime's standard input, unbuffered.
#include "win32_stdin.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "remote_terminal_input.h"
#include "win32_console_redirection.h"

namespace {

struct Classification {
    bool made;
    bool forced;  // --terminal
    ConsoleRedirection redirection;
    StandardInputClass inputClass;
};

Classification g_classification;

const Classification &Classified() {
    if (!g_classification.made) {
        g_classification.redirection = AskConsoleRedirection();
        g_classification.inputClass = StandardInputClassOf(g_classification.redirection, g_classification.forced);
        g_classification.made = true;
    }
    return g_classification;
}

StandardInputKind Kind() { return Classified().inputClass.kind; }

// The remote terminal's reading, begun by the first read or check of it.
// Only the dialogue's thread begins it.
struct TerminalReading {
    bool begun;
    bool threadRuns;             // else each read reads one byte itself
    TerminalDevice device;       // no handle: the C runtime's standard input
    bool deviceRefused;
    unsigned long refusalError;
    bool afterReturn;            // of the reads without a thread
    // Shared with the thread: what it has read and the console not yet taken.
    CRITICAL_SECTION lock;
    HANDLE arrived;  // manual reset: signalled while bytes or the end wait
    std::string bytes;
    bool ended;
    bool anythingRead;
};

TerminalReading g_terminal;

// One byte from the terminal's source, waiting for it; EOF at the end.
int ReadSourceByte() {
    if (!g_terminal.device.handle) return std::fgetc(stdin);
    for (;;) {
        int c = ReadTerminalDeviceByte(g_terminal.device);
        if (c != kTerminalNothingYet) return c == kTerminalEnded ? EOF : c;
    }
}

// The terminal ended before anything came: say why, when the device was
// refused (the C runtime's own open of it may have failed too).
void TellEarlyEnd() {
    if (g_terminal.anythingRead || !g_terminal.deviceRefused) return;
    std::fprintf(stderr, "qzhaltest: the terminal's input ended before anything was typed: %s was refused (error %lu)\n",
                 NarrowedToAscii(Classified().inputClass.device).c_str(), g_terminal.refusalError);
    std::fflush(stderr);
}

// Line ends are joined here, so that a LF ending a CR LF never counts as
// input waiting.
DWORD WINAPI ReadTerminal(LPVOID) {
    bool afterReturn = false;
    for (;;) {
        int c = ReadSourceByte();
        char byte = static_cast<char>(c);
        bool kept = c != EOF && JoinTerminalLineEnds(&byte, 1, afterReturn) == 1;
        if (c == EOF) TellEarlyEnd();
        EnterCriticalSection(&g_terminal.lock);
        if (c == EOF) g_terminal.ended = true;
        if (c != EOF) g_terminal.anythingRead = true;
        if (kept) g_terminal.bytes += byte;
        if (c == EOF || kept) SetEvent(g_terminal.arrived);
        LeaveCriticalSection(&g_terminal.lock);
        if (c == EOF) return 0;
    }
}

bool StartThread() {
    InitializeCriticalSection(&g_terminal.lock);
    g_terminal.arrived = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!g_terminal.arrived) return false;
    HANDLE thread = CreateThread(NULL, 0, ReadTerminal, NULL, 0, NULL);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

void BeginReadingTerminal() {
    if (g_terminal.begun) return;
    g_terminal.begun = true;
    const std::wstring &device = Classified().inputClass.device;
    if (!device.empty()) {
        g_terminal.device = OpenTerminalDevice(device);
        if (!g_terminal.device.handle) {
            g_terminal.deviceRefused = true;
            g_terminal.refusalError = g_terminal.device.error;
            std::fprintf(stderr, "qzhaltest: %s\n", TerminalDeviceRefusal(device, g_terminal.device.error).c_str());
            std::fflush(stderr);
        }
    }
    // Unbuffered before the first read: a buffered read would wait for a
    // whole buffer of bytes from the device.
    if (!g_terminal.device.handle) std::setvbuf(stdin, NULL, _IONBF, 0);
    g_terminal.threadRuns = StartThread();
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

// Without a reading thread a terminal is read a byte at a time, and nothing
// counts as waiting.
size_t ReadTerminalByte(char *bytes) {
    for (;;) {
        int c = ReadSourceByte();
        if (c == EOF) {
            TellEarlyEnd();
            return 0;
        }
        g_terminal.anythingRead = true;
        bytes[0] = static_cast<char>(c);
        if (JoinTerminalLineEnds(bytes, 1, g_terminal.afterReturn) == 1) return 1;
    }
}

size_t ReadRemoteTerminal(char *bytes, size_t size) {
    BeginReadingTerminal();
    size_t got = g_terminal.threadRuns ? TakeTerminalBytes(bytes, size) : ReadTerminalByte(bytes);
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

StandardInputKind StandardInputKindOf() { return Kind(); }

size_t StandardInputRead(char *bytes, size_t size) {
    if (size == 0) return 0;
    if (Kind() == kInputRemoteTerminal) return ReadRemoteTerminal(bytes, size);
    return ReadUpToLineEnd(bytes, size);
}

bool StandardInputWaiting() {
    switch (Kind()) {
    case kInputScript:
        return true;  // a file never waits
    case kInputRemoteTerminal:
        BeginReadingTerminal();
        return g_terminal.threadRuns && TerminalBytesWaiting();
    default:
        return false;
    }
}

bool ConsoleSpaceKeyEventTaken() { return false; }

bool StandardInputForceRemoteTerminal() {
    g_classification.forced = true;
    if (g_classification.made) g_classification.inputClass = StandardInputClassOf(g_classification.redirection, true);
    return true;
}

std::string StandardInputDescription() {
    const Classification &classification = Classified();
    return DescribeConsole(classification.redirection, classification.inputClass, classification.forced);
}

bool StandardInputReaderRuns() { return g_terminal.threadRuns; }
