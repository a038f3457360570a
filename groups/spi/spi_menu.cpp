#include "spi_tests.h"

// The menu is not built yet: choosing it returns to the main menu at once.
void SpiTests::SPITestMenu() {}
