// The GPIO part of the draft map: every chip with its label and named lines.
// A line named like one of the program's pins (GPIO7, GPIO_7, the buttons
// TA1..TA4, LED1..LED4, PWM, INT_PRIO) becomes that pin's entry; the others
// are listed commented, for the wiring to place.
#include <cctype>
#include <cerrno>
#include <cstring>
#include <gpiod.h>
#include <map>
#include <set>

#include "probe.h"

namespace {

constexpr int kLastPin = 64;

struct GpioChipInfo {
    std::string path, name, label, error;
    std::vector<std::string> lineNames, consumers;
};

GpioChipInfo ReadChip(const std::string &path) {
    GpioChipInfo info;
    info.path = path;
    gpiod_chip *chip = gpiod_chip_open(path.c_str());
    if (!chip) {
        info.error = std::strerror(errno);
        return info;
    }
    info.name = gpiod_chip_name(chip);
    info.label = gpiod_chip_label(chip);
    for (unsigned offset = 0; offset < gpiod_chip_num_lines(chip); ++offset) {
        gpiod_line *line = gpiod_chip_get_line(chip, offset);
        const char *name = line ? gpiod_line_name(line) : nullptr;
        const char *consumer = line ? gpiod_line_consumer(line) : nullptr;
        info.lineNames.push_back(name ? name : "");
        info.consumers.push_back(consumer ? consumer : "");
    }
    gpiod_chip_close(chip);
    return info;
}

std::string Upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The program's pin a line's name stands for; 0 for none.
int ProgramPin(const std::string &lineName) {
    static const std::map<std::string, int> kNamedPins = {
        {"TA1", 1},  {"TA2", 2},  {"TA3", 3},  {"TA4", 4},   {"LED1", 6},
        {"LED2", 5}, {"LED3", 8}, {"LED4", 9}, {"PWM", 28}, {"INT_PRIO", 29}};
    std::string name = Upper(lineName);
    auto named = kNamedPins.find(name);
    if (named != kNamedPins.end()) return named->second;
    for (const std::string prefix : {"GPIO_", "GPIO"}) {
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 2 || digits[0] == '0' ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return 0;
        int pin = std::stoi(digits);
        return pin <= kLastPin ? pin : 0;
    }
    return 0;
}

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// "0-2, 5, 7-9".
std::string Ranges(const std::vector<unsigned> &offsets) {
    std::string text;
    for (size_t i = 0; i < offsets.size();) {
        size_t j = i;
        while (j + 1 < offsets.size() && offsets[j + 1] == offsets[j] + 1) ++j;
        text += (text.empty() ? "" : ", ") + std::to_string(offsets[i]);
        if (j > i) text += "-" + std::to_string(offsets[j]);
        i = j + 1;
    }
    return text;
}

class GpioDraft {
public:
    explicit GpioDraft(std::vector<GpioChipInfo> chips) : chips_(std::move(chips)) {
        std::map<std::string, int> labels;
        for (const GpioChipInfo &chip : chips_) {
            ++labels[chip.label];
            for (const std::string &name : chip.lineNames)
                if (!name.empty()) ++lineNames_[name];
        }
        for (const auto &label : labels)
            if (label.second == 1 && IsMapWord(label.first)) uniqueLabels_.insert(label.first);
    }

    void Print(std::ostream &out) {
        out << "\n# GPIO pins 1 to " << kLastPin << ": \"CHIP OFFSET\" or a line's name (gpioinfo lists them).\n";
        if (chips_.empty()) out << "# No GPIO chip found (/dev/gpiochip*).\n";
        for (const GpioChipInfo &chip : chips_) PrintChip(out, chip);
    }

private:
    // The chip as the map names it: its label when no other chip has it.
    std::string ChipId(const GpioChipInfo &chip) const {
        return uniqueLabels_.count(chip.label) ? chip.label : chip.name;
    }

    void PrintChip(std::ostream &out, const GpioChipInfo &chip) {
        if (!chip.error.empty()) {
            out << "# " << chip.path << ": cannot open it (" << chip.error << "); run as root to list its lines\n";
            return;
        }
        out << "# GPIO chip " << chip.name << " (" << chip.path << "), label " << Quoted(chip.label) << ", "
            << chip.lineNames.size() << " lines\n";
        std::vector<unsigned> unnamed;
        for (unsigned offset = 0; offset < chip.lineNames.size(); ++offset) {
            if (chip.lineNames[offset].empty())
                unnamed.push_back(offset);
            else
                PrintNamedLine(out, chip, offset);
        }
        if (!unnamed.empty())
            out << "# lines without a name, offsets " << Ranges(unnamed) << ": gpio.N = " << ChipId(chip)
                << " OFFSET\n";
    }

    void PrintNamedLine(std::ostream &out, const GpioChipInfo &chip, unsigned offset) {
        const std::string &name = chip.lineNames[offset];
        std::string place = ChipId(chip) + " " + std::to_string(offset);
        std::string note = chip.consumers[offset].empty() ? "" : "in use by " + Quoted(chip.consumers[offset]);
        int pin = ProgramPin(name);
        if (pin != 0 && taken_.insert(pin).second) {
            // A name another line shares, or one the map cannot hold, is
            // given by chip and offset.
            bool byName = lineNames_[name] == 1 && IsMapWord(name);
            if (!byName) note = Quoted(name) + (note.empty() ? "" : ", " + note);
            out << Entry("gpio." + std::to_string(pin), byName ? name : place, note) << "\n";
            return;
        }
        if (pin != 0) note = "also named like pin " + std::to_string(pin) + (note.empty() ? "" : ", " + note);
        out << "# " << Entry("gpio.?", place, Quoted(name) + (note.empty() ? "" : ", " + note)) << "\n";
    }

    std::vector<GpioChipInfo> chips_;
    std::map<std::string, int> lineNames_;
    std::set<std::string> uniqueLabels_;
    std::set<int> taken_;
};

}  // namespace

void PrintGpioChips(std::ostream &out) {
    std::vector<GpioChipInfo> chips;
    for (const std::string &name : NamesIn("/dev", "gpiochip")) chips.push_back(ReadChip("/dev/" + name));
    GpioDraft(std::move(chips)).Print(out);
}
