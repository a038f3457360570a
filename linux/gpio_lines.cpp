#include "gpio_lines.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <gpiod.h>
#include <vector>

// Lines by name and chips by label are looked for on every GPIO chip. A
// board may have a chip this process cannot open (its device file kept for
// another group of users, say): it is skipped, so that the others are still
// searched, and named in the reason only when nothing was found. (libgpiod's
// own searches give up at the first chip that cannot be opened.)
namespace {

const std::string kDeviceFolder = "/dev";

std::string Quoted(const std::string &text) { return "\"" + text + "\""; }

// The GPIO chips' device files, in the order of their numbers.
std::vector<std::string> ChipPaths() {
    dirent **entries = nullptr;
    int count = scandir(
        kDeviceFolder.c_str(), &entries,
        [](const dirent *entry) { return std::strncmp(entry->d_name, "gpiochip", 8) == 0 ? 1 : 0; }, versionsort);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        paths.push_back(kDeviceFolder + "/" + entries[i]->d_name);
        std::free(entries[i]);
    }
    std::free(entries);
    return paths;
}

// The chips a search could not open, as the end of its reason:
// "; /dev/gpiochip1 cannot be opened (Permission denied)".
class Unopened {
public:
    void Add(const std::string &path, int error) {
        text_ += "; " + path + " cannot be opened (" + std::strerror(error) + ")";
    }
    bool Any() const { return !text_.empty(); }
    const std::string &Text() const { return text_; }

private:
    std::string text_;
};

// Opens each GPIO chip in turn until `wanted` takes one (returns true),
// which is returned open; null when none was taken. Chips that cannot be
// opened are skipped and noted in `unopened`.
template <typename Wanted>
gpiod_chip *FindChip(Wanted wanted, Unopened &unopened) {
    for (const std::string &path : ChipPaths()) {
        gpiod_chip *chip = gpiod_chip_open(path.c_str());
        if (!chip) {
            unopened.Add(path, errno);
            continue;
        }
        if (wanted(chip)) return chip;
        gpiod_chip_close(chip);
    }
    return nullptr;
}

bool OpenByName(const std::string &name, GpioLine &opened, std::string &why) {
    Unopened unopened;
    gpiod_line *line = nullptr;
    opened.chip = FindChip(
        [&](gpiod_chip *chip) {
            line = gpiod_chip_find_line(chip, name.c_str());
            return line != nullptr;
        },
        unopened);
    if (!opened.chip) {
        why = "no GPIO line named " + Quoted(name) +
              (unopened.Any() ? " on the GPIO chips that could be opened" + unopened.Text() : "");
        return false;
    }
    opened.line = line;
    return true;
}

// The chip at `path`; null with the reason in `why`.
gpiod_chip *OpenChipFile(const std::string &path, const std::string &chipName, std::string &why) {
    gpiod_chip *chip = gpiod_chip_open(path.c_str());
    if (chip) return chip;
    why = errno == ENOENT ? "no GPIO chip " + Quoted(chipName)
                          : "cannot open GPIO chip " + Quoted(chipName) + " (" + std::strerror(errno) + ")";
    return nullptr;
}

// The chip named by its number ("2"), path ("/dev/gpiochip2"), label, or
// name ("gpiochip2"), the label before the name.
gpiod_chip *OpenChip(const std::string &chipName, std::string &why) {
    if (!chipName.empty() && chipName.find_first_not_of("0123456789") == std::string::npos)
        return OpenChipFile(kDeviceFolder + "/gpiochip" + chipName, chipName, why);
    if (chipName.find('/') != std::string::npos) return OpenChipFile(chipName, chipName, why);
    Unopened unopened;
    gpiod_chip *chip = FindChip([&](gpiod_chip *found) { return chipName == gpiod_chip_label(found); }, unopened);
    if (chip) return chip;
    std::string path = kDeviceFolder + "/" + chipName;
    if (chipName.compare(0, 8, "gpiochip") == 0) return OpenChipFile(path, chipName, why);
    why = "no GPIO chip " + Quoted(chipName) +
          (unopened.Any() ? " among the GPIO chips that could be opened" + unopened.Text() : "");
    return nullptr;
}

bool OpenByOffset(const std::string &chipName, uint32_t offset, GpioLine &opened, std::string &why) {
    opened.chip = OpenChip(chipName, why);
    if (!opened.chip) return false;
    unsigned lines = gpiod_chip_num_lines(opened.chip);
    if (offset >= lines) {
        why = "GPIO chip " + Quoted(chipName) + " has " + std::to_string(lines) + " lines, no line " +
              std::to_string(offset);
        CloseGpioLine(opened);
        return false;
    }
    opened.line = gpiod_chip_get_line(opened.chip, offset);
    if (!opened.line) {
        why = "cannot open line " + std::to_string(offset) + " of GPIO chip " + Quoted(chipName);
        CloseGpioLine(opened);
        return false;
    }
    return true;
}

}  // namespace

bool OpenGpioLine(const GpioEntry &entry, GpioLine &opened, std::string &why) {
    opened = GpioLine{};
    return entry.chip.empty() ? OpenByName(entry.name, opened, why)
                              : OpenByOffset(entry.chip, entry.offset, opened, why);
}

void CloseGpioLine(GpioLine &opened) {
    if (opened.chip) gpiod_chip_close(opened.chip);
    opened = GpioLine{};
}
