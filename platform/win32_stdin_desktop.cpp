// The standard input on desktop Windows (win32_stdin.h): a console when the
// console API answers for it, else a pipe or a file.
#include "win32_stdin.h"

#include <windows.h>

namespace {

HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

StandardInputKind StandardInputKindOf() {
    static const StandardInputKind kind = IsConsole(Input()) ? kInputConsole : kInputScript;
    return kind;
}

size_t StandardInputRead(char *bytes, size_t size) {
    DWORD got = 0;
    // A broken pipe, like any other failed read, is the end of the input.
    if (!ReadFile(Input(), bytes, static_cast<DWORD>(size), &got, NULL)) return 0;
    return got;
}

bool StandardInputWaiting() {
    HANDLE input = Input();
    if (GetFileType(input) != FILE_TYPE_PIPE) return true;  // files and devices never wait
    DWORD available = 0;
    if (!PeekNamedPipe(input, NULL, 0, NULL, &available, NULL))
        return true;  // ERROR_BROKEN_PIPE: the writer has gone, a read ends at once
    return available > 0;
}

// Other keys pressed while a loop polls are not meant as answers to a later
// prompt: they are taken too.
bool ConsoleSpaceKeyEventTaken() {
    bool pressed = false;
    DWORD events = 0;
    while (GetNumberOfConsoleInputEvents(Input(), &events) && events > 0) {
        INPUT_RECORD records[32];
        DWORD got = 0;
        if (!ReadConsoleInputW(Input(), records, 32, &got) || got == 0) break;
        for (DWORD i = 0; i < got; ++i) {
            const INPUT_RECORD &record = records[i];
            if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
                record.Event.KeyEvent.wVirtualKeyCode == VK_SPACE)
                pressed = true;
        }
    }
    return pressed;
}

bool StandardInputForceRemoteTerminal() { return false; }

std::string StandardInputDescription() { return std::string(); }

bool StandardInputReaderRuns() { return false; }
