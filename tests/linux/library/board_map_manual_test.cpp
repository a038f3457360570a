// The board map's manual page (qzhal-board.conf(5)) against what the loader
// does: which entries a missing device leaves out, and what the memory
// windows map.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "board_map_load.h"
#include "gpiod_stand_in.h"

namespace {

// The page's text as it reads: request lines dropped, escapes taken out,
// one line.
std::string PageText(const std::string &path) {
    std::ifstream page(path);
    std::string text;
    for (std::string line; std::getline(page, line);) {
        if (!line.empty() && line[0] == '.') continue;
        text += line + " ";
    }
    for (const std::string escape : {"\\&", "\\%"})
        for (size_t at; (at = text.find(escape)) != std::string::npos;) text.erase(at, escape.size());
    for (size_t at; (at = text.find("\\-")) != std::string::npos;) text.erase(at, 1);
    return text;
}

// The sentence of `text` that holds `words`; empty when none does.
std::string SentenceWith(const std::string &text, const std::string &words) {
    size_t at = text.find(words);
    if (at == std::string::npos) return "";
    size_t start = text.rfind(". ", at);
    start = start == std::string::npos ? 0 : start + 2;
    return text.substr(start, text.find(". ", at) - start);
}

bool Names(const std::string &sentence, const std::string &group) {
    return (" " + sentence + " ").find(" " + group) != std::string::npos;
}

TEST(BoardMapManual, SaysWhichMissingDevicesLeaveTheirEntryOutAndWhatAWindowMaps) {
    // Every kind of entry, each with its device missing.
    char folder[] = "/tmp/qzhal-manual-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string map = std::string(folder) + "/board.conf";
    std::ofstream(map) << "gpio.1 = NOLINE\ni2c.0 = " << folder << "/i2c-0\nspi.0 = " << folder
                       << "/spidev0.0\nuart.1 = " << folder << "/ttyX\ncan.1 = nocan0\nbacklight = " << folder
                       << "/bl\n";
    SetGpioChips({});
    BoardMap loaded = LoadBoardMap(map);
    std::remove(map.c_str());
    rmdir(folder);
    const std::pair<std::string, bool> kept[] = {
        {"GPIO", loaded.gpio.count(1) != 0},  {"I2C", loaded.i2c.count(0) != 0},
        {"SPI", loaded.spi.count(0) != 0},    {"UART", loaded.uart.count(1) != 0},
        {"CAN", loaded.can.count(1) != 0},    {"backlight", !loaded.backlight.device.empty()}};
    ASSERT_EQ(loaded.errors.size(), 6u);

    const std::string page = PageText(QZHAL_MANUAL_DIR "/qzhal-board.conf.5");
    const std::string keeps = SentenceWith(page, "keeps its entry");
    const std::string leaves = SentenceWith(page, "leaves its entry out");
    ASSERT_FALSE(keeps.empty()) << page;
    ASSERT_FALSE(leaves.empty()) << page;
    for (const auto &group : kept) {
        EXPECT_EQ(Names(keeps, group.first), group.second) << group.first << " in: " << keeps;
        EXPECT_EQ(Names(leaves, group.first), !group.second) << group.first << " in: " << leaves;
    }
    // A window's mapping is rounded to pages (phymem.cpp): only accesses are
    // fenced to the window.
    EXPECT_EQ(page.find("ever mapped"), std::string::npos);
    EXPECT_NE(SentenceWith(page, "whole pages"), "");
}

}  // namespace
