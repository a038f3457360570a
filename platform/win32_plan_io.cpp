// Win32 implementation of platform/plan_io.h; Windows Embedded Compact
// differs in paths (it has no current folder), the console stream, stop
// requests (it has none) and replacing a file.
#include "plan_io.h"

#include <windows.h>

#ifndef _WIN32_WCE
#include <io.h>
#endif

#include "system.h"
#include "win32_text.h"

namespace {

const int kSigInt = 2;
const int kSigBreak = 21;
const int kSigHup = 1;

std::string Hex(unsigned long value) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += kHex[(value >> shift) & 0xF];
    return hex;
}

std::wstring WidePath(const std::string &path) { return WideFromUtf8(PlatformResolvePath(path)); }

std::string LastErrorText() { return PlatformErrorText(GetLastError()); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string TemporaryFolder() {
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH) return ".";
    return Utf8FromWide(folder, length);
}

// The file's identity: volume and index, the same through every name.
bool FileIdentity(const std::string &path, BY_HANDLE_FILE_INFORMATION &about) {
    HANDLE file = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(file, &about) != 0;
    CloseHandle(file);
    return known;
}

std::string AsciiLowerCase(std::string text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
    return text;
}

// The full path, separators as '\', in one case: Windows file names ignore
// case.
std::string ComparablePath(const std::string &path) {
    std::string full = PlatformResolvePath(path);
#ifndef _WIN32_WCE
    std::wstring wide = WideFromUtf8(path);
    wchar_t buffer[MAX_PATH * 2] = L"";
    DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 2, buffer, NULL);
    if (length > 0 && length < MAX_PATH * 2) full = Utf8FromWide(buffer, length);
#endif
    for (size_t i = 0; i < full.size(); ++i)
        if (full[i] == '/') full[i] = '\\';
    return AsciiLowerCase(full);
}

bool ReadWhole(HANDLE file, std::string &text, std::string &reason) {
    char block[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, block, sizeof block, &got, NULL)) {
            // A pipe whose writer has gone has ended.
            if (GetLastError() == ERROR_BROKEN_PIPE) return true;
            reason = "cannot read it: " + LastErrorText();
            return false;
        }
        if (got == 0) return true;
        if (text.size() + got > kPlanFileMaxBytes) {
            reason = "is larger than 16 MiB, the most a plan may be";
            return false;
        }
        text.append(block, got);
    }
}

// Why the open file cannot be a plan; empty when it can.
std::string NotAPlan(HANDLE file) {
#ifndef _WIN32_WCE
    DWORD type = GetFileType(file);
    if (type == FILE_TYPE_PIPE) return "";
    if (type != FILE_TYPE_DISK) return "is a device, not a plan file";
#endif
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (high != 0 || low > kPlanFileMaxBytes) return "is larger than 16 MiB, the most a plan may be";
    return "";
}

std::string g_capturePath;  // the capture's scratch file, removed at its end

void (*g_onStop)(int) = NULL;
CRITICAL_SECTION g_stopHold;

#ifndef _WIN32_WCE
BOOL WINAPI OnConsoleControl(DWORD type) {
    int number = type == CTRL_C_EVENT ? kSigInt : type == CTRL_BREAK_EVENT ? kSigBreak : kSigHup;
    EnterCriticalSection(&g_stopHold);
    g_onStop(number);
    LeaveCriticalSection(&g_stopHold);
    return TRUE;
}
#endif

}  // namespace

// Windows Embedded Compact has no current folder: a relative path would
// name a file in the root folder. (A drive letter, which the device has
// none of, counts as a full path too.)
std::string PlatformResolvePath(const std::string &path) {
#ifdef _WIN32_WCE
    bool drive = path.size() >= 2 && path[1] == ':';
    if (path.empty() || IsSeparator(path[0]) || drive) return path;
    wchar_t module[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(NULL, module, MAX_PATH);
    std::string program = Utf8FromWide(module, length);
    size_t separator = program.find_last_of("\\/");
    if (separator == std::string::npos) return path;
    return program.substr(0, separator + 1) + path;
#else
    return path;
#endif
}

bool PlatformReadPlanFile(const std::string &path, std::string &text, std::string &reason) {
    text.clear();
    std::wstring wide = WidePath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = "is a directory, not a plan file";
        return false;
    }
#ifdef _WIN32_WCE
    // Devices (COM1:) have no file attributes.
    if (attributes == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND) {
        reason = "is a device, not a plan file";
        return false;
    }
#endif
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        reason = "cannot open it: " + LastErrorText();
        return false;
    }
    reason = NotAPlan(file);
    bool read = reason.empty() && ReadWhole(file, text, reason);
    CloseHandle(file);
    return read;
}

