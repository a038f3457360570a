#ifndef GROUPS_UART_TESTS_H
#define GROUPS_UART_TESTS_H

// Serial port writes and reads (main-menu item 9).
class UartTests {
public:
    void UARTTestMenu();
};

#endif
