// The spi tests' titles and prompts as the dialogue shows them; --list shows
// them from here too.
#ifndef GROUPS_SPI_SPI_TEXTS_H
#define GROUPS_SPI_SPI_TEXTS_H

const char kSpiDevicePrompt[] = "Enter SPI Device (1,2): ";
const char kSpiModePrompt[] = "Enter SPI Mode (0..3): ";
const char kSpiExchangeTitle[] = "SPI Write/Read Exchange Test";
const char kSpiReadTitle[] = "SPI Read Exchange Test";
const char kSpiLoopbackTitle[] = "SPI Write/Read Loopback Test";
const char kSpiBitCountPrompt[] = "Enter SPI Write Data Bitcount (e.g. 1 - 128): ";
const char kSpiInstructionPrompt[] = "Enter SPI Instruction Set (e.g. 0x02): ";
const char kSpiAddressPrompt[] = "Enter SPI Address (e.g. 0xaa): ";
const char kSpiEepromWriteTitle[] = "Write Flash Test (25aa010a)";
const char kSpiWriteByteCountPrompt[] = "Enter SPI Write Data Bytecount (1 - 2): ";
const char kSpiEepromReadTitle[] = "Read Flash Test (25aa010a)";
const char kSpiReadByteCountPrompt[] = "Enter SPI Read Data Bytecount (1 - 2): ";
const char kSpiDataPromptStart[] = "Enter SPI Data[";
const char kSpiWordPromptEnd[] = "] (e.g. 0x0000ffff): ";
const char kSpiBytePromptEnd[] = "] (e.g. 0xaa): ";

#endif
