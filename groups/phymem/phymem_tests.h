#ifndef GROUPS_PHYMEM_TESTS_H
#define GROUPS_PHYMEM_TESTS_H

#include <cstddef>

#include "../../hal/fixed_width_types.h"

// The record of one register read thread: written by the test before the
// thread starts (channel, address), by the thread alone while it runs
// (result), and read by the test only after the thread has ended.
struct PhymemThreadData {
    uint8_t channel;
    uint32_t address;
    uint32_t result;
};

// Registers read at once by the asynchronous test, one thread and one
// library channel (1 to 4) each.
const size_t kPhymemThreadCount = 4;

// Physical register reads and writes (main-menu item 5).
class PhysicalMemoryTests {
public:
    void PhysicalMemoryTestMenu();

    // Writes the register and tells what it does; 0 when the library returns
    // a negative number, else 1.
    int PhysicalWriteRegister(int32_t channel, uint32_t address, uint32_t value);
    // Reads the register into value and tells what it read; always 1.
    int PhysicalReadRegister(int32_t channel, uint32_t address, uint32_t &value);
    // Writes the register and hands back what the library returned; 1 when
    // that is the value written. Prints nothing.
    int PhysicalWriteReturn(int32_t channel, uint32_t address, uint32_t value, int32_t &returned);
    // Reads the four registers on four threads and waits for all of them.
    // Returns 1; ends the process when a record (exit code 2) or a thread
    // (exit code 3) cannot be created.
    int PhymemAsyncRead(const uint32_t addresses[kPhymemThreadCount], uint32_t results[kPhymemThreadCount]);
    // The thread procedure; its parameter is its PhymemThreadData record.
    static uint32_t PhymemReadThread(void *record);

private:
    void RunWriteRegisterTest(char *statusText, size_t size);
    void RunReadRegisterTest(char *statusText, size_t size);
    void RunWriteReturnTest(char *statusText, size_t size);
    void RunAsyncReadTest(char *statusText, size_t size);
};

#endif
