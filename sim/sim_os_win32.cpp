// Win32 seam of the simulated board: the event is an event HANDLE.
#include "sim_os.h"

#include <windows.h>

#include <vector>

namespace {

// INVALID_HANDLE_VALUE: tracing off.
HANDLE OpenTrace() {
    DWORD length = GetEnvironmentVariableW(L"QZHAL_SIM_TRACE", nullptr, 0);
    if (length <= 1) return INVALID_HANDLE_VALUE;
    std::vector<wchar_t> path(length);
    GetEnvironmentVariableW(L"QZHAL_SIM_TRACE", path.data(), length);
    if (lstrcmpW(path.data(), L"-") == 0) return GetStdHandle(STD_ERROR_HANDLE);
    return CreateFileW(path.data(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD WINAPI RunThread(void *run) {
    reinterpret_cast<void (*)()>(run)();
    return 0;
}

}  // namespace

bool SimSignalEvent(QZHAL_EVENT event) {
    return SetEvent(event) || GetLastError() != ERROR_INVALID_HANDLE;
}

bool SimStartDetachedThread(void (*run)()) {
    HANDLE thread = CreateThread(nullptr, 0, RunThread, reinterpret_cast<void *>(run), 0, nullptr);
    if (!thread) return false;
    CloseHandle(thread);
    return true;
}

void SimSetLastError(SimError error) {
    SetLastError(error == SimError::kInvalidArgument ? ERROR_INVALID_PARAMETER : ERROR_GEN_FAILURE);
}

void SimTraceWrite(const std::string &line) {
    static const HANDLE file = OpenTrace();
    size_t done = 0;
    while (file != INVALID_HANDLE_VALUE && file && done < line.size()) {
        DWORD wrote = 0;
        if (!WriteFile(file, line.data() + done, static_cast<DWORD>(line.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return;
        done += wrote;
    }
}
