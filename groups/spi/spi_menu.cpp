#include <algorithm>
#include <cstring>
#include <string>

#include "../../shell/dialogue.h"
#include "spi_config.h"
#include "spi_tests.h"
#include "spi_texts.h"

namespace {

const int32_t kMaxEepromBytes = 2;
const int32_t kFrameHeaderBytes = 2;  // instruction and address

int WordCount(int32_t bitCount) { return bitCount <= 32 ? 1 : (bitCount + 31) / 32; }

// The library counts devices from 0; the operator from 1.
int32_t DeviceIndex(int32_t deviceNumber) { return deviceNumber == INT32_MIN ? INT32_MIN : deviceNumber - 1; }

// Bits of an EEPROM frame: instruction, address and byteCount data bytes.
// Very negative counts give the lowest count, which the library refuses.
int32_t EepromFrameBits(int32_t byteCount) {
    if (byteCount + kFrameHeaderBytes < INT32_MIN / 8) return INT32_MIN;
    return (byteCount + kFrameHeaderBytes) * 8;
}

void ReadDeviceAndMode(SpiMenuState &state) {
    state.device = ReadDecimal(kSpiDevicePrompt);
    state.mode = ReadDecimal(kSpiModePrompt);
}

const size_t kIndexedPromptSize = 64;

// "Enter SPI Data[<index>]" and the prompt's end, cut to fit the array.
void MakeIndexedPrompt(char (&prompt)[kIndexedPromptSize], int32_t index, const char *promptEnd) {
    std::string text = kSpiDataPromptStart + DecimalText(index) + promptEnd;
    size_t length = std::min(text.size(), kIndexedPromptSize - 1);
    std::memcpy(prompt, text.data(), length);
    prompt[length] = '\0';
}

// The indexed prompt, then the hexadecimal answer. The prompt is a plain
// array: a plan step that runs out of answers leaves the dialogue from
// within the read (see plan/plan_runner.cpp), where no object with a
// destructor may be alive.
uint32_t ReadIndexedHex(int32_t index, const char *promptEnd) {
    char prompt[kIndexedPromptSize];
    MakeIndexedPrompt(prompt, index, promptEnd);
    return ReadHexUnsigned(prompt);
}

void PrintReceivedWords(const SpiMenuState &state) {
    for (int i = 0; i < WordCount(state.bitCount); ++i)
        PrintLine("Register Value " + DecimalText(i) + ": 0x" + HexText(state.receive[i]));
}

}  // namespace

void SpiTests::SPITestMenu() {
    SpiMenuState state = {};
    static const char *const kMenuItems[] = {"Write/Read Exchange Test", "Read Exchange Test",
                                             "Write/Read Loopback Test", kSpiEepromWriteTitle,
                                             kSpiEepromReadTitle};
    for (;;) {
        for (int i = 0; i < kSpiWords; ++i) state.transmit[i] = state.receive[i] = 0;
        PrintSubMenu("Select SPI Test!", kMenuItems);
        switch (ReadMenuChoice()) {
        case 0: return;
        case 1: SPIWriteReadExchangeTest(state); break;
        case 2: SPIReadExchangeTest(state); break;
        case 3: SPIWriteReadLoopbackTest(state); break;
        case 4: SPIWriteFlashTest(state); break;
        case 5: SPIReadFlashTest(state); break;
        default: continue;
        }
        PrintClosingLine();
    }
}

void SpiTests::SPIWriteReadExchangeTest(SpiMenuState &state) {
    RunExchangeTest(state, kSpiExchangeTitle, "SPI Write/Read Test", true);
}

void SpiTests::SPIReadExchangeTest(SpiMenuState &state) {
    RunExchangeTest(state, kSpiReadTitle, "SPI Read Test", false);
}

void SpiTests::SPIWriteReadLoopbackTest(SpiMenuState &state) {
    // The words received are shown for the operator to compare; the status
    // tells only whether the library calls succeeded.
    RunExchangeTest(state, kSpiLoopbackTitle, "SPI Write/Read Loopback Test", true);
}

void SpiTests::RunExchangeTest(SpiMenuState &state, const char *title, const char *subject, bool asksForData) {
    PrintTestHeader(title);
    ReadDeviceAndMode(state);
    state.bitCount = ReadDecimal(kSpiBitCountPrompt);
    // The word arrays hold 128 bits: a longer exchange would run past them.
    if (state.bitCount > kSpiMaxBits) {
        PrintLine("Bit Count " + DecimalText(state.bitCount) + " not supported!!!");
        return;
    }
    for (int i = 0; asksForData && i < WordCount(state.bitCount); ++i)
        state.transmit[i] = ReadIndexedHex(i, kSpiWordPromptEnd);
    bool ok = SPIRunExchange(DeviceIndex(state.device), state.mode, state.bitCount, state.transmit, state.receive);
    PrintStatusLine(subject, ok);
    PrintReceivedWords(state);
}

bool SpiTests::ReadFlashSettings(SpiMenuState &state, const char *byteCountPrompt) {
    ReadDeviceAndMode(state);
    state.transmit[0] = ReadHexUnsigned(kSpiInstructionPrompt);
    state.transmit[1] = ReadHexUnsigned(kSpiAddressPrompt);
    state.byteCount = ReadDecimal(byteCountPrompt);
    if (state.byteCount <= kMaxEepromBytes) return true;
    PrintLine("Byte Count " + DecimalText(state.byteCount) + " not supported!!!");
    return false;
}

void SpiTests::SPIWriteFlashTest(SpiMenuState &state) {
    PrintTestHeader(kSpiEepromWriteTitle);
    if (!ReadFlashSettings(state, kSpiWriteByteCountPrompt)) return;
    for (int32_t k = 1; k <= state.byteCount; ++k)
        state.transmit[k + 1] = ReadIndexedHex(k, kSpiBytePromptEnd);
    bool ok = SPIEepromWrite(DeviceIndex(state.device), state.mode, EepromFrameBits(state.byteCount), state.transmit,
                             state.receive);
    PrintStatusLine("SPI Write Flash Test Register Data: 0x" + HexText(state.receive[0]), ok);
}

void SpiTests::SPIReadFlashTest(SpiMenuState &state) {
    PrintTestHeader(kSpiEepromReadTitle);
    if (!ReadFlashSettings(state, kSpiReadByteCountPrompt)) return;
    bool ok = SPIEepromRead(DeviceIndex(state.device), state.mode, EepromFrameBits(state.byteCount), state.transmit,
                            state.receive);
    uint32_t value = 0;
    if (state.byteCount == 1) value = state.receive[0] & 0xffu;
    if (state.byteCount == 2) value = state.receive[0] & 0xffffu;
    PrintStatusLine("SPI Read Flash Test Register Data: 0x" + HexText(value), ok);
}
