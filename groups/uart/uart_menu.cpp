#include "uart_tests.h"

// The menu is not built yet: choosing it returns to the main menu at once.
void UartTests::UARTTestMenu() {}
