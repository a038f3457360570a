#include "spi_frames.h"

#include <cstring>

#include "../boardlib/spi_wire.h"

namespace {

constexpr int32_t kWordBits = 32;

// Bits sent as whole bytes: all of a frame of whole bytes, else everything
// before the last word.
int32_t ByteBits(int32_t bitCount) {
    if (bitCount % 8 == 0) return bitCount;
    if (bitCount <= kWordBits) return 0;
    return bitCount - bitCount % kWordBits;
}

spi_ioc_transfer TransferOf(const void *tx, void *rx, uint32_t length, uint8_t bitsPerWord, uint32_t speedHz) {
    spi_ioc_transfer transfer;
    std::memset(&transfer, 0, sizeof transfer);
    transfer.tx_buf = reinterpret_cast<uintptr_t>(tx);
    transfer.rx_buf = reinterpret_cast<uintptr_t>(rx);
    transfer.len = length;
    transfer.speed_hz = speedHz;
    transfer.bits_per_word = bitsPerWord;
    return transfer;
}

// spidev keeps words of 9 to 16 bits in 2 bytes and longer ones in 4, in
// the machine's byte order.
uint32_t TailBufferSize(int32_t bits) { return bits <= 8 ? 1 : bits <= 16 ? 2 : 4; }

uint32_t LoadTail(const uint32_t &tail, int32_t bits) {
    uint8_t u8;
    uint16_t u16;
    switch (TailBufferSize(bits)) {
    case 1: std::memcpy(&u8, &tail, 1); return u8;
    case 2: std::memcpy(&u16, &tail, 2); return u16;
    default: return tail;
    }
}

void StoreTail(uint32_t &tail, uint32_t value, int32_t bits) {
    uint8_t u8 = static_cast<uint8_t>(value);
    uint16_t u16 = static_cast<uint16_t>(value);
    switch (TailBufferSize(bits)) {
    case 1: std::memcpy(&tail, &u8, 1); break;
    case 2: std::memcpy(&tail, &u16, 2); break;
    default: tail = value; break;
    }
}

}  // namespace

SpiFrame::SpiFrame(const uint32_t *tx, int32_t bitCount, uint32_t speedHz)
    : bitCount_(bitCount), byteBits_(ByteBits(bitCount)), tailBits_(bitCount - ByteBits(bitCount)) {
    SpiBits bits = SpiWireBits(tx, bitCount);
    txBytes_.assign(static_cast<size_t>(byteBits_ / 8), 0);
    rxBytes_.assign(txBytes_.size(), 0);
    for (int32_t i = 0; i < byteBits_; ++i)
        txBytes_[static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(bits[static_cast<size_t>(i)] << (7 - i % 8));
    uint32_t tail = 0;
    for (int32_t i = byteBits_; i < bitCount; ++i) tail = (tail << 1) | bits[static_cast<size_t>(i)];
    StoreTail(txTail_, tail, tailBits_);
    if (!txBytes_.empty())
        transfers_.push_back(TransferOf(txBytes_.data(), rxBytes_.data(), static_cast<uint32_t>(txBytes_.size()), 8,
                                        speedHz));
    if (tailBits_ > 0)
        transfers_.push_back(TransferOf(&txTail_, &rxTail_, TailBufferSize(tailBits_),
                                        static_cast<uint8_t>(tailBits_), speedHz));
}

void SpiFrame::StoreReceived(uint32_t *rx) const {
    SpiBits bits;
    bits.reserve(static_cast<size_t>(bitCount_));
    for (int32_t i = 0; i < byteBits_; ++i)
        bits.push_back(static_cast<uint8_t>((rxBytes_[static_cast<size_t>(i / 8)] >> (7 - i % 8)) & 1u));
    uint32_t tail = LoadTail(rxTail_, tailBits_);
    for (int32_t bit = tailBits_ - 1; bit >= 0; --bit) bits.push_back(static_cast<uint8_t>((tail >> bit) & 1u));
    SpiStoreWireBits(bits, rx);
}
