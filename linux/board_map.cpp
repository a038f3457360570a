#include "board_map.h"

#include <cctype>
#include <limits>
#include <sstream>

namespace {

constexpr int32_t kMaxNumber = std::numeric_limits<int32_t>::max();

// What separates words: the blanks the stream reading of Words skips.
constexpr char kBlanks[] = " \t\r\v\f";

std::string Trimmed(const std::string &text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Words(const std::string &text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// The key of a line refused for a NUL byte, when one can be told: the
// entry is left out with that reason.
std::string KeyOfLineWithNul(const std::string &line) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) return "";
    std::string key = Trimmed(line.substr(0, equals));
    return key.find('\0') == std::string::npos && key.find('#') == std::string::npos ? key : "";
}

// One line's key and value, split at the first '='.
struct Assignment {
    int line;
    std::string key;
    std::string value;
};

class MapReader {
public:
    explicit MapReader(BoardMap &map) : map_(map) {}

    void Read(const Assignment &entry) {
        if (!Claim(entry)) return;
        std::string group = entry.key.substr(0, entry.key.find('.'));
        if (entry.key == "backlight") return ReadBacklight(entry);
        if (entry.key == "memory") return ReadWindow(entry);
        if (entry.key == "reboot") return ReadReboot(entry);
        int32_t number = 0;
        if (!NumberedKey(entry, group, number)) return;
        if (group == "gpio") return ReadGpio(entry, number);
        DeviceEntry device{entry.line, entry.value};
        if (!OneWord(entry)) return;
        if (group == "i2c") map_.i2c[number] = device;
        if (group == "spi") map_.spi[number] = device;
        if (group == "uart") map_.uart[number] = device;
        if (group == "can") map_.can[number] = device;
    }

private:
    // A key given twice keeps its first value; "memory" may repeat. The
    // line given twice is an error, but its key is no entry left out: what
    // becomes of the first value is the reason its calls get.
    bool Claim(const Assignment &entry) {
        if (entry.key == "memory") return true;
        auto first = firstLine_.emplace(entry.key, entry.line);
        if (first.second) return true;
        map_.Reject("", entry.line,
                    entry.key + " is given twice (first on line " + std::to_string(first.first->second) + ")");
        return false;
    }

    bool NumberedKey(const Assignment &entry, const std::string &group, int32_t &number) {
        static const char *const kGroups[] = {"gpio", "i2c", "spi", "uart", "can"};
        bool known = false;
        for (const char *name : kGroups) known = known || group == name;
        size_t dot = entry.key.find('.');
        if (!known || dot == std::string::npos) {
            Error(entry, "unknown key " + Quoted(entry.key));
            return false;
        }
        uint64_t value = 0;
        std::string digits = entry.key.substr(dot + 1);
        // One spelling per number: "gpio.01" would dodge the check for a key
        // given twice and replace gpio.1.
        bool decimal = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos &&
                       (digits.size() == 1 || digits[0] != '0');
        if (!decimal || !ParseMapNumber(digits, value) || value > kMaxNumber) {
            Error(entry, "bad number " + Quoted(digits) + " in key " + Quoted(entry.key));
            return false;
        }
        number = static_cast<int32_t>(value);
        return true;
    }

    bool OneWord(const Assignment &entry) {
        size_t count = Words(entry.value).size();
        if (count == 1) return true;
        Error(entry, count == 0 ? entry.key + " names no device" : entry.key + " takes one word, not " + Quoted(entry.value));
        return false;
    }

    void ReadGpio(const Assignment &entry, int32_t number) {
        std::vector<std::string> words = Words(entry.value);
        GpioEntry gpio;
        gpio.line = entry.line;
        uint64_t offset = 0;
        if (words.size() == 1) {
            gpio.name = words[0];
        } else if (words.size() == 2 && ParseMapNumber(words[1], offset) && offset <= kMaxNumber) {
            gpio.chip = words[0];
            gpio.offset = static_cast<uint32_t>(offset);
        } else if (words.size() == 2) {
            return Error(entry, "bad line offset " + Quoted(words[1]) + " for " + entry.key);
        } else {
            return Error(entry, entry.key + " needs a chip and a line offset, or a line name");
        }
        map_.gpio[number] = gpio;
    }

    void ReadBacklight(const Assignment &entry) {
        if (!OneWord(entry)) return;
        std::string device = entry.value;
        if (device.find('/') == std::string::npos) device = "/sys/class/backlight/" + device;
        map_.backlight = DeviceEntry{entry.line, device};
    }

    void ReadWindow(const Assignment &entry) {
        std::vector<std::string> words = Words(entry.value);
        MemoryWindow window;
        window.line = entry.line;
        if (words.size() != 2) return Error(entry, "memory needs a base address and a size");
        if (!ParseMapNumber(words[0], window.base)) return Error(entry, "bad base address " + Quoted(words[0]));
        if (!ParseMapNumber(words[1], window.size) || window.size == 0)
            return Error(entry, "bad window size " + Quoted(words[1]));
        if (window.base > std::numeric_limits<uint64_t>::max() - window.size)
            return Error(entry, "the window passes the end of the address space");
        map_.memory.push_back(window);
    }

    void ReadReboot(const Assignment &entry) {
        if (entry.value != "yes" && entry.value != "no")
            return Error(entry, "reboot takes yes or no, not " + Quoted(entry.value));
        map_.rebootAllowed = entry.value == "yes";
    }

    void Error(const Assignment &entry, const std::string &problem) {
        map_.Reject(entry.key, entry.line, problem);
    }

    BoardMap &map_;
    std::map<std::string, int> firstLine_;
};

}  // namespace

void BoardMap::Reject(const std::string &key, int line, const std::string &problem) {
    std::string error = "board map " + path + " line " + std::to_string(line) + ": " + problem;
    errors.push_back(error);
    if (!key.empty()) broken.emplace(key, error);
}

std::string BoardMap::Missing(const std::string &key) const {
    if (!unreadable.empty()) return unreadable;
    auto found = broken.find(key);
    if (found != broken.end()) return found->second;
    return "no " + key + " in board map " + path;
}

bool ParseMapNumber(const std::string &text, uint64_t &value) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    if (digits.empty()) return false;
    const uint64_t base = hex ? 16 : 10;
    value = 0;
    for (char c : digits) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : hex && std::isxdigit(static_cast<unsigned char>(c))
                        ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                        : -1;
        if (digit < 0) return false;
        if (value > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) / base) return false;
        value = value * base + static_cast<uint64_t>(digit);
    }
    return true;
}

BoardMap ParseBoardMap(const std::string &path, const std::string &text) {
    BoardMap map;
    map.path = path;
    MapReader reader(map);
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        // A NUL would cut a device path short where the system reads it.
        if (line.find('\0') != std::string::npos) {
            map.Reject(KeyOfLineWithNul(line), number, "the line holds a NUL byte");
            continue;
        }
        line = Trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            map.Reject("", number, "expected \"key = value\", found " + Quoted(line));
            continue;
        }
        reader.Read(Assignment{number, Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1))});
    }
    return map;
}
