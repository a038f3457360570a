// SPI devices of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the EEPROM and
// the loopback device are modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

void SimSpiReset() {}

extern "C" {

int32_t SPIOpen(int32_t device) {
    return SimCall("SPIOpen", TraceArgs().Int(device), 0, [] { return 0; });
}

int32_t SPIConfigure(int32_t device, int32_t mode, uint32_t clockHz, int32_t option) {
    return SimCall("SPIConfigure", TraceArgs().Int(device).Int(mode).Unsigned(clockHz).Int(option), 0,
                   [] { return 0; });
}

int32_t SPIExchange(int32_t device, int32_t bitCount, uint32_t *tx, uint32_t *rx) {
    size_t words = bitCount > 32 ? (static_cast<size_t>(bitCount) + 31) / 32 : 1;
    return SimCall("SPIExchange", TraceArgs().Int(device).Int(bitCount).Words(tx, words).Pointer(rx), 0,
                   [] { return 0; });
}

int32_t SPIClose(int32_t device) {
    return SimCall("SPIClose", TraceArgs().Int(device), 0, [] { return 0; });
}

}  // extern "C"
