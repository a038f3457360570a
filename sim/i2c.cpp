// I2C buses of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the buses and
// their EEPROMs are modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"

extern "C" {

int32_t I2CWrite(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t data) {
    return SimCall("I2CWrite", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(data),
                   0, [] { return 0; });
}

int32_t I2CRead(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg, uint8_t *data) {
    return SimCall("I2CRead", TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Pointer(data),
                   0, [] { return 0; });
}

int32_t I2CWriteMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                              uint8_t length, uint8_t *data) {
    return SimCall("I2CWriteMultipleBytes",
                   TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Bytes(data, length),
                   0, [] { return 0; });
}

int32_t I2CReadMultipleBytes(int32_t bus, int32_t rateCode, uint8_t device, uint8_t reg,
                             uint8_t length, uint8_t *data) {
    return SimCall("I2CReadMultipleBytes",
                   TraceArgs().Int(bus).Int(rateCode).Unsigned(device).Unsigned(reg).Unsigned(length).Pointer(data),
                   0, [] { return 0; });
}

}  // extern "C"
