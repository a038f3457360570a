#include "expected_text.h"

std::string Line(const std::string &text) { return text + "\n"; }

std::string MainMenu() {
    return std::string(kFrameLine) + Line("QZHalLib Test Selection!") + kFrameLine +
           Line("1: Backlight Function Test") + Line("2: Control Function Test") +
           Line("3: Gpio Function Test") + Line("4: I2c Function Test") +
           Line("5: Physical Memory Function Test") + Line("6: Touch Function Test") +
           Line("7: Version Function Test") + Line("8: SPI Function Test") +
           Line("9: UART Function Test") + Line("10: CAN Function Test") + Line("0: Exit App") +
           kFrameLine + kTestNumberPrompt;
}

std::string SubMenu(const std::string &title, const std::vector<std::string> &items) {
    std::string text = std::string(kFrameLine) + Line(title) + kFrameLine;
    for (size_t i = 0; i < items.size(); ++i) text += Line(std::to_string(i + 1) + ": " + items[i]);
    return text + Line("0: Main Menu") + kFrameLine + kTestNumberPrompt;
}

std::string TestHeader(const std::string &title) { return Line("") + Line(title) + kClosingLine; }

std::string NotValid() { return Line("Not valid Test Function!!!"); }

std::string InvalidDecimal() { return Line("Invalid Input!!! Enter a decimal number!!!"); }

std::string InvalidHex() { return Line("Invalid Input!!! Enter a hexadecimal number!!!"); }

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const std::vector<std::string> &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
