#ifndef GROUPS_I2C_TESTS_H
#define GROUPS_I2C_TESTS_H

// I2C register and multi-byte transfers (main-menu item 4).
class I2CTests {
public:
    void I2CTestMenu();
};

#endif
