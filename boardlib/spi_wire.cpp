#include "spi_wire.h"

namespace {

constexpr int32_t kWordBits = 32;

// Bits the wire takes from word `index` of a frame of bitCount bits.
int32_t BitsOfWord(size_t index, int32_t bitCount) {
    size_t last = SpiWordCount(bitCount) - 1;
    int32_t rest = bitCount % kWordBits;
    return index == last && rest != 0 ? rest : kWordBits;
}

}  // namespace

size_t SpiWordCount(int32_t bitCount) {
    return bitCount <= kWordBits ? 1 : (static_cast<size_t>(bitCount) + kWordBits - 1) / kWordBits;
}

SpiBits SpiWireBits(const uint32_t *words, int32_t bitCount) {
    SpiBits bits;
    bits.reserve(static_cast<size_t>(bitCount));
    for (size_t w = 0; w < SpiWordCount(bitCount); ++w)
        for (int32_t bit = BitsOfWord(w, bitCount) - 1; bit >= 0; --bit)
            bits.push_back(static_cast<uint8_t>((words[w] >> bit) & 1u));
    return bits;
}

void SpiStoreWireBits(const SpiBits &bits, uint32_t *words) {
    int32_t bitCount = static_cast<int32_t>(bits.size());
    size_t next = 0;
    for (size_t w = 0; w < SpiWordCount(bitCount); ++w) {
        uint32_t word = 0;
        for (int32_t bit = BitsOfWord(w, bitCount) - 1; bit >= 0; --bit)
            word |= static_cast<uint32_t>(bits[next++] & 1u) << bit;
        words[w] = word;
    }
}
