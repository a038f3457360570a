// Win32 implementation of platform/console.h. A console is a person: Space
// is the real key and message boxes are MessageBoxW. Redirected input (a
// pipe or a file: scripts, tests) follows the script conventions of
// console_script.cpp, and the boxes are console text there.
#include "console.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "console_script.h"

namespace {

HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0;
}

// Takes every key event the console holds without waiting: true when the
// Space key went down among them. Other keys pressed while a loop polls are
// not meant as answers to a later prompt.
bool ConsoleSpaceKeyEvent() {
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

bool ConsoleSpacePressed() {
    bool down = (GetAsyncKeyState(VK_SPACE) & 0x8000) != 0;
    return ConsoleSpaceKeyEvent() || down;
}

std::wstring Wide(const char *text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

}  // namespace

size_t ConsoleReadInput(char *bytes, size_t size) {
    DWORD got = 0;
    // A broken pipe, like any other failed read, is the end of the input.
    if (!ReadFile(Input(), bytes, static_cast<DWORD>(size), &got, nullptr)) return 0;
    return got;
}

bool ConsoleInputWaiting() {
    HANDLE input = Input();
    if (GetFileType(input) != FILE_TYPE_PIPE) return true;  // files and devices never wait
    DWORD available = 0;
    if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr))
        return true;  // ERROR_BROKEN_PIPE: the writer has gone, a read ends at once
    return available > 0;
}

void ConsoleBeforeWait() {}

bool PlatformConsoleIsTerminal() { return IsConsole(Input()); }

bool PlatformSpaceKeyPressed() {
    static const bool console = PlatformConsoleIsTerminal();
    return console ? ConsoleSpacePressed() : ConsoleScriptSpacePressed();
}

int PlatformMessageBox(const char *text, const char *caption, uint32_t type) {
    if (!PlatformConsoleIsTerminal()) return ConsoleTextBox(text, caption, type, false);
    std::fflush(stdout);
    return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), type);
}
