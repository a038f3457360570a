// Win32 implementation of platform/console.h. A console is a person: Space
// is the real key and message boxes are MessageBoxW. Redirected input (a
// pipe or a file: scripts, tests) follows the script conventions of
// console_script.cpp, and the boxes are console text there; a terminal on a
// serial line is a person typing into redirected input. What the standard
// input is, and how it is read, is win32_stdin.h.
#include "console.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "console_script.h"
#include "win32_stdin.h"
#include "win32_text.h"

namespace {

bool SpaceKeyDown() { return (GetAsyncKeyState(VK_SPACE) & 0x8000) != 0; }

bool ConsoleSpacePressed() {
    bool down = SpaceKeyDown();
    return ConsoleSpaceKeyEventTaken() || down;
}

// A Space typed at the terminal since the last check; keys other than Space
// typed while a loop polls are not meant as answers to a later prompt. The
// device's own Space key counts as well.
bool RemoteTerminalSpacePressed() {
    bool down = SpaceKeyDown();
    return ConsoleTakeThroughBlank() || down;
}

}  // namespace

size_t ConsoleReadInput(char *bytes, size_t size) { return StandardInputRead(bytes, size); }

bool ConsoleInputWaiting() { return StandardInputWaiting(); }

void ConsoleBeforeWait() {}

bool PlatformConsoleIsTerminal() { return !PlatformConsoleFed() && StandardInputKindOf() != kInputScript; }

bool PlatformSpaceKeyPressed() {
    if (PlatformConsoleFed()) return ConsoleFedSpacePressed();
    switch (StandardInputKindOf()) {
    case kInputConsole: return ConsoleSpacePressed();
    case kInputRemoteTerminal: return RemoteTerminalSpacePressed();
    default: return ConsoleScriptSpacePressed();
    }
}

bool PlatformConsoleForceRemoteTerminal() { return StandardInputForceRemoteTerminal(); }

std::string PlatformConsoleDescription() { return StandardInputDescription(); }

bool PlatformConsoleReaderRuns() { return StandardInputReaderRuns(); }

int PlatformMessageBox(const char *text, const char *caption, uint32_t type) {
    if (PlatformConsoleFed()) return ConsoleTextBox(text, caption, type, false);
    StandardInputKind kind = StandardInputKindOf();
    if (kind != kInputConsole) return ConsoleTextBox(text, caption, type, kind == kInputRemoteTerminal);
    std::fflush(stdout);
    return MessageBoxW(NULL, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), type);
}
