// Starts a program with its standard input and output on a serial port, as
// Windows Embedded Compact redirects them to a terminal on a serial line:
//   serial_stdin_run [--input-nul] COM1 program.exe [arguments...]
// With --input-nul the standard input is NUL instead, so that the program
// gets the terminal's input only by opening the port itself. Exits with the
// program's exit code, 125 when the port or the program cannot be opened.
//
// The C runtime's standard input is handed over in binary mode (through the
// startup information's table of inherited C runtime files): the desktop
// runtime's text mode would hold back a CR until the next byte, to see
// whether a LF follows.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The C runtime's flags of an inherited file: open, a device, text mode.
const unsigned char kFileOpen = 0x01;
const unsigned char kFileDevice = 0x40;
const unsigned char kFileText = 0x80;

std::wstring Quoted(const wchar_t *argument) { return L"\"" + std::wstring(argument) + L"\""; }

// count, then a flag byte per file, then a handle per file, unaligned.
std::vector<BYTE> InheritedFiles(HANDLE input, HANDLE output) {
    const unsigned int count = 2;
    const unsigned char flags[count] = {kFileOpen | kFileDevice, kFileOpen | kFileDevice | kFileText};
    const HANDLE handles[count] = {input, output};
    std::vector<BYTE> table(sizeof count + sizeof flags + sizeof handles);
    std::memcpy(&table[0], &count, sizeof count);
    std::memcpy(&table[sizeof count], flags, sizeof flags);
    std::memcpy(&table[sizeof count + sizeof flags], handles, sizeof handles);
    return table;
}

}  // namespace

int wmain(int argc, wchar_t *argv[]) {
    bool inputNul = argc > 1 && std::wstring(argv[1]) == L"--input-nul";
    if (inputNul) {
        --argc;
        ++argv;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: serial_stdin_run [--input-nul] COMn program.exe [arguments...]\n");
        return 2;
    }
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, NULL, TRUE};
    std::wstring device = std::wstring(L"\\\\.\\") + argv[1];
    HANDLE port = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "serial_stdin_run: cannot open %ls (error %lu)\n", device.c_str(), GetLastError());
        return 125;
    }
    HANDLE input = port;
    if (inputNul) {
        input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, NULL);
        if (input == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "serial_stdin_run: cannot open NUL (error %lu)\n", GetLastError());
            return 125;
        }
    }
    std::wstring command = Quoted(argv[2]);
    for (int i = 3; i < argc; ++i) command += L" " + Quoted(argv[i]);
    std::vector<BYTE> files = InheritedFiles(input, port);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = port;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.cbReserved2 = static_cast<WORD>(files.size());
    startup.lpReserved2 = &files[0];
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        std::fprintf(stderr, "serial_stdin_run: cannot start %ls (error %lu)\n", argv[2], GetLastError());
        return 125;
    }
    CloseHandle(port);
    if (inputNul) CloseHandle(input);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
