// How SPIExchange puts 32-bit words on the wire and takes them back.
//
// A frame of n bits takes, for n <= 32, the low n bits of word 0, most
// significant bit first. Longer frames take the words in order, each full
// word most significant bit first, and the last word's low (n mod 32) bits
// last. Bits shifted in land at the same positions of the receive words.
#ifndef BOARDLIB_SPI_WIRE_H
#define BOARDLIB_SPI_WIRE_H

#include <cstddef>
#include <cstdint>
#include <vector>

// One bit per element, 0 or 1, in the order the bits cross the wire.
using SpiBits = std::vector<uint8_t>;

// Words a frame of bitCount bits occupies (bitCount >= 1).
size_t SpiWordCount(int32_t bitCount);

// The bits of a frame of bitCount bits, in wire order.
SpiBits SpiWireBits(const uint32_t *words, int32_t bitCount);

// Writes the bits back into SpiWordCount(bits.size()) words at the places
// they were taken from; bits outside the frame become 0.
void SpiStoreWireBits(const SpiBits &bits, uint32_t *words);

#endif
