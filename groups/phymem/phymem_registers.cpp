// The register accesses of the physical memory tests. Every access is 32
// bits wide; the write's last argument is always 1.
#include <string>

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "phymem_tests.h"

namespace {

const int32_t kAccessWidth = 32;
const int32_t kWriteOption = 1;

}  // namespace

int PhysicalMemoryTests::PhysicalWriteRegister(int32_t channel, uint32_t address, uint32_t value) {
    PrintLine("Physical Write Channel: " + DecimalText(channel));
    PrintLine("Physical Write Register: 0x" + HexText(address) + " - Register Value: 0x" + HexText(value));
    // The library returns the register's value after the write as a signed
    // number: a negative result is a failure, also for a value with bit 31 set.
    if (WritePhysicalAddress(channel, address, kAccessWidth, value, kWriteOption) < 0) return 0;
    PrintLine("Physical Write Register : 0x" + HexText(value));
    PrintLine("Physical Write successful");
    return 1;
}

int PhysicalMemoryTests::PhysicalReadRegister(int32_t channel, uint32_t address, uint32_t &value) {
    PrintLine("Physical Read Channel: " + DecimalText(channel));
    value = ReadPhysicalAddress(channel, address, kAccessWidth);
    PrintLine("Physical Read Return: 0x" + HexText(value));
    return 1;
}

int PhysicalMemoryTests::PhysicalWriteReturn(int32_t channel, uint32_t address, uint32_t value,
                                             int32_t &returned) {
    returned = WritePhysicalAddress(channel, address, kAccessWidth, value, kWriteOption);
    return static_cast<uint32_t>(returned) == value ? 1 : 0;
}
