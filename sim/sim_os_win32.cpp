// Win32 seam of the simulated board: the event is an event HANDLE.
#include "sim_os.h"

#include <windows.h>

namespace {

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
