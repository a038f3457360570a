// Console texts of the CAN menu, shared by its transcript tests.
#ifndef TESTS_GROUPS_CAN_CAN_TEXT_H
#define TESTS_GROUPS_CAN_CAN_TEXT_H

#include <regex>
#include <string>

#include "expected_text.h"

inline const std::string &CanMenu() {
    static const std::string menu =
        SubMenu("Select CAN Test!", {"Write Test", "Read Test", "Remote Write Test", "Remote Read Test",
                                     "Filter Write Test", "Filter Read Test", "Async Read/Write Test"});
    return menu;
}

inline constexpr char kCanModePrompt[] = "Enter CAN Mode (CAN Mode: 0 = Standard, 1 = Extended ): ";
inline constexpr char kCanIdPrompt[] = "Enter CAN ID (CAN ID: 11bit -> max 0x1FF, 29bit -> max 0xFFFFFF ): ";
inline constexpr char kCanFrequencyPrompt[] = "Enter CAN Frequency (20000 ... 1000000 (Bit/s)): ";
inline constexpr char kCanPrioPrompt[] = "Enter CAN Message PRIO (0 ... 255): ";
inline constexpr char kCanDataPrompt[] = "Enter CAN Data (e.g. abc): ";
inline constexpr char kCanLengthPrompt[] = "Enter CAN Data Length (1 ... 8): ";
inline constexpr char kCanFilterPrompt[] = "Enter CAN Message Filter (e.g. 0x25): ";
inline constexpr char kCanMaskPrompt[] = "Enter CAN Message Filter ID Mask (e.g. 0x1FF): ";

// The whole console output of one visit of the CAN menu from the main menu.
inline std::string CanVisit(const std::string &tests) { return MainMenu() + CanMenu() + tests + MainMenu(); }

// The peer node numbers its data frames in their last byte; transcripts show
// that byte as "N" so that they can be compared whole.
inline std::string WithPeerCounterHidden(const std::string &output) {
    static const std::regex counter("0x77 0x[0-9a-f]{1,2} Status");
    return std::regex_replace(output, counter, "0x77 0xN Status");
}

#endif
