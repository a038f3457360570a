// Failures of system calls on demand, for the tests of the paths that end the
// process. Only the test build of the program (compiled with
// QZHAL_PLATFORM_FAULTS) reads QZHAL_PLATFORM_FAIL, a list such as
// "CreateThread@2,HeapAlloc"; the program itself never fails on purpose.
#ifndef PLATFORM_FAULT_INJECTION_H
#define PLATFORM_FAULT_INJECTION_H

// Counts a call of the named system service and tells whether it must fail.
bool PlatformFaultInjected(const char *call);

#endif
