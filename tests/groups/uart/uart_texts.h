// Console texts of the UART menu, shared by its transcript tests.
#ifndef TESTS_GROUPS_UART_UART_TEXTS_H
#define TESTS_GROUPS_UART_UART_TEXTS_H

#include <string>

#include "expected_text.h"

inline const std::string &UartMenu() {
    static const std::string menu = SubMenu("Select UART Test!", {"Write Test", "Read Test", "Continious Read Test"});
    return menu;
}

inline constexpr char kUartSettingsPrompts[] =
    "Enter UART Device (1,2,3): "
    "Enter UART Mode (Flowcontrol: 0 = Off, 1 = Software, 2 = Hardware): "
    "Enter UART Parity Mode (Parity: 0 = NO, 1 = ODD, 2 = EVEN, 3 = MARK, 4 = SPACE): "
    "Enter UART Stopbits Mode (Parity: 0 = ONE, 1 = ONE5STOPBITS, 2 = TWOSTOPBITS): "
    "Enter UART Byte size (Bytesize: 5 = QZCOM_5BIT, 6 = QZCOM_6BIT, 7 = QZCOM_7BIT, 8 = QZCOM_8BIT): "
    "Enter UART Frequency (1200 ... 256000 Hz): ";
inline constexpr char kUartDataPrompt[] = "Enter UART Data (e.g. abc): ";
inline constexpr char kUartCountPrompt[] = "Enter UART Character Count (1 ... 100): ";

// A write or read test from its header to the menu again; `after` is what
// it prints once the prompts are answered.
inline std::string WriteTest(const std::string &after) {
    return TestHeader("UART Write Test") + kUartSettingsPrompts + kUartDataPrompt + after + UartMenu();
}

inline std::string ReadTest(const std::string &after) {
    return TestHeader("UART Read Test") + kUartSettingsPrompts + kUartCountPrompt + after + UartMenu();
}

inline std::string WriteStatus(const std::string &data, const char *status) {
    return Line("UART Write Test - Data: " + data + " Status: " + status + "!!!") + kClosingLine;
}

inline std::string ReadStatus(const std::string &data, const char *status) {
    return Line("UART Read Test - Data: " + data + " Status: " + status + "!!!") + kClosingLine;
}

#endif
