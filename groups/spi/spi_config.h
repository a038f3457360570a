// What every SPI test configures its device with, and the limits of the
// menu's word arrays.
#ifndef GROUPS_SPI_CONFIG_H
#define GROUPS_SPI_CONFIG_H

#include "../../hal/fixed_width_types.h"

const uint32_t kSpiClockHz = 1000000;
const int32_t kSpiConfigureOption = 0;

const int kSpiWords = 4;
const int32_t kSpiMaxBits = 32 * kSpiWords;

#endif
