#ifndef GROUPS_CAN_TESTS_H
#define GROUPS_CAN_TESTS_H

// CAN frames on channel 1 (main-menu item 10).
class CanTests {
public:
    void CANTestMenu();
};

#endif
