// A frame of 1 to 4096 bits as spidev transfers. The wire takes, for up to
// 32 bits, the low bits of word 0, most significant first; longer frames
// take whole words in order and the last word's low bits last (spi_wire.h).
// Whole bytes of that bit stream go out 8 bits per word; a tail that is no
// whole byte goes out as one word of its own size in the same message, so
// that the chip select stays asserted for the whole frame.
#ifndef LINUX_SPI_FRAMES_H
#define LINUX_SPI_FRAMES_H

#include <cstdint>
#include <linux/spi/spidev.h>
#include <vector>

class SpiFrame {
public:
    SpiFrame(const uint32_t *tx, int32_t bitCount, uint32_t speedHz);
    // The transfers point into the frame itself.
    SpiFrame(const SpiFrame &) = delete;
    SpiFrame &operator=(const SpiFrame &) = delete;

    // The transfers of one SPI_IOC_MESSAGE; valid while the frame lives.
    std::vector<spi_ioc_transfer> &Transfers() { return transfers_; }

    // After the message: the bits shifted in, laid out as the transmit words.
    void StoreReceived(uint32_t *rx) const;

private:
    int32_t bitCount_;
    int32_t byteBits_;  // bits sent in whole bytes
    int32_t tailBits_;  // bits of the tail word (0: none)
    std::vector<uint8_t> txBytes_, rxBytes_;
    uint32_t txTail_ = 0, rxTail_ = 0;
    std::vector<spi_ioc_transfer> transfers_;
};

#endif
