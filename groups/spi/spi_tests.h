#ifndef GROUPS_SPI_TESTS_H
#define GROUPS_SPI_TESTS_H

// SPI exchanges and the 25AA010A SPI EEPROM (main-menu item 8).
class SpiTests {
public:
    void SPITestMenu();
};

#endif
