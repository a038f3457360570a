// SPI on ECSPI1 (spi-imx) through spidev: the SST25VF016B flash on chip
// select 0 answers the JEDEC ID command.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"
#include "spi_texts.h"

namespace {

TEST(SpiOnImx, TheExchangeTestSendsReadIdAndShowsTheFlashsJedecBytes) {
    // 0x9f in the first of four bytes; the flash answers SST (bf), its
    // memory type (25) and capacity (41) in the three after it.
    RunResult run = RunProgram("8\n1\n1\n0\n32\n9f000000\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + SpiMenu() + WriteReadTest(1, "Success", {"bf2541"}) + MainMenu());
    EXPECT_EQ(run.trace, Session(0, 0, {"SPIExchange(0, 32, [9f000000], ptr) = 1"}));
}

}  // namespace
