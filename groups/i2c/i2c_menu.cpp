#include "i2c_tests.h"

// The menu is not built yet: choosing it returns to the main menu at once.
void I2CTests::I2CTestMenu() {}
