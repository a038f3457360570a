// Serial ports of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the ports and
// what is attached to them are modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

void SimUartReset() {}

extern "C" {

int32_t UARTOpen(int32_t port, int32_t flow, int32_t baud) {
    return SimCall("UARTOpen", TraceArgs().Int(port).Int(flow).Int(baud), 0, [] { return 0; });
}

int32_t UARTConfigure(int32_t port, int32_t flow, int32_t parity, int32_t stopBits,
                      int32_t byteSize, int32_t baud) {
    return SimCall("UARTConfigure",
                   TraceArgs().Int(port).Int(flow).Int(parity).Int(stopBits).Int(byteSize).Int(baud), 0,
                   [] { return 0; });
}

int32_t UARTWrite(int32_t port, const char *text) {
    return SimCall("UARTWrite", TraceArgs().Int(port).Text(text), 0, [] { return 0; });
}

int32_t UARTRead(int32_t port, int32_t count, char *buffer) {
    return SimCall("UARTRead", TraceArgs().Int(port).Int(count).Pointer(buffer), 0, [] { return 0; });
}

int32_t UARTClose(int32_t port) {
    return SimCall("UARTClose", TraceArgs().Int(port), 0, [] { return 0; });
}

}  // extern "C"
