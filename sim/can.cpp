// CAN channel of the simulated board.
// Not simulated yet: every call is traced and returns 0 until the channel
// and the peer node on the bus are modelled.
#include "../hal/QZHalLib.h"
#include "sim_call.h"
#include "sim_reset.h"

void SimCanReset() {}

extern "C" {

int32_t CANOpen(int32_t channel) {
    return SimCall("CANOpen", TraceArgs().Int(channel), 0, [] { return 0; });
}

int32_t CANClose(int32_t channel) {
    return SimCall("CANClose", TraceArgs().Int(channel), 0, [] { return 0; });
}

int32_t CANConfigureMode(int32_t channel, int32_t mode, uint32_t bitRate, int32_t option1,
                         int32_t option2) {
    return SimCall("CANConfigureMode",
                   TraceArgs().Int(channel).Int(mode).Unsigned(bitRate).Int(option1).Int(option2), 0,
                   [] { return 0; });
}

int32_t CANConfigureMessage(int32_t channel, int32_t kind, int32_t id, int32_t prio,
                            int32_t timeoutMs, int32_t buffer) {
    return SimCall("CANConfigureMessage",
                   TraceArgs().Int(channel).Int(kind).Int(id).Int(prio).Int(timeoutMs).Int(buffer), 0,
                   [] { return 0; });
}

int32_t CANConfigureFilter(int32_t channel, int32_t id, int32_t mask, int32_t option,
                           int32_t remote) {
    return SimCall("CANConfigureFilter",
                   TraceArgs().Int(channel).Int(id).Int(mask).Int(option).Int(remote), 0,
                   [] { return 0; });
}

int32_t CANResetFilter(int32_t channel) {
    return SimCall("CANResetFilter", TraceArgs().Int(channel), 0, [] { return 0; });
}

int32_t CANWrite(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    size_t shown = count > 0 ? static_cast<size_t>(count < 8 ? count : 8) : 0;
    return SimCall("CANWrite", TraceArgs().Int(channel).Bytes(data, shown).Int(count).Pointer(err), 0,
                   [] { return 0; }, [&] { if (err) *err = 2; });
}

int32_t CANRead(int32_t channel, uint8_t *data, int32_t count, int32_t *err) {
    return SimCall("CANRead", TraceArgs().Int(channel).Pointer(data).Int(count).Pointer(err), 0,
                   [] { return 0; }, [&] { if (err) *err = 2; });
}

int32_t CANGetMessageParameter(int32_t channel, int32_t *id, int32_t *kind, int32_t *length,
                               int32_t *prio, int32_t *timeoutMs, int32_t *buffer,
                               uint8_t *data) {
    return SimCall("CANGetMessageParameter",
                   TraceArgs().Int(channel).Pointer(id).Pointer(kind).Pointer(length).Pointer(prio)
                       .Pointer(timeoutMs).Pointer(buffer).Pointer(data),
                   0, [] { return 0; });
}

}  // extern "C"
