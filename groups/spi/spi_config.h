// What every SPI test configures its device with, and the limits of the
// menu's word arrays.
#ifndef GROUPS_SPI_CONFIG_H
#define GROUPS_SPI_CONFIG_H

#include <cstdint>

constexpr uint32_t kSpiClockHz = 1000000;
constexpr int32_t kSpiConfigureOption = 0;

constexpr int kSpiWords = 4;
constexpr int32_t kSpiMaxBits = 32 * kSpiWords;

#endif
