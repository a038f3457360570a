// Win32 implementation of platform/plan_io.h; Windows Embedded Compact
// differs in the console stream and in replacing a file.
#include "plan_io.h"

#include <windows.h>

#ifndef _WIN32_WCE
#include <io.h>
#endif

namespace {

std::wstring Wide(const std::string &text) {
    int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, NULL, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::string Narrow(const wchar_t *text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, NULL, NULL);
    narrow.resize(static_cast<size_t>(length - 1));
    return narrow;
}

// value in decimal, with leading zeros to at least `width` digits.
std::string Digits(unsigned long value, size_t width) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

}  // namespace

std::FILE *PlatformOpenConsoleStream() {
    std::fflush(stdout);
#ifdef _WIN32_WCE
    return stderr;
#else
    int copy = _dup(_fileno(stdout));
    if (copy < 0) return NULL;
    std::FILE *stream = _fdopen(copy, "w");
    if (!stream) _close(copy);
    return stream;
#endif
}

bool PlatformCaptureStdout(const std::string &path) {
    std::fflush(stdout);
    return _wfreopen(Wide(path).c_str(), L"w", stdout) != NULL;
}

std::string PlatformTempFilePath(const char *name) {
    wchar_t directory[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH, directory);
    if (length == 0 || length > MAX_PATH) directory[0] = L'\0';
    return Narrow(directory) + name + "." + Digits(GetCurrentProcessId(), 1);
}

bool PlatformReplaceFile(const std::string &from, const std::string &to) {
#ifdef _WIN32_WCE
    DeleteFileW(Wide(to).c_str());
    return MoveFileW(Wide(from).c_str(), Wide(to).c_str()) != 0;
#else
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#endif
}

void PlatformRemoveFile(const std::string &path) { DeleteFileW(Wide(path).c_str()); }

uint32_t PlatformMilliseconds() { return GetTickCount(); }

std::string PlatformUtcTimestamp() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return Digits(now.wYear, 4) + "-" + Digits(now.wMonth, 2) + "-" + Digits(now.wDay, 2) + "T" +
           Digits(now.wHour, 2) + ":" + Digits(now.wMinute, 2) + ":" + Digits(now.wSecond, 2);
}
