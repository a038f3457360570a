// The simulated board's needs of the operating system, one small file per
// OS family (sim_os_posix.cpp, sim_os_win32.cpp): signalling the interrupt
// event, a detached background thread and the caller's last error.
// Everything else in sim/ is portable; the trace's output is in trace/.
#ifndef SIM_SIM_OS_H
#define SIM_SIM_OS_H

#include "../hal/QZHalLib.h"

// Signals the caller's interrupt event once: SetEvent on Windows, adding 1
// to the eventfd on Linux. False when the event no longer exists.
bool SimSignalEvent(QZHAL_EVENT event);

// Starts `run` on a thread of its own that runs until the process ends.
// False on failure, with the last error set.
bool SimStartDetachedThread(void (*run)());

// Why a call was refused, left as the caller's last error (errno on Linux,
// GetLastError on Windows).
enum class SimError { kInvalidArgument, kDeviceFailure };
void SimSetLastError(SimError error);

#endif
