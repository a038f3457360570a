// The single-frame tests: open channel 1, configure it, transfer one frame,
// close it. Each prints only its failure text, with no line end: the menu's
// result line follows on the same console line.
#include <algorithm>

#include "../../hal/QZHalLib.h"
#include "../../shell/dialogue.h"
#include "can_tests.h"

namespace {

const int32_t kMessageTimeoutMs = 30000;

int FailWithText(const char *failureText) {
    PrintPrompt(failureText);
    return 0;
}

int CloseAndFail() {
    CANClose(kCanChannel);
    return 0;
}

int CloseAndFailWithText(const char *failureText) {
    CANClose(kCanChannel);
    return FailWithText(failureText);
}

// A read never asks for more than the receive buffer holds.
int32_t ReceiveCount(int32_t length) {
    return std::min(length, static_cast<int32_t>(kCanReceiveBufferSize));
}

// A write from the text buffer never hands over more than the buffer holds.
int32_t TextCount(int32_t length) { return std::min(length, static_cast<int32_t>(kCanTextBufferSize)); }

uint8_t *TextBytes(char *text) { return reinterpret_cast<uint8_t *>(text); }

int32_t LowNibble(char c) { return static_cast<unsigned char>(c) & 0x0F; }

}  // namespace

int32_t CanTests::PackCANData(const char *text, uint8_t *packed, size_t size) {
    size_t filled = 0;
    for (; filled < size && text[2 * filled] != '\0'; ++filled) {
        char high = text[2 * filled];
        char low = text[2 * filled + 1];
        packed[filled] = static_cast<uint8_t>((LowNibble(high) << 4) | LowNibble(low));
        if (low == '\0') {
            ++filled;
            break;
        }
    }
    int32_t count = 0;
    while (static_cast<size_t>(count) < filled && packed[count] != 0) ++count;
    return count;
}

int CanTests::CANWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, const char *text) {
    const char failureText[] = "CAN Write Test failed";
    uint8_t packed[kCanTextBufferSize] = {};
    int32_t count = PackCANData(text, packed, sizeof packed);
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanDataFrame, id, prio, kMessageTimeoutMs, 1) == 0)
        return CloseAndFail();
    if (CANWrite(kCanChannel, packed, count, NULL) != 1) return CloseAndFailWithText(failureText);
    CANClose(kCanChannel);
    return 1;
}

int CanTests::CANReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t length, uint8_t *buffer) {
    const char failureText[] = "CAN Read Test failed";
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanDataFrame, 0, 0, kMessageTimeoutMs, 0) == 0 ||
        CANConfigureFilter(kCanChannel, 0, 0, 0, 0) == 0)
        return CloseAndFail();
    if (CANRead(kCanChannel, buffer, ReceiveCount(length), NULL) != 1) return CloseAndFailWithText(failureText);
    // Asked while the channel is still open, so that it tells the ID of the
    // frame just read.
    CANGetMessageParameter(kCanChannel, idOut, NULL, NULL, NULL, NULL, NULL, NULL);
    CANClose(kCanChannel);
    return 1;
}

int CanTests::CANRemoteWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, int32_t length,
                                 char *text) {
    const char failureText[] = "CAN Remote Write Test failed";
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanRemoteFrame, id, prio, kMessageTimeoutMs, 1) == 0)
        return CloseAndFail();
    // A remote frame carries no data: the typed length is the length it asks
    // the receiver for.
    if (CANWrite(kCanChannel, TextBytes(text), TextCount(length), NULL) != 1)
        return CloseAndFailWithText(failureText);
    CANClose(kCanChannel);
    return 1;
}

int CanTests::CANRemoteReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t length, uint8_t *buffer) {
    const char failureText[] = "CAN Remote Read Test failed";
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanDataFrame, 0, 0, kMessageTimeoutMs, 0) == 0 ||
        CANConfigureFilter(kCanChannel, 0, 0, 0, 1) == 0)
        return CloseAndFail();
    if (CANRead(kCanChannel, buffer, ReceiveCount(length), NULL) != 1) return CloseAndFailWithText(failureText);
    CANGetMessageParameter(kCanChannel, idOut, NULL, NULL, NULL, NULL, NULL, NULL);
    CANClose(kCanChannel);
    return 1;
}

int CanTests::CANFilterWriteTest(int32_t mode, uint32_t bitRate, int32_t id, uint8_t prio, int32_t filter,
                                 int32_t mask, int32_t length, char *text) {
    const char failureText[] = "CAN Filter Write Test failed";
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureFilter(kCanChannel, filter, mask, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanDataFrame, id, prio, kMessageTimeoutMs, 1) == 0)
        return CloseAndFail();
    // The test has no data prompt: the frame carries the typed number of
    // bytes from the cleared text buffer.
    if (CANWrite(kCanChannel, TextBytes(text), TextCount(length), NULL) != 1 || CANResetFilter(kCanChannel) != 1)
        return CloseAndFailWithText(failureText);
    CANClose(kCanChannel);
    return 1;
}

int CanTests::CANFilterReadTest(int32_t mode, uint32_t bitRate, int32_t *idOut, int32_t filter, int32_t mask,
                                int32_t length, uint8_t *buffer) {
    const char failureText[] = "CAN Filter Read Test failed";
    if (CANOpen(kCanChannel) != 1) return FailWithText(failureText);
    if (CANConfigureMode(kCanChannel, mode, bitRate, 0, 0) == 0 ||
        CANConfigureMessage(kCanChannel, kCanDataFrame, 0, 0, kMessageTimeoutMs, 1) == 0 ||
        CANConfigureFilter(kCanChannel, filter, mask, 0, 0) == 0)
        return CloseAndFail();
    if (CANRead(kCanChannel, buffer, ReceiveCount(length), NULL) != 1 || CANResetFilter(kCanChannel) != 1)
        return CloseAndFailWithText(failureText);
    CANGetMessageParameter(kCanChannel, idOut, NULL, NULL, NULL, NULL, NULL, NULL);
    CANClose(kCanChannel);
    return 1;
}
