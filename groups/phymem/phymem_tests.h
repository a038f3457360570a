#ifndef GROUPS_PHYMEM_TESTS_H
#define GROUPS_PHYMEM_TESTS_H

// Physical register reads and writes (main-menu item 5).
class PhysicalMemoryTests {
public:
    void PhysicalMemoryTestMenu();
};

#endif
