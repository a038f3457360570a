#include "trace_output.h"

#include <windows.h>

#include <vector>

namespace {

// Empty when the variable is unset.
std::vector<wchar_t> Variable(const wchar_t *name) {
    DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    std::vector<wchar_t> value;
    if (length == 0) return value;
    value.resize(length);
    GetEnvironmentVariableW(name, value.data(), length);
    return value;
}

std::vector<wchar_t> TracePath() {
    std::vector<wchar_t> path = Variable(L"QZHAL_TRACE");
    return path.empty() ? Variable(L"QZHAL_SIM_TRACE") : path;
}

// INVALID_HANDLE_VALUE: tracing off.
HANDLE OpenTrace() {
    std::vector<wchar_t> path = TracePath();
    if (path.size() <= 1) return INVALID_HANDLE_VALUE;
    if (lstrcmpW(path.data(), L"-") == 0) return GetStdHandle(STD_ERROR_HANDLE);
    return CreateFileW(path.data(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE TraceFile() {
    static const HANDLE file = OpenTrace();
    return file;
}

}  // namespace

bool TraceOutputOn() {
    HANDLE file = TraceFile();
    return file != INVALID_HANDLE_VALUE && file;
}

void TraceOutputWrite(const std::string &line) {
    const HANDLE file = TraceFile();
    size_t done = 0;
    while (file != INVALID_HANDLE_VALUE && file && done < line.size()) {
        DWORD wrote = 0;
        if (!WriteFile(file, line.data() + done, static_cast<DWORD>(line.size() - done), &wrote, nullptr) ||
            wrote == 0)
            return;
        done += wrote;
    }
}
