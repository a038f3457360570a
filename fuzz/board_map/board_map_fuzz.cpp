// Fuzzing target of the board map's parser (fuzz/run-board-map). Whatever
// the text, the parser must not crash, and what it gives back must hold:
// every error is one line naming the file and a line of the text, every
// entry kept names a device with no NUL or line break in it, every memory
// window is non-empty and ends inside the address space. A broken rule
// aborts, which the fuzzer saves as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "../../linux/board_map.h"

namespace {

const std::string kPath = "/etc/qzhal/board.conf";

void Require(bool holds, const char *rule, const std::string &detail) {
    if (holds) return;
    std::fprintf(stderr, "board map fuzzing: %s: %s\n", rule, detail.c_str());
    std::abort();
}

size_t LineCount(const std::string &text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

bool PlainWord(const std::string &word) {
    return !word.empty() && word.find_first_of(std::string("\n\r\t \0", 5)) == std::string::npos;
}

void CheckError(const std::string &error, size_t lines) {
    const std::string prefix = "board map " + kPath + " line ";
    Require(error.compare(0, prefix.size(), prefix) == 0, "error names the file", error);
    Require(error.find('\n') == std::string::npos && error.find('\0') == std::string::npos,
            "error is one line of text", error);
    size_t colon = error.find(": ", prefix.size());
    Require(colon != std::string::npos && colon > prefix.size(), "error names a line", error);
    std::string number = error.substr(prefix.size(), colon - prefix.size());
    Require(number.find_first_not_of("0123456789") == std::string::npos && number.size() < 10,
            "line is a number", error);
    unsigned long line = std::stoul(number);
    Require(line >= 1 && line <= lines, "line is one of the text", error);
    Require(colon + 2 < error.size(), "error says what is wrong", error);
}

void CheckEntries(const BoardMap &map) {
    for (const auto &gpio : map.gpio) {
        Require(gpio.first >= 0, "gpio number", std::to_string(gpio.first));
        bool byName = gpio.second.chip.empty();
        Require(byName ? PlainWord(gpio.second.name) : PlainWord(gpio.second.chip), "gpio names a line", "");
        Require(gpio.second.offset <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()), "gpio offset",
                std::to_string(gpio.second.offset));
    }
    for (const auto *group : {&map.i2c, &map.spi, &map.uart, &map.can})
        for (const auto &entry : *group) {
            Require(entry.first >= 0, "device number", std::to_string(entry.first));
            Require(PlainWord(entry.second.device), "device is one word", entry.second.device);
        }
    if (!map.backlight.device.empty()) Require(PlainWord(map.backlight.device), "backlight", map.backlight.device);
    for (const MemoryWindow &window : map.memory) {
        Require(window.size > 0, "window is not empty", std::to_string(window.base));
        Require(window.base <= std::numeric_limits<uint64_t>::max() - window.size, "window ends in the address space",
                std::to_string(window.base));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    BoardMap map = ParseBoardMap(kPath, text);
    size_t lines = LineCount(text);
    for (const std::string &error : map.errors) CheckError(error, lines);
    for (const auto &broken : map.broken) CheckError(broken.second, lines);
    CheckEntries(map);
    return 0;
}
