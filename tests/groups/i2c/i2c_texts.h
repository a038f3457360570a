// Console texts of the I2C menu, shared by its transcript tests.
#ifndef TESTS_GROUPS_I2C_I2C_TEXTS_H
#define TESTS_GROUPS_I2C_I2C_TEXTS_H

#include <string>

#include "expected_text.h"

inline const std::string &I2cMenu() {
    static const std::string menu =
        SubMenu("Select I2C Test!", {"Write Test", "Read Test", "Write Flash Test", "Read Flash Test"});
    return menu;
}

inline constexpr char kI2cCommonPrompts[] =
    "Enter I2C Device Number (0,1): "
    "Enter I2C Device Bitrate (0=100|1=400|2=800|3=1600|4=2400|5=3200 kBits): "
    "Enter I2C Device Address (e.g. 50 = 0x50): "
    "Enter I2C Register Address (e.g. 0 = 0x00): ";
inline constexpr char kI2cDataPrompt[] = "Enter I2C Data (e.g. 1 = 0x01): ";
inline constexpr char kI2cLengthPrompt[] = "Enter I2C Data Len (e.g. 2 = 0x02): ";

// The whole console output of one visit of the I2C menu from the main menu.
inline std::string I2cVisit(const std::string &tests) { return MainMenu() + I2cMenu() + tests + MainMenu(); }

inline std::string WriteTest(const std::string &address, const char *status) {
    return TestHeader("I2C Write Test") + kI2cCommonPrompts + kI2cDataPrompt +
           Line("I2C Write Test from " + address + " is " + status + "!!!") + kClosingLine + I2cMenu();
}

inline std::string ReadTest(const std::string &address, const std::string &data, const char *status) {
    return TestHeader("I2C Read Test") + kI2cCommonPrompts +
           Line("I2C Read Test from " + address + " with Data " + data + " is " + status + "!!!") + kClosingLine +
           I2cMenu();
}

inline std::string WriteFlashTest(const std::string &address, const std::string &reg, const char *status) {
    return TestHeader("I2C Write Flash Test") + kI2cCommonPrompts + kI2cDataPrompt + kI2cLengthPrompt +
           Line("I2C Write Test from " + address + " with Register Address:" + reg + " is " + status + "!!!") +
           kClosingLine + I2cMenu();
}

inline std::string ReadFlashTest(const std::string &address, const std::string &reg, const char *status,
                                 const std::string &text) {
    return TestHeader("I2C Read Flash Test") + kI2cCommonPrompts + kI2cLengthPrompt +
           Line("I2C Read Test from " + address + " with Register Address:" + reg + " is " + status + "!!!") +
           kClosingLine + Line("Data String: " + text) + I2cMenu();
}

#endif
