// The uart tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_UART_UART_TEXTS_H
#define GROUPS_UART_UART_TEXTS_H

const char kUartDevicePrompt[] = "Enter UART Device (1,2,3): ";
const char kUartFlowPrompt[] = "Enter UART Mode (Flowcontrol: 0 = Off, 1 = Software, 2 = Hardware): ";
const char kUartParityPrompt[] = "Enter UART Parity Mode (Parity: 0 = NO, 1 = ODD, 2 = EVEN, 3 = MARK, 4 = SPACE): ";
const char kUartStopBitsPrompt[] = "Enter UART Stopbits Mode (Parity: 0 = ONE, 1 = ONE5STOPBITS, 2 = TWOSTOPBITS): ";
const char kUartByteSizePrompt[] = "Enter UART Byte size (Bytesize: 5 = QZCOM_5BIT, 6 = QZCOM_6BIT, 7 = QZCOM_7BIT, 8 = QZCOM_8BIT): ";
const char kUartFrequencyPrompt[] = "Enter UART Frequency (1200 ... 256000 Hz): ";
const char kUartWriteTitle[] = "UART Write Test";
const char kUartDataPrompt[] = "Enter UART Data (e.g. abc): ";
const char kUartReadTitle[] = "UART Read Test";
const char kUartCountPrompt[] = "Enter UART Character Count (1 ... 100): ";
const char kUartContinuousTitle[] = "UART Continious Read Test";

#endif
