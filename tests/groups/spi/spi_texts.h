// Console texts and call traces of the SPI menu, shared by its transcript
// tests.
#ifndef TESTS_GROUPS_SPI_SPI_TEXTS_H
#define TESTS_GROUPS_SPI_SPI_TEXTS_H

#include <string>
#include <vector>

#include "expected_text.h"
#include "program_run.h"

inline const std::string &SpiMenu() {
    static const std::string menu =
        SubMenu("Select SPI Test!", {"Write/Read Exchange Test", "Read Exchange Test", "Write/Read Loopback Test",
                                     "Write Flash Test (25aa010a)", "Read Flash Test (25aa010a)"});
    return menu;
}

// std::string, not char arrays, so that tests can add two of them.
inline const std::string kSpiDevicePrompts = "Enter SPI Device (1,2): Enter SPI Mode (0..3): ";
inline const std::string kSpiBitCountPrompt = "Enter SPI Write Data Bitcount (e.g. 1 - 128): ";
inline const std::string kSpiFlashPrompts =
    kSpiDevicePrompts + "Enter SPI Instruction Set (e.g. 0x02): " + "Enter SPI Address (e.g. 0xaa): ";
inline const std::string kSpiWriteBytesPrompt = "Enter SPI Write Data Bytecount (1 - 2): ";
inline const std::string kSpiReadBytesPrompt = "Enter SPI Read Data Bytecount (1 - 2): ";

inline std::string DataPrompts(int words) {
    std::string prompts;
    for (int i = 0; i < words; ++i) prompts += "Enter SPI Data[" + std::to_string(i) + "] (e.g. 0x0000ffff): ";
    return prompts;
}

inline std::string RegisterLines(const std::vector<std::string> &values) {
    std::string lines;
    for (size_t i = 0; i < values.size(); ++i)
        lines += Line("Register Value " + std::to_string(i) + ": 0x" + values[i]);
    return lines;
}

// A listed test always ends with the closing line, then the menu again.
inline std::string Listed(const std::string &title, const std::string &body) {
    return TestHeader(title) + body + kClosingLine + SpiMenu();
}

inline std::string WriteReadTest(int words, const std::string &status, const std::vector<std::string> &values) {
    return Listed("SPI Write/Read Exchange Test", kSpiDevicePrompts + kSpiBitCountPrompt + DataPrompts(words) +
                                                      Line("SPI Write/Read Test is " + status + "!!!") +
                                                      RegisterLines(values));
}

inline std::string FlashWrite(int bytes, const std::string &result) {
    std::string prompts = kSpiFlashPrompts + kSpiWriteBytesPrompt;
    for (int k = 1; k <= bytes; ++k) prompts += "Enter SPI Data[" + std::to_string(k) + "] (e.g. 0xaa): ";
    return Listed("Write Flash Test (25aa010a)", prompts + Line("SPI Write Flash Test Register Data: 0x" + result));
}

inline std::string FlashRead(const std::string &result) {
    return Listed("Read Flash Test (25aa010a)",
                  kSpiFlashPrompts + kSpiReadBytesPrompt + Line("SPI Read Flash Test Register Data: 0x" + result));
}

// The calls of one test: the device opened and configured, the exchanges,
// the device closed.
inline std::vector<std::string> Session(int device, int mode, const std::vector<std::string> &exchanges) {
    std::vector<std::string> trace{
        "SPIOpen(" + std::to_string(device) + ") = 1",
        "SPIConfigure(" + std::to_string(device) + ", " + std::to_string(mode) + ", 1000000, 0) = 1"};
    trace.insert(trace.end(), exchanges.begin(), exchanges.end());
    trace.push_back("SPIClose(" + std::to_string(device) + ") = 1");
    return trace;
}

// A write of one frame to the EEPROM on device 0, between write enable and
// write disable.
inline std::vector<std::string> FlashWriteSession(int mode, const std::string &frame) {
    return Session(0, mode, {"SPIExchange(0, 8, [00000006], ptr) = 1",
                             "SPIExchange(0, 24, [" + frame + "], ptr) = 1",
                             "SPIExchange(0, 8, [00000004], ptr) = 1"});
}

// The EEPROM is busy for 5 ms after a write: the next test waits until the
// write's result line is out (`writes` times) and a little longer.
inline InputStep AfterWrite(const std::string &text, int writes = 1) {
    return {text, "SPI Write Flash Test Register Data", writes, 10};
}

#endif
