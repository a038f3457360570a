// Console texts of the physical memory menu, shared by its transcript tests.
#ifndef TESTS_GROUPS_PHYMEM_PHYMEM_TEXTS_H
#define TESTS_GROUPS_PHYMEM_PHYMEM_TEXTS_H

#include <string>

#include "expected_text.h"

inline const std::string kPhymemMenu =
    SubMenu("Select Physical Memory Test!", {"Write Register Test", "Read Register Test",
                                             "Write and Return Register Test",
                                             "Asyscron Write and Read Register Test"});
inline const std::string kRegisterAddressPrompt = "Enter Register Address (e.g. 0x0209c700): ";
inline const std::string kRegisterReadAddressPrompt = "Enter Register Address (e.g. 0x0209c700); ";
inline const std::string kRegisterChannelPrompt = "Enter Register Channel Pin (e.g. 1 to 9): ";
inline const std::string kRegisterValuePrompt = "Enter Register Value Pin (e.g. 0x1): ";
inline const std::string kRegisterWritePrompts = kRegisterAddressPrompt + kRegisterChannelPrompt + kRegisterValuePrompt;

// Item 1; `written` is false when the write failed.
inline std::string WriteRegister(const std::string &channel, const std::string &address, const std::string &value,
                                 bool written) {
    std::string text = TestHeader("Write Register Test") + kRegisterWritePrompts +
                       Line("Physical Write Channel: " + channel) +
                       Line("Physical Write Register: 0x" + address + " - Register Value: 0x" + value);
    if (written) text += Line("Physical Write Register : 0x" + value) + Line("Physical Write successful");
    return text + Line("Memory Write Test Register: " + address + " | Value: " + value + " | " +
                       (written ? "Success" : "Failed") + "!!!") +
           kClosingLine + kPhymemMenu;
}

// Item 2.
inline std::string ReadRegister(const std::string &channel, const std::string &address, const std::string &value) {
    return TestHeader("Read Register Test") + kRegisterReadAddressPrompt + kRegisterChannelPrompt +
           Line("Physical Read Channel: " + channel) + Line("Physical Read Return: 0x" + value) +
           Line("Memory Read Test Register: " + address + " | Value: " + value + " | Success!!!") + kClosingLine +
           kPhymemMenu;
}

#endif