PathKind PlatformPathKind(const std::string &path) {
    DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return kPathMissing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kPathDirectory;
    return kPathRegularFile;
}

bool PlatformSameFile(const std::string &a, const std::string &b) {
    BY_HANDLE_FILE_INFORMATION aboutA, aboutB;
    bool aExists = FileIdentity(a, aboutA);
    bool bExists = FileIdentity(b, aboutB);
    if (aExists && bExists)
        return aboutA.dwVolumeSerialNumber == aboutB.dwVolumeSerialNumber &&
               aboutA.nFileIndexHigh == aboutB.nFileIndexHigh && aboutA.nFileIndexLow == aboutB.nFileIndexLow;
    return aExists == bExists && ComparablePath(a) == ComparablePath(b);
}

std::string PlatformFolderOf(const std::string &path) {
    size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

// CREATE_NEW fails where anything of that name is already there, link or
// file; the name mixes the clock, the process and a count, and a taken one
// is passed over.
std::FILE *PlatformCreateScratchFile(const std::string &folder, const char *name, bool, std::string &path,
                                     std::string &reason) {
    static unsigned long s_count = 0;
    std::string where = folder.empty() ? TemporaryFolder() : folder;
    if (!where.empty() && !IsSeparator(where[where.size() - 1])) where += "\\";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned long salt = GetTickCount() ^ (GetCurrentProcessId() << 12) ^ (++s_count * 2654435761u);
        path = where + name + "." + Hex(salt);
        std::wstring wide = WidePath(path);
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            break;
        }
        CloseHandle(file);
        std::FILE *stream = _wfopen(wide.c_str(), L"w+b");
        if (stream) return stream;
        DeleteFileW(wide.c_str());
        break;
    }
    reason = "cannot create a scratch file in " + where + ": " + LastErrorText();
    path.clear();
    return NULL;
}

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

bool PlatformCaptureStdout(std::string &reason) {
    std::string path;
    std::FILE *scratch = PlatformCreateScratchFile("", "qzhaltest-steps", true, path, reason);
    if (!scratch) return false;
    std::fclose(scratch);
    std::fflush(stdout);
    if (!_wfreopen(WidePath(path).c_str(), L"w+b", stdout)) {
        reason = "cannot capture the dialogue in " + path;
        PlatformRemoveFile(path);
        return false;
    }
    g_capturePath = path;
    return true;
}

// Windows removes no file that is open: standard output lets go of it first.
void PlatformEndCapture() {
    std::fflush(stdout);
#ifdef _WIN32_WCE
    std::fclose(stdout);
#else
    if (!_wfreopen(L"NUL", L"w", stdout)) std::fclose(stdout);
#endif
    if (!g_capturePath.empty()) PlatformRemoveFile(g_capturePath);
    g_capturePath.clear();
}

bool PlatformReplaceFile(const std::string &from, const std::string &to) {
#ifdef _WIN32_WCE
    DeleteFileW(WidePath(to).c_str());
    return MoveFileW(WidePath(from).c_str(), WidePath(to).c_str()) != 0;
#else
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#endif
}

void PlatformRemoveFile(const std::string &path) { DeleteFileW(WidePath(path).c_str()); }

std::string PlatformLastFileError() { return LastErrorText(); }

bool PlatformCatchStopRequests(void (*onRequest)(int signalNumber)) {
#ifdef _WIN32_WCE
    (void)onRequest;
    return false;
#else
    if (g_onStop) return false;
    InitializeCriticalSection(&g_stopHold);
    g_onStop = onRequest;
    return SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
#endif
}

void PlatformHoldStopRequests() {
    if (g_onStop) EnterCriticalSection(&g_stopHold);
}

void PlatformReleaseStopRequests() {
    if (g_onStop) LeaveCriticalSection(&g_stopHold);
}

const char *PlatformSignalName(int signalNumber) {
    switch (signalNumber) {
    case kSigInt: return "Ctrl-C";
    case kSigBreak: return "Ctrl-Break";
    case kSigHup: return "the console closing";
    default: return "a stop request";
    }
}

uint32_t PlatformMilliseconds() { return GetTickCount(); }

std::string PlatformUtcTimestamp() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return DecimalDigits(now.wYear, 4) + "-" + DecimalDigits(now.wMonth, 2) + "-" + DecimalDigits(now.wDay, 2) + "T" +
           DecimalDigits(now.wHour, 2) + ":" + DecimalDigits(now.wMinute, 2) + ":" + DecimalDigits(now.wSecond, 2);
}
